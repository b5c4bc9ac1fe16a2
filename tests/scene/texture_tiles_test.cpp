#include "scene/texture_tiles.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "platform/offscreen/offscreen_gl.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/sprites.h"
#include "settings/settings.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

using skyloom::testing::Framebuffer;
using skyloom::testing::ReadFramebuffer;
using skyloom::testing::SetSceneRenderState;

// size * size RGBA texels, white and transparent.
std::vector<uint8_t> ClearTexels(int32_t size) {
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size * 4, 255);
    for (size_t i = 3; i < texels.size(); i += 4) {
        texels[i] = 0;
    }
    return texels;
}

void SetAlpha(std::vector<uint8_t>& texels, int32_t size, int32_t x, int32_t y, uint8_t alpha) {
    texels[(static_cast<size_t>(y) * size + x) * 4 + 3] = alpha;
}

std::vector<int> VisibleTiles(const TextureTileMask& mask) {
    std::vector<int> tiles;
    for (int ty = 0; ty < mask.tilesPerSide; ++ty) {
        for (int tx = 0; tx < mask.tilesPerSide; ++tx) {
            if (mask.visible[ty * kTextureTilesPerSide + tx] != 0) {
                tiles.push_back(ty * 100 + tx);
            }
        }
    }
    return tiles;
}

TEST(TextureTilesTest, ATexelInsideATileMarksOnlyThatTile) {
    // 256 texels: tiles of 8.
    std::vector<uint8_t> texels = ClearTexels(256);
    SetAlpha(texels, 256, 8 * 5 + 3, 8 * 7 + 4, 1);
    TextureTileMask mask;
    FindVisibleTiles(texels.data(), 256, mask);
    EXPECT_EQ(mask.tilesPerSide, 32);
    EXPECT_EQ(VisibleTiles(mask), (std::vector<int>{705}));
}

TEST(TextureTilesTest, ATexelOnATileBorderMarksTheNeighboursThatFilterIt) {
    std::vector<uint8_t> texels = ClearTexels(256);
    // Last column and last row of tile (2, 3): linear filtering reaches it
    // from the tiles to the right, below, and diagonally.
    SetAlpha(texels, 256, 8 * 3 + 7, 8 * 2 + 7, 200);
    TextureTileMask mask;
    FindVisibleTiles(texels.data(), 256, mask);
    EXPECT_EQ(VisibleTiles(mask), (std::vector<int>{203, 204, 303, 304}));
}

TEST(TextureTilesTest, TheTextureEdgesAndAFullTextureAreHandled) {
    std::vector<uint8_t> texels = ClearTexels(64);
    SetAlpha(texels, 64, 0, 0, 9);
    SetAlpha(texels, 64, 63, 63, 9);
    TextureTileMask mask;
    FindVisibleTiles(texels.data(), 64, mask);
    EXPECT_EQ(VisibleTiles(mask), (std::vector<int>{0, 3131}));

    std::fill(texels.begin(), texels.end(), 255);
    FindVisibleTiles(texels.data(), 64, mask);
    EXPECT_EQ(VisibleTiles(mask).size(), 32u * 32u);
}

TEST(TextureTilesTest, TexturesSmallerThanTheGridGetATilePerTexel) {
    std::vector<uint8_t> texels = ClearTexels(4);
    SetAlpha(texels, 4, 0, 3, 50);
    TextureTileMask mask;
    FindVisibleTiles(texels.data(), 4, mask);
    EXPECT_EQ(mask.tilesPerSide, 4);
    EXPECT_EQ(VisibleTiles(mask), (std::vector<int>{200, 201, 300, 301}));
}

TEST(TextureTilesTest, CornersSpanEachVisibleTileInTheQuadsWinding) {
    TextureTileMask mask;
    mask.tilesPerSide = 4;
    mask.visible[1 * kTextureTilesPerSide + 2] = 1;
    const std::vector<float> corners = VisibleTileCorners(mask);
    // Counter-clockwise from the tile's first corner, as the whole quad.
    EXPECT_EQ(corners, (std::vector<float>{0.5f, 0.25f, 0.75f, 0.25f, 0.75f, 0.5f, 0.5f, 0.5f}));
    mask.visible.fill(0);
    EXPECT_TRUE(VisibleTileCorners(mask).empty());
}

// The tiles must give the picture of the whole quad: same place, same
// texture mapping, same filtering at the tile borders.
class TiledBillboardTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int32_t kTexture = 128;

    void SetUp() override {
        ASSERT_TRUE(gl.Create(kWidth, kHeight));
        SetRenderSize(kWidth, kHeight);
        SetSceneRenderState();
        RestoreDefaultSettings();
        CameraRotateEnum.Set(0);
        ConfigureCamera();
        glViewport(0, 0, kWidth, kHeight);
        SetAspect(GetRenderAspect());
        ApplyCamera();
        glDisable(GL_DEPTH_TEST);
    }
    void TearDown() override {
        DeleteAllSceneNodes();
        RestoreDefaultSettings();
        SetRenderSize(0, 0);
        gl.Destroy();
    }

    Framebuffer Draw(BillboardSprite& sprite) {
        glClear(GL_COLOR_BUFFER_BIT);
        sprite.Draw();
        return ReadFramebuffer(gl);
    }

    OffscreenGlContext gl;
};

TEST_F(TiledBillboardTest, TilesDrawWhatTheWholeQuadDraws) {
    // Two soft blobs, one of them across tile borders, on a transparent
    // texture, filtered linearly as nebulae are.
    std::vector<uint8_t> texels = ClearTexels(kTexture);
    for (int y = 0; y < kTexture; ++y) {
        for (int x = 0; x < kTexture; ++x) {
            const int a = std::max(0, 255 - 12 * (std::abs(x - 30) + std::abs(y - 40)));
            const int b = std::max(0, 255 - 20 * std::max(std::abs(x - 96), std::abs(y - 99)));
            SetAlpha(texels, kTexture, x, y, static_cast<uint8_t>(std::max(a, b)));
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kTexture, kTexture, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());

    auto* sprite = new BillboardSprite;
    sprite->position = Camera.LookAt();
    sprite->size = 700.0;
    sprite->texture = texture;
    sprite->color = ColorRGBA(0.9, 0.6, 0.3, 0.8);
    sprite->rotation = 23.0;
    const Framebuffer whole = Draw(*sprite);

    TextureTileMask mask;
    FindVisibleTiles(texels.data(), kTexture, mask);
    const std::vector<float> corners = VisibleTileCorners(mask);
    ASSERT_LT(corners.size(), 8u * 32u * 32u / 2u) << "most tiles should be empty";
    sprite->tileCorners = corners.data();
    sprite->tileCornerCount = static_cast<int32_t>(corners.size() / 2);
    const Framebuffer tiled = Draw(*sprite);

    ASSERT_EQ(whole.rgba.size(), tiled.rgba.size());
    int lit = 0;
    int largestDifference = 0;
    for (size_t i = 0; i < whole.rgba.size(); ++i) {
        lit += whole.rgba[i] > 20 ? 1 : 0;
        largestDifference = std::max(largestDifference, std::abs(whole.rgba[i] - tiled.rgba[i]));
    }
    EXPECT_GT(lit, 5000);
    EXPECT_LE(largestDifference, 1);
    glDeleteTextures(1, &texture);
}

}  // namespace
}  // namespace skyloom
