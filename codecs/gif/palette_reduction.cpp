#include "codecs/gif/palette_reduction.h"

// Not written yet: every call fails.
PackedBitmap ReduceToExactPalette(PackedBitmap) { return nullptr; }
PackedBitmap QuantizeWithDither(PackedBitmap) { return nullptr; }
