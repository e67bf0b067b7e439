# Shared build settings and the helpers the folders use.

add_library(im_build_flags INTERFACE)
target_compile_options(im_build_flags INTERFACE -Wall -Wextra)
target_include_directories(im_build_flags INTERFACE ${PROJECT_SOURCE_DIR})

# MAZE_SANITIZE=address,undefined or MAZE_SANITIZE=thread builds every target with those sanitizers; a finding
# stops the program instead of being printed and passed over.
set(MAZE_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined or thread)")
if(MAZE_SANITIZE)
  target_compile_options(im_build_flags INTERFACE -fsanitize=${MAZE_SANITIZE} -fno-sanitize-recover=all
                                                  -fno-omit-frame-pointer)
  target_link_options(im_build_flags INTERFACE -fsanitize=${MAZE_SANITIZE})
endif()
target_link_libraries(im_build_flags INTERFACE Boost::boost Threads::Threads)

# The outside headers that the engine's signals bring into most of the engine's and the application's files,
# compiled once for all of them.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/engine_headers.cpp CONTENT "")
add_library(im_engine_headers OBJECT ${PROJECT_BINARY_DIR}/engine_headers.cpp)
target_link_libraries(im_engine_headers PUBLIC im_build_flags im_platform)
target_precompile_headers(im_engine_headers PRIVATE <boost/signals2/signal.hpp> <boost/signals2/trackable.hpp>
                          <boost/bind/bind.hpp> <boost/function.hpp> <algorithm> <map> <memory> <string> <vector>)

# im_library(<target> [ENGINE_HEADERS] [SOURCES ...] [DEPS ...])
# Without SOURCES, every .cpp below the calling folder is a source. ENGINE_HEADERS: the files include the engine's
# signals (the target must link the platform layer, as they do).
function(im_library target)
  cmake_parse_arguments(A "ENGINE_HEADERS" "" "SOURCES;DEPS" ${ARGN})
  if(NOT A_SOURCES)
    file(GLOB_RECURSE A_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(A_SOURCES)
    add_library(${target} STATIC ${A_SOURCES})
    target_link_libraries(${target} PUBLIC im_build_flags ${A_DEPS})
    if(A_ENGINE_HEADERS)
      target_precompile_headers(${target} REUSE_FROM im_engine_headers)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE im_build_flags ${A_DEPS})
  endif()
endfunction()
