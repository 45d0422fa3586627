// The inverse DCT eight lanes at a time. Blocks outside the range where the vector sums are
// exact (never a real picture's) take the scalar form, whose 32-bit wrapping is the definition.
#include "codecs/jpeg/decoder/inverse_dct.h"

#if defined(__SSE2__)

#include "codecs/jpeg/decoder/vector_ops_128.h"
// (after the operations it takes)
#include "codecs/jpeg/decoder/inverse_dct_steps.h"

namespace jpeg::decoder {
namespace {

inline V128 Load(const std::int16_t* values) {
    return _mm_loadu_si128(reinterpret_cast<const V128*>(values));
}

}  // namespace

void InverseDctIslow(const IdctTable& table, const std::int16_t* block, std::uint8_t* out,
                     std::ptrdiff_t stride) {
    DequantisedRows<V128> d{{}, Zero(V128{}), Zero(V128{})};
    for (int r = 0; r < 8; ++r)
        Dequantise(d, r, Load(block + 8 * r), Load(table.narrow.data() + 8 * r),
                   Load(table.coefficientLimit.data() + 8 * r));
    const std::int32_t* multipliers = table.multipliers.data();
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(d.ac, _mm_setzero_si128())) == 0xFFFF) {
        const V128 flat = _mm_set1_epi8(static_cast<char>(FlatBlockSample(block[0], multipliers[0])));
        for (int r = 0; r < 8; ++r) _mm_storel_epi64(reinterpret_cast<V128*>(out + stride * r), flat);
        return;
    }
    V128 samples[8];
    if (AnySet(d.bad) || !Transform(d.rows, samples)) {
        InverseDctIslowScalar(multipliers, block, out, stride);  // out of range: the wrapping form
        return;
    }
    for (int r = 0; r < 8; r += 2) {
        const V128 two = _mm_packus_epi16(samples[r], samples[r + 1]);
        _mm_storel_epi64(reinterpret_cast<V128*>(out + stride * r), two);
        _mm_storel_epi64(reinterpret_cast<V128*>(out + stride * (r + 1)), _mm_unpackhi_epi64(two, two));
    }
}

}  // namespace jpeg::decoder

#endif
