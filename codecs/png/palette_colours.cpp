#include "codecs/png/palette_colours.h"

#include <cmath>

namespace {

constexpr double kScreenGamma = 2.2;

// One channel in linear light and back, as 0 to 1. Where the file states no gamma both are the
// identity, and entries are composed as stored.
struct Light {
    double fileToLinear = 1, screenToLinear = 1;

    double Linear(std::uint8_t value, bool fileGamma) const {
        return std::pow(value / 255.0, fileGamma ? fileToLinear : screenToLinear);
    }
    std::uint8_t Shown(double linear) const {
        return std::uint8_t(std::floor(255 * std::pow(linear, 1 / screenToLinear) + 0.5));
    }
};

Light LightOf(const PaletteLight& light) {
    if (light.fileGamma <= 0) return Light{};
    // A file gamma within 5 % of the screen's inverse needs no correction (as libpng decides for
    // the rows of the other colour types), but is still composed in linear light.
    const double product = light.fileGamma * kScreenGamma;
    const double fileGamma = std::fabs(product - 1) < 0.05 ? 1 / kScreenGamma : light.fileGamma;
    return Light{1 / fileGamma, kScreenGamma};
}

std::uint8_t Channel(const Light& light, std::uint8_t value, int alpha, std::uint8_t background,
                     bool backgroundInFileGamma) {
    const double linear = (alpha * light.Linear(value, true) +
                           (255 - alpha) * light.Linear(background, backgroundInFileGamma)) /
                          255;
    return light.Shown(linear);
}

}  // namespace

RGBQUAD ShownPaletteEntry(const PaletteEntry& entry, int alpha, const PaletteLight& light) {
    const Light channel = LightOf(light);
    const PaletteEntry& under = light.background;
    const bool inFile = light.backgroundInFileGamma;
    return RGBQUAD{Channel(channel, entry.blue, alpha, under.blue, inFile),
                   Channel(channel, entry.green, alpha, under.green, inFile),
                   Channel(channel, entry.red, alpha, under.red, inFile), 0};
}
