// Reading back GIF files and palette bitmaps in the GIF tests.
#pragma once

#include <vector>

#include "tests/support/bitmap_builder.h"

// A palette bitmap's pixel indices, top row first, and its colour table.
std::vector<int> IndicesOf(PackedBitmap bitmap);
std::vector<Rgb> TableOf(PackedBitmap bitmap);

// Distinct colours for palettes of up to 256 entries.
std::vector<Rgb> Colours(int count);
