# The host micro-benchmarks of the sweep, built only for make bench
# (-DVANTRIC_BENCH=ON) so that make test does not need Google Benchmark.
option(VANTRIC_BENCH "Build the host micro-benchmarks (make bench)" OFF)
if(VANTRIC_BENCH)
  find_package(benchmark REQUIRED)
  add_library(vantric_counting_allocator STATIC ${CMAKE_CURRENT_LIST_DIR}/counting_allocator.cpp)
  target_include_directories(vantric_counting_allocator PUBLIC ${CMAKE_CURRENT_LIST_DIR})

  # Against the fake platform of the host tests (its logging included).
  add_executable(vantric_sweep_fake_bench ${CMAKE_CURRENT_LIST_DIR}/sweep_fake_bench.cpp)
  target_link_libraries(vantric_sweep_fake_bench PRIVATE
      vantric_counting_allocator vantric_core vantric_fake benchmark::benchmark)
  # Against a platform that costs nothing: the toggle code alone.
  add_executable(vantric_sweep_core_bench ${CMAKE_CURRENT_LIST_DIR}/sweep_core_bench.cpp)
  target_link_libraries(vantric_sweep_core_bench PRIVATE
      vantric_counting_allocator vantric_core benchmark::benchmark)
endif()
