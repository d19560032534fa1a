# The 64-bit executable under Wine, in throwaway prefixes under
# build/host/wine: tests/wine/scenarios.sh. The first test boots the base
# prefix that every scenario copies; the last one unlocks any entry a failed
# scenario left locked.
set(VANTRIC_WINE_STANDIN_EXE ${PROJECT_SOURCE_DIR}/build/win64/progman_standin.exe
    CACHE FILEPATH "The stand-in desktop window for the Wine tests")
set(VANTRIC_WINE_WORK ${CMAKE_BINARY_DIR}/wine)

set(VANTRIC_WINE_ENV
    WINE_WORK=${VANTRIC_WINE_WORK}
    VANTRIC_EXE=${VANTRIC_WIN64_EXE}
    STANDIN_EXE=${VANTRIC_WINE_STANDIN_EXE})

add_test(NAME wine.prefix COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/scenarios.sh prefix)
set_tests_properties(wine.prefix PROPERTIES
    LABELS wine
    ENVIRONMENT "${VANTRIC_WINE_ENV}"
    FIXTURES_SETUP wine_prefix
    TIMEOUT 300)

# Runs after the scenarios whatever their outcome: no entry stays locked.
add_test(NAME wine.unlock COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/scenarios.sh unlock)
set_tests_properties(wine.unlock PROPERTIES
    LABELS wine
    ENVIRONMENT "${VANTRIC_WINE_ENV}"
    FIXTURES_CLEANUP wine_prefix
    TIMEOUT 120)

foreach(scenario cycle skip_names languages refused unresolved)
  add_test(NAME wine.${scenario} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/scenarios.sh ${scenario})
  set_tests_properties(wine.${scenario} PROPERTIES
      LABELS wine
      ENVIRONMENT "${VANTRIC_WINE_ENV}"
      FIXTURES_REQUIRED wine_prefix
      TIMEOUT 300)
endforeach()
