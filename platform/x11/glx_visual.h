#pragma once

#include <string_view>
#include <vector>

namespace skyloom {

// What GLX says about one visual of the screen.
struct GlVisualCandidate {
    int depth = 0;  // colour depth of the X visual
    bool trueColor = false;
    bool usesGl = false;
    bool rgba = false;
    bool doubleBuffered = false;
    int level = 0;
    int depthBufferBits = 0;
    int stencilBits = 0;
    int accumBits = 0;  // red + green + blue + alpha
    int samples = 0;
};

// The visual for the saver's pixel format: GL, RGBA, double-buffered, main
// plane, a depth buffer of at least 16 bits. Among those: the colour depth
// asked for (else the nearest), then the deepest depth buffer, then true
// colour, then the fewest unused extras (stencil, accumulation,
// multisampling). -1 when none qualifies.
int ChooseGlVisual(const std::vector<GlVisualCandidate>& candidates, int colorDepth);

// Whether the space-separated extension list names the extension exactly
// (not as the prefix of a longer name).
bool HasExtension(const char* extensionList, std::string_view name);

}  // namespace skyloom
