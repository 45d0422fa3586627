// The triangle filters thirty-two outputs at a time: sixteen inputs widened across the whole
// register, the even and odd outputs packed and then interleaved within each half.
#include "codecs/jpeg/decoder/upsampling_vector.h"

#if defined(KORVI_X86)

#include <immintrin.h>

KORVI_BEGIN_AVX2

namespace jpeg::decoder {
namespace {

inline __m256i Load16(const std::uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

inline __m256i Times3(__m256i x) {
    return _mm256_add_epi16(_mm256_add_epi16(x, x), x);
}

// Outputs 2i and 2i + 1 for sixteen inputs i, in order.
inline void Store(std::uint8_t* out, __m256i even, __m256i odd) {
    const __m256i pairs =
        _mm256_shuffle_epi8(_mm256_packus_epi16(even, odd),
                            _mm256_setr_epi8(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15, 0, 8, 1, 9,
                                             2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), pairs);
}

}  // namespace

int UpsampleTriangle2x1Avx2(const std::uint8_t* in, int width, std::uint8_t* out) {
    int i = 1;
    for (; i + 16 <= width - 1; i += 16) {
        const __m256i nearer = Times3(Load16(in + i));
        const __m256i even = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_add_epi16(nearer, Load16(in + i - 1)), _mm256_set1_epi16(1)), 2);
        const __m256i odd = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_add_epi16(nearer, Load16(in + i + 1)), _mm256_set1_epi16(2)), 2);
        Store(out + 2 * i, even, odd);
    }
    return i;
}

int UpsampleTriangle2x2Avx2(const std::uint8_t* nearer, const std::uint8_t* farther, int width,
                            std::uint8_t* out) {
    int i = 1;
    for (; i + 16 <= width - 1; i += 16) {
        const __m256i before = _mm256_add_epi16(Times3(Load16(nearer + i - 1)), Load16(farther + i - 1));
        const __m256i current = _mm256_add_epi16(Times3(Load16(nearer + i)), Load16(farther + i));
        const __m256i after = _mm256_add_epi16(Times3(Load16(nearer + i + 1)), Load16(farther + i + 1));
        const __m256i even = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_add_epi16(Times3(current), before), _mm256_set1_epi16(8)), 4);
        const __m256i odd = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_add_epi16(Times3(current), after), _mm256_set1_epi16(7)), 4);
        Store(out + 2 * i, even, odd);
    }
    return i;
}

}  // namespace jpeg::decoder

KORVI_END_AVX2

#endif
