#include "codecs/jpeg/decoder/colour_output.h"

#include <array>

#include "codecs/jpeg/decoder/colour_output_vector.h"

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

void ConvertYCbCrRow(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, int width,
                     std::uint8_t* bgr) {
    int x = 0;
#if defined(KORVI_X86)
    switch (CurrentVectorLevel()) {
        case VectorLevel::kAvx2:
            x = ConvertYCbCrRowAvx2(y, cb, cr, width, bgr);
            break;
        case VectorLevel::kSsse3:
        case VectorLevel::kSse2:
            x = ConvertYCbCrRowSse2(y, cb, cr, width, bgr);
            break;
        case VectorLevel::kPlain:
            break;
    }
#endif
    ConvertYCbCrRowScalar(y + x, cb + x, cr + x, width - x, bgr + 3 * x);
}

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

void ConvertGrayRow(const std::uint8_t* y, int width, std::uint8_t* bgr) {
    int x = 0;
#if defined(KORVI_X86)
    switch (CurrentVectorLevel()) {
        case VectorLevel::kAvx2:
            x = ConvertGrayRowAvx2(y, width, bgr);
            break;
        case VectorLevel::kSsse3:
        case VectorLevel::kSse2:
            x = ConvertGrayRowSse2(y, width, bgr);
            break;
        case VectorLevel::kPlain:
            break;
    }
#endif
    ConvertGrayRowScalar(y + x, width - x, bgr + 3 * x);
}

}  // namespace jpeg::decoder
