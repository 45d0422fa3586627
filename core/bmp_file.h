// BMP files: reading into a packed bitmap and writing one out.
#pragma once

#include <cstddef>

#include "core/bmp_status.h"
#include "core/packed_bitmap.h"

constexpr WORD kBmpSignature = 0x4D42;  // "BM"

// Reads a .bmp file, or a packed DIB without file header, into a new bottom-up bitmap of
// 1, 4, 8 or 24 bits. Top-down files are turned bottom-up. 16 and 32-bit files become 24-bit;
// a zero channel mask reads as a channel of zeros. Pictures outside the accepted size give -3.
BmpReadStatus ReadBmpFile(PackedBitmap* result, const char* path);

// The same for a bitmap handed over in memory, as the clipboard holds one (a packed DIB).
BmpReadStatus ReadBmpBlock(PackedBitmap* result, const BYTE* bytes, std::size_t size);

// Writes the bitmap as a .bmp file.
BmpWriteStatus WriteBmpFile(PackedBitmap bitmap, const char* path);
