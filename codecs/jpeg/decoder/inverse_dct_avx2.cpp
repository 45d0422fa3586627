// The inverse DCT of two blocks at once, one in each 128-bit half, by the same steps as the SSE2
// form. A pair whose blocks are not both within the range where the vector sums are exact, or
// both of a DC alone, goes block by block.
#include "codecs/jpeg/decoder/inverse_dct_vector.h"

#if defined(KORVI_X86)

#include <immintrin.h>

KORVI_BEGIN_AVX2
#include "codecs/jpeg/decoder/vector_ops_256.h"
// (after the operations it takes)
#include "codecs/jpeg/decoder/inverse_dct_steps.h"

namespace jpeg::decoder {
namespace {

// Sixteen bytes from each block's place: the first block's in the low half.
inline V256 Load(const std::int16_t* first, const std::int16_t* second) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(second)), 1);
}

inline void StoreRow(const IdctBlock& block, int r, __m128i samples) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(block.out + block.stride * r), samples);
}

}  // namespace

void InverseDctIslowPairAvx2(const IdctBlock& first, const IdctBlock& second) {
    DequantisedRows<V256> d{{}, Zero(V256{}), Zero(V256{})};
    for (int r = 0; r < 8; ++r)
        Dequantise(d, r, Load(first.coefficients + 8 * r, second.coefficients + 8 * r),
                   Load(first.table->narrow.data() + 8 * r, second.table->narrow.data() + 8 * r),
                   Load(first.table->coefficientLimit.data() + 8 * r,
                        second.table->coefficientLimit.data() + 8 * r));
    const bool bothFlat = _mm256_movemask_epi8(_mm256_cmpeq_epi8(d.ac, _mm256_setzero_si256())) == -1;
    V256 samples[8];
    if (bothFlat || AnySet(d.bad) || !Transform(d.rows, samples)) {
        InverseDctIslow(*first.table, first.coefficients, first.out, first.stride);
        InverseDctIslow(*second.table, second.coefficients, second.out, second.stride);
        return;
    }
    for (int r = 0; r < 8; r += 2) {
        const V256 two = _mm256_packus_epi16(samples[r], samples[r + 1]);
        const __m128i low = _mm256_castsi256_si128(two), high = _mm256_extracti128_si256(two, 1);
        StoreRow(first, r, low);
        StoreRow(first, r + 1, _mm_unpackhi_epi64(low, low));
        StoreRow(second, r, high);
        StoreRow(second, r + 1, _mm_unpackhi_epi64(high, high));
    }
}

}  // namespace jpeg::decoder

KORVI_END_AVX2

#endif
