#pragma once

#include <cstdint>
#include <vector>

#include "scene/scene_node.h"
#include "scene/sprites.h"

namespace skyloom {

// The desktop the saver opens on, as the host took it before the saver
// covered the screen: 24-bit rows of blue, green, red, the bottom row
// first, each row padded to a multiple of 4 bytes (the layout of a
// device-independent bitmap).
struct DesktopPicture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowStride = 0;
    std::vector<uint8_t> bgr;
};

// width * 3 rounded up to a multiple of 4.
int32_t DesktopRowStride(int32_t width);

// The picture kept for the fade until the scene is set up. Store replaces
// it; Take hands it over (empty when none) and keeps nothing.
void StoreDesktopPicture(DesktopPicture picture);
bool HasDesktopPicture();
DesktopPicture TakeDesktopPicture();
void DiscardDesktopPicture();

// The smallest power of two not below n; 1 for any n up to 1. Values above
// 2^30 give 2^30, which no texture size limit admits anyway.
int32_t NextPowerOfTwo(int32_t n);

// Whether a power-of-two texture the size of the render window fits the
// GL limit and MaxTextureSizePixels.
bool DesktopFitsTexture();

// What the settings and the mode say about the desktop fade: not in the
// preview, FadeFromDesktop on, LowDetail off. The saver tells its host
// whether to spend time taking the desktop picture by this.
bool DesktopFadeRequested();

// Turns the kept desktop picture into DesktopTexture:
// RGB texels, NextPowerOfTwo of the render width by NextPowerOfTwo of its
// height, row 0 at the bottom, the picture's window-sized area in the
// bottom-left corner. The picture is freed once uploaded. False, with no
// texture, when there is no picture or no window size. Needs a current GL
// context.
bool CaptureDesktop();
// 0xFFFFFFFF when there is none.
uint32_t DesktopTexture();
int32_t DesktopTextureWidth();
int32_t DesktopTextureHeight();

// The desktop as the saver found it, laid over the scene one texel per
// pixel and faded out from the fourth frame at 0.1 a second down to
// 1 - FactorDeskFade. Once fully faded it deletes itself and the texture.
class DesktopFade : public SceneNode {
public:
    DesktopFade();

    void Update() override;
    bool IsFinished() override;

    const OverlaySprite& Sprite() const { return *sprite_; }
    double Alpha() const { return alpha_; }
    double MinAlpha() const { return minAlpha_; }

private:
    OverlaySprite* sprite_;
    double alpha_ = 1.0;
    double minAlpha_ = 0.0;
};

// Scene set-up, after the other scene objects: creates the desktop fade when
// it is requested, the render is hardware accelerated, the texture fits and
// a desktop picture was taken. Any picture still kept is freed either way.
void SetupDesktopFade();
// Teardown, with the context still current: deletes the texture of a fade
// that stopped part way (FactorDeskFade below 1).
void ReleaseDesktopTexture();

}  // namespace skyloom
