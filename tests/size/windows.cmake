# The Windows side of the size tests: startup_check.exe, built like the
# executable (its entry point, allocator and printf) as a console program.
# Wine runs the 64-bit build here, so only that build gets it.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(size_startup_check
      ${CMAKE_CURRENT_LIST_DIR}/startup_check.cpp
      ${PROJECT_SOURCE_DIR}/src/text/wide_text.cpp
      ${VANTRIC_WINDOWS_RUNTIME_SOURCES})
  vantric_windows_flags(size_startup_check)
endif()
