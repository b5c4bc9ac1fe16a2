#include "objects/desktop_fade.h"

#include <GL/gl.h>

#include <cstdlib>
#include <utility>

#include "scene/frame_clock.h"
#include "scene/render_size.h"
#include "scene/unpack_alignment.h"
#include "scene/vecmath.h"
#include "settings/settings.h"

namespace skyloom {

namespace {

constexpr uint32_t kNoTexture = 0xFFFFFFFFu;
constexpr int32_t kLargestPowerOfTwo = 1 << 30;
constexpr double kFadePerSecond = 0.1;
// The first frames include the scene set-up; the picture holds still.
constexpr uint32_t kStillFrames = 3;

DesktopPicture kept;

uint32_t desktopTexture = kNoTexture;
int32_t textureWidth = 0;
int32_t textureHeight = 0;

void DeleteDesktopTexture() {
    if (desktopTexture != kNoTexture) {
        const GLuint name = desktopTexture;
        glDeleteTextures(1, &name);
        desktopTexture = kNoTexture;
    }
}

}  // namespace

int32_t DesktopRowStride(int32_t width) { return (width * 3 + 3) / 4 * 4; }

void StoreDesktopPicture(DesktopPicture picture) { kept = std::move(picture); }

bool HasDesktopPicture() { return kept.width > 0 && kept.height > 0; }

DesktopPicture TakeDesktopPicture() {
    DesktopPicture picture = std::move(kept);
    kept = DesktopPicture{};
    return picture;
}

void DiscardDesktopPicture() { kept = DesktopPicture{}; }

int32_t NextPowerOfTwo(int32_t n) {
    int32_t p = 1;
    while (p < n && p < kLargestPowerOfTwo) {
        p *= 2;
    }
    return p;
}

bool DesktopFitsTexture() {
    return TextureSizeFits(NextPowerOfTwo(GetRenderWidth()), NextPowerOfTwo(GetRenderHeight()));
}

bool DesktopFadeRequested() { return !fChildPreview && FadeFromDesktop.Get() == 1 && LowDetail.Get() == 0; }

bool CaptureDesktop() {
    const int32_t w = GetRenderWidth();
    const int32_t h = GetRenderHeight();
    DesktopPicture picture = TakeDesktopPicture();
    if (w <= 0 || h <= 0 || picture.width <= 0 || picture.height <= 0) {
        return false;
    }
    const int32_t texW = NextPowerOfTwo(w);
    const int32_t texH = NextPowerOfTwo(h);
    // The texels beyond the window are never seen; zeroed they are black.
    auto* texels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(texW) * texH, 3));
    if (texels == nullptr) {
        return false;
    }
    // The picture's top-left corner is the window's; both store the bottom
    // row first.
    const int32_t rowOffset = picture.height - h;
    const int32_t columns = picture.width < w ? picture.width : w;
    for (int32_t r = 0; r < h; ++r) {
        const int32_t source = r + rowOffset;
        if (source < 0 || source >= picture.height) {
            continue;
        }
        const uint8_t* in = picture.bgr.data() + static_cast<size_t>(source) * picture.rowStride;
        uint8_t* out = texels + static_cast<size_t>(r) * texW * 3;
        for (int32_t k = 0; k < columns; ++k) {
            out[k * 3 + 0] = in[k * 3 + 2];
            out[k * 3 + 1] = in[k * 3 + 1];
            out[k * 3 + 2] = in[k * 3 + 0];
        }
    }
    // A full-screen picture is tens of megabytes: gone before the upload.
    picture = DesktopPicture{};

    DeleteDesktopTexture();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    {
        // Rows of a texture narrower than 4 texels are not 4-byte aligned.
        const UnpackAlignment alignment(1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, texW, texH, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    }
    std::free(texels);
    desktopTexture = name;
    textureWidth = texW;
    textureHeight = texH;
    return true;
}

uint32_t DesktopTexture() { return desktopTexture; }

int32_t DesktopTextureWidth() { return textureWidth; }

int32_t DesktopTextureHeight() { return textureHeight; }

DesktopFade::DesktopFade() {
    const bool captured = CaptureDesktop();
    sprite_ = new OverlaySprite();
    sprite_->SetName("DesktopFade");
    if (!captured) {
        // Nothing to show: finished in the first update pass.
        alpha_ = 0.0;
        sprite_->color.a = 0.0;
        return;
    }
    const double w = GetRenderWidth();
    const double h = GetRenderHeight();
    // The window-sized part of the texture lies in its bottom-left corner:
    // the rectangle starts at the window's bottom-left and overhangs to the
    // right and the top, one texel per pixel.
    sprite_->size = textureWidth / w;
    sprite_->position.Set(textureWidth / (2.0 * w), 1.0 - textureHeight / (2.0 * h), 0.0);
    sprite_->imageWidth = textureWidth;
    sprite_->imageHeight = textureHeight;
    sprite_->texture = desktopTexture;
    alpha_ = 1.0;
    minAlpha_ = 1.0 - FactorDeskFade.Factor();
}

void DesktopFade::Update() {
    if (FrameCount() > kStillFrames) {
        alpha_ -= FrameSeconds() * kFadePerSecond;
        if (alpha_ < minAlpha_) {
            alpha_ = minAlpha_;
        }
    }
    sprite_->color = ColorRGBA(1.0, 1.0, 1.0, alpha_);
}

bool DesktopFade::IsFinished() {
    if (alpha_ > 0.0) {
        return false;
    }
    sprite_->finished = true;
    DeleteDesktopTexture();
    return true;
}

void SetupDesktopFade() {
    if (DesktopFadeRequested() && DesktopFitsTexture() && HardwareAccelerated() && GetRenderWidth() > 0 &&
        GetRenderHeight() > 0 && HasDesktopPicture()) {
        new DesktopFade();
    }
    DiscardDesktopPicture();
}

void ReleaseDesktopTexture() { DeleteDesktopTexture(); }

}  // namespace skyloom
