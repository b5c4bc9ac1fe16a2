#pragma once

#include <cstdint>

namespace skyloom {

// Set while running as a preview inside another program's window.
extern bool fChildPreview;

// Size of the GL window's drawing area, set by the saver window and the GL
// window, read by every part that places things on screen.
void SetRenderSize(int32_t width, int32_t height);
int32_t GetRenderWidth();
int32_t GetRenderHeight();
double GetRenderAspect();

// Cleared when the GL context is a software rasteriser.
bool HardwareAccelerated();
void SetHardwareAccelerated(bool accelerated);

// GL_MAX_TEXTURE_SIZE of the context.
int32_t MaxTextureSize();
void SetMaxTextureSize(int32_t size);

// Both edges within MaxTextureSize and, when the MaxTextureSizePixels
// setting is not 0, within that too.
bool TextureSizeFits(int32_t width, int32_t height);
// size, halved until it fits; 0 when nothing fits.
int32_t FitTextureSize(int32_t size);

}  // namespace skyloom
