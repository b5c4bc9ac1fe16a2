#include "scene/resource_textures.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <GL/gl.h>
#include <GL/glu.h>
#include <jpeglib.h>

#include "scene/resources.h"
#include "scene/render_size.h"
#include "scene/jpeg_memory_source.h"
#include "scene/unpack_alignment.h"

namespace skyloom {

namespace {

int32_t lastImageWidth = 0;
int32_t lastImageHeight = 0;
char lastJpegMessage[JMSG_LENGTH_MAX] = "";

// ---- JPEG ------------------------------------------------------------------

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf recovery;
};

// libjpeg may not return from here. Nothing between the setjmp below and
// this jump owns a destructor, so the jump skips no cleanup.
[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->format_message)(cinfo, lastJpegMessage);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->recovery, 1);
}

// Warnings (corrupt entropy data and the like) are kept, not printed: the
// decode goes on with what the library made of the data.
void JpegOutputMessage(j_common_ptr cinfo) { (*cinfo->err->format_message)(cinfo, lastJpegMessage); }

// Decodes into a block of height rows of width * 3 bytes, top row first.
// Null on any error, with the decompressor destroyed and the block freed.
uint8_t* DecodeJpegTopDown(const uint8_t* data, size_t size, JDIMENSION* width, JDIMENSION* height) {
    jpeg_decompress_struct cinfo{};
    JpegErrorManager error;
    // Assigned after setjmp and read after the jump back, so volatile.
    uint8_t* volatile pixels = nullptr;

    cinfo.err = jpeg_std_error(&error.pub);
    error.pub.error_exit = JpegErrorExit;
    error.pub.output_message = JpegOutputMessage;
    if (setjmp(error.recovery) != 0) {
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        return nullptr;
    }

    jpeg_create_decompress(&cinfo);
    InstallJpegMemorySource(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    // The header alone decides the allocations below: a forged one must not
    // be able to ask for gigabytes.
    if (cinfo.image_width > static_cast<JDIMENSION>(kMaxJpegEdge) ||
        cinfo.image_height > static_cast<JDIMENSION>(kMaxJpegEdge)) {
        std::snprintf(lastJpegMessage, sizeof lastJpegMessage, "Image of %ux%u pixels is too large",
                      cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    jpeg_start_decompress(&cinfo);

    const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * 3;
    // Zeroed, so rows of a colour layout other than RGB or grey stay black
    // instead of holding stale memory.
    pixels = static_cast<uint8_t*>(std::calloc(cinfo.output_height, rowBytes));
    if (pixels == nullptr) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                cinfo.output_width * cinfo.output_components, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) {
            // Only a suspending source returns no row; ours never suspends.
            jpeg_destroy_decompress(&cinfo);
            std::free(pixels);
            return nullptr;
        }
        uint8_t* out = pixels + (cinfo.output_scanline - 1) * rowBytes;
        const JSAMPLE* in = row[0];
        if (cinfo.output_components == 3) {
            std::memcpy(out, in, rowBytes);
        } else if (cinfo.output_components == 1) {
            for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    *width = cinfo.output_width;
    *height = cinfo.output_height;
    jpeg_destroy_decompress(&cinfo);
    return pixels;
}

void ForgetLastImage() {
    lastImageWidth = 0;
    lastImageHeight = 0;
}

}  // namespace

PixelBlock DecodeJpegFromMemory(const uint8_t* data, size_t size, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    lastJpegMessage[0] = '\0';
    JDIMENSION w = 0;
    JDIMENSION h = 0;
    PixelBlock topDown(DecodeJpegTopDown(data, size, &w, &h));
    if (!topDown) {
        return nullptr;
    }

    // Bottom row first, as GL wants it.
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    for (size_t i = 0; i < h / 2; ++i) {
        std::swap_ranges(topDown.get() + i * rowBytes, topDown.get() + (i + 1) * rowBytes,
                         topDown.get() + (h - 1 - i) * rowBytes);
    }

    // Rows padded to a multiple of 4 bytes with zeros.
    const size_t pitch = (rowBytes + 3) / 4 * 4;
    PixelBlock padded(static_cast<uint8_t*>(std::calloc(h, pitch)));
    if (!padded) {
        return nullptr;
    }
    for (size_t r = 0; r < h; ++r) {
        std::memcpy(padded.get() + r * pitch, topDown.get() + r * rowBytes, rowBytes);
    }
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return padded;
}

const char* LastJpegMessage() { return lastJpegMessage; }

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
