// The BMP decoder of korvi-cli: every variant browsers show, as a 24-bit bitmap. BI_RGB at 1, 2,
// 4, 8, 16, 24 and 32 bits; RLE4, RLE8 and OS/2's RLE24; bit fields of any order and width in
// 16 and 32 bits, with an alpha channel composed over the background; OS/2 1.x and 2.x headers
// and Windows' headers of 40 to 124 bytes; top-down rows. Colour profiles are ignored.
#pragma once

#include <cstdint>

#include "codecs/bmp/bmp_decode_status.h"
#include "core/packed_bitmap.h"

// kBmpDecodeOk with a new bitmap in `result`, which is null on every failure. A file cut short
// keeps the rows it completes; the rest show the background. `background` is a COLORREF,
// 0x00BBGGRR.
BmpDecodeStatus DecodeBmpFile(PackedBitmap* result, const char* path, std::uint32_t background);
