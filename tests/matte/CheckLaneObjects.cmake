# Fails when an object compiled for a wider instruction set defines a
# function other files could link to: a template or inline function it
# instantiates is a weak definition, and the linker may keep that copy (with
# its wider instructions) for every caller, also on a CPU without them. Such
# files may define data (their tables) and nothing else.
# Usage: cmake -DNM=<nm> -DOBJECTS=<object;...> -DPATTERN=<regex> -P CheckLaneObjects.cmake
#   Only the OBJECTS whose file name matches PATTERN are read.
cmake_minimum_required(VERSION 3.25)
foreach(var NM OBJECTS PATTERN)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "CheckLaneObjects: ${var} not set")
  endif()
endforeach()

set(problems "")
set(count 0)
foreach(object IN LISTS OBJECTS)
  get_filename_component(name "${object}" NAME)
  if(NOT name MATCHES "${PATTERN}")
    continue()
  endif()
  math(EXPR count "${count} + 1")
  execute_process(COMMAND ${NM} -C --defined-only --extern-only ${object}
                  OUTPUT_VARIABLE listing ERROR_VARIABLE error RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} ${object} failed (${result}): ${error}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # T/t text, W/w weak, i indirect functions: code.
    if(line MATCHES "^[0-9a-fA-F]* *[TWi] (.*)$")
      list(APPEND problems "${name} defines ${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()

if(count EQUAL 0)
  message(FATAL_ERROR "CheckLaneObjects: no object matches ${PATTERN}")
endif()
if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "functions defined by wider instruction-set objects:\n  ${text}")
endif()
message(STATUS "${count} objects checked: data only")
