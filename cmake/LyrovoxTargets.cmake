# Shared compile settings for the project's own targets.

function(lyrovox_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wnull-dereference
    -Werror)
endfunction()

# lyrovox_library(name SOURCES ... [DEPS ...]) : a subsystem library with warnings as errors.
function(lyrovox_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  lyrovox_warnings(${name})
endfunction()

# lyrovox_executable(name SOURCES ... [DEPS ...])
function(lyrovox_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  lyrovox_warnings(${name})
endfunction()
