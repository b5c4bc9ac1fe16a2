#include "platform/offscreen/offscreen_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace skyloom {

namespace {

// Framebuffer object entry points: the core (ARB) names where the context
// offers them, the EXT names otherwise. The two sets take the same
// arguments and the same token values.
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
};

template <typename Fn>
bool LoadEntry(Fn& fn, const char* name, const char* suffix) {
    const std::string full = std::string(name) + suffix;
    fn = reinterpret_cast<Fn>(eglGetProcAddress(full.c_str()));
    return fn != nullptr;
}

// Whole-word search in a space-separated extension list.
bool HasExtension(const char* list, const char* name) {
    if (list == nullptr) {
        return false;
    }
    const size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
        const bool startsWord = p == list || p[-1] == ' ';
        const bool endsWord = p[length] == ' ' || p[length] == '\0';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

bool LoadFramebufferApi(FramebufferApi& api) {
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* suffix;
    if (HasExtension(extensions, "GL_ARB_framebuffer_object")) {
        suffix = "";
    } else if (HasExtension(extensions, "GL_EXT_framebuffer_object")) {
        suffix = "EXT";
    } else {
        return false;
    }
    return LoadEntry(api.genFramebuffers, "glGenFramebuffers", suffix) &&
           LoadEntry(api.deleteFramebuffers, "glDeleteFramebuffers", suffix) &&
           LoadEntry(api.bindFramebuffer, "glBindFramebuffer", suffix) &&
           LoadEntry(api.genRenderbuffers, "glGenRenderbuffers", suffix) &&
           LoadEntry(api.deleteRenderbuffers, "glDeleteRenderbuffers", suffix) &&
           LoadEntry(api.bindRenderbuffer, "glBindRenderbuffer", suffix) &&
           LoadEntry(api.renderbufferStorage, "glRenderbufferStorage", suffix) &&
           LoadEntry(api.framebufferRenderbuffer, "glFramebufferRenderbuffer", suffix) &&
           LoadEntry(api.checkFramebufferStatus, "glCheckFramebufferStatus", suffix);
}

// eglTerminate would invalidate every context on the shared surfaceless
// display, so the display stays initialised while any context lives.
int liveContexts = 0;

EGLDisplay OpenSurfacelessDisplay() {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(clientExtensions, "EGL_EXT_platform_base") ||
        !HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        return EGL_NO_DISPLAY;
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (eglInitialize(display, &major, &minor) != EGL_TRUE) {
        return EGL_NO_DISPLAY;
    }
    return display;
}

// A compatibility-profile desktop GL context, so the fixed-function
// pipeline the saver draws with is available.
EGLContext CreateCompatibilityContext(EGLDisplay display) {
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context") || eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        return EGL_NO_CONTEXT;
    }
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (eglChooseConfig(display, configAttributes, &config, 1, &count) != EGL_TRUE || count < 1) {
            return EGL_NO_CONTEXT;
        }
    }
    // Without EGL_KHR_create_context the profile cannot be named; the
    // default desktop context is then a compatibility one anyway.
    const EGLint profileAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    const EGLint noAttributes[] = {EGL_NONE};
    const EGLint* attributes =
        HasExtension(extensions, "EGL_KHR_create_context") ? profileAttributes : noAttributes;
    return eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
}

}  // namespace

struct OffscreenGlContext::State {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    FramebufferApi api;
    GLuint framebuffer = 0;
    GLuint colorBuffer = 0;
    GLuint depthBuffer = 0;
    GLint maxSize = 0;
    int width = 0;
    int height = 0;

    bool IsCurrent() const { return eglGetCurrentContext() == context; }

    bool SizeAllowed(int w, int h) const { return w >= 1 && h >= 1 && w <= maxSize && h <= maxSize; }

