#include "scene/render_size.h"

#include "settings/settings.h"

namespace skyloom {

bool fChildPreview = false;

namespace {
int32_t renderWidth = 0;
int32_t renderHeight = 0;
bool hardwareAccelerated = true;
int32_t maxTextureSize = 0;
}  // namespace

void SetRenderSize(int32_t width, int32_t height) {
    renderWidth = width;
    renderHeight = height;
}

int32_t GetRenderWidth() { return renderWidth; }

int32_t GetRenderHeight() { return renderHeight; }

double GetRenderAspect() {
    // A window not yet sized has no shape; a square keeps the camera sane.
    return renderHeight > 0 ? static_cast<double>(renderWidth) / renderHeight : 1.0;
}

bool HardwareAccelerated() { return hardwareAccelerated; }

void SetHardwareAccelerated(bool accelerated) { hardwareAccelerated = accelerated; }

int32_t MaxTextureSize() { return maxTextureSize; }

void SetMaxTextureSize(int32_t size) { maxTextureSize = size; }

bool TextureSizeFits(int32_t width, int32_t height) {
    if (width > maxTextureSize || height > maxTextureSize) {
        return false;
    }
    const int32_t cap = MaxTextureSizePixels.Get();
    return cap == 0 || (width <= cap && height <= cap);
}

int32_t FitTextureSize(int32_t size) {
    while (size > 0 && !TextureSizeFits(size, size)) {
        size /= 2;
    }
    return size;
}

}  // namespace skyloom
