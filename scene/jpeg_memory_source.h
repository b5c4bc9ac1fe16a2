#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

namespace skyloom {

// A libjpeg data source reading from a block of memory, handed to the
// decoder in chunks of up to kJpegSourceBufferSize bytes through a buffer of
// its own. The record and its buffer come from the decompressor's permanent
// pool: installed once per decompressor and reused when installed again.
constexpr size_t kJpegSourceBufferSize = 4096;

struct JpegMemorySource {
    jpeg_source_mgr pub;
    const JOCTET* data;  // next unread byte of the block
    size_t consumed;     // bytes of the block copied into buffer so far
    JOCTET* buffer;
    size_t total;        // size of the block
    boolean startOfFile;
};

// Points cinfo at size bytes from data (data may be null when size is 0).
// The block must outlive the decode. Reading past its end is an error of the
// decode (through the error manager's error_exit), never a read past the
// block: a truncated stream is rejected, not patched up.
void InstallJpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size);

}  // namespace skyloom
