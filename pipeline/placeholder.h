// A tiny blurred preview of a picture, for a page to show at once while the picture loads: the
// picture shrunk to 10 pixels on its longer side, enlarged smoothly to four times that and
// written as lossy WebP, which a browser stretches over the picture's box.
#pragma once

#include <cstddef>
#include <string>

#include "core/packed_bitmap.h"

// The most bytes a preview's data URI has.
constexpr std::size_t kMaxPlaceholderBytes = 600;

// The preview's data URI (mostly 150 to 300 bytes, at most kMaxPlaceholderBytes), or an empty
// text when memory is short or the encoder fails. The picture (24-bit) is only read.
std::string PlaceholderUri(PackedBitmap picture, int width, int height);
