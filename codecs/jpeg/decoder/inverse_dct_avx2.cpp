// The inverse DCT of two blocks at once, one in each 128-bit half: the SSE2 form's steps in
// twice the lanes, all of which stay within their half. A pair whose blocks are not both within
// the range where the vector sums are exact goes block by block.
#include "codecs/jpeg/decoder/inverse_dct_vector.h"

#if defined(KORVI_X86)

#include <immintrin.h>

#include "codecs/jpeg/decoder/inverse_dct_constants.h"

namespace jpeg::decoder {
namespace {

constexpr int kLimit = 16384;

KORVI_AVX2 inline __m256i Pair(int even, int odd) {
    return _mm256_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(odd) << 16 |
                                              (static_cast<std::uint32_t>(even) & 0xFFFF)));
}

struct Wide {
    __m256i low, high;
};
KORVI_AVX2 inline Wide operator+(Wide a, Wide b) {
    return {_mm256_add_epi32(a.low, b.low), _mm256_add_epi32(a.high, b.high)};
}
KORVI_AVX2 inline Wide operator-(Wide a, Wide b) {
    return {_mm256_sub_epi32(a.low, b.low), _mm256_sub_epi32(a.high, b.high)};
}

KORVI_AVX2 inline Wide MultiplyAdd(__m256i a, __m256i b, __m256i factors) {
    return {_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), factors),
            _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), factors)};
}

template <int Shift>
KORVI_AVX2 inline __m256i Descale(Wide x) {
    const __m256i half = _mm256_set1_epi32(1 << (Shift - 1));
    return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(x.low, half), Shift),
                              _mm256_srai_epi32(_mm256_add_epi32(x.high, half), Shift));
}

template <int Shift>
KORVI_AVX2 void Pass(const __m256i d[8], __m256i out[8]) {
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

KORVI_AVX2 inline void Transpose(__m256i r[8]) {
    const __m256i a0 = _mm256_unpacklo_epi16(r[0], r[1]), a1 = _mm256_unpackhi_epi16(r[0], r[1]);
    const __m256i a2 = _mm256_unpacklo_epi16(r[2], r[3]), a3 = _mm256_unpackhi_epi16(r[2], r[3]);
    const __m256i a4 = _mm256_unpacklo_epi16(r[4], r[5]), a5 = _mm256_unpackhi_epi16(r[4], r[5]);
    const __m256i a6 = _mm256_unpacklo_epi16(r[6], r[7]), a7 = _mm256_unpackhi_epi16(r[6], r[7]);
    const __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
    const __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
    const __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
    const __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);
    r[0] = _mm256_unpacklo_epi64(b0, b4);
    r[1] = _mm256_unpackhi_epi64(b0, b4);
    r[2] = _mm256_unpacklo_epi64(b1, b5);
    r[3] = _mm256_unpackhi_epi64(b1, b5);
    r[4] = _mm256_unpacklo_epi64(b2, b6);
    r[5] = _mm256_unpackhi_epi64(b2, b6);
    r[6] = _mm256_unpacklo_epi64(b3, b7);
    r[7] = _mm256_unpackhi_epi64(b3, b7);
}

KORVI_AVX2 inline __m256i OutOfRange(__m256i x) {
    return _mm256_or_si256(_mm256_cmpgt_epi16(x, _mm256_set1_epi16(kLimit)),
                           _mm256_cmpgt_epi16(_mm256_set1_epi16(-kLimit), x));
}

// Sixteen bytes from each block's place: the first block's in the low half.
KORVI_AVX2 inline __m256i Load(const void* first, const void* second) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(first))),
        _mm_loadu_si128(static_cast<const __m128i*>(second)), 1);
}

}  // namespace

KORVI_AVX2 void InverseDctIslowPairAvx2(const IdctBlock& first, const IdctBlock& second) {
    __m256i rows[8];
    __m256i any = _mm256_setzero_si256(), bad = _mm256_setzero_si256();
    for (int r = 0; r < 8; ++r) {
        const __m256i coefficients = Load(first.coefficients + 8 * r, second.coefficients + 8 * r);
        const __m256i limit =
            Load(first.table->coefficientLimit.data() + 8 * r, second.table->coefficientLimit.data() + 8 * r);
        bad = _mm256_or_si256(
            bad, _mm256_or_si256(
                     _mm256_cmpgt_epi16(coefficients, limit),
                     _mm256_cmpgt_epi16(_mm256_sub_epi16(_mm256_setzero_si256(), limit), coefficients)));
        rows[r] = _mm256_mullo_epi16(
            coefficients, Load(first.table->narrow.data() + 8 * r, second.table->narrow.data() + 8 * r));
        any = _mm256_or_si256(any, r == 0 ? _mm256_srli_si256(coefficients, 2) : coefficients);
    }
    // Blocks of a DC alone fill at once; a pair of them, or a pair with a block out of range, goes
    // block by block.
    const unsigned flat =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(any, _mm256_setzero_si256())));
    if (flat == 0xFFFFFFFFu || _mm256_movemask_epi8(bad) != 0) {
        InverseDctIslow(*first.table, first.coefficients, first.out, first.stride);
        InverseDctIslow(*second.table, second.coefficients, second.out, second.stride);
        return;
    }
    __m256i work[8];
    Pass<11>(rows, work);
    bad = _mm256_setzero_si256();
    for (const __m256i& w : work) bad = _mm256_or_si256(bad, OutOfRange(w));
    if (_mm256_movemask_epi8(bad) != 0) {
        InverseDctIslow(*first.table, first.coefficients, first.out, first.stride);
        InverseDctIslow(*second.table, second.coefficients, second.out, second.stride);
        return;
    }
    Transpose(work);
    __m256i samples[8];
    Pass<18>(work, samples);
    for (__m256i& s : samples)
        s = _mm256_add_epi16(_mm256_srai_epi16(_mm256_slli_epi16(s, 6), 6), _mm256_set1_epi16(128));
    Transpose(samples);
    for (int r = 0; r < 8; r += 2) {
        const __m256i two = _mm256_packus_epi16(samples[r], samples[r + 1]);
        const __m128i low = _mm256_castsi256_si128(two), high = _mm256_extracti128_si256(two, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(first.out + first.stride * r), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(first.out + first.stride * (r + 1)),
                         _mm_unpackhi_epi64(low, low));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(second.out + second.stride * r), high);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(second.out + second.stride * (r + 1)),
                         _mm_unpackhi_epi64(high, high));
    }
}

}  // namespace jpeg::decoder

#endif
