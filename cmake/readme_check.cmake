# The README's commands, run as written by tests/readme/check-readme-commands.
# It builds, installs, packages and renders with this build folder, so it
# runs alone: no other test may run while the folder is rebuilt.
function(skyloom_readme_test)
  add_test(NAME readme.commands
           COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated
                   ${CMAKE_SOURCE_DIR}/tests/readme/check-readme-commands ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(readme.commands PROPERTIES TIMEOUT 900 RUN_SERIAL ON)
endfunction()
cmake_language(DEFER CALL skyloom_readme_test)
