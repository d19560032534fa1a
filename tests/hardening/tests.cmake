# Hardening tests, all labelled `hardening`:
#   allocation failure   a whole toggle run with each allocation failing
#   random model         1,000 seeded random desktops toggled against a model
#   fuzz corpus          fuzz/corpus replayed through the WideText fuzz target
#   valgrind             the unit test binary under memcheck
#   asan.*               the same binaries built with AddressSanitizer and
#                        UBSan in build/host-asan (preset host-asan), which
#                        the test hardening.asan.build configures and builds
set(VANTRIC_HARDENING_DIR ${CMAKE_CURRENT_LIST_DIR})
option(VANTRIC_SANITIZED "This tree is the sanitizer build (preset host-asan)" OFF)

add_library(vantric_run_checks STATIC ${VANTRIC_HARDENING_DIR}/run_checks.cpp)
target_link_libraries(vantric_run_checks PUBLIC vantric_core vantric_fake)
target_include_directories(vantric_run_checks PUBLIC ${VANTRIC_HARDENING_DIR})

# Its own executable: it replaces the global operator new[].
add_executable(vantric_alloc_tests
    ${VANTRIC_HARDENING_DIR}/alloc_failure_test.cpp
    ${VANTRIC_HARDENING_DIR}/failing_allocator.cpp)
target_link_libraries(vantric_alloc_tests PRIVATE vantric_run_checks GTest::gtest_main)

add_executable(vantric_model_tests ${VANTRIC_HARDENING_DIR}/model_test.cpp)
target_link_libraries(vantric_model_tests PRIVATE vantric_run_checks GTest::gtest_main)

# The libFuzzer target built with the host compiler and a main that runs
# every file of the committed corpus once.
add_executable(vantric_fuzz_replay
    ${PROJECT_SOURCE_DIR}/fuzz/wide_text_fuzz.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp
    ${VANTRIC_HARDENING_DIR}/failing_allocator.cpp)
target_include_directories(vantric_fuzz_replay PRIVATE ${VANTRIC_HARDENING_DIR})
target_link_libraries(vantric_fuzz_replay PRIVATE vantric_core)

foreach(target vantric_run_checks vantric_alloc_tests vantric_model_tests vantric_fuzz_replay)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endforeach()

gtest_discover_tests(vantric_alloc_tests TEST_PREFIX hardening. DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES
                     PROPERTIES LABELS hardening)
gtest_discover_tests(vantric_model_tests TEST_PREFIX hardening. DISCOVERY_TIMEOUT 30
                     PROPERTIES LABELS hardening TIMEOUT 300)
add_test(NAME hardening.fuzz_corpus COMMAND vantric_fuzz_replay ${PROJECT_SOURCE_DIR}/fuzz/corpus)
set_tests_properties(hardening.fuzz_corpus PROPERTIES LABELS hardening)

if(VANTRIC_SANITIZED)
  return() # the runs below belong to the plain host tree only
endif()

# The unit tests under valgrind: any memory error or definite or indirect
# leak fails the test.
find_program(VANTRIC_VALGRIND valgrind)
if(VANTRIC_VALGRIND)
  add_test(NAME hardening.valgrind.unit
           COMMAND ${VANTRIC_VALGRIND} --quiet --error-exitcode=99 --leak-check=full
                   --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect
                   $<TARGET_FILE:vantric_tests>)
else()
  add_test(NAME hardening.valgrind.unit
           COMMAND sh -c "echo 'valgrind is not installed (tools/install-deps.sh test)'; exit 1")
endif()
set_tests_properties(hardening.valgrind.unit PROPERTIES LABELS hardening TIMEOUT 600)

# The sanitizer tree: configured and built by a setup test, so that ctest
# alone runs it; its binaries stop at the first report
# (-fno-sanitize-recover=all, halt_on_error).
set(VANTRIC_ASAN_TESTS ${PROJECT_SOURCE_DIR}/build/host-asan/tests)
add_test(NAME hardening.asan.build
         COMMAND sh -c "'${CMAKE_COMMAND}' --preset host-asan >/dev/null && '${CMAKE_COMMAND}' --build --preset host-asan"
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
set_tests_properties(hardening.asan.build PROPERTIES
                     LABELS hardening FIXTURES_SETUP vantric_asan TIMEOUT 1800)
function(vantric_asan_test name program)
  add_test(NAME hardening.asan.${name} COMMAND ${VANTRIC_ASAN_TESTS}/${program} ${ARGN})
  set_tests_properties(hardening.asan.${name} PROPERTIES
                       LABELS hardening FIXTURES_REQUIRED vantric_asan TIMEOUT 600
                       ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
vantric_asan_test(unit vantric_tests)
vantric_asan_test(alloc_failure vantric_alloc_tests)
vantric_asan_test(random_model vantric_model_tests)
vantric_asan_test(fuzz_corpus vantric_fuzz_replay ${PROJECT_SOURCE_DIR}/fuzz/corpus)
