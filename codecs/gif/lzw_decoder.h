// The variable-width LZW decoder of GIF image data, writing pixels straight into the rows of an
// 8-bit bitmap in the file's row order (plain or interlaced).
#pragma once

#include <cstdint>

#include "codecs/gif/gif_status.h"
#include "platform/kernel.h"

// The pixel rows of the bitmap being filled: bottom-up, `stride` bytes apart.
struct GifImageRows {
    BYTE* pixels;
    std::uint32_t stride;
    std::int32_t width, height;
    bool interlaced;
};

// Decodes the image data that starts at `data[at]` (the minimum code size, then the data
// sub-blocks) into `rows`, never reading at or past `data[size]`. Returns kGifReadOk, also when
// the data ends before the picture is full or holds more codes than pixels, or kGifBadCodeSize,
// kGifBadFirstCode, kGifUndefinedPrefix or kGifUndefinedCode.
GifReadStatus DecodeGifImage(const BYTE* data, std::uint32_t size, std::uint32_t at,
                             const GifImageRows& rows);
