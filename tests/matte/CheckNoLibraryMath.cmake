# Fails when the plug-in's own code calls a C library function whose results
# differ between C libraries and their versions: sine, cosine, arc tangent,
# power and their relatives, in any precision, including glibc's internal
# and _finite entry points. The matte computes these itself, correctly
# rounded, so that every platform renders the same bits. The square root,
# the floating remainder and the like are exact everywhere and allowed.
# Usage: cmake -DNM=<nm> -DOBJECTS=<object;...> [-DMODULE=<shared library>]
#              -P CheckNoLibraryMath.cmake
#   OBJECTS are read with nm --undefined-only, MODULE (its dynamic imports)
#   with nm -D --undefined-only.
cmake_minimum_required(VERSION 3.25)
foreach(var NM OBJECTS)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "CheckNoLibraryMath: ${var} not set")
  endif()
endforeach()

set(functions
  sin cos tan sincos asin acos atan atan2 sinh cosh tanh asinh acosh atanh
  pow exp exp2 expm1 log log2 log10 log1p cbrt hypot)
list(JOIN functions "|" alternatives)
# sinf, __sin_finite, __sincosf, sin@GLIBC_2.2.5, __imp_atan2 (a DLL import)
set(forbidden "^(__imp_)?_*(${alternatives})[fl]?(_finite)?(@.*)?$")

set(problems "")
# Appends to `problems` each forbidden function that `file` leaves
# undefined; `options` are nm's (-D for a shared library's imports).
function(check_undefined file options)
  execute_process(COMMAND ${NM} ${options} --undefined-only ${file}
                  OUTPUT_VARIABLE listing ERROR_VARIABLE error RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} ${options} --undefined-only ${file} failed (${result}): ${error}")
  endif()
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*[Uw][ \t]+([^ \t]+)$")
      set(name "${CMAKE_MATCH_1}")
      if(name MATCHES "${forbidden}")
        list(APPEND problems "${file} calls ${name}")
      endif()
    endif()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()

foreach(object IN LISTS OBJECTS)
  check_undefined("${object}" "")
endforeach()
set(files ${OBJECTS})
if(DEFINED MODULE)
  check_undefined("${MODULE}" -D)
  list(APPEND files "${MODULE}")
endif()

if(problems)
  string(REPLACE ";" "\n  " text "${problems}")
  message(FATAL_ERROR "C library mathematics called by the plug-in:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "${count} files checked: none calls the C library's ${alternatives}")
