// The vector forms of the triangle filters. Each does the inputs from 1 on in whole groups and
// returns the first input it left to the plain form.
#pragma once

#include <cstdint>

#include "core/vector_level.h"

namespace jpeg::decoder {

#if defined(KORVI_X86)
int UpsampleTriangle2x1Sse2(const std::uint8_t* in, int width, std::uint8_t* out);
int UpsampleTriangle2x1Avx2(const std::uint8_t* in, int width, std::uint8_t* out);
int UpsampleTriangle2x2Sse2(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                            std::uint8_t* out);
int UpsampleTriangle2x2Avx2(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                            std::uint8_t* out);
#endif

}  // namespace jpeg::decoder
