#include "scene/jpeg_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "scene/jpeg_memory_source.h"

namespace skyloom {

namespace {

char lastJpegMessage[JMSG_LENGTH_MAX] = "";

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

}  // namespace

PixelBlock DecodeJpegRows(const uint8_t* data, size_t size, int32_t* width, int32_t* height) {
    lastJpegMessage[0] = '\0';
    JDIMENSION w = 0;
    JDIMENSION h = 0;
    PixelBlock rows(DecodeJpegTopDown(data, size, &w, &h));
    if (rows) {
        *width = static_cast<int32_t>(w);
        *height = static_cast<int32_t>(h);
    }
    return rows;
}

const char* LastJpegMessage() { return lastJpegMessage; }

}  // namespace skyloom
