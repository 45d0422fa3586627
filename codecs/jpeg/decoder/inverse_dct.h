// The accurate integer inverse DCT (Loeffler, Ligtenberg and Moschytz, 13-bit constants) with
// dequantisation, and the range-limit that brings its results to samples.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jpeg::decoder {

// Dequantises a block (natural order) by `multipliers` and writes its 8 x 8 samples, rows
// `stride` bytes apart. All arithmetic wraps like signed 32-bit integers; results leave through
// a 10-bit range-limit table, so values far out of range wrap instead of saturating.
void InverseDctIslow(const std::int32_t* multipliers, const std::int16_t* block, std::uint8_t* out,
                     std::ptrdiff_t stride);

// The same computed one value at a time; the reference for the vector version.
void InverseDctIslowScalar(const std::int32_t* multipliers, const std::int16_t* block, std::uint8_t* out,
                           std::ptrdiff_t stride);

}  // namespace jpeg::decoder
