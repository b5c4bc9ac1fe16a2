#pragma once

#include <cstddef>

namespace skyloom {

// The bytes of one image the program carries inside itself.
struct ResourceBytes {
    const unsigned char* data;
    size_t size;
};

// The image with this type name ("JPG", "tga", "bitmap") and id. Type names
// match without regard to case, as resource types do; {nullptr, 0} when the
// program carries no such image.
ResourceBytes FindResource(const char* type, int id);

// One entry of the table the build generates from config/images/
// (cmake/resources.cmake).
struct EmbeddedResource {
    const char* type;
    int id;
    const unsigned char* data;
    size_t size;
};
extern const EmbeddedResource kEmbeddedResources[];
extern const size_t kEmbeddedResourceCount;

}  // namespace skyloom
