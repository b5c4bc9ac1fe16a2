#include <GL/gl.h>

#include <vector>

#include <gtest/gtest.h>

#include "scene/resources.h"
#include "platform/offscreen/offscreen_gl.h"
#include "scene/render_size.h"
#include "scene/resource_textures.h"
#include "tests/support/gl_test_support.h"

namespace skyloom {
namespace {

class TextureUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.Create(64, 64));
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        savedMaxTextureSize_ = MaxTextureSize();
    }
    void TearDown() override {
        SetMaxTextureSize(savedMaxTextureSize_);
        if (gl_.IsCreated()) {
            glDeleteTextures(1, &texture_);
        }
    }

    static GLint LevelWidth(int level) {
        GLint width = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        return width;
    }
    static GLint TexParameter(GLenum name) {
        GLint value = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }
    // Level 0 of the bound texture, rows as uploaded.
    static std::vector<uint8_t> ReadLevel0(GLenum format, int width, int height, int bytesPerPixel) {
        std::vector<uint8_t> texels(static_cast<size_t>(width) * height * bytesPerPixel);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    OffscreenGlContext gl_;
    GLuint texture_ = 0;
    int32_t savedMaxTextureSize_ = 0;
};

TEST_F(TextureUploadTest, FlareFitsTheLimitAndIsUploadedAsStored) {
    SetMaxTextureSize(64);
    ASSERT_TRUE(LoadTgaTexture(193));
    EXPECT_EQ(LastImageWidth(), 64);
    EXPECT_EQ(LastImageHeight(), 64);
    EXPECT_EQ(LevelWidth(0), 64);
    EXPECT_EQ(LevelWidth(1), 0) << "glTexImage2D uploads one level";
    EXPECT_EQ(TexParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(TexParameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(TexParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);

    const ResourceBytes r = FindResource("tga", 193);
    TgaImage image;
    ASSERT_TRUE(DecodeTga(r.data, r.size, &image));
    EXPECT_EQ(ReadLevel0(GL_RGB, 64, 64, 3), image.pixels);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureUploadTest, FlareOverTheLimitGoesThroughMipmaps) {
    SetMaxTextureSize(32);
    ASSERT_TRUE(LoadTgaTexture(188));
    EXPECT_EQ(LastImageWidth(), 64);
    EXPECT_EQ(LevelWidth(1), 32) << "gluBuild2DMipmaps builds the chain";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureUploadTest, BubbleHasAnAlphaChannel) {
    SetMaxTextureSize(1024);
    ASSERT_TRUE(LoadTgaTexture(192));
    EXPECT_EQ(LastImageWidth(), 64);
    EXPECT_EQ(LastImageHeight(), 64);
    GLint alphaBits = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
    EXPECT_GT(alphaBits, 0);
    const std::vector<uint8_t> texels = ReadLevel0(GL_RGBA, 64, 64, 4);
    // Alpha 0 in the corner, about 140 on the rim, as stored.
    EXPECT_EQ(texels[3], 0);
    EXPECT_NEAR(texels[(32 * 64 + 56) * 4 + 3], 140, 15);
}

TEST_F(TextureUploadTest, FontAtlasBecomesAMipmappedTexture) {
    // Leave the unpack alignment as something else to show the loader does
    // not depend on it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ASSERT_TRUE(LoadJpegTexture(142));
    EXPECT_EQ(LastImageWidth(), 256);
    EXPECT_EQ(LastImageHeight(), 256);
    EXPECT_EQ(LevelWidth(0), 256);
    EXPECT_EQ(LevelWidth(8), 1);
    EXPECT_EQ(TexParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(TexParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1) << "the caller's alignment is put back";

    const ResourceBytes r = FindResource("JPG", 142);
    int32_t width = 0;
    int32_t height = 0;
    const PixelBlock decoded = DecodeJpegFromMemory(r.data, r.size, &width, &height);
    ASSERT_TRUE(decoded);
    const std::vector<uint8_t> texels = ReadLevel0(GL_RGB, 256, 256, 3);
    EXPECT_EQ(std::vector<uint8_t>(decoded.get(), decoded.get() + 256 * 768), texels);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureUploadTest, MissingImagesLeaveTheTextureEmpty) {
    SetMaxTextureSize(64);
    ASSERT_TRUE(LoadTgaTexture(190));
    ASSERT_EQ(LastImageWidth(), 64);

    GLuint fresh = 0;
    glGenTextures(1, &fresh);
    glBindTexture(GL_TEXTURE_2D, fresh);
    EXPECT_FALSE(LoadTgaTexture(191));
    EXPECT_EQ(LastImageWidth(), 0);
    EXPECT_EQ(LastImageHeight(), 0);
    EXPECT_EQ(LevelWidth(0), 0);

    ASSERT_TRUE(LoadTgaTexture(190));
    EXPECT_FALSE(LoadJpegTexture(143));
    EXPECT_EQ(LastImageWidth(), 0);
    EXPECT_EQ(LastImageHeight(), 0);
    // A JPEG id that names a TGA is not one either.
    EXPECT_FALSE(LoadJpegTexture(188));
    glDeleteTextures(1, &fresh);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace skyloom
