#include "saver/font.h"

#include "config/windows1252.h"
#include "scene/render_size.h"
#include "scene/resource_textures.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace skyloom {

namespace {

constexpr uint16_t kFontImageId = 142;
constexpr int kGridCells = 16;

int32_t fontAdvance = 0;
GLuint listBase = 0;
int32_t fontTexture = -1;

// Glyph codes of the texts being drawn. The font is used on the
// message-loop thread only, so fixed buffers serve every call.
char lineGlyphs[kMaxTextGlyphs + 1];

// The Windows-1252 codes of a UTF-8 text into out (kMaxTextGlyphs + 1
// bytes); returns how many.
size_t ToGlyphs(const char* text, char* out) {
    if (text == nullptr) {
        out[0] = '\0';
        return 0;
    }
    Utf8ToWindows1252(text, out, kMaxTextGlyphs + 1);
    // Every character becomes one non-zero code, so the length is the count.
    return std::strlen(out);
}

int32_t GlyphsWidth(size_t count) { return static_cast<int32_t>(count) * fontAdvance; }

void DrawGlyphs(double x, double y, const char* glyphs, size_t count, bool snap, const ColorRGBA& color) {
    if (fontTexture < 0 || count == 0) {
        return;
    }
    const double width = GetRenderWidth();
    const double height = GetRenderHeight();
    // The glyph's ink is the middle of its 16-pixel cell, so the cell starts
    // half the difference to the advance left of the point.
    double px = (fontAdvance - kFontCellPixels) * 0.5 + width * x;
    double py = height * (1.0 - y);
    double brightness = 1.0;
    if (snap) {
        px = RoundToInt(px);
        py = RoundToInt(py);
    } else {
        // Linear filtering spreads text between pixels over two of them and
        // makes it look dimmer; this evens the two cases out.
        const double offPixel = std::fabs(RoundToInt(py) - py) + std::fabs(RoundToInt(px) - px);
        brightness = offPixel * 0.375 + 0.75;
    }
    glColor4d(color.r * brightness, color.g * brightness, color.b * brightness, color.a);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(fontTexture));

    // The glyph lists translate the current matrix: all of it happens on
    // the projection, so the caller's model-view stays as it was.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glTranslated(px, py - kFontCellPixels / 2, 0.0);
    glListBase(listBase);
    glCallLists(static_cast<GLsizei>(count), GL_UNSIGNED_BYTE, glyphs);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}

void DrawGlyphsCentered(double y, const char* glyphs, size_t count, bool snap, const ColorRGBA& color) {
    const double x = 0.5 - (static_cast<double>(GlyphsWidth(count)) / GetRenderWidth()) * 0.5;
    DrawGlyphs(x, y, glyphs, count, snap, color);
}

}  // namespace

void LoadFont(int32_t advance) {
    ReleaseFont();
    fontAdvance = advance;
    BuildFontLists();
    if (listBase == 0) {
        std::fprintf(stderr, "Skyloom: no display lists for the font; texts are not shown.\n");
        return;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (!LoadJpegTexture(kFontImageId)) {
        // An empty texture would draw every glyph as a white box.
        glDeleteTextures(1, &texture);
        std::fprintf(stderr, "Skyloom: the font image did not load; texts are not shown.\n");
        return;
    }
    fontTexture = static_cast<int32_t>(texture);
}

void BuildFontLists() {
    if (listBase != 0) {
        glDeleteLists(listBase, kFontListCount);
    }
    listBase = glGenLists(kFontListCount);
    if (listBase == 0) {
        return;
    }
    constexpr double kCell = 1.0 / kGridCells;
    for (int k = 0; k < kFontListCount; ++k) {
        // The image is uploaded bottom row first: its top row is at v = 1.
        const double u = (k % kGridCells) * kCell;
        const double v = 1.0 - (k / kGridCells) * kCell;
        glNewList(listBase + static_cast<GLuint>(k), GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2d(u, v - kCell);
        glVertex2i(0, 0);
        glTexCoord2d(u + kCell, v - kCell);
        glVertex2i(kFontCellPixels, 0);
        glTexCoord2d(u + kCell, v);
        glVertex2i(kFontCellPixels, kFontCellPixels);
        glTexCoord2d(u, v);
        glVertex2i(0, kFontCellPixels);
        glEnd();
        glTranslated(fontAdvance, 0.0, 0.0);
        glEndList();
    }
}

void ReleaseFont() {
    if (listBase != 0) {
        glDeleteLists(listBase, kFontListCount);
        listBase = 0;
    }
    if (fontTexture >= 0) {
        const GLuint texture = static_cast<GLuint>(fontTexture);
        glDeleteTextures(1, &texture);
        fontTexture = -1;
    }
}

bool FontLoaded() { return fontTexture >= 0; }

int32_t FontAdvance() { return fontAdvance; }

int32_t TextWidth(const char* text) {
    char glyphs[kMaxTextGlyphs + 1];
    return GlyphsWidth(ToGlyphs(text, glyphs));
}

void DrawText2D(double x, double y, const char* text, bool snap, const ColorRGBA& color) {
    const size_t count = ToGlyphs(text, lineGlyphs);
    DrawGlyphs(x, y, lineGlyphs, count, snap, color);
}

void DrawTextCentered(double y, const char* text, bool snap, const ColorRGBA& color) {
    const size_t count = ToGlyphs(text, lineGlyphs);
    DrawGlyphsCentered(y, lineGlyphs, count, snap, color);
}

void DrawTextCenteredWrapped(double y, const char* text, bool snap, const ColorRGBA& color) {
    const size_t count = ToGlyphs(text, lineGlyphs);
    if (GlyphsWidth(count) < GetRenderWidth()) {
        DrawGlyphsCentered(y, lineGlyphs, count, snap, color);
        return;
    }
    // Split at the first space from the middle on; the second line keeps
    // that space. Without one the text stays whole on the first line.
    size_t split = count / 2;
    while (split < count && lineGlyphs[split] != ' ') {
        ++split;
    }
    DrawGlyphsCentered(y, lineGlyphs, split, snap, color);
    DrawGlyphsCentered(y + (static_cast<double>(kFontCellPixels) / GetRenderHeight()) * 1.05, lineGlyphs + split,
                       count - split, snap, color);
}

}  // namespace skyloom
