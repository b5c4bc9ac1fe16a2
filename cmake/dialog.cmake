# The configuration dialog, in Qt 6 Widgets. Qt stays inside this library:
# the saver reaches it only through the Qt-free config/configure_sheet_entry.h
# and config/message_box.h.
find_package(Qt6 REQUIRED COMPONENTS Widgets Network Test)

file(GLOB SKYLOOM_DIALOG_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/config/dialog/*.cpp)
add_library(skyloom_dialog STATIC ${SKYLOOM_DIALOG_SOURCES})
# The autogen step needs none of the libraries the dialog links, and would
# otherwise close a dependency cycle with them.
set_target_properties(skyloom_dialog PROPERTIES AUTOMOC ON AUTOGEN_ORIGIN_DEPENDS OFF)
# Qt is private: the core's users link it but never compile against it.
target_link_libraries(skyloom_dialog PUBLIC skyloom_core skyloom_platform PRIVATE Qt6::Widgets Qt6::Network)

# The program icon, from the committed hicolor set.
set(SKYLOOM_ICON_DIR ${CMAKE_SOURCE_DIR}/packaging/icons/hicolor)
qt_add_resources(skyloom_dialog skyloom_dialog_icons
  PREFIX /skyloom/icons
  BASE ${SKYLOOM_ICON_DIR}
  FILES
    ${SKYLOOM_ICON_DIR}/16x16/apps/skyloom.png
    ${SKYLOOM_ICON_DIR}/32x32/apps/skyloom.png
    ${SKYLOOM_ICON_DIR}/48x48/apps/skyloom.png
    ${SKYLOOM_ICON_DIR}/128x128/apps/skyloom.png
    ${SKYLOOM_ICON_DIR}/256x256/apps/skyloom.png)

# The saver's configuration entry and its message boxes live here, so
# whatever links the core links the dialog too (static libraries: only what
# is called is pulled in).
target_link_libraries(skyloom_core INTERFACE skyloom_dialog)
set_property(TARGET skyloom_dialog PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
if(TARGET skyloom)
  target_link_libraries(skyloom PRIVATE skyloom_dialog)
endif()

# Tests: QtTest on Qt's offscreen platform, one ctest entry per test file,
# each in its own isolated HOME and XDG folders.
file(GLOB SKYLOOM_DIALOG_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/config/dialog/*_test.cpp)
if(SKYLOOM_DIALOG_TEST_SOURCES)
  # Stands in for `skyloom /c` in the tests that need a second process:
  # CommonStartup, then the configuration window.
  add_executable(skyloom_test_sheet_runner ${CMAKE_SOURCE_DIR}/tests/config/dialog/sheet_runner.cpp)
  target_link_libraries(skyloom_test_sheet_runner PRIVATE skyloom_dialog skyloom_platform skyloom_core)

  add_executable(tests_dialog ${SKYLOOM_DIALOG_TEST_SOURCES}
                 ${CMAKE_SOURCE_DIR}/tests/config/dialog/dialog_test_main.cpp
                 ${CMAKE_SOURCE_DIR}/tests/config/dialog/dialog_test_support.cpp)
  set_target_properties(tests_dialog PROPERTIES AUTOMOC ON)
  target_link_libraries(tests_dialog PRIVATE skyloom_dialog skyloom_platform skyloom_core
                        Qt6::Widgets Qt6::Network Qt6::Test)
  add_dependencies(tests_dialog skyloom_test_sheet_runner)
  target_compile_definitions(tests_dialog PRIVATE
    SKYLOOM_TEST_SHEET_RUNNER="$<TARGET_FILE:skyloom_test_sheet_runner>"
    SKYLOOM_TEST_DATA_DIR="${CMAKE_BINARY_DIR}/share/skyloom")

  function(skyloom_dialog_tests)
    foreach(source IN LISTS SKYLOOM_DIALOG_TEST_SOURCES)
      get_filename_component(name ${source} NAME_WE)
      add_test(NAME dialog.${name}
               COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated $<TARGET_FILE:tests_dialog> ${name})
      set_tests_properties(dialog.${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120)
    endforeach()
  endfunction()
  # add_test needs enable_testing(), which comes after this part.
  cmake_language(DEFER CALL skyloom_dialog_tests)
endif()
