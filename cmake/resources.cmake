# The program's images, embedded in the core (cmake/scripts/embedded_resources.cmake).
include(${CMAKE_SOURCE_DIR}/cmake/scripts/embedded_resources.cmake)
skyloom_embed_resources(skyloom_core ${CMAKE_SOURCE_DIR})
