# Windows programs of the benchmark (make bench). Wine runs the 64-bit build
# here, so only that build gets them.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # The floor the toggle is timed against: the same compiler, optimization
  # and C runtime as a plain mingw-w64 program.
  add_executable(bench_floor WIN32 ${CMAKE_CURRENT_LIST_DIR}/floor.cpp)
  target_compile_definitions(bench_floor PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
  target_compile_options(bench_floor PRIVATE -O2 -municode -Wall -Wextra)
  target_link_options(bench_floor PRIVATE -municode -static -static-libgcc -static-libstdc++ -s)
  target_link_libraries(bench_floor PRIVATE shell32)
endif()
