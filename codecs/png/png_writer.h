// Writing PNG files through libpng: palette bitmaps at the smallest bit depth that holds their
// colours, 24-bit bitmaps as 8-bit RGB.
#pragma once

#include <cstdint>

#include "codecs/png/png_status.h"
#include "core/packed_bitmap.h"

// How the rows are compressed: zlib's level and strategy, and the row filters libpng chooses
// from (PNG_FILTER_* bits) for palette pictures and for RGB ones. RGB pictures are compressed
// once for each filter set given, and the smallest file is kept.
struct PngCompression {
    int level;
    int strategy;
    int paletteFilters;
    int colourFilters[2];  // a 0 ends the list
};

// The smallest output of the choices that bench/png_write_bench.cpp measures: zlib level 9 with
// its default strategy; palettes unfiltered; RGB both with libpng's adaptive choice among every
// filter (best for smooth shading) and unfiltered (best for the flat areas of screenshots).
extern const PngCompression kSmallPng;

// Writes the bitmap as a PNG file of the chunks IHDR, PLTE (palettes only), IDAT and IEND. On
// failure no file is left, except what a failed write to the file itself leaves.
PngWriteStatus WritePngFile(PackedBitmap bitmap, const char* path,
                            const PngCompression& compression = kSmallPng);
