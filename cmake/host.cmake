# The Linux build: the toggle logic against the in-memory platform, with the
# unit tests and every test that checks the Windows builds from outside.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

set(VANTRIC_WIN32_EXE ${PROJECT_SOURCE_DIR}/build/win32/Vantric.exe CACHE FILEPATH "The shipped 32-bit executable")
set(VANTRIC_WIN64_EXE ${PROJECT_SOURCE_DIR}/build/win64/Vantric.exe CACHE FILEPATH "The 64-bit executable for Wine")

add_library(vantric_core STATIC ${VANTRIC_CORE_SOURCES})
target_include_directories(vantric_core PUBLIC src)
target_compile_options(vantric_core PRIVATE -Wall -Wextra -fno-exceptions)

add_library(vantric_fake STATIC tests/fake/fake_platform.cpp)
target_include_directories(vantric_fake PUBLIC src tests)

add_subdirectory(tests)
