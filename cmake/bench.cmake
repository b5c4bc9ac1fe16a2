# Benchmarks: one program per bench/*_bench.cpp, built only on request and
# never part of the tests. `cmake --build <dir> --target bench` builds and
# runs them all, each with HOME and the XDG folders in a temporary folder.
file(GLOB SKYLOOM_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
set(SKYLOOM_BENCH_RUNS)
foreach(source IN LISTS SKYLOOM_BENCH_SOURCES)
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} EXCLUDE_FROM_ALL ${source})
  target_link_libraries(${name} PRIVATE skyloom_platform skyloom_core)
  list(APPEND SKYLOOM_BENCH_RUNS COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated $<TARGET_FILE:${name}>)
endforeach()
if(SKYLOOM_BENCH_SOURCES)
  add_custom_target(bench ${SKYLOOM_BENCH_RUNS} USES_TERMINAL VERBATIM)
  foreach(source IN LISTS SKYLOOM_BENCH_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    add_dependencies(bench ${name})
  endforeach()
endif()
