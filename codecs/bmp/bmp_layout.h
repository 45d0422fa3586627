// What a BMP file's headers say: the picture's size and orientation, how its pixels are stored,
// its channel masks or colour table, and where its rows begin.
#pragma once

#include <cstdint>

#include "codecs/bmp/bmp_decode_status.h"
#include "core/classic_file.h"

enum class BmpPixels {
    kPalette,    // 1, 2, 4 or 8-bit indices into the colour table
    kRgb24,      // blue, green, red
    kBitFields,  // 16 or 32-bit values cut into channels by the masks
    kRle4,       // run-length coded indices
    kRle8,
    kRle24,  // run-length coded blue, green, red (OS/2)
};

struct BmpMasks {
    std::uint32_t red = 0, green = 0, blue = 0;
    std::uint32_t alpha = 0;  // 0 for an opaque picture
};

struct BmpLayout {
    int width = 0;
    int height = 0;        // positive
    bool topDown = false;  // the first stored row is the top one
    int depth = 0;
    BmpPixels pixels = BmpPixels::kRgb24;
    BmpMasks masks;
    std::uint8_t palette[256][3] = {};  // blue, green, red; entries the file lacks are black
    std::uint32_t rowsOffset = 0;       // from the start of the file
    // The resolution the header states, kept in the picture as the window's reader keeps it; 0
    // where the header has none.
    std::int32_t pixelsPerMetre[2] = {};
};

// Reads a file's headers and colour table: a file that begins with "BM", or a packed DIB
// without file header. The size limits are checked here, before anything is allocated.
BmpDecodeStatus ReadBmpLayout(ClassicFile& file, BmpLayout* layout);
