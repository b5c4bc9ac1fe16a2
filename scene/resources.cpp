#include "scene/resources.h"

namespace skyloom {

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTypeName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) {
            return false;
        }
    }
    return *a == *b;
}

}  // namespace

ResourceBytes FindResource(const char* type, int id) {
    if (type == nullptr) {
        return {nullptr, 0};
    }
    for (size_t i = 0; i < kEmbeddedResourceCount; ++i) {
        const EmbeddedResource& entry = kEmbeddedResources[i];
        if (entry.id == id && SameTypeName(entry.type, type)) {
            return {entry.data, entry.size};
        }
    }
    return {nullptr, 0};
}

}  // namespace skyloom
