// The input picture as the encoder reads it: rows top to bottom from a locked bitmap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel.h"

namespace jpeg {

struct JpegSource {
    std::int32_t width = 0, height = 0;
    const std::uint8_t* pixels = nullptr;   // the first stored row, which is the bottom line
    std::ptrdiff_t stride = 0;              // bytes per stored row, padding included
    const std::uint8_t* colours = nullptr;  // the colour table of 8-bit input, else null
    int colourCount = 0;

    bool Indexed() const { return colours != nullptr; }
    // Image row `r`, counted from the top.
    const std::uint8_t* Row(std::int32_t r) const { return pixels + stride * (height - 1 - r); }
};

// Checks the header (planes 15, compression 16, colour count 14, depth 13) and describes its
// pixels. The sizes are checked when compression starts.
JpegSource ReadSource(const BITMAPINFOHEADER* header);

}  // namespace jpeg
