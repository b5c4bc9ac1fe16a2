# The two companion programs, and the maker's addresses they share with the
# configuration dialog's Introduction page (cmake/site.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/site.cmake)

# Included as "skyloom_site.h" by every target that links skyloom_core.
target_include_directories(skyloom_core PUBLIC ${SKYLOOM_GENERATED_DIR})

if(NOT TARGET PkgConfig::GIO)
  pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0)
endif()

add_executable(skyloom-configure ${CMAKE_SOURCE_DIR}/launchers/skyloom-configure/main.cpp)

add_executable(skyloom-weblink ${CMAKE_SOURCE_DIR}/launchers/skyloom-weblink/main.cpp)
target_include_directories(skyloom-weblink PRIVATE ${SKYLOOM_GENERATED_DIR})
target_link_libraries(skyloom-weblink PRIVATE PkgConfig::GIO)

function(skyloom_launcher_test_wiring)
  if(TARGET tests_launchers)
    add_dependencies(tests_launchers skyloom-configure skyloom-weblink)
    target_compile_definitions(tests_launchers PRIVATE
      SKYLOOM_CONFIGURE_LAUNCHER="$<TARGET_FILE:skyloom-configure>"
      SKYLOOM_WEBLINK_LAUNCHER="$<TARGET_FILE:skyloom-weblink>")
  endif()
endfunction()
# The test targets exist only once tests/ has been read.
cmake_language(DEFER CALL skyloom_launcher_test_wiring)
