# The Windows executable (win32: shipped; win64: run under Wine here).
enable_language(RC)

# Size: the executable carries nothing it does not call (tests/size keeps it
# under 64 KiB, icons included).
#   - src/platform/memory_win32.cpp replaces operator new/delete, so none of
#     libstdc++'s exception runtime is linked;
#   - snprintf comes from msvcrt.dll, not mingw-w64's own printf. The C++
#     headers force __USE_MINGW_ANSI_STDIO to 1 whenever they are included,
#     so <stdio.h> is included first with it set to 0 and keeps that choice;
#   - src/platform/entry_win32.cpp is the process entry point in place of the
#     C runtime startup code (-nostartfiles). Nothing runs the runtime
#     pseudo-relocator any more, so data imported from a DLL without
#     __declspec(dllimport) must fail the link rather than the program:
#     --disable-auto-import. (Not --disable-runtime-pseudo-reloc: with
#     auto-import still on, ld then merges the read-only data into the
#     writable .data section.)
# Reproducible bytes: no link timestamp and no build folder in the output.
set(VANTRIC_WINDOWS_COMPILE_OPTIONS
    -Os -municode -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections -Wall -Wextra
    -D__USE_MINGW_ANSI_STDIO=0 -include stdio.h
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VANTRIC_ENTRY_SYMBOL VantricStartup)
else()
  set(VANTRIC_ENTRY_SYMBOL _VantricStartup) # x86 C names carry a leading underscore
endif()
set(VANTRIC_WINDOWS_LINK_OPTIONS
    -municode -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s
    -nostartfiles -Wl,-e,${VANTRIC_ENTRY_SYMBOL} -Wl,--disable-auto-import
    -Wl,--no-insert-timestamp
    # ASLR and DEP.
    -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  list(APPEND VANTRIC_WINDOWS_LINK_OPTIONS -Wl,--high-entropy-va)
endif()

# The sources that replace the C and C++ runtime parts left out.
set(VANTRIC_WINDOWS_RUNTIME_SOURCES
    ${PROJECT_SOURCE_DIR}/src/platform/memory_win32.cpp
    ${PROJECT_SOURCE_DIR}/src/platform/entry_win32.cpp)

# Builds target the way the executable is built; test programs use it too.
function(vantric_windows_flags target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VANTRIC_WINDOWS_COMPILE_OPTIONS}>)
  target_link_options(${target} PRIVATE ${VANTRIC_WINDOWS_LINK_OPTIONS})
endfunction()

add_executable(Vantric WIN32
    ${VANTRIC_CORE_SOURCES}
    ${VANTRIC_WINDOWS_RUNTIME_SOURCES}
    src/platform/platform_win32.cpp
    src/toggle/main.cpp)
vantric_windows_flags(Vantric)
target_link_libraries(Vantric PRIVATE shell32 shlwapi user32)

# Icons, version block and manifest.
include(${PROJECT_SOURCE_DIR}/res/resources.cmake OPTIONAL)
# Windows programs that only the tests and the benchmark use.
include(${PROJECT_SOURCE_DIR}/tests/wine/windows.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/bench/windows.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/tests/size/windows.cmake OPTIONAL)
