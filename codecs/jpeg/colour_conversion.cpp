#include "codecs/jpeg/colour_conversion.h"

#include "codecs/jpeg/colour_conversion_vector.h"

namespace jpeg {

namespace {
constexpr std::int32_t kHalfOffset = 128 * 65536 + 32767;
}

ColourConverter::ColourConverter() {
    for (std::int32_t i = 0; i < 256; ++i) {
        yR_[i] = 19595 * i;
        yG_[i] = 38470 * i;
        yB_[i] = 7471 * i + 32768;
        cbR_[i] = -11059 * i;
        cbG_[i] = -21709 * i;
        half_[i] = 32768 * i + kHalfOffset;
        crG_[i] = -27439 * i;
        crB_[i] = -5329 * i;
    }
}

void ColourConverter::ConvertRow(const std::uint8_t* bgr, int width, std::uint8_t* y, std::uint8_t* cb,
                                 std::uint8_t* cr) const {
    int x = 0;
#if defined(KORVI_X86)
    if (CurrentVectorLevel() >= VectorLevel::kSsse3) x = ConvertRowSsse3(bgr, width, y, cb, cr);
#endif
    for (bgr += 3 * x; x < width; ++x, bgr += 3) Convert(bgr[2], bgr[1], bgr[0], y[x], cb[x], cr[x]);
}

PaletteConverter::PaletteConverter(const ColourConverter& converter, const std::uint8_t* colours, int count) {
    for (int i = 0; i < 256; ++i) {
        if (i < count) {
            const std::uint8_t* entry = colours + 4 * i;
            converter.Convert(entry[2], entry[1], entry[0], y_[i], cb_[i], cr_[i]);
        } else {
            converter.Convert(0, 0, 0, y_[i], cb_[i], cr_[i]);
        }
    }
}

void PaletteConverter::ConvertRow(const std::uint8_t* indices, int width, std::uint8_t* y, std::uint8_t* cb,
                                  std::uint8_t* cr) const {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t i = indices[x];
        y[x] = y_[i];
        cb[x] = cb_[i];
        cr[x] = cr_[i];
    }
}

}  // namespace jpeg
