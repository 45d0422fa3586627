// Writing PNG files through libpng: palette bitmaps at the smallest bit depth that holds their
// colours, 24-bit bitmaps as 8-bit RGB.
#pragma once

#include <cstdint>

#include "codecs/png/png_status.h"
#include "core/packed_bitmap.h"

// How the rows are compressed: zlib's level and strategy, and the row filters libpng chooses
// from (PNG_FILTER_* bits) for palette pictures and for RGB ones. Given a second filter set for
// RGB pictures, a sample of the rows compressed quickly with each set picks the one to use.
struct PngCompression {
    int level;
    int strategy;
    int paletteFilters;
    int colourFilters[2];  // 0 for none in the second place
};

// A small output quickly, of the choices that bench/png_write_bench.cpp measures: zlib level 6
// (level 9 costs 5 to 10 times as much for 5 to 8 per cent) with its default strategy; palettes
// unfiltered; RGB with libpng's adaptive choice among every filter (best for smooth shading) or
// unfiltered (best for the flat areas of screenshots), as the sample shows.
extern const PngCompression kSmallPng;

// Writes the bitmap as a PNG file of the chunks IHDR, PLTE (palettes only), IDAT and IEND. On
// failure no file is left, except what a failed write to the file itself leaves.
PngWriteStatus WritePngFile(PackedBitmap bitmap, const char* path,
                            const PngCompression& compression = kSmallPng);
