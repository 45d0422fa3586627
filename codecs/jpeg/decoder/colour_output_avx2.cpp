// YCbCr and grey to 24-bit pixels thirty-two at a time: the sums of the SSE2 form in twice the
// lanes, and the pixels laid out by byte shuffles. Each 128-bit half holds sixteen pixels
// throughout, so every shuffle stays within its half.
#include "codecs/jpeg/decoder/colour_output_vector.h"

#if defined(KORVI_X86)

#include <immintrin.h>

KORVI_BEGIN_AVX2
#include "codecs/jpeg/decoder/vector_ops_256.h"
// (after the operations it takes)
#include "codecs/jpeg/decoder/colour_steps.h"

namespace jpeg::decoder {
namespace {

// For the 48 bytes of sixteen pixels: which pixel fills each byte of the three 16-byte parts
// with channel `channel` (-1 where another channel does; every byte for channel -1), in both
// halves.
struct Spread {
    alignas(32) std::int8_t part[3][32];
};
constexpr Spread MakeSpread(int channel) {
    Spread spread{};
    for (int part = 0; part < 3; ++part)
        for (int j = 0; j < 32; ++j) {
            const int at = 16 * part + j % 16;
            spread.part[part][j] = static_cast<std::int8_t>(channel < 0 || at % 3 == channel ? at / 3 : -1);
        }
    return spread;
}
constexpr Spread kBlue = MakeSpread(0), kGreen = MakeSpread(1), kRed = MakeSpread(2), kGrey = MakeSpread(-1);

inline __m256i Place(__m256i bytes, const Spread& spread, int part) {
    return _mm256_shuffle_epi8(bytes, _mm256_load_si256(reinterpret_cast<const __m256i*>(spread.part[part])));
}

// The three parts of each half: the low half's 48 bytes, then the high half's.
inline void Store96(std::uint8_t* bgr, const __m256i parts[3]) {
    for (int part = 0; part < 3; ++part) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 16 * part), _mm256_castsi256_si128(parts[part]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 48 + 16 * part),
                         _mm256_extracti128_si256(parts[part], 1));
    }
}

}  // namespace

int ConvertYCbCrRowAvx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                        std::uint8_t* bgr) {
    const __m256i zero = _mm256_setzero_si256(), offset = _mm256_set1_epi16(128);
    int x = 0;
    for (; x + 32 <= width; x += 32, bgr += 96) {
        const __m256i yv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y + x));
        const __m256i cbv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cb + x));
        const __m256i crv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cr + x));
        const Channels<V256> low =
            Convert(_mm256_unpacklo_epi8(yv, zero), _mm256_sub_epi16(_mm256_unpacklo_epi8(cbv, zero), offset),
                    _mm256_sub_epi16(_mm256_unpacklo_epi8(crv, zero), offset));
        const Channels<V256> high =
            Convert(_mm256_unpackhi_epi8(yv, zero), _mm256_sub_epi16(_mm256_unpackhi_epi8(cbv, zero), offset),
                    _mm256_sub_epi16(_mm256_unpackhi_epi8(crv, zero), offset));
        const __m256i b = _mm256_packus_epi16(low.b, high.b), g = _mm256_packus_epi16(low.g, high.g);
        const __m256i r = _mm256_packus_epi16(low.r, high.r);
        __m256i parts[3];
        for (int part = 0; part < 3; ++part)
            parts[part] = _mm256_or_si256(_mm256_or_si256(Place(b, kBlue, part), Place(g, kGreen, part)),
                                          Place(r, kRed, part));
        Store96(bgr, parts);
    }
    return x;
}

int ConvertGrayRowAvx2(const std::uint8_t* y, int width, std::uint8_t* bgr) {
    int x = 0;
    for (; x + 32 <= width; x += 32, bgr += 96) {
        const __m256i grey = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y + x));
        const __m256i parts[3] = {Place(grey, kGrey, 0), Place(grey, kGrey, 1), Place(grey, kGrey, 2)};
        Store96(bgr, parts);
    }
    return x;
}

}  // namespace jpeg::decoder

KORVI_END_AVX2

#endif
