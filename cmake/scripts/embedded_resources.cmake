# The images the program carries inside itself, looked up by type and id
# through FindResource (scene/resources.h). They are embedded as byte arrays
# in a generated source, so a built program needs no image files at run
# time. The files are made by the generators in tools/ and committed.

# Adds the generated source to target; root is the source tree.
function(skyloom_embed_resources target root)
  # type|id|file, the type names as the loaders ask for them.
  set(resources
    "JPG|142|config/images/font_142.jpg"
    "tga|188|config/images/flare_188.tga"
    "tga|189|config/images/flare_189.tga"
    "tga|190|config/images/flare_190.tga"
    "tga|193|config/images/flare_193.tga"
    "tga|192|config/images/flare_192.tga"
    "bitmap|145|config/images/banner_145.png"
  )
  set(files)
  foreach(entry IN LISTS resources)
    string(REPLACE "|" ";" fields "${entry}")
    list(GET fields 2 file)
    list(APPEND files ${root}/${file})
  endforeach()

  set(script ${root}/cmake/scripts/embed_resources.cmake)
  set(output ${CMAKE_BINARY_DIR}/generated/embedded_resources.cpp)
  # A CMake list cannot pass through a custom command's arguments intact.
  string(REPLACE ";" "," resources_arg "${resources}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -DOUTPUT=${output} -DRESOURCES=${resources_arg} -P ${script}
    DEPENDS ${files} ${script}
    COMMENT "Embedding the program's images"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
