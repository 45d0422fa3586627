// The inverse DCT eight lanes at a time. While every input of a pass lies within +-16384 no
// sum of either form overflows 32 bits, so both compute the same exact integers: the products
// of the factorisation are regrouped into pairs for _mm_madd_epi16. Blocks outside that range
// (never a real picture's) take the scalar form, whose 32-bit wrapping is the definition.
#include "codecs/jpeg/decoder/inverse_dct.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include "codecs/jpeg/decoder/inverse_dct_constants.h"

namespace jpeg::decoder {
namespace {

constexpr int kLimit = 16384;

// Two 16-bit factors for the (even, odd) elements of each pair.
inline __m128i Pair(int even, int odd) {
    return _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(odd) << 16 |
                                           (static_cast<std::uint32_t>(even) & 0xFFFF)));
}

// Eight 32-bit sums: lanes 0 to 3 and 4 to 7.
struct Wide {
    __m128i low, high;
};
inline Wide operator+(Wide a, Wide b) {
    return {_mm_add_epi32(a.low, b.low), _mm_add_epi32(a.high, b.high)};
}
inline Wide operator-(Wide a, Wide b) {
    return {_mm_sub_epi32(a.low, b.low), _mm_sub_epi32(a.high, b.high)};
}

// a * even + b * odd in every lane.
inline Wide MultiplyAdd(__m128i a, __m128i b, __m128i factors) {
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), factors),
            _mm_madd_epi16(_mm_unpackhi_epi16(a, b), factors)};
}

template <int Shift>
inline __m128i Descale(Wide x) {
    const __m128i half = _mm_set1_epi32(1 << (Shift - 1));
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(x.low, half), Shift),
                           _mm_srai_epi32(_mm_add_epi32(x.high, half), Shift));
}

// One pass over eight vectors d[0..7] whose lanes are independent: the even part from 0, 2, 4,
// 6, the odd part from 1, 3, 5, 7, outputs 0 to 7 descaled.
template <int Shift>
void Pass(const __m128i d[8], __m128i out[8]) {
    const Wide t2 = MultiplyAdd(d[2], d[6], Pair(kC0541, kC0541 - kC1847));
    const Wide t3 = MultiplyAdd(d[2], d[6], Pair(kC0541 + kC0765, kC0541));
    const Wide t0 = MultiplyAdd(d[0], d[4], Pair(8192, 8192));
    const Wide t1 = MultiplyAdd(d[0], d[4], Pair(8192, -8192));
    const Wide t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;

    constexpr int c = kC1175;
    const Wide a0 = MultiplyAdd(d[7], d[1], Pair(kC0298 - kC0899 - kC1961 + c, c - kC0899)) +
                    MultiplyAdd(d[3], d[5], Pair(c - kC1961, c));
    const Wide a1 = MultiplyAdd(d[7], d[1], Pair(c, c - kC0390)) +
                    MultiplyAdd(d[3], d[5], Pair(c - kC2562, kC2053 - kC2562 - kC0390 + c));
    const Wide a2 = MultiplyAdd(d[7], d[1], Pair(c - kC1961, c)) +
                    MultiplyAdd(d[3], d[5], Pair(kC3072 - kC2562 - kC1961 + c, c - kC2562));
    const Wide a3 = MultiplyAdd(d[7], d[1], Pair(c - kC0899, kC1501 - kC0899 - kC0390 + c)) +
                    MultiplyAdd(d[3], d[5], Pair(c, c - kC0390));

    out[0] = Descale<Shift>(t10 + a3);
    out[7] = Descale<Shift>(t10 - a3);
    out[1] = Descale<Shift>(t11 + a2);
    out[6] = Descale<Shift>(t11 - a2);
    out[2] = Descale<Shift>(t12 + a1);
    out[5] = Descale<Shift>(t12 - a1);
    out[3] = Descale<Shift>(t13 + a0);
    out[4] = Descale<Shift>(t13 - a0);
}

inline void Transpose(__m128i r[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// All-ones in the lanes outside -16384..16384.
inline __m128i OutOfRange(__m128i x) {
    return _mm_or_si128(_mm_cmpgt_epi16(x, _mm_set1_epi16(kLimit)),
                        _mm_cmplt_epi16(x, _mm_set1_epi16(-kLimit)));
}

}  // namespace

void InverseDctIslow(const IdctTable& table, const std::int16_t* block, std::uint8_t* out,
                     std::ptrdiff_t stride) {
    __m128i rows[8];
    __m128i any = _mm_setzero_si128(), bad = _mm_setzero_si128();
    for (int r = 0; r < 8; ++r) {
        const __m128i coefficients = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * r));
        const __m128i limit =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.coefficientLimit.data() + 8 * r));
        bad = _mm_or_si128(
            bad, _mm_or_si128(_mm_cmpgt_epi16(coefficients, limit),
                              _mm_cmplt_epi16(coefficients, _mm_sub_epi16(_mm_setzero_si128(), limit))));
        rows[r] = _mm_mullo_epi16(
            coefficients, _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.narrow.data() + 8 * r)));
        any = _mm_or_si128(any, r == 0 ? _mm_srli_si128(coefficients, 2) : coefficients);
    }
    const std::int32_t* multipliers = table.multipliers.data();
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF) {
        const __m128i flat = _mm_set1_epi8(static_cast<char>(FlatBlockSample(block[0], multipliers[0])));
        for (int r = 0; r < 8; ++r) _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride * r), flat);
        return;
    }
    if (_mm_movemask_epi8(bad) != 0) {
        InverseDctIslowScalar(multipliers, block, out, stride);  // out of range: the wrapping form
        return;
    }
    __m128i work[8];
    Pass<11>(rows, work);
    bad = _mm_setzero_si128();
    for (const __m128i& w : work) bad = _mm_or_si128(bad, OutOfRange(w));
    if (_mm_movemask_epi8(bad) != 0) {
        InverseDctIslowScalar(multipliers, block, out, stride);
        return;
    }
    Transpose(work);
    __m128i samples[8];
    Pass<18>(work, samples);
    // The range-limit table as arithmetic: the low 10 bits as a signed value, plus 128, clamped.
    for (__m128i& s : samples)
        s = _mm_add_epi16(_mm_srai_epi16(_mm_slli_epi16(s, 6), 6), _mm_set1_epi16(128));
    Transpose(samples);
    for (int r = 0; r < 8; r += 2) {
        const __m128i two = _mm_packus_epi16(samples[r], samples[r + 1]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride * r), two);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + stride * (r + 1)), _mm_unpackhi_epi64(two, two));
    }
}

}  // namespace jpeg::decoder

#endif
