// The triangle filters sixteen outputs at a time; the two outputs at each end of a row follow
// the scalar form, which keeps its edge rules.
#include "codecs/jpeg/decoder/upsampling_vector.h"

#if defined(KORVI_X86)

#include <emmintrin.h>

namespace jpeg::decoder {
namespace {

inline __m128i Load8(const std::uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

inline __m128i Times3(__m128i x) {
    return _mm_add_epi16(_mm_add_epi16(x, x), x);
}

// Outputs 2i and 2i + 1 for eight inputs i, interleaved into sixteen bytes.
inline void Store(std::uint8_t* out, __m128i even, __m128i odd) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_unpacklo_epi8(_mm_packus_epi16(even, even), _mm_packus_epi16(odd, odd)));
}

}  // namespace

int UpsampleTriangle2x1Sse2(const std::uint8_t* in, int width, std::uint8_t* out) {
    // Inputs 1 to width - 2 have both neighbours.
    int i = 1;
    for (; i + 8 <= width - 1; i += 8) {
        const __m128i nearer = Times3(Load8(in + i));
        const __m128i even =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(nearer, Load8(in + i - 1)), _mm_set1_epi16(1)), 2);
        const __m128i odd =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(nearer, Load8(in + i + 1)), _mm_set1_epi16(2)), 2);
        Store(out + 2 * i, even, odd);
    }
    return i;
}

int UpsampleTriangle2x2Sse2(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                            std::uint8_t* out) {
    const auto column = [&](int i) { return _mm_add_epi16(Times3(Load8(nearer + i)), Load8(farther + i)); };
    int i = 1;
    for (; i + 8 <= width - 1; i += 8) {
        const __m128i current = Times3(column(i));
        const __m128i even =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(current, column(i - 1)), _mm_set1_epi16(8)), 4);
        const __m128i odd =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(current, column(i + 1)), _mm_set1_epi16(7)), 4);
        Store(out + 2 * i, even, odd);
    }
    return i;
}

}  // namespace jpeg::decoder

#endif
