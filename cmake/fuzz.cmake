# libFuzzer targets: one program per fuzz/*.cpp, built only when configured
# with -DSKYLOOM_FUZZ=ON under clang, which is what scripts/fuzz does in its
# own build folder (the code then carries the sanitizers and the fuzzer's
# coverage instrumentation through CMAKE_CXX_FLAGS).
option(SKYLOOM_FUZZ "Build the libFuzzer targets of fuzz/ (clang only)" OFF)
if(SKYLOOM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SKYLOOM_FUZZ needs clang (libFuzzer); configure with CXX=clang++ or use scripts/fuzz")
  endif()

  # The fuzzers link the core, the hosts and main's command line as the
  # other build parts left them (generated sources, include folders,
  # libraries), but not the Qt dialog, which none of them reaches and which
  # would double the build.
  function(skyloom_fuzz_targets)
    set(code_sources)
    foreach(library skyloom_core skyloom_os skyloom_platform skyloom_main)
      get_target_property(sources ${library} SOURCES)
      list(APPEND code_sources ${sources})
    endforeach()
    add_library(skyloom_fuzz_code STATIC EXCLUDE_FROM_ALL ${code_sources})
    foreach(library skyloom_core skyloom_os skyloom_platform skyloom_main)
      target_include_directories(skyloom_fuzz_code PUBLIC $<TARGET_PROPERTY:${library},INCLUDE_DIRECTORIES>)
      target_compile_definitions(skyloom_fuzz_code PUBLIC $<TARGET_PROPERTY:${library},COMPILE_DEFINITIONS>)
      target_link_libraries(skyloom_fuzz_code PUBLIC
                            "$<FILTER:$<TARGET_PROPERTY:${library},LINK_LIBRARIES>,EXCLUDE,^skyloom_>")
    endforeach()

    file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
    add_custom_target(fuzzers)
    foreach(source IN LISTS fuzz_sources)
      get_filename_component(name ${source} NAME_WE)
      add_executable(fuzz_${name} EXCLUDE_FROM_ALL ${source})
      target_link_libraries(fuzz_${name} PRIVATE skyloom_fuzz_code)
      target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
      set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
      add_dependencies(fuzzers fuzz_${name})
    endforeach()
  endfunction()
  # After every build part has added its sources and libraries.
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL skyloom_fuzz_targets)
endif()
