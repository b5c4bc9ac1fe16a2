#include "platform/x11/glx_visual.h"

#include <cstdlib>
#include <cstring>
#include <tuple>

namespace skyloom {

namespace {
constexpr int kMinDepthBufferBits = 16;
// The depth buffer asked for; deeper ones are no better for the saver.
constexpr int kWantedDepthBufferBits = 32;

bool Qualifies(const GlVisualCandidate& c) {
    return c.usesGl && c.rgba && c.doubleBuffered && c.level == 0 && c.depthBufferBits >= kMinDepthBufferBits;
}

// Smaller is better, compared in order.
auto Rank(const GlVisualCandidate& c, int colorDepth) {
    const int depthBuffer = c.depthBufferBits < kWantedDepthBufferBits ? c.depthBufferBits : kWantedDepthBufferBits;
    const int extras = (c.stencilBits > 0) + (c.accumBits > 0) + (c.samples > 0);
    return std::make_tuple(std::abs(c.depth - colorDepth), -depthBuffer, c.trueColor ? 0 : 1, extras);
}
}  // namespace

int ChooseGlVisual(const std::vector<GlVisualCandidate>& candidates, int colorDepth) {
    int best = -1;
    for (int i = 0; i < static_cast<int>(candidates.size()); ++i) {
        if (!Qualifies(candidates[i])) {
            continue;
        }
        if (best < 0 || Rank(candidates[i], colorDepth) < Rank(candidates[best], colorDepth)) {
            best = i;
        }
    }
    return best;
}

bool HasExtension(const char* extensionList, std::string_view name) {
    if (extensionList == nullptr || name.empty()) {
        return false;
    }
    const char* p = extensionList;
    while (*p != '\0') {
        while (*p == ' ') {
            ++p;
        }
        const char* end = p;
        while (*end != '\0' && *end != ' ') {
            ++end;
        }
        if (static_cast<size_t>(end - p) == name.size() && std::strncmp(p, name.data(), name.size()) == 0) {
            return true;
        }
        p = end;
    }
    return false;
}

}  // namespace skyloom
