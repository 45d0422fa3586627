// The JPEG encoder: baseline (or extended, for 16-bit tables) JFIF, 4:2:0, standard tables.
#pragma once

#include <cstdint>

#include "core/packed_bitmap.h"

// The results of WriteJpegFile.
enum JpegWriteError : std::int32_t {
    kJpegWritten = 0,
    kJpegCannotOpen = -1,      // the file could not be created
    kJpegCannotLock = -2,      // the bitmap block could not be locked
    kJpegMcuTooLarge = 7,      // more than 10 blocks in an MCU
    kJpegBadSampling = 9,      // a sampling factor outside 1 to 4
    kJpegBadState = 10,        // an internal step called out of order
    kJpegBadDepth = 13,        // biBitCount is neither 8 nor 24
    kJpegTooManyColours = 14,  // more than 256 colour-table entries
    kJpegBadPlanes = 15,       // biPlanes is not 1
    kJpegCompressed = 16,      // biCompression is not BI_RGB
    kJpegEmptyImage = 23,      // width or height is 0
    kJpegWriteFailed = 24,     // a write or the closing of the file failed
    kJpegFractionalSampling = 25,
    kJpegNoHuffmanCode = 26,  // a symbol without a code in its Huffman table
    kJpegImageTooBig = 27,    // width or height above 65500 (or negative)
    kJpegBadHuffmanTable = 31,
    kJpegBadQuantTable = 32,
    kJpegOutOfMemory = 33,
    kJpegTooFewRows = 37,   // compression finished before the last row
    kJpegTooManyRows = 42,  // a row after the last one
};

// Writes an 8-bit palette or 24-bit bitmap as a JPEG file of the given quality (any integer;
// below 1 counts as 1, above 100 as 100). Returns 0 on success, -1 when the file cannot be
// created, -2 when the bitmap cannot be locked, otherwise the positive JpegWriteError of the
// failing step; a partly written file then stays on disk.
std::int32_t WriteJpegFile(PackedBitmap bitmap, const char* path, std::int32_t quality);
