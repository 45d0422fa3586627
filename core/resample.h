// Scaled copies of 24-bit pictures: bilinear for scale factors up to 2, box averaging beyond.
#pragma once

#include "core/packed_bitmap.h"

// A new bitmap of the given size with the source's other header fields (biSizeImage made to fit
// the new rows), or null for a null or non-24-bit input, a size that is not
// positive or not accepted, or short memory. The input is left as it is.
PackedBitmap ResizeBitmap(PackedBitmap bitmap, int newWidth, int newHeight);
