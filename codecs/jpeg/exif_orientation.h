// Camera pictures record in their Exif segment how they must be turned to stand upright; the
// loader turns decoded JPEG pictures accordingly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/packed_bitmap.h"

// The orientation tag (1 to 8) of the first Exif segment of a JPEG file's bytes, or 1 when the
// file has none or it is damaged. 1 is upright, 2 mirrored, 3 upside down, 4 mirrored upside
// down, 5 to 8 the same four turned a quarter.
int ExifOrientation(const std::uint8_t* data, std::size_t size);

// How far into a file the orientation is looked for.
constexpr std::size_t kExifSearchBytes = std::size_t{1} << 17;

// Takes a 24-bit picture over and returns it turned upright from `orientation`: itself for 1 or
// an unknown value, otherwise a new picture (the old one freed). When memory is short the
// picture is kept as it is.
PackedBitmap TurnUpright(PackedBitmap picture, int orientation);
