# libFuzzer targets: one program per fuzz/*.cpp, built only when configured
# with -DSKYLOOM_FUZZ=ON under clang, which is what scripts/fuzz does in its
# own build folder (the libraries then carry the sanitizers and the
# fuzzer's coverage instrumentation through CMAKE_CXX_FLAGS).
option(SKYLOOM_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)
if(SKYLOOM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SKYLOOM_FUZZ needs clang (libFuzzer); configure with CXX=clang++ or use scripts/fuzz")
  endif()
  file(GLOB SKYLOOM_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
  add_custom_target(fuzzers)
  foreach(source IN LISTS SKYLOOM_FUZZ_SOURCES)
    get_filename_component(name ${source} NAME_WE)
    add_executable(fuzz_${name} EXCLUDE_FROM_ALL ${source})
    target_link_libraries(fuzz_${name} PRIVATE skyloom_platform skyloom_core)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_dependencies(fuzzers fuzz_${name})
  endforeach()
endif()
