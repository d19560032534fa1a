# The size budget of the shipped executable and reproducible bytes.

# 64 KiB, icons and version block included.
set(VANTRIC_SIZE_BUDGET 65536)
add_test(NAME size.win32_within_budget
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_size.sh ${VANTRIC_WIN32_EXE} ${VANTRIC_SIZE_BUDGET})
set_tests_properties(size.win32_within_budget PROPERTIES LABELS size)

# A second build in another folder gives the same bytes, for each Windows
# preset.
foreach(preset win32 win64)
  if(preset STREQUAL win32)
    set(reference ${VANTRIC_WIN32_EXE})
  else()
    set(reference ${VANTRIC_WIN64_EXE})
  endif()
  add_test(NAME size.${preset}_reproducible
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_repro.sh ${PROJECT_SOURCE_DIR} ${preset} ${reference})
  set_tests_properties(size.${preset}_reproducible PROPERTIES LABELS "size;repro" TIMEOUT 300)
endforeach()

# The flags that make the executable small keep its constants read-only and
# no section both writable and executable.
set(VANTRIC_SIZE_PYTHON /usr/bin/python3 CACHE FILEPATH "A python3 with the pefile module")
foreach(exe win32 win64)
  if(exe STREQUAL win32)
    set(path ${VANTRIC_WIN32_EXE})
  else()
    set(path ${VANTRIC_WIN64_EXE})
  endif()
  add_test(NAME size.${exe}_constants_read_only
           COMMAND ${VANTRIC_SIZE_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/check_layout.py ${path})
  set_tests_properties(size.${exe}_constants_read_only PROPERTIES LABELS size)
endforeach()

# The executable's own entry point and msvcrt's printf, checked under Wine
# by a program built with the same flags (tests/size/windows.cmake).
get_filename_component(VANTRIC_WIN64_DIR ${VANTRIC_WIN64_EXE} DIRECTORY)
add_test(NAME size.win64_startup_and_number_text
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/run_startup_check.sh
                 ${VANTRIC_WIN64_DIR}/size_startup_check.exe ${CMAKE_CURRENT_BINARY_DIR}/size-wine)
set_tests_properties(size.win64_startup_and_number_text PROPERTIES LABELS size TIMEOUT 180)

# The host micro-benchmark, only when make bench asks for it.
include(${PROJECT_SOURCE_DIR}/bench/host.cmake OPTIONAL)
