#pragma once

#include <cstdint>

#include "scene/scene_node.h"
#include "scene/vecmath.h"

namespace skyloom {

// A textured quad: the state shared by billboards and overlay sprites.
// Drawn with the scene-wide blend state (additive, alpha test > 0); the
// colour tints the texture and alpha 0 draws nothing.
class SceneSprite : public SceneNode {
public:
    static constexpr uint32_t kNoTexture = 0xFFFFFFFFu;

    SceneSprite();
    ~SceneSprite() override;

    // Set by the owner when the sprite is to go; the owner must not touch
    // the sprite afterwards, as the next update pass deletes it.
    bool IsFinished() override;

    ColorRGBA color{1.0, 1.0, 1.0, 1.0};
    // Billboard: half the edge of the square in world units. Overlay: width
    // as a fraction of the window width.
    double size = 0.0;
    // Pixel size of the image in the texture; an overlay keeps its aspect.
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    uint32_t texture = kNoTexture;
    bool finished = false;
};

int LiveSpriteCount();

// A square in 3D that always faces the camera. Not drawn by the render pass:
// its owner calls Draw while rendering itself.
class BillboardSprite : public SceneSprite {
public:
    void Draw() override;

    // Degrees about the flight axis (the world z axis, on which the eye
    // always stays), applied to the modelview before the quad.
    double rotation = 0.0;
    // When set, only these parts of the square are drawn: tileCornerCount
    // corners of quads in the unit square, two floats each, (0, 0) at the
    // quad's first corner and (1, 1) at its third, which double as texture
    // coordinates. For mostly transparent textures; the owner keeps them.
    const float* tileCorners = nullptr;
    int32_t tileCornerCount = 0;

private:
    void DrawTiles(const float* c0, const float* c1, const float* c3) const;
};

// A rectangle over the scene in window fractions, centred on position x, y
// (x right, y down), drawn by the overlay pass for as long as it lives.
// size is its width; its height follows from the image's aspect ratio.
// A position x of exactly 0 hides it.
class OverlaySprite : public SceneSprite {
public:
    // Leaves the matrix mode at GL_PROJECTION.
    void RenderOverlay() override;
};

}  // namespace skyloom
