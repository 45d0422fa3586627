// RGB to YCbCr sixteen pixels at a time, by the same integer sums as the tables.
#pragma once

#include <cstdint>

#include "core/vector_level.h"

namespace jpeg {

#if defined(KORVI_X86)
// Converts whole groups of 16 pixels from the start of the row; returns the pixels converted.
int ConvertRowSsse3(const std::uint8_t* bgr, int width, std::uint8_t* y, std::uint8_t* cb, std::uint8_t* cr);
#endif

}  // namespace jpeg
