// What a picture's lossless encodings may come to, cheaply: -f auto tries them only where they
// may be the shortest line.
#pragma once

#include <cstddef>
#include <optional>

#include "core/packed_bitmap.h"

// libwebp's fastest lossless encoding of the 24-bit picture, in bytes; nothing when it cannot
// be made. Throws std::bad_alloc when memory is short.
std::optional<std::size_t> FastLosslessWebpBytes(PackedBitmap picture);

// The same, from bands of 16 rows, one in 4, for a quarter of the time, where the picture has
// 256 rows or more: over those of the shared corpus at 430 wide and of bench/auto_survey.cpp,
// 0.91 to 1.06 of the encoding of the whole photograph, up to 1.29 of a diagram's.
std::optional<std::size_t> FastLosslessEstimate(PackedBitmap picture);
