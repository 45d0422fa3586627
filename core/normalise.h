// Turning freshly loaded pictures of 1, 4, 8 or 32 bits into 24-bit ones.
#pragma once

#include "core/packed_bitmap.h"

// Takes the bitmap over. Returns it unchanged when it is 24-bit, otherwise a new 24-bit bitmap
// after freeing it, or null after freeing it (other depths, compressed or malformed blocks).
// Pixel values beyond the colour table read as black.
PackedBitmap NormaliseTo24(PackedBitmap bitmap);
