# Tests of the Windows build, run on the build machine under Wine.
#
# GoogleTest is built from Debian's sources with the cross compiler (nothing is downloaded).
# Each test program is one test of CTest, run by tests/win/wine.sh in the build folder's own
# Wine prefix; the fixture "wine" boots that prefix once for the run and stops it at the end.
set(ISP89_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
if(NOT EXISTS ${ISP89_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${ISP89_GTEST_SOURCE}: install googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${ISP89_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
  # Its own code is not held to this project's warning flags.
  target_compile_options(${library} PRIVATE -w)
  if(NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()

set(ISP89_WINE_SCRIPT ${PROJECT_SOURCE_DIR}/tests/win/wine.sh)
set(ISP89_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ISP89_WINE_SCRIPT} ${ISP89_WINEPREFIX} run)

add_test(NAME wine_start COMMAND ${ISP89_WINE_SCRIPT} ${ISP89_WINEPREFIX} start)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME wine_stop COMMAND ${ISP89_WINE_SCRIPT} ${ISP89_WINEPREFIX} stop)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

# One CTest entry per test program: a Wine process per test case would cost more than the case.
function(isp89_add_wine_test name labels)
  target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/win/PosixShims.h)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES LABELS "${labels};windows" FIXTURES_REQUIRED wine)
endfunction()

# The Windows isp89-cli end to end against the Linux isp89-sim, when a Linux build of this
# tree is at hand (`make test` passes its folder): ISP89_HOST_TOOLS=<linux build folder>.
set(ISP89_HOST_TOOLS "" CACHE PATH "A Linux build folder of this tree, for isp89-sim and isp89-cli")
function(isp89_add_wine_cli_test)
  if(NOT ISP89_HOST_TOOLS)
    message(STATUS "ISP89_HOST_TOOLS not set: no end-to-end test of isp89-cli under Wine")
    return()
  endif()
  add_test(NAME cli_wine_e2e
    COMMAND ${PROJECT_SOURCE_DIR}/tests/win/cli-e2e.sh ${ISP89_WINE_SCRIPT} ${ISP89_WINEPREFIX}
            $<TARGET_FILE:isp89-cli> ${ISP89_HOST_TOOLS}/src/cli/isp89-cli
            ${ISP89_HOST_TOOLS}/src/sim/isp89-sim ${CMAKE_BINARY_DIR}/e2e)
  # COM1 of the prefix is this test's alone.
  set_tests_properties(cli_wine_e2e PROPERTIES LABELS "e2e;windows" FIXTURES_REQUIRED wine
                       TIMEOUT 600)
endfunction()
isp89_add_wine_cli_test()
