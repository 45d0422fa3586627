// Packed bitmaps built pixel by pixel for tests and benchmarks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/packed_bitmap.h"
#include "tests/support/files.h"

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
};

// Pixel functions take the column and the row counted from the top of the picture.
using ColourAt = std::function<Rgb(int x, int y)>;
using IndexAt = std::function<int(int x, int y)>;

GlobalBlock MakeBitmap24(int width, int height, const ColourAt& colour);
GlobalBlock MakePaletteBitmap(int depth, int width, int height, const std::vector<Rgb>& palette,
                              const IndexAt& index);

// The colour of a pixel of a 24-bit bitmap, row counted from the top.
Rgb PixelOf(PackedBitmap bitmap, int x, int y);

// A palette bitmap's pixel index (row counted from the top), all its indices (top row first) and
// its colour table.
int IndexOf(PackedBitmap bitmap, int x, int y);
std::vector<int> IndicesOf(PackedBitmap bitmap);
std::vector<Rgb> TableOf(PackedBitmap bitmap);

// The whole block, header to last row; empty for none.
Bytes BlockBytes(PackedBitmap bitmap);

// The colour of a pixel of a 24-bit or palette bitmap.
Rgb ColourOf(PackedBitmap bitmap, int x, int y);

// Distinct colours for palettes of up to 256 entries.
std::vector<Rgb> Colours(int count);
