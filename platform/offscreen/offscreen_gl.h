#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace skyloom {

// A desktop OpenGL compatibility context without any window or display
// connection (Mesa's surfaceless EGL platform), drawing into a framebuffer
// object of its own. Rendering tests and the offscreen renderer use it; it
// is current on the creating thread from Create until Destroy.
class OffscreenGlContext {
public:
    OffscreenGlContext();
    ~OffscreenGlContext();
    OffscreenGlContext(const OffscreenGlContext&) = delete;
    OffscreenGlContext& operator=(const OffscreenGlContext&) = delete;

    // Creates the context and a width x height colour and depth framebuffer,
    // makes both current and sets the viewport to cover them. Fails (and
    // leaves nothing behind) when EGL, the surfaceless platform, a desktop
    // GL context or framebuffer objects are unavailable, or for a size
    // outside 1..the context's renderbuffer limit. Fails when already created.
    bool Create(int width, int height);
    // Releases the framebuffer and the context; harmless when not created.
    void Destroy();
    bool IsCreated() const;

    int Width() const;
    int Height() const;

    // New framebuffer size with undefined contents; the viewport follows.
    // Fails for a size outside 1..the renderbuffer limit or when the context
    // is not current; the previous size then stays in force.
    bool Resize(int width, int height);

    // RGBA bytes of the framebuffer, rows from the top down, Width() * 4
    // bytes per row. False when the context is not created or not current.
    bool ReadPixels(std::vector<uint8_t>& rgba) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace skyloom
