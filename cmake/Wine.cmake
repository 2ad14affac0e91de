# Test executables of the Windows build run under Wine. Every test process
# shares one prefix under the build folder and one persistent wineserver that
# a fixture starts (and warms up with its output on /dev/null), so ctest never
# waits on a pipe that Wine's service processes hold open.
set(VQ_WINE_RUN "${PROJECT_SOURCE_DIR}/scripts/wine-run")
set(VQ_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(CMAKE_CROSSCOMPILING_EMULATOR "${VQ_WINE_RUN}")

add_test(NAME wine.start
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${VQ_WINEPREFIX}
          "${PROJECT_SOURCE_DIR}/scripts/wine-prefix" start)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME wine.stop
  COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${VQ_WINEPREFIX}
          "${PROJECT_SOURCE_DIR}/scripts/wine-prefix" stop)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# vq_add_wine_test(<name> <target> [args...]): one ctest test running a test
# executable under Wine, with the shared prefix and server. They take turns:
# windows, focus, the pointer and the keyboard are one per display.
function(vq_add_wine_test name target)
  add_test(NAME ${name} COMMAND ${target} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    RESOURCE_LOCK display
    ENVIRONMENT "WINEPREFIX=${VQ_WINEPREFIX}"
    TIMEOUT 180)
endfunction()