    // Storage for both renderbuffers at the given size; true when the
    // framebuffer is complete with it.
    bool AllocateStorage(int w, int h) {
        // Errors left by earlier drawing must not read as a failed allocation.
        while (glGetError() != GL_NO_ERROR) {
        }
        api.bindRenderbuffer(GL_RENDERBUFFER, colorBuffer);
        api.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        api.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
        api.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        api.bindRenderbuffer(GL_RENDERBUFFER, 0);
        if (glGetError() != GL_NO_ERROR ||
            api.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            return false;
        }
        width = w;
        height = h;
        glViewport(0, 0, w, h);
        return true;
    }

    bool CreateFramebuffer(int w, int h) {
        if (!LoadFramebufferApi(api)) {
            return false;
        }
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
        api.genFramebuffers(1, &framebuffer);
        api.genRenderbuffers(1, &colorBuffer);
        api.genRenderbuffers(1, &depthBuffer);
        // A generated name becomes an object only when first bound, and
        // only objects can be attached.
        api.bindRenderbuffer(GL_RENDERBUFFER, colorBuffer);
        api.bindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
        api.bindRenderbuffer(GL_RENDERBUFFER, 0);
        api.bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer);
        api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
        return SizeAllowed(w, h) && AllocateStorage(w, h);
    }

    void Release() {
        if (context != EGL_NO_CONTEXT && IsCurrent() && api.deleteFramebuffers != nullptr) {
            api.bindFramebuffer(GL_FRAMEBUFFER, 0);
            api.deleteFramebuffers(1, &framebuffer);
            api.deleteRenderbuffers(1, &colorBuffer);
            api.deleteRenderbuffers(1, &depthBuffer);
        }
        if (context != EGL_NO_CONTEXT) {
            if (IsCurrent()) {
                eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            }
            eglDestroyContext(display, context);
        }
        if (display != EGL_NO_DISPLAY && --liveContexts == 0) {
            eglTerminate(display);
        }
    }
};

OffscreenGlContext::OffscreenGlContext() = default;

OffscreenGlContext::~OffscreenGlContext() { Destroy(); }

bool OffscreenGlContext::Create(int width, int height) {
    if (state_ != nullptr || width < 1 || height < 1) {
        return false;
    }
    auto state = std::make_unique<State>();
    state->display = OpenSurfacelessDisplay();
    if (state->display == EGL_NO_DISPLAY) {
        return false;
    }
    ++liveContexts;
    state->context = CreateCompatibilityContext(state->display);
    if (state->context == EGL_NO_CONTEXT ||
        eglMakeCurrent(state->display, EGL_NO_SURFACE, EGL_NO_SURFACE, state->context) != EGL_TRUE ||
        !state->CreateFramebuffer(width, height)) {
        state->Release();
        return false;
    }
    state_ = std::move(state);
    return true;
}

void OffscreenGlContext::Destroy() {
    if (state_ != nullptr) {
        state_->Release();
        state_.reset();
    }
}

bool OffscreenGlContext::IsCreated() const { return state_ != nullptr; }

int OffscreenGlContext::Width() const { return state_ != nullptr ? state_->width : 0; }

int OffscreenGlContext::Height() const { return state_ != nullptr ? state_->height : 0; }

bool OffscreenGlContext::Resize(int width, int height) {
    if (state_ == nullptr || !state_->IsCurrent() || !state_->SizeAllowed(width, height)) {
        return false;
    }
    if (state_->AllocateStorage(width, height)) {
        return true;
    }
    // Put back the old storage so the framebuffer stays usable.
    state_->AllocateStorage(state_->width, state_->height);
    return false;
}

bool OffscreenGlContext::ReadPixels(std::vector<uint8_t>& rgba) const {
    if (state_ == nullptr || !state_->IsCurrent()) {
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(state_->width) * 4;
    const size_t rows = static_cast<size_t>(state_->height);
    rgba.resize(rowBytes * rows);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, state_->width, state_->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // GL returns the bottom row first.
    for (size_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(rgba.begin() + static_cast<std::ptrdiff_t>(top * rowBytes),
                         rgba.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowBytes),
                         rgba.begin() + static_cast<std::ptrdiff_t>(bottom * rowBytes));
    }
    return true;
}

}  // namespace skyloom
