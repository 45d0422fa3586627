// Structural similarity (SSIM) of Wang, Bovik, Sheikh and Simoncelli (2004) on luma: how alike
// a picture looks to its reference, 1 for identical pictures.
//
// Luma is Y = 0.299 R + 0.587 G + 0.114 B (BT.601), unrounded. The constants are the published
// ones: K1 = 0.01, K2 = 0.03, L = 255, and an 11 x 11 circular-symmetric Gaussian window with
// sigma 1.5, summing to 1. The index is taken at every position where the window lies wholly
// inside the picture and averaged (mean SSIM). A window is flat where the reference's luma
// variance is at most 4; flat windows score near 1 whatever blocks or banding a coder leaves in
// them, so in a picture where they are the majority (a screenshot, an icon) they would hide the
// damage to text and edges: there the mean is taken over the other windows only, unless fewer
// than 1 % of them have detail. Along a side shorter than 11 pixels the window is as long as
// that side: the same Gaussian, centred on it and summing to 1 again, so a picture of 1 x 1
// compares its one luma value.
#pragma once

#include <optional>

#include "core/packed_bitmap.h"

// The mean SSIM of a 24-bit bitmap against its 24-bit reference of the same size; nothing for
// other bitmaps or when memory is short.
std::optional<double> MeanSsim(PackedBitmap reference, PackedBitmap candidate);
