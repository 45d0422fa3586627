// The vector forms of the colour output. Each converts whole groups of pixels from the start of
// the row and returns how many it converted; the plain form does the rest.
#pragma once

#include <cstdint>

#include "core/vector_level.h"

namespace jpeg::decoder {

#if defined(KORVI_X86)
int ConvertYCbCrRowSse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                        std::uint8_t* bgr);
int ConvertYCbCrRowAvx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                        std::uint8_t* bgr);
int ConvertGrayRowSse2(const std::uint8_t* y, int width, std::uint8_t* bgr);
int ConvertGrayRowAvx2(const std::uint8_t* y, int width, std::uint8_t* bgr);
#endif

}  // namespace jpeg::decoder
