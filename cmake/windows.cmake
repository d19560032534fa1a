# The Windows executable (win32: shipped; win64: run under Wine here).
enable_language(RC)

set(VANTRIC_WINDOWS_COMPILE_OPTIONS
    -Os -municode -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections -Wall -Wextra)
set(VANTRIC_WINDOWS_LINK_OPTIONS
    -municode -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s
    # ASLR and DEP.
    -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND VANTRIC_WINDOWS_LINK_OPTIONS -Wl,--high-entropy-va)
endif()

add_executable(Vantric WIN32
    ${VANTRIC_CORE_SOURCES}
    src/platform/platform_win32.cpp
    src/toggle/main.cpp)
target_include_directories(Vantric PRIVATE src)
target_compile_definitions(Vantric PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
target_compile_options(Vantric PRIVATE ${VANTRIC_WINDOWS_COMPILE_OPTIONS})
target_link_options(Vantric PRIVATE ${VANTRIC_WINDOWS_LINK_OPTIONS})
target_link_libraries(Vantric PRIVATE shell32 shlwapi user32)

# Icons, version block and manifest.
include(${PROJECT_SOURCE_DIR}/res/resources.cmake OPTIONAL)
# Windows programs that only the tests and the benchmark use.
include(${PROJECT_SOURCE_DIR}/tests/wine/windows.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/bench/windows.cmake OPTIONAL)
