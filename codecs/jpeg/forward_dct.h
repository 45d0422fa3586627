// The fast integer forward DCT (Arai, Agui and Nakajima, 8-bit constants) and the rounding
// quantisation whose divisors absorb the DCT's scale factors.
#pragma once

#include <array>
#include <cstdint>

#include "codecs/jpeg/jpeg_tables.h"

namespace jpeg {

// Transforms the 8 x 8 samples at `samples` (rows `stride` bytes apart) into `out`, natural
// order, unnormalised: 8 times a true DCT, times the factors of kDctScale / 2048.
void ForwardDct(const std::uint8_t* samples, int stride, std::int32_t* out);

// A quantised block in zigzag order, with bit k of `nonzero` set when coefficient k (k >= 1)
// is not zero, so that the coder can jump over runs of zeros.
struct QuantisedBlock {
    std::array<std::int16_t, kBlockSize> zigzag;
    std::uint64_t nonzero;

    // A block with only a DC coefficient.
    void SetFlat(std::int16_t dc) {
        zigzag.fill(0);
        zigzag[0] = dc;
        nonzero = 0;
    }
};

// Division by a table's divisors, each replaced by a multiplication and a shift that give the
// same quotient for every dividend the DCT can produce.
class Quantiser {
  public:
    void Build(const EncoderQuantTable& table);

    // Divides each coefficient (natural order) by its divisor, rounding halves away from zero.
    void Quantise(const std::int32_t* coefficients, QuantisedBlock& out) const;

  private:
    void QuantiseWide(const std::int32_t* coefficients, QuantisedBlock& out) const;

    // Divisors below 2^15 (all but those of the lowest qualities) take 32-bit multipliers.
    bool narrow_ = true;
    // Per natural position: the rounding term and the multiplier for the reciprocal.
    std::array<std::uint32_t, kBlockSize> half_{}, multiplier_{};
    // The same for wide divisors.
    std::array<std::uint32_t, kBlockSize> wideHalf_{};
    std::array<std::uint64_t, kBlockSize> wideMultiplier_{};
};

}  // namespace jpeg
