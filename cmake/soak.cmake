# The long-run check of the saver (bench/soak): built with everything else so
# that a shortened run of a few simulated minutes is one of the tests; the
# full simulated day is run by hand, as its header says.
add_executable(skyloom_soak ${CMAKE_SOURCE_DIR}/bench/soak/soak.cpp ${CMAKE_SOURCE_DIR}/bench/soak/soak_probes.cpp)
target_link_libraries(skyloom_soak PRIVATE skyloom_platform skyloom_core)
set_target_properties(skyloom_soak PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Short runs with small nebula textures, which would otherwise take most of
# the time. Under llvmpipe the resident memory grows by 100 MiB or more over
# the first simulated hours, by a different amount each run, and may move by
# tens of MiB later, so the default scene runs on softpipe, whose memory
# stays flat, and is held to a tight margin; the maximum scene is too slow there
# and runs on llvmpipe, where the margin only catches gross leaks.
function(skyloom_soak_test)
  add_test(NAME bench.soak_default
           COMMAND ${CMAKE_COMMAND} -E env GALLIUM_DRIVER=softpipe
                   ${CMAKE_SOURCE_DIR}/tests/support/run-isolated $<TARGET_FILE:skyloom_soak>
                   --scene default --minutes 4 --warmup-minutes 1 --rss-margin-mib 4
                   --fps 10 --size 64x36 --texture-cap 64)
  add_test(NAME bench.soak_maximum
           COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated $<TARGET_FILE:skyloom_soak>
                   --scene maximum --minutes 2 --warmup-minutes 1 --rss-margin-mib 64
                   --fps 10 --size 64x36 --texture-cap 64)
  set_tests_properties(bench.soak_default bench.soak_maximum PROPERTIES TIMEOUT 180)
endfunction()
cmake_language(DEFER CALL skyloom_soak_test)
