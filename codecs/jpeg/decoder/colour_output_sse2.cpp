// YCbCr and grey to 24-bit pixels sixteen at a time.
#include "codecs/jpeg/decoder/colour_output_vector.h"

#if defined(KORVI_X86)

#include <cstring>

#include "codecs/jpeg/decoder/vector_ops_128.h"
// (after the operations it takes)
#include "codecs/jpeg/decoder/colour_steps.h"

namespace jpeg::decoder {
namespace {

// Four pixels of blue, green, red, 0 packed into their first 12 bytes.
inline __m128i Pack24(__m128i bgrx) {
    const __m128i even = _mm_and_si128(bgrx, _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF));
    const __m128i odd = _mm_and_si128(bgrx, _mm_set_epi32(0x00FFFFFF, 0, 0x00FFFFFF, 0));
    const __m128i pairs = _mm_or_si128(even, _mm_srli_epi64(odd, 8));  // six bytes in each half
    return _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
}

// Sixteen pixels of blue, green, red, 0 (four vectors) as 48 bytes; the last twelve are written
// exactly, since the row may end there.
inline void Store48(std::uint8_t* bgr, const __m128i bgrx[4]) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), Pack24(bgrx[0]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), Pack24(bgrx[1]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 24), Pack24(bgrx[2]));
    const __m128i last = Pack24(bgrx[3]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bgr + 36), last);
    const int tail = _mm_cvtsi128_si32(_mm_srli_si128(last, 8));
    std::memcpy(bgr + 44, &tail, 4);
}

}  // namespace

int ConvertGrayRowSse2(const std::uint8_t* y, int width, std::uint8_t* bgr) {
    int x = 0;
    for (; x + 16 <= width; x += 16, bgr += 48) {
        const __m128i grey = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        const __m128i two0 = _mm_unpacklo_epi8(grey, grey), two1 = _mm_unpackhi_epi8(grey, grey);
        const __m128i four[4] = {_mm_unpacklo_epi16(two0, two0), _mm_unpackhi_epi16(two0, two0),
                                 _mm_unpacklo_epi16(two1, two1), _mm_unpackhi_epi16(two1, two1)};
        Store48(bgr, four);
    }
    return x;
}

int ConvertYCbCrRowSse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                        std::uint8_t* bgr) {
    const __m128i zero = _mm_setzero_si128(), offset = _mm_set1_epi16(128);
    int x = 0;
    for (; x + 16 <= width; x += 16, bgr += 48) {
        const __m128i yv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        const __m128i cbv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
        const __m128i crv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
        const Channels<V128> low =
            Convert(_mm_unpacklo_epi8(yv, zero), _mm_sub_epi16(_mm_unpacklo_epi8(cbv, zero), offset),
                    _mm_sub_epi16(_mm_unpacklo_epi8(crv, zero), offset));
        const Channels<V128> high =
            Convert(_mm_unpackhi_epi8(yv, zero), _mm_sub_epi16(_mm_unpackhi_epi8(cbv, zero), offset),
                    _mm_sub_epi16(_mm_unpackhi_epi8(crv, zero), offset));
        const __m128i b = _mm_packus_epi16(low.b, high.b), g = _mm_packus_epi16(low.g, high.g);
        const __m128i r = _mm_packus_epi16(low.r, high.r);
        const __m128i bg0 = _mm_unpacklo_epi8(b, g), bg1 = _mm_unpackhi_epi8(b, g);
        const __m128i r0 = _mm_unpacklo_epi8(r, zero), r1 = _mm_unpackhi_epi8(r, zero);
        const __m128i bgrx[4] = {_mm_unpacklo_epi16(bg0, r0), _mm_unpackhi_epi16(bg0, r0),
                                 _mm_unpacklo_epi16(bg1, r1), _mm_unpackhi_epi16(bg1, r1)};
        Store48(bgr, bgrx);
    }
    return x;
}

}  // namespace jpeg::decoder

#endif
