#pragma once

#include "platform/offscreen/render_options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace skyloom {

// Renders options.frames frames of the flight offscreen through the GL
// window's own procedure on simulated time, one step of exactly 1/fps a
// frame, and writes every options.every-th frame as
// options.folder/frame_NNNNN.png (numbered by frame). Writes no setting and
// counts no start. Returns the exit code: 0, or 1 after a message on stderr
// when the folder, the context, the desktop picture or a file fails.
int RunRender(const RenderOptions& options);

// The file name of frame index (1-based): frame_00001.png; wider past 99999.
std::string RenderFrameName(int64_t index);

// Writes rows of RGBA bytes, top row first, as an 8-bit RGB PNG. rgb is a
// caller-owned scratch row, grown to width * 3 bytes. False when the file
// cannot be written.
bool WriteRgbaAsPng(const char* path, int32_t width, int32_t height, const std::vector<uint8_t>& rgba,
                    std::vector<uint8_t>& rgb);

}  // namespace skyloom
