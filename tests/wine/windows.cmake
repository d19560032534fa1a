# The stand-in desktop window the Wine tests start beside the toggle. Wine
# runs the 64-bit build here, so only that build gets it.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(progman_standin WIN32 ${PROJECT_SOURCE_DIR}/tests/wine/progman_standin.cpp)
  target_compile_definitions(progman_standin PRIVATE UNICODE _UNICODE)
  target_compile_options(progman_standin PRIVATE -municode -Wall -Wextra)
  target_link_options(progman_standin PRIVATE -municode -static -static-libgcc -static-libstdc++)
  target_link_libraries(progman_standin PRIVATE user32 gdi32 shell32)
endif()
