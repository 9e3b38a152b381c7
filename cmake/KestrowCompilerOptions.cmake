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

# A test program that loads the built plug-in through our host:
# kestrow_plugin_test(<target>) links the host with its test hooks and
# GoogleTest, tells the
# program where Kestrow and its PiPL side file are, builds the module with
# it (it is loaded at run time, never linked) and registers its tests.
function(kestrow_plugin_test target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/plugin)
  target_link_libraries(${target} PRIVATE kestrow_host_testing kestrow_hostapi GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    KESTROW_PLUGIN_FILE="$<TARGET_FILE:Kestrow>"
    KESTROW_PIPL_FILE="$<TARGET_FILE_DIR:Kestrow>/Kestrow.pipl")
  add_dependencies(${target} Kestrow)
  kestrow_target_warnings(${target})
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
endfunction()
