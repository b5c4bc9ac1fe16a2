# The frame-cost benchmark is built with the tests so that its smoke check
# (a few frames, figures printed and written as JSON) runs with them; the
# real measurement is scripts/bench, never the test command.
function(skyloom_frame_cost_smoke)
  if(TARGET frame_cost_bench AND TARGET skyloom_test_support)
    add_dependencies(skyloom_test_support frame_cost_bench)
    add_test(NAME bench.frame_cost_smoke
             COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated ${CMAKE_SOURCE_DIR}/tests/bench/frame-cost-smoke
                     $<TARGET_FILE:frame_cost_bench>)
    set_tests_properties(bench.frame_cost_smoke PROPERTIES TIMEOUT 120)
  endif()
endfunction()
cmake_language(DEFER CALL skyloom_frame_cost_smoke)
