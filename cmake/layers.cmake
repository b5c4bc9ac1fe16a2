# The include order between the program's layers (scripts/check-layers), run
# with the tests so a build that reaches up the stack fails them; and the
# check itself on a tree of known offences.
function(skyloom_layers_test)
  add_test(NAME build.layers COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers ${CMAKE_SOURCE_DIR})
  add_test(NAME build.layer_check
           COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run-isolated
                   ${CMAKE_SOURCE_DIR}/tests/build/check-layer-check ${CMAKE_SOURCE_DIR})
endfunction()
# add_test needs enable_testing(), which comes after this part.
cmake_language(DEFER CALL skyloom_layers_test)
