// The steps of the vector inverse DCT for a vector type V of 16-bit lanes whose 128-bit halves
// work alone, each half holding one block. The file that includes it first includes the
// operations on V (vector_ops_128.h or vector_ops_256.h).
//
// While every input of a pass lies within +-16384 no sum of either the scalar or this form
// overflows 32 bits, so both compute the same exact integers: the products of the factorisation
// are regrouped into pairs for the multiply-add of pairs of 16-bit lanes.
#pragma once

#include <cstdint>

#include "codecs/jpeg/decoder/inverse_dct_constants.h"

namespace jpeg::decoder {
namespace {

constexpr int kVectorLimit = 16384;

// Two 16-bit factors for the (even, odd) elements of each pair.
template <typename V>
inline V Pair(int even, int odd) {
    return Splat32(V{}, static_cast<int>(static_cast<std::uint32_t>(odd) << 16 |
                                         (static_cast<std::uint32_t>(even) & 0xFFFF)));
}

// 32-bit sums of the low and the high four 16-bit lanes of each half.
template <typename V>
struct Wide {
    V low, high;
};
template <typename V>
inline Wide<V> operator+(Wide<V> a, Wide<V> b) {
    return {Add32(a.low, b.low), Add32(a.high, b.high)};
}
template <typename V>
inline Wide<V> operator-(Wide<V> a, Wide<V> b) {
    return {Sub32(a.low, b.low), Sub32(a.high, b.high)};
}

// a * even + b * odd in every lane.
template <typename V>
inline Wide<V> MultiplyAdd(V a, V b, V factors) {
    return {MultiplyAddPairs(UnpackLow16(a, b), factors), MultiplyAddPairs(UnpackHigh16(a, b), factors)};
}

template <int Shift, typename V>
inline V Descale(Wide<V> x) {
    const V half = Splat32(V{}, 1 << (Shift - 1));
    return PackSaturated32(ShiftRightSigned32<Shift>(Add32(x.low, half)),
                           ShiftRightSigned32<Shift>(Add32(x.high, half)));
}

// One pass over eight vectors d[0..7] whose lanes are independent: the even part from 0, 2, 4,
// 6, the odd part from 1, 3, 5, 7, outputs 0 to 7 descaled.
template <int Shift, typename V>
void Pass(const V d[8], V out[8]) {
    const Wide<V> t2 = MultiplyAdd(d[2], d[6], Pair<V>(kC0541, kC0541 - kC1847));
    const Wide<V> t3 = MultiplyAdd(d[2], d[6], Pair<V>(kC0541 + kC0765, kC0541));
    const Wide<V> t0 = MultiplyAdd(d[0], d[4], Pair<V>(8192, 8192));
    const Wide<V> t1 = MultiplyAdd(d[0], d[4], Pair<V>(8192, -8192));
    const Wide<V> t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;

    constexpr int c = kC1175;
    const Wide<V> a0 = MultiplyAdd(d[7], d[1], Pair<V>(kC0298 - kC0899 - kC1961 + c, c - kC0899)) +
                       MultiplyAdd(d[3], d[5], Pair<V>(c - kC1961, c));
    const Wide<V> a1 = MultiplyAdd(d[7], d[1], Pair<V>(c, c - kC0390)) +
                       MultiplyAdd(d[3], d[5], Pair<V>(c - kC2562, kC2053 - kC2562 - kC0390 + c));
    const Wide<V> a2 = MultiplyAdd(d[7], d[1], Pair<V>(c - kC1961, c)) +
                       MultiplyAdd(d[3], d[5], Pair<V>(kC3072 - kC2562 - kC1961 + c, c - kC2562));
    const Wide<V> a3 = MultiplyAdd(d[7], d[1], Pair<V>(c - kC0899, kC1501 - kC0899 - kC0390 + c)) +
                       MultiplyAdd(d[3], d[5], Pair<V>(c, c - kC0390));

    out[0] = Descale<Shift>(t10 + a3);
    out[7] = Descale<Shift>(t10 - a3);
    out[1] = Descale<Shift>(t11 + a2);
    out[6] = Descale<Shift>(t11 - a2);
    out[2] = Descale<Shift>(t12 + a1);
    out[5] = Descale<Shift>(t12 - a1);
    out[3] = Descale<Shift>(t13 + a0);
    out[4] = Descale<Shift>(t13 - a0);
}

template <typename V>
inline void Transpose(V r[8]) {
    const V a0 = UnpackLow16(r[0], r[1]), a1 = UnpackHigh16(r[0], r[1]);
    const V a2 = UnpackLow16(r[2], r[3]), a3 = UnpackHigh16(r[2], r[3]);
    const V a4 = UnpackLow16(r[4], r[5]), a5 = UnpackHigh16(r[4], r[5]);
    const V a6 = UnpackLow16(r[6], r[7]), a7 = UnpackHigh16(r[6], r[7]);
    const V b0 = UnpackLow32(a0, a2), b1 = UnpackHigh32(a0, a2);
    const V b2 = UnpackLow32(a1, a3), b3 = UnpackHigh32(a1, a3);
    const V b4 = UnpackLow32(a4, a6), b5 = UnpackHigh32(a4, a6);
    const V b6 = UnpackLow32(a5, a7), b7 = UnpackHigh32(a5, a7);
    r[0] = UnpackLow64(b0, b4);
    r[1] = UnpackHigh64(b0, b4);
    r[2] = UnpackLow64(b1, b5);
    r[3] = UnpackHigh64(b1, b5);
    r[4] = UnpackLow64(b2, b6);
    r[5] = UnpackHigh64(b2, b6);
    r[6] = UnpackLow64(b3, b7);
    r[7] = UnpackHigh64(b3, b7);
}

// All-ones in the lanes outside -16384..16384.
template <typename V>
inline V OutOfRange(V x) {
    return Or(Greater16(x, Splat16(V{}, kVectorLimit)), Greater16(Splat16(V{}, -kVectorLimit), x));
}

// A block's rows dequantised, with the lanes whose product would leave 16 bits marked in `bad`
// and the AC coefficients gathered in `ac` (row 0 without its first lane, the DC).
template <typename V>
struct DequantisedRows {
    V rows[8];
    V bad, ac;
};
template <typename V>
inline void Dequantise(DequantisedRows<V>& d, int r, V coefficients, V narrow, V limit) {
    d.bad = Or(d.bad, Or(Greater16(coefficients, limit), Greater16(Sub16(Zero(V{}), limit), coefficients)));
    d.rows[r] = MultiplyLow16(coefficients, narrow);
    d.ac = Or(d.ac, r == 0 ? DropFirstLane16(coefficients) : coefficients);
}

// Both passes, with the range-limit table as arithmetic (the low 10 bits as a signed value,
// plus 128, clamped when packed); false when the first pass leaves a value out of the range.
template <typename V>
inline bool Transform(const V rows[8], V samples[8]) {
    V work[8];
    Pass<11>(rows, work);
    V bad = Zero(V{});
    for (const V& w : work) bad = Or(bad, OutOfRange(w));
    if (AnySet(bad)) return false;
    Transpose(work);
    Pass<18>(work, samples);
    for (int i = 0; i < 8; ++i)
        samples[i] = Add16(ShiftRightSigned16<6>(ShiftLeft16<6>(samples[i])), Splat16(V{}, 128));
    Transpose(samples);
    return true;
}

}  // namespace
}  // namespace jpeg::decoder
