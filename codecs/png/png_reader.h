// The PNG reader over libpng: palette and plain grey files become 8-bit bitmaps with a colour
// table, everything else 24-bit ones. Transparency is composed over the file's own background
// colour (bKGD) or, without one, over the caller's. Colours are corrected only for a file that
// states its gamma (gAMA without sRGB), from that gamma to a screen gamma of 2.2, and composed in
// linear light there.
#pragma once

#include <cstdint>

#include "codecs/png/png_status.h"
#include "core/packed_bitmap.h"

// 0 with a new bitmap in `result`; -1 when the file cannot be read or libpng finds it broken,
// truncated or not PNG; -3 for a picture above the size limit; -6 when memory is short.
// `background` is a COLORREF, 0x00BBGGRR.
PngReadStatus ReadPngFile(PackedBitmap* result, const char* path, std::uint32_t background);
