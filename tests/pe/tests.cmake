# Checks of the Windows executables from outside, with label `pe`:
#   pe.win32, pe.win64  headers, imports and resources, read back with pefile
#                       (tests/pe/check_pe.py)
#   pe.icons            the committed icons are what res/make-icons.sh draws
# Debian's python3 has python3-pefile; the first python3 on PATH may not.
set(VANTRIC_PEFILE_PYTHON /usr/bin/python3 CACHE FILEPATH "A python3 with the pefile module")

add_test(NAME pe.win32
         COMMAND ${VANTRIC_PEFILE_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/check_pe.py
                 --arch x86 --icons ${PROJECT_SOURCE_DIR}/res/icons ${VANTRIC_WIN32_EXE})
add_test(NAME pe.win64
         COMMAND ${VANTRIC_PEFILE_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/check_pe.py
                 --arch x64 --icons ${PROJECT_SOURCE_DIR}/res/icons ${VANTRIC_WIN64_EXE})
add_test(NAME pe.icons
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/check_icons.sh ${CMAKE_CURRENT_BINARY_DIR}/pe-icons)
set_tests_properties(pe.win32 pe.win64 pe.icons PROPERTIES LABELS pe)
