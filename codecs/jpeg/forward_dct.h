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

// Division by a table's divisors, each replaced by a multiply and shift that gives the same
// quotient for every dividend the DCT can produce.
class Quantiser {
  public:
    void Build(const EncoderQuantTable& table);

    // Rounds each coefficient to the nearest multiple of its divisor, halves away from zero.
    void Quantise(const std::int32_t* coefficients, std::int16_t* out) const;

    std::int32_t Divisor(int natural) const { return static_cast<std::int32_t>(divisor_[natural]); }

  private:
    std::array<std::uint32_t, kBlockSize> divisor_{}, half_{}, multiplier_{};
    std::array<std::uint8_t, kBlockSize> shift_{};
};

}  // namespace jpeg
