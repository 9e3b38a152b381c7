# Compiler settings shared by every target.

# The matte results are specified to the last bit of a float. A fused
# multiply-add or any fast-math reassociation changes them, so contraction
# is off and fast-math is never enabled, for all code alike.
add_compile_options(-ffp-contract=off -fno-fast-math)

# Per-target warnings: kestrow_target_warnings(<target>)
function(kestrow_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(KESTROW_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Adds a subdirectory only once it has been written.
macro(kestrow_optional_subdirectory dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endmacro()
