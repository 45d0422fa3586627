// Turning 24-bit pictures into palette bitmaps for the GIF writer.
#pragma once

#include "core/packed_bitmap.h"

// An exact 1, 4 or 8-bit copy when the picture has at most 256 colours, else null.
PackedBitmap ReduceToExactPalette(PackedBitmap source);

// An 8-bit copy with at most 256 colours chosen from a colour-cell histogram and mapped with
// error diffusion; null on failure.
PackedBitmap QuantizeWithDither(PackedBitmap source);
