// The table sums regrouped for _mm_madd_epi16, whose factors must fit 16 bits: 38470 g is
// 19235 (g + g), 32768 b is 16384 (b + b) and 32768 r is 16384 (r + r). Every sum stays within
// 0 to 2^24, so the shifted results are the tables' exactly.
#include "codecs/jpeg/colour_conversion_vector.h"

#if defined(KORVI_X86)

#include <immintrin.h>

namespace jpeg {
namespace {

KORVI_SSSE3 inline __m128i Pair(int even, int odd) {
    return _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(odd) << 16 |
                                           (static_cast<std::uint32_t>(even) & 0xFFFF)));
}

// (a * even + b * odd + c * even2 + d * odd2 + add) >> 16 for eight 16-bit lanes.
KORVI_SSSE3 inline __m128i Sum(__m128i a, __m128i b, __m128i first, __m128i c, __m128i d, __m128i second,
                               __m128i add) {
    const __m128i low = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), first),
                                                    _mm_madd_epi16(_mm_unpacklo_epi16(c, d), second)),
                                      add);
    const __m128i high = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), first),
                                                     _mm_madd_epi16(_mm_unpackhi_epi16(c, d), second)),
                                       add);
    return _mm_packs_epi32(_mm_srli_epi32(low, 16), _mm_srli_epi32(high, 16));
}

struct Planes {
    __m128i y, cb, cr;  // 16-bit
};

KORVI_SSSE3 inline Planes Convert(__m128i r, __m128i g, __m128i b) {
    const __m128i yAdd = _mm_set1_epi32(32768), cAdd = _mm_set1_epi32(128 * 65536 + 32767);
    return {Sum(r, b, Pair(19595, 7471), g, g, Pair(19235, 19235), yAdd),
            Sum(r, g, Pair(-11059, -21709), b, b, Pair(16384, 16384), cAdd),
            Sum(r, r, Pair(16384, 16384), g, b, Pair(-27439, -5329), cAdd)};
}

// Where byte `offset` of each of 16 pixels lies in 48 bytes of blue, green, red: pixel p's at
// 3p + offset, in the first, second or third 16 bytes (-1 where another holds it).
struct ChannelPlaces {
    alignas(16) std::int8_t in[3][16];
};
constexpr ChannelPlaces MakePlaces(int offset) {
    ChannelPlaces places{};
    for (int part = 0; part < 3; ++part)
        for (int p = 0; p < 16; ++p) {
            const int at = 3 * p + offset - 16 * part;
            places.in[part][p] = static_cast<std::int8_t>(at >= 0 && at < 16 ? at : -1);
        }
    return places;
}

template <int Offset>
KORVI_SSSE3 inline __m128i Channel(__m128i a, __m128i b, __m128i c) {
    static constexpr ChannelPlaces kPlaces = MakePlaces(Offset);
    const auto place = [](int part) {
        return _mm_load_si128(reinterpret_cast<const __m128i*>(kPlaces.in[part]));
    };
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, place(0)), _mm_shuffle_epi8(b, place(1))),
                        _mm_shuffle_epi8(c, place(2)));
}

}  // namespace

KORVI_SSSE3 int ConvertRowSsse3(const std::uint8_t* bgr, int width, std::uint8_t* y, std::uint8_t* cb,
                                std::uint8_t* cr) {
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 16 <= width; x += 16, bgr += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 32));
        const __m128i blue = Channel<0>(a, b, c), green = Channel<1>(a, b, c), red = Channel<2>(a, b, c);
        const Planes low = Convert(_mm_unpacklo_epi8(red, zero), _mm_unpacklo_epi8(green, zero),
                                   _mm_unpacklo_epi8(blue, zero));
        const Planes high = Convert(_mm_unpackhi_epi8(red, zero), _mm_unpackhi_epi8(green, zero),
                                    _mm_unpackhi_epi8(blue, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x), _mm_packus_epi16(low.y, high.y));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + x), _mm_packus_epi16(low.cb, high.cb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + x), _mm_packus_epi16(low.cr, high.cr));
    }
    return x;
}

}  // namespace jpeg

#endif
