// Mapping a 24-bit picture onto a palette with error diffusion.
#pragma once

#include <cstdint>

#include "codecs/gif/reduced_palette.h"
#include "core/packed_bitmap.h"

// Smaller is nearer: the L1 distance decides, then disagreement in the order of the
// channels, then the difference in colourfulness.
std::uint32_t PaletteDistance(PaletteColour colour, PaletteColour centre);

// An 8-bit copy with the palette as its colour table. Rows run alternately left to right
// (from the bottom row) and right to left; half of each pixel's error, or a quarter when a
// channel is off by more than 128, goes to the next pixel in the row and as much to the pixel
// above. Null for a source that is not a readable 24-bit picture, or when memory is short.
PackedBitmap MapWithDither(PackedBitmap source, const Palette& palette);
