# Shared build settings and the two helpers every folder uses.

add_library(im_build_flags INTERFACE)
target_compile_options(im_build_flags INTERFACE -Wall -Wextra)
target_include_directories(im_build_flags INTERFACE ${PROJECT_SOURCE_DIR})
target_link_libraries(im_build_flags INTERFACE Boost::boost Threads::Threads)

# im_library(<target> [SOURCES ...] [DEPS ...])
# Without SOURCES, every .cpp below the calling folder is a source.
function(im_library target)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT A_SOURCES)
    file(GLOB_RECURSE A_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(A_SOURCES)
    add_library(${target} STATIC ${A_SOURCES})
    target_link_libraries(${target} PUBLIC im_build_flags ${A_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE im_build_flags ${A_DEPS})
  endif()
endfunction()

add_library(im_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp
                                ${PROJECT_SOURCE_DIR}/tests/support/fresh_process.cpp)
target_link_libraries(im_test_main PUBLIC im_build_flags im_platform GTest::gtest GTest::gmock)

# im_test(<target> LABEL <label> [SOURCES ...] [DEPS ...])
# Each test case runs in its own process; <target>.whole runs them all in one process in a shuffled order (the seed
# is printed), so that no test relies on a fresh process or on the order of the others.
function(im_test target)
  cmake_parse_arguments(A "" "LABEL" "SOURCES;DEPS" ${ARGN})
  if(NOT A_SOURCES)
    file(GLOB A_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_executable(${target} ${A_SOURCES})
  target_link_libraries(${target} PRIVATE im_build_flags ${A_DEPS} im_test_main)
  gtest_discover_tests(${target}
    PROPERTIES LABELS ${A_LABEL}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60)
  add_test(NAME ${target}.whole COMMAND ${target} --gtest_shuffle
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${target}.whole PROPERTIES LABELS "${A_LABEL};whole")
endfunction()
