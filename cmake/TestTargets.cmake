# The helpers the test folders use and the tests' shared main; included only when the tests are built.

# The tests' own code is built for a short build: the code under test keeps the flags of the build type, and a
# stack trace through a test still names its lines.
set(MAZE_TEST_CXX_FLAGS "-O1 -g1" CACHE STRING "Optimisation and debug flags for the tests' own code")
separate_arguments(test_cxx_flags UNIX_COMMAND "${MAZE_TEST_CXX_FLAGS}")
add_library(im_test_flags INTERFACE)
# Through the precompiled header GCC reports boost::function copying the empty storage of a lambda without
# captures as maybe uninitialised; it is not.
target_compile_options(im_test_flags INTERFACE ${test_cxx_flags} -Wno-maybe-uninitialized)
target_link_libraries(im_test_flags INTERFACE im_build_flags)

add_library(im_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp
                                ${PROJECT_SOURCE_DIR}/tests/support/fresh_process.cpp
                                ${PROJECT_SOURCE_DIR}/tests/support/own_folder.cpp)
target_link_libraries(im_test_main PUBLIC im_build_flags im_platform im_platform_testing GTest::gtest GTest::gmock
                      PRIVATE im_test_flags)
# The outside headers that nearly every test parses, compiled once for all the tests (im_test_pch).
target_precompile_headers(im_test_main PRIVATE <gtest/gtest.h> <boost/signals2/signal.hpp> <boost/bind/bind.hpp>
                          <boost/function.hpp> <algorithm> <filesystem> <functional> <string> <vector>)
function(im_test_pch target)
  target_precompile_headers(${target} REUSE_FROM im_test_main)
endfunction()

# im_test_library(<target> SOURCES ... [DEPS ...]): fixtures that several test executables share.
function(im_test_library target)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} STATIC ${A_SOURCES})
  target_link_libraries(${target} PUBLIC im_build_flags ${A_DEPS} im_test_main PRIVATE im_test_flags)
  im_test_pch(${target})
endfunction()

# MAZE_TEST_LABELS (a regular expression) limits the tests built and run to those whose label matches, for builds
# that run only some of them; the others are still defined, but built only on request.
set(MAZE_TEST_LABELS "" CACHE STRING "Build only the tests whose label matches this regular expression")
function(im_test_wanted label result)
  if(MAZE_TEST_LABELS AND NOT label MATCHES "^(${MAZE_TEST_LABELS})$")
    set(${result} FALSE PARENT_SCOPE)
  else()
    set(${result} TRUE PARENT_SCOPE)
  endif()
endfunction()

# im_test(<target> LABEL <label> [SOURCES ...] [DEPS ...] [WHOLE_FILTER <gtest filter>] [COST <seconds>])
# Each test case runs in its own process; <target>.whole runs them all in one process in a shuffled order (the seed
# is printed), so that no test relies on a fresh process or on the order of the others. WHOLE_FILTER leaves out of
# that run the long cases that only repeat what their own process showed. COST makes a fresh tree's first CTest run
# start the target's cases early, so that a long one does not run alone at the end.
function(im_test target)
  cmake_parse_arguments(A "" "LABEL;WHOLE_FILTER;COST" "SOURCES;DEPS" ${ARGN})
  if(NOT A_SOURCES)
    file(GLOB A_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  im_test_wanted(${A_LABEL} wanted)
  if(wanted)
    add_executable(${target} ${A_SOURCES})
  else()
    add_executable(${target} EXCLUDE_FROM_ALL ${A_SOURCES})
  endif()
  target_link_libraries(${target} PRIVATE im_test_flags ${A_DEPS} im_test_main)
  im_test_pch(${target})
  if(NOT wanted)
    return()
  endif()
  set(properties LABELS ${A_LABEL})
  if(A_COST)
    list(APPEND properties COST ${A_COST})
  endif()
  gtest_discover_tests(${target}
    PROPERTIES ${properties}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60)
  set(whole_args --gtest_shuffle)
  if(A_WHOLE_FILTER)
    list(APPEND whole_args --gtest_filter=${A_WHOLE_FILTER})
  endif()
  add_test(NAME ${target}.whole COMMAND ${target} ${whole_args}
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${target}.whole PROPERTIES LABELS "${A_LABEL};whole")
endfunction()
