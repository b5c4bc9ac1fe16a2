# The saver's window and input tests start the built program under their own
# Xvfb, so the test support library needs to know where it is, and the
# program must be built before the tests.
function(skyloom_platform_test_wiring)
  if(TARGET skyloom_test_support AND TARGET skyloom)
    add_dependencies(skyloom_test_support skyloom)
    target_compile_definitions(skyloom_test_support PRIVATE SKYLOOM_EXECUTABLE="$<TARGET_FILE:skyloom>")
  endif()
  if(TARGET exit_latency_bench AND TARGET skyloom_test_support)
    target_link_libraries(exit_latency_bench PRIVATE skyloom_test_support)
    add_dependencies(exit_latency_bench skyloom)
  endif()
endfunction()
# The test targets exist only once tests/ has been read.
cmake_language(DEFER CALL skyloom_platform_test_wiring)
