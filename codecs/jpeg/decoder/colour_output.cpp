#include "codecs/jpeg/decoder/colour_output.h"

#include <array>

namespace jpeg::decoder {
namespace {

using Table = std::array<std::int32_t, 256>;

// Entry i holds f(i - 128). 91881, 116130, 46802 and 22554 are 1.40200, 1.77200, 0.71414 and
// 0.34414 times 2^16; the green terms keep their 16 fractional bits (and the rounding half).
constexpr Table MakeTable(std::int32_t factor, std::int32_t add, int shift) {
    Table table{};
    for (int i = 0; i < 256; ++i) table[i] = (factor * (i - 128) + add) >> shift;
    return table;
}
constexpr Table kCrToR = MakeTable(91881, 32768, 16);
constexpr Table kCbToB = MakeTable(116130, 32768, 16);
constexpr Table kCrToG = MakeTable(-46802, 0, 0);
constexpr Table kCbToG = MakeTable(-22554, 32768, 0);

inline std::uint8_t Clamp(std::int32_t value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

}  // namespace

void ConvertYCbCrRowScalar(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                           std::uint8_t* bgr) {
    for (int x = 0; x < width; ++x, bgr += 3) {
        const std::int32_t luma = y[x];
        bgr[0] = Clamp(luma + kCbToB[cb[x]]);
        bgr[1] = Clamp(luma + ((kCbToG[cb[x]] + kCrToG[cr[x]]) >> 16));
        bgr[2] = Clamp(luma + kCrToR[cr[x]]);
    }
}

#if !defined(__SSE2__)
void ConvertYCbCrRow(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                     std::uint8_t* bgr) {
    ConvertYCbCrRowScalar(y, cb, cr, width, bgr);
}
#endif

void ConvertRgbRow(const std::uint8_t* r, const std::uint8_t* g, const std::uint8_t* b, int width,
                   std::uint8_t* bgr) {
    for (int x = 0; x < width; ++x, bgr += 3) {
        bgr[0] = b[x];
        bgr[1] = g[x];
        bgr[2] = r[x];
    }
}

void ConvertGrayRowScalar(const std::uint8_t* y, int width, std::uint8_t* bgr) {
    for (int x = 0; x < width; ++x, bgr += 3) bgr[0] = bgr[1] = bgr[2] = y[x];
}

#if !defined(__SSE2__)
void ConvertGrayRow(const std::uint8_t* y, int width, std::uint8_t* bgr) {
    ConvertGrayRowScalar(y, width, bgr);
}
#endif

}  // namespace jpeg::decoder
