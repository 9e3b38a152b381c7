# The instruction sets the row kernels are built for: one row each, the
# name of its lane set (matte/lanes/<Name>.h, matte/Lanes<Name>.cpp) and
# the flags its files compile with. No -mfma and no -march: with
# contraction off nothing may fuse a multiply and an add. Which set runs is
# decided at run time (matte/SimdPath.cpp).
set(KESTROW_LANE_SETS Portable Avx2 Avx512)
set(KESTROW_LANE_FLAGS_Portable "")
set(KESTROW_LANE_FLAGS_Avx2 -mavx2)
set(KESTROW_LANE_FLAGS_Avx512 -mavx512f)

# MinGW's GCC does not align the stack for 32- and 64-byte spills, so its
# assembler turns aligned vector moves into unaligned ones there.
if(WIN32)
  foreach(set Avx2 Avx512)
    list(APPEND KESTROW_LANE_FLAGS_${set} -Wa,-muse-unaligned-vector-move)
  endforeach()
endif()

# Adds to `target` one source per lane set, `pattern` with @SET@ standing
# for the set's name, each compiled with that set's flags.
function(kestrow_lane_sources target pattern)
  foreach(set IN LISTS KESTROW_LANE_SETS)
    string(REPLACE "@SET@" "${set}" source "${pattern}")
    target_sources(${target} PRIVATE ${source})
    if(KESTROW_LANE_FLAGS_${set})
      set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES
        COMPILE_OPTIONS "${KESTROW_LANE_FLAGS_${set}}")
    endif()
  endforeach()
endfunction()
