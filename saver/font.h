#pragma once

#include "scene/vecmath.h"

#include <cstddef>
#include <cstdint>

namespace skyloom {

// The saver's one bitmap font: a 16 x 16 grid of 16-pixel glyph cells in
// the program's image "JPG" 142, one display list per Windows-1252 code.
// Texts come in as UTF-8 and are drawn with the glyph of each character's
// Windows-1252 code ("?" for a character the font lacks). Every call needs
// the GL context current; before LoadFont (or after ReleaseFont, or when the
// image did not load) the drawing calls draw nothing.

inline constexpr int32_t kFontListCount = 256;
inline constexpr int32_t kFontCellPixels = 16;
// The longest text drawn, in glyphs; longer texts are cut.
inline constexpr size_t kMaxTextGlyphs = 999;

// Sets the advance, builds the glyph lists and uploads the font image.
void LoadFont(int32_t advance);
// Compiles the 256 glyph lists; the previous ones, if any, are deleted.
void BuildFontLists();
// Deletes the glyph lists and the font texture.
void ReleaseFont();

bool FontLoaded();
int32_t FontAdvance();
// Width in pixels: glyphs (not bytes) x advance.
int32_t TextWidth(const char* text);

// One line at (x, y) in window fractions (x from the left, y from the top),
// the glyphs centred vertically on y. Snapped texts sit on whole pixels;
// unsnapped ones are brightened between pixels and darkened on them so
// moving text keeps an even brightness.
void DrawText2D(double x, double y, const char* text, bool snap, const ColorRGBA& color);
void DrawTextCentered(double y, const char* text, bool snap, const ColorRGBA& color);
// As DrawTextCentered; a text at least as wide as the window is split at
// the first space from its middle on into two lines, the second one glyph
// height (and 5 %) lower.
void DrawTextCenteredWrapped(double y, const char* text, bool snap, const ColorRGBA& color);

}  // namespace skyloom
