// The accurate integer inverse DCT (Loeffler, Ligtenberg and Moschytz, 13-bit constants) with
// dequantisation, and the range-limit that brings its results to samples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace jpeg::decoder {

// A component's quantisation table in natural order, as the transform multiplies by it.
struct IdctTable {
    std::array<std::int32_t, 64> multipliers{};
    // For the vector form: the values that fit 16 bits (others 0), and for each place the
    // largest coefficient magnitude whose product stays within +-16384 (0 for none).
    std::array<std::int16_t, 64> narrow{}, coefficientLimit{};
};

IdctTable MakeIdctTable(const std::array<std::int32_t, 64>& multipliers);

// Dequantises a block (natural order) by `multipliers` and writes its 8 x 8 samples, rows
// `stride` bytes apart. All arithmetic wraps like signed 32-bit integers; results leave through
// a 10-bit range-limit table, so values far out of range wrap instead of saturating.
void InverseDctIslow(const IdctTable& table, const std::int16_t* block, std::uint8_t* out,
                     std::ptrdiff_t stride);

// A block for the inverse DCT: its table, its coefficients and where its samples go.
struct IdctBlock {
    const IdctTable* table;
    const std::int16_t* coefficients;
    std::uint8_t* out;
    std::ptrdiff_t stride;
};

// The blocks one after another, as InverseDctIslow does each; two at a time where the processor
// has AVX2.
void InverseDctBlocks(const IdctBlock* blocks, int count);

// The sample of every place of a block whose only nonzero coefficient is the DC: what the
// transform gives for it, wrapping included.
std::uint8_t FlatBlockSample(std::int16_t dc, std::int32_t multiplier);

// The same computed one value at a time; the reference for the vector version.
void InverseDctIslowScalar(const std::int32_t* multipliers, const std::int16_t* block, std::uint8_t* out,
                           std::ptrdiff_t stride);

}  // namespace jpeg::decoder
