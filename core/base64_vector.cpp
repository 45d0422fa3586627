// Each 32-bit lane takes one group of three bytes b0 b1 b2 as b1 b0 b2 b1, so that its two
// 16-bit halves hold the four 6-bit indices at bit 10 and 4 (low half) and 6 and 0 (high half);
// one multiplication per pair moves them to the bottom of their bytes. An index becomes its
// character by adding the offset of its range (A-Z, a-z, 0-9, +, /), looked up by shuffle.
#include "core/base64_vector.h"

#if defined(KORVI_X86)

#include <immintrin.h>

namespace {

KORVI_SSSE3 inline __m128i Indices(__m128i groups) {
    const __m128i spread =
        _mm_shuffle_epi8(groups, _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10));
    const __m128i first =
        _mm_mulhi_epu16(_mm_and_si128(spread, _mm_set1_epi32(0x0FC0FC00)), _mm_set1_epi32(0x04000040));
    const __m128i second =
        _mm_mullo_epi16(_mm_and_si128(spread, _mm_set1_epi32(0x003F03F0)), _mm_set1_epi32(0x01000010));
    return _mm_or_si128(first, second);
}

// The offset table's places: 0 for a-z, 1 to 10 for 0-9, 11 for +, 12 for /, 13 for A-Z.
KORVI_SSSE3 inline __m128i Characters(__m128i indices) {
    const __m128i capital = _mm_cmpgt_epi8(_mm_set1_epi8(26), indices);
    const __m128i place =
        _mm_or_si128(_mm_subs_epu8(indices, _mm_set1_epi8(51)), _mm_and_si128(capital, _mm_set1_epi8(13)));
    const __m128i offsets = _mm_setr_epi8(71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0);
    return _mm_add_epi8(indices, _mm_shuffle_epi8(offsets, place));
}

KORVI_AVX2 inline __m256i Indices(__m256i groups) {
    const __m256i spread =
        _mm256_shuffle_epi8(groups, _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0,
                                                     2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10));
    const __m256i first = _mm256_mulhi_epu16(_mm256_and_si256(spread, _mm256_set1_epi32(0x0FC0FC00)),
                                             _mm256_set1_epi32(0x04000040));
    const __m256i second = _mm256_mullo_epi16(_mm256_and_si256(spread, _mm256_set1_epi32(0x003F03F0)),
                                              _mm256_set1_epi32(0x01000010));
    return _mm256_or_si256(first, second);
}

KORVI_AVX2 inline __m256i Characters(__m256i indices) {
    const __m256i capital = _mm256_cmpgt_epi8(_mm256_set1_epi8(26), indices);
    const __m256i place = _mm256_or_si256(_mm256_subs_epu8(indices, _mm256_set1_epi8(51)),
                                          _mm256_and_si256(capital, _mm256_set1_epi8(13)));
    const __m256i offsets = _mm256_setr_epi8(71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0,
                                             71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 65, 0, 0);
    return _mm256_add_epi8(indices, _mm256_shuffle_epi8(offsets, place));
}

}  // namespace

KORVI_SSSE3 std::size_t Base64EncodeSsse3(const BYTE* bytes, std::size_t count, char* out) {
    std::size_t i = 0;
    for (; i + 16 <= count; i += 12, out += 16) {
        const __m128i groups = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Characters(Indices(groups)));
    }
    return i;
}

KORVI_AVX2 std::size_t Base64EncodeAvx2(const BYTE* bytes, std::size_t count, char* out) {
    std::size_t i = 0;
    // Each half takes twelve bytes: the low from bytes[i], the high from bytes[i + 12].
    for (; i + 28 <= count; i += 24, out += 32) {
        const __m256i groups = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 12)), 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), Characters(Indices(groups)));
    }
    return i;
}

#endif
