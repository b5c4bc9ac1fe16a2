# The external music player: GIO finds and starts the application the
# desktop associates with the music file.
if(NOT TARGET PkgConfig::GIO)
  pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0)
endif()
target_link_libraries(skyloom_os PRIVATE PkgConfig::GIO)

# A stand-in player for the tests: a window that names its process in
# _NET_WM_PID and closes on WM_DELETE_WINDOW.
add_executable(skyloom_test_window_player ${CMAKE_SOURCE_DIR}/tests/platform/window_player.cpp)
target_link_libraries(skyloom_test_window_player PRIVATE X11::X11)

function(skyloom_music_test_wiring)
  if(TARGET skyloom_test_support)
    add_dependencies(skyloom_test_support skyloom_test_window_player)
    target_compile_definitions(skyloom_test_support PRIVATE
      SKYLOOM_TEST_WINDOW_PLAYER="$<TARGET_FILE:skyloom_test_window_player>")
  endif()
endfunction()
# The test targets exist only once tests/ has been read.
cmake_language(DEFER CALL skyloom_music_test_wiring)
