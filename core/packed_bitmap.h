// A picture as a device-independent bitmap in one movable global block: the 40-byte header,
// the colour table, then the rows bottom-up, each padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>

#include "core/global_block.h"
#include "platform/kernel.h"

using PackedBitmap = HGLOBAL;
using BitmapLock = BlockLock<BITMAPINFOHEADER>;

// The largest picture any part of the program accepts: each side at most this many pixels...
constexpr std::int32_t kMaxPictureSide = 65500;
// ...and at most this many pixels in all (192 MiB of 24-bit rows).
constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;

bool IsPictureSizeAccepted(std::int64_t width, std::int64_t height);

// Whether the block holds an accepted picture: a 40-byte header, uncompressed rows, an accepted
// size, at most 256 colours, and every row the header announces. Blocks from outside are checked with this
// before anything reads them.
bool IsCompleteBitmap(HGLOBAL block);

// Colour-table entries a depth implies when the header names none: 2, 16 or 256, else 0.
std::uint32_t ColoursForDepth(int depth);

// Colour-table entries implied by a 40-byte header: biClrUsed, else those of its depth.
std::uint32_t ImpliedColourCount(const BITMAPINFOHEADER& header);

// Bytes of header, colour table and rows of a bitmap with this header (height positive).
std::uint64_t PackedBitmapBytes(const BITMAPINFOHEADER& header);

// Zero bytes that pad a row of this depth and width to a multiple of 4.
int RowPadding(int depth, int width);

// Bytes of one stored row, padding included.
std::uint32_t RowBytes(int depth, int width);

RGBQUAD* ColourTable(BITMAPINFOHEADER* header);
BYTE* PixelRows(BITMAPINFOHEADER* header);
const BYTE* PixelRows(const BITMAPINFOHEADER* header);

// A new zero-filled bitmap with a complete header for `colours` table entries; null when the
// size is refused, a palette depth has no colours or memory is short. Every bitmap the program
// makes is allocated here, with nothing behind its rows.
GlobalBlock AllocatePackedBitmap(int width, int height, int depth, std::uint32_t colours);
