#include "scene/jpeg_memory_source.h"

#include <algorithm>
#include <cstring>

#include <jerror.h>

namespace skyloom {

namespace {

JpegMemorySource* SourceOf(j_decompress_ptr cinfo) {
    return reinterpret_cast<JpegMemorySource*>(cinfo->src);
}

void InitSource(j_decompress_ptr cinfo) { SourceOf(cinfo)->startOfFile = TRUE; }

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    JpegMemorySource* src = SourceOf(cinfo);
    const size_t chunk = std::min(kJpegSourceBufferSize, src->total - src->consumed);
    if (chunk == 0) {
        // Every complete stream ends with its end-of-image marker inside the
        // block, so a decoder asking for more has been given a cut-off or
        // forged stream. This does not return.
        if (src->startOfFile) {
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        }
        ERREXIT(cinfo, JERR_INPUT_EOF);
    }
    std::memcpy(src->buffer, src->data, chunk);
    src->data += chunk;
    src->consumed += chunk;
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = chunk;
    src->startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) {
        return;
    }
    JpegMemorySource* src = SourceOf(cinfo);
    size_t n = static_cast<size_t>(count);
    while (n > src->pub.bytes_in_buffer) {
        n -= src->pub.bytes_in_buffer;
        FillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= n;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

void InstallJpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size) {
    // Only a record of ours may be reused; any other source gets replaced.
    if (cinfo->src == nullptr || cinfo->src->init_source != InitSource) {
        auto* src = static_cast<JpegMemorySource*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegMemorySource)));
        src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kJpegSourceBufferSize));
        cinfo->src = &src->pub;
    }
    JpegMemorySource* src = SourceOf(cinfo);
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->data = size > 0 ? data : nullptr;
    src->total = data != nullptr ? size : 0;
    src->consumed = 0;
    src->startOfFile = TRUE;
}

}  // namespace skyloom
