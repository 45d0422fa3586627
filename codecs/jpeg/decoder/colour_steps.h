// YCbCr to blue, green, red in 16-bit lanes for a vector type V whose 128-bit halves work alone.
// The file that includes it first includes the operations on V (vector_ops_128.h or
// vector_ops_256.h).
//
// Each table term (f x + 32768) >> 16 is split into a whole multiple of x and a product small
// enough for the multiply-add of 16-bit pairs, which gives the same integers; the sums are
// clamped by the saturating pack, as the scalar form clamps.
#pragma once

#include <cstdint>

namespace jpeg::decoder {
namespace {

// Two 16-bit factors for the (even, odd) elements of each pair.
template <typename V>
inline V FactorPair(int even, int odd) {
    return Splat32(V{}, static_cast<int>(static_cast<std::uint32_t>(odd) << 16 |
                                         (static_cast<std::uint32_t>(even) & 0xFFFF)));
}

// (a * even + b * odd + add) >> 16 in every 16-bit lane.
template <typename V>
inline V Term(V a, V b, V factors, V add) {
    return PackSaturated32(ShiftRightSigned32<16>(Add32(MultiplyAddPairs(UnpackLow16(a, b), factors), add)),
                           ShiftRightSigned32<16>(Add32(MultiplyAddPairs(UnpackHigh16(a, b), factors), add)));
}

template <typename V>
struct Channels {
    V b, g, r;  // 16-bit, not yet clamped
};

// Pixels from 16-bit lanes of Y, Cb - 128 and Cr - 128.
template <typename V>
inline Channels<V> Convert(V y, V cb, V cr) {
    const V two = Splat16(V{}, 2), zero = Zero(V{}), half = Splat32(V{}, 32768);
    // 91881 = 65536 + 26345; 116130 = 131072 - 14942; -46802 = -65536 + 18734. The 2 * 16384
    // of each pair is the rounding half.
    const V r = Add16(cr, Term(cr, two, FactorPair<V>(26345, 16384), zero));
    const V b = Add16(Add16(cb, cb), Term(cb, two, FactorPair<V>(-14942, 16384), zero));
    const V g = Sub16(Term(cb, cr, FactorPair<V>(-22554, 18734), half), cr);
    return {Add16(y, b), Add16(y, g), Add16(y, r)};
}

}  // namespace
}  // namespace jpeg::decoder
