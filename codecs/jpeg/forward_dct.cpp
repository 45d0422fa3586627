#include "codecs/jpeg/forward_dct.h"

namespace jpeg {
namespace {

// 0.382683433, 0.541196100, 0.707106781 and 1.306562965, times 256.
constexpr std::int32_t kC6 = 98, kC2MinusC6 = 139, kC4 = 181, kC2PlusC6 = 334;

inline std::int32_t Mul(std::int32_t value, std::int32_t constant) {
    return (value * constant) >> 8;
}

// One 1-D pass over eight values `step` apart, in place.
inline void Pass(std::int32_t* d, int step) {
    const std::int32_t t0 = d[0] + d[7 * step], t7 = d[0] - d[7 * step];
    const std::int32_t t1 = d[step] + d[6 * step], t6 = d[step] - d[6 * step];
    const std::int32_t t2 = d[2 * step] + d[5 * step], t5 = d[2 * step] - d[5 * step];
    const std::int32_t t3 = d[3 * step] + d[4 * step], t4 = d[3 * step] - d[4 * step];

    const std::int32_t e10 = t0 + t3, e13 = t0 - t3, e11 = t1 + t2, e12 = t1 - t2;
    d[0] = e10 + e11;
    d[4 * step] = e10 - e11;
    const std::int32_t z1 = Mul(e12 + e13, kC4);
    d[2 * step] = e13 + z1;
    d[6 * step] = e13 - z1;

    const std::int32_t o10 = t4 + t5, o11 = t5 + t6, o12 = t6 + t7;
    const std::int32_t z5 = Mul(o10 - o12, kC6);
    const std::int32_t z2 = Mul(o10, kC2MinusC6) + z5;
    const std::int32_t z4 = Mul(o12, kC2PlusC6) + z5;
    const std::int32_t z3 = Mul(o11, kC4);
    const std::int32_t z11 = t7 + z3, z13 = t7 - z3;
    d[5 * step] = z13 + z2;
    d[3 * step] = z13 - z2;
    d[step] = z11 + z4;
    d[7 * step] = z11 - z4;
}

// t / d == (t * ceil(2^s / d)) >> s whenever t * d <= 2^s. The DCT's outputs stay below 2^15,
// so with divisors below 2^15 the dividends t = |c| + d / 2 stay below 2^16 and s = 32 serves;
// a divisor of 1 takes the multiplier 2^32 - 1 and the rounding term 1 instead, which gives
// (|c| + 1) * (2^32 - 1) >> 32 = |c|. Larger divisors (below 2^19) leave dividends below 2^20
// and take s = 39 with 64-bit multipliers.
constexpr std::uint32_t kNarrowLimit = 1u << 15;
constexpr int kWideShift = 39;

}  // namespace

void ForwardDct(const std::uint8_t* samples, int stride, std::int32_t* out) {
    for (int row = 0; row < 8; ++row, samples += stride) {
        std::int32_t* d = out + 8 * row;
        for (int col = 0; col < 8; ++col) d[col] = samples[col] - 128;
        Pass(d, 1);
    }
    for (int col = 0; col < 8; ++col) Pass(out + col, 8);
}

void Quantiser::Build(const EncoderQuantTable& table) {
    narrow_ = true;
    for (int k = 0; k < kBlockSize; ++k) {
        const int i = kNaturalOrder[k];
        // At least 1: every table value is, and the smallest scale is 1247.
        const std::uint64_t d = (static_cast<std::uint64_t>(table.values[k]) * kDctScale[i] + 1024) >> 11;
        if (d >= kNarrowLimit) narrow_ = false;
        half_[i] = d == 1 ? 1 : static_cast<std::uint32_t>(d / 2);
        multiplier_[i] =
            d == 1 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(((std::uint64_t{1} << 32) + d - 1) / d);
        wideHalf_[i] = static_cast<std::uint32_t>(d / 2);
        wideMultiplier_[i] = ((std::uint64_t{1} << kWideShift) + d - 1) / d;
    }
}

void Quantiser::Quantise(const std::int32_t* coefficients, QuantisedBlock& out) const {
    if (!narrow_) return QuantiseWide(coefficients, out);
    std::int16_t natural[kBlockSize];
    for (int i = 0; i < kBlockSize; ++i) {
        const std::int32_t c = coefficients[i];
        const std::int32_t sign = c >> 31;  // 0 or -1
        const std::uint32_t t = static_cast<std::uint32_t>((c ^ sign) - sign) + half_[i];
        const auto q = static_cast<std::int32_t>((std::uint64_t{t} * multiplier_[i]) >> 32);
        natural[i] = static_cast<std::int16_t>((q ^ sign) - sign);
    }
    std::uint64_t nonzero = 0;
    for (int k = 0; k < kBlockSize; ++k) {
        const std::int16_t q = natural[kNaturalOrder[k]];
        out.zigzag[k] = q;
        nonzero |= static_cast<std::uint64_t>(q != 0) << k;
    }
    out.nonzero = nonzero & ~std::uint64_t{1};
}

void Quantiser::QuantiseWide(const std::int32_t* coefficients, QuantisedBlock& out) const {
    std::uint64_t nonzero = 0;
    for (int k = 0; k < kBlockSize; ++k) {
        const int i = kNaturalOrder[k];
        const std::int32_t c = coefficients[i];
        const std::int32_t sign = c >> 31;
        const std::uint64_t t = static_cast<std::uint32_t>((c ^ sign) - sign) + wideHalf_[i];
        const auto q = static_cast<std::int32_t>((t * wideMultiplier_[i]) >> kWideShift);
        out.zigzag[k] = static_cast<std::int16_t>((q ^ sign) - sign);
        nonzero |= static_cast<std::uint64_t>(q != 0) << k;
    }
    out.nonzero = nonzero & ~std::uint64_t{1};
}

}  // namespace jpeg
