# GoogleTest built from Debian's sources by whichever compiler this build uses, and the Wine
# fixture for Windows builds: one persistent wineserver per test run, in a throwaway prefix.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
# GoogleTest's own sources do not build warning-free with every compiler here.
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -w)
  endif()
endforeach()
include(GoogleTest)

set(HW_TEST_PROPS "")
set(HW_CAN_RUN_TESTS ON)
if(CMAKE_CROSSCOMPILING AND WIN32)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # A 32-bit .exe runs under Wine's WoW64 only with the 32-bit loader (Debian's wine32:i386);
    # under a wine64-only install it exits 0 and runs nothing, so then it is built, never run.
    set(HW_WINE_ARCH win32)
    if(NOT EXISTS /usr/lib/wine/wine)
      message(STATUS "No 32-bit Wine loader (install wine32:i386): the x86 tests are not run")
      set(HW_CAN_RUN_TESTS OFF)
    endif()
  else()
    set(HW_WINE_ARCH win64)
  endif()
  if(HW_CAN_RUN_TESTS)
    set(HW_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix for ctest")
    set(HW_WINE_EMU /usr/bin/env HW_WINE_PREFIX=${HW_WINE_PREFIX} HW_WINE_ARCH=${HW_WINE_ARCH}
        ${CMAKE_SOURCE_DIR}/cmake/wine-emulator.sh)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${HW_WINE_EMU})
    add_test(NAME wine_up COMMAND ${HW_WINE_EMU} --start)
    add_test(NAME wine_down COMMAND ${HW_WINE_EMU} --stop)
    set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
    set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
    set(HW_TEST_PROPS FIXTURES_REQUIRED wine)
  endif()
endif()

# hw_add_gtest(target sources... LIBS libs...): a GoogleTest executable registered with ctest
# as one test that must print PASSED (so an .exe that silently runs nothing fails).
function(hw_add_gtest target)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${target} PRIVATE HW_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  if(HW_CAN_RUN_TESTS)
    if(CMAKE_CROSSCOMPILING)
      add_test(NAME ${target} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>)
    else()
      add_test(NAME ${target} COMMAND ${target})
    endif()
    set_tests_properties(${target} PROPERTIES TIMEOUT 600 ${HW_TEST_PROPS}
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]" FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  endif()
endfunction()
