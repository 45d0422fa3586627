// How much storing a picture's colour once for each 2 x 2 block of pixels, as lossy WebP does,
// moves the light of its pixels: where it moves it, libwebp's sharp YUV pays for its time.
#pragma once

#include "core/packed_bitmap.h"

// The root mean square change of each pixel's linear-light luminance (0 to 1) when its block's
// mean chroma takes the place of its own and its luma stays, over a 24-bit picture: 0 for a
// grey one, above 0.001 where saturated colours meet.
double SubsamplingLightError(const BITMAPINFOHEADER* header);
