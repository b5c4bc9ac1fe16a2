# The images the program carries inside itself, looked up by type and id
# through FindResource (scene/resources.h). They are embedded as byte arrays
# in a generated source, so a built skyloom needs no image files at run time.
# The files are made by the generators in tools/ and committed.

# type|id|file, the type names as the loaders ask for them.
set(SKYLOOM_RESOURCES
  "JPG|142|config/images/font_142.jpg"
  "tga|188|config/images/flare_188.tga"
  "tga|189|config/images/flare_189.tga"
  "tga|190|config/images/flare_190.tga"
  "tga|193|config/images/flare_193.tga"
  "tga|192|config/images/flare_192.tga"
  "bitmap|145|config/images/banner_145.png"
)

set(SKYLOOM_RESOURCE_FILES)
foreach(entry IN LISTS SKYLOOM_RESOURCES)
  string(REPLACE "|" ";" fields "${entry}")
  list(GET fields 2 file)
  list(APPEND SKYLOOM_RESOURCE_FILES ${CMAKE_SOURCE_DIR}/${file})
endforeach()

set(SKYLOOM_EMBED_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/scripts/embed_resources.cmake)
set(SKYLOOM_EMBEDDED_SOURCE ${CMAKE_BINARY_DIR}/generated/embedded_resources.cpp)
# A CMake list cannot pass through a custom command's arguments intact.
string(REPLACE ";" "," SKYLOOM_RESOURCES_ARG "${SKYLOOM_RESOURCES}")
add_custom_command(
  OUTPUT ${SKYLOOM_EMBEDDED_SOURCE}
  COMMAND ${CMAKE_COMMAND}
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
          -DOUTPUT=${SKYLOOM_EMBEDDED_SOURCE}
          -DRESOURCES=${SKYLOOM_RESOURCES_ARG}
          -P ${SKYLOOM_EMBED_SCRIPT}
  DEPENDS ${SKYLOOM_RESOURCE_FILES} ${SKYLOOM_EMBED_SCRIPT}
  COMMENT "Embedding the program's images"
  VERBATIM)
target_sources(skyloom_core PRIVATE ${SKYLOOM_EMBEDDED_SOURCE})
