# Benchmarks: one program per bench/*_bench.cpp, with the shared helpers of
# bench/support. scripts/bench builds them in release mode and runs them;
# `cmake --build <dir> --target bench` runs them all as well, each with HOME
# and the XDG folders in a temporary folder. They are never part of the
# tests: with the tests they are only built, and a smoke check per program
# (a short run, its figures printed and written as JSON) shows each works.
file(GLOB SKYLOOM_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
file(GLOB SKYLOOM_BENCH_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/support/*.cpp)
if(SKYLOOM_BENCH_SOURCES)
  add_library(skyloom_bench_support STATIC EXCLUDE_FROM_ALL ${SKYLOOM_BENCH_SUPPORT_SOURCES})
  target_link_libraries(skyloom_bench_support PUBLIC skyloom_platform skyloom_core X11::Xtst)
  set(SKYLOOM_BENCH_RUNS)
  foreach(source IN LISTS SKYLOOM_BENCH_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} EXCLUDE_FROM_ALL ${source})
    target_link_libraries(${name} PRIVATE skyloom_bench_support)
    list(APPEND SKYLOOM_BENCH_RUNS COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated $<TARGET_FILE:${name}>)
  endforeach()
  add_custom_target(bench ${SKYLOOM_BENCH_RUNS} USES_TERMINAL VERBATIM)
  add_custom_target(bench_programs)
  foreach(source IN LISTS SKYLOOM_BENCH_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    add_dependencies(bench_programs ${name})
  endforeach()
  add_dependencies(bench bench_programs)
endif()

# The benchmarks that run the program under Xvfb use the tests' helpers for
# the server and the saver process; those exist once tests/ has been read.
function(skyloom_bench_wiring)
  if(NOT TARGET bench_programs)
    return()
  endif()
  target_link_libraries(skyloom_bench_support PUBLIC skyloom_test_support)
  add_dependencies(bench_programs skyloom)
  # Built with the tests, so that their smoke checks run with them.
  add_custom_target(bench_programs_with_tests ALL)
  add_dependencies(bench_programs_with_tests bench_programs)
  foreach(source IN LISTS SKYLOOM_BENCH_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    add_test(NAME bench.${name}_smoke
             COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated ${CMAKE_SOURCE_DIR}/tests/bench/bench-smoke
                     $<TARGET_FILE:${name}>)
    set_tests_properties(bench.${name}_smoke PROPERTIES TIMEOUT 180)
  endforeach()
endfunction()
cmake_language(DEFER CALL skyloom_bench_wiring)
