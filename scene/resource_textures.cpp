#include "scene/resource_textures.h"

#include <algorithm>
#include <cstring>

#include <GL/gl.h>
#include <GL/glu.h>

#include "scene/jpeg_decode.h"
#include "scene/render_size.h"
#include "scene/resources.h"
#include "scene/unpack_alignment.h"

namespace skyloom {

namespace {

int32_t lastImageWidth = 0;
int32_t lastImageHeight = 0;

void ForgetLastImage() {
    lastImageWidth = 0;
    lastImageHeight = 0;
}

}  // namespace

PixelBlock DecodeJpegFromMemory(const uint8_t* data, size_t size, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    int32_t w = 0;
    int32_t h = 0;
    PixelBlock topDown = DecodeJpegRows(data, size, &w, &h);
    if (!topDown) {
        return nullptr;
    }

    // Bottom row first, as GL wants it.
    const size_t rows = static_cast<size_t>(h);
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    for (size_t i = 0; i < rows / 2; ++i) {
        std::swap_ranges(topDown.get() + i * rowBytes, topDown.get() + (i + 1) * rowBytes,
                         topDown.get() + (rows - 1 - i) * rowBytes);
    }

    // Rows padded to a multiple of 4 bytes with zeros.
    const size_t pitch = (rowBytes + 3) / 4 * 4;
    PixelBlock padded(static_cast<uint8_t*>(std::calloc(rows, pitch)));
    if (!padded) {
        return nullptr;
    }
    for (size_t r = 0; r < rows; ++r) {
        std::memcpy(padded.get() + r * pitch, topDown.get() + r * rowBytes, rowBytes);
    }
    *width = w;
    *height = h;
    return padded;
}

bool DecodeTga(const uint8_t* data, size_t size, TgaImage* image) {
    *image = TgaImage{};
    constexpr size_t kHeaderSize = 18;
    if (data == nullptr || size < kHeaderSize) {
        return false;
    }
    const int32_t width = data[12] | (data[13] << 8);
    const int32_t height = data[14] | (data[15] << 8);
    const int bitsPerPixel = data[16];
    if (width == 0 || height == 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
        return false;
    }
    const int32_t bytesPerPixel = bitsPerPixel / 8;
    // At most 65535 * 65535 * 4 bytes: no overflow in size_t.
    const size_t byteCount = static_cast<size_t>(width) * height * bytesPerPixel;
    if (byteCount > size - kHeaderSize) {
        return false;
    }
    image->pixels.assign(data + kHeaderSize, data + kHeaderSize + byteCount);
    // Stored B, G, R(, A): swap to R, G, B(, A).
    for (size_t i = 0; i < byteCount; i += bytesPerPixel) {
        std::swap(image->pixels[i], image->pixels[i + 2]);
    }
    image->width = width;
    image->height = height;
    image->bytesPerPixel = bytesPerPixel;
    return true;
}

bool LoadJpegTexture(uint16_t resourceId) {
    const ResourceBytes resource = FindResource("JPG", resourceId);
    int32_t width = 0;
    int32_t height = 0;
    const PixelBlock pixels = DecodeJpegFromMemory(resource.data, resource.size, &width, &height);
    if (!pixels) {
        ForgetLastImage();
        return false;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // The rows are padded for exactly this alignment.
    const UnpackAlignment alignment(4);
    if (gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.get()) != 0) {
        ForgetLastImage();
        return false;
    }
    lastImageWidth = width;
    lastImageHeight = height;
    return true;
}

bool LoadTgaTexture(uint16_t resourceId) {
    const ResourceBytes resource = FindResource("tga", resourceId);
    TgaImage image;
    if (!DecodeTga(resource.data, resource.size, &image)) {
        ForgetLastImage();
        return false;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const GLenum format = image.bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    // The rows are packed tightly: with GL's default alignment of 4 an odd
    // width would make GL read past the end of the block.
    const UnpackAlignment alignment(1);
    if (std::max(image.width, image.height) > MaxTextureSize()) {
        if (gluBuild2DMipmaps(GL_TEXTURE_2D, image.bytesPerPixel, image.width, image.height, format,
                              GL_UNSIGNED_BYTE, image.pixels.data()) != 0) {
            ForgetLastImage();
            return false;
        }
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image.width, image.height, 0, format,
                     GL_UNSIGNED_BYTE, image.pixels.data());
    }
    lastImageWidth = image.width;
    lastImageHeight = image.height;
    return true;
}

int32_t LastImageWidth() { return lastImageWidth; }

int32_t LastImageHeight() { return lastImageHeight; }

}  // namespace skyloom
