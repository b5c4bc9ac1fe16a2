#pragma once

#include <GL/gl.h>

namespace skyloom {

// Sets GL_UNPACK_ALIGNMENT for one upload and puts the caller's value back.
class UnpackAlignment {
public:
    explicit UnpackAlignment(GLint alignment) {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    ~UnpackAlignment() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved_); }
    UnpackAlignment(const UnpackAlignment&) = delete;
    UnpackAlignment& operator=(const UnpackAlignment&) = delete;

private:
    GLint saved_ = 4;
};

}  // namespace skyloom
