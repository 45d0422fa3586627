#include "tests/support/synthetic_picture.h"

#include <algorithm>
#include <cmath>

namespace {

std::uint8_t Clamp(double value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

// A small integer hash, so the noise is the same on every machine.
int Noise(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) % 25) - 12;
}

}  // namespace

ColourAt SmoothPicture(int width, int height) {
    return [=](int x, int y) {
        const double u = double(x) / width, v = double(y) / height;
        return Rgb{Clamp(40 + 180 * u), Clamp(60 + 150 * v), Clamp(200 - 120 * u * v)};
    };
}

ColourAt NaturalPicture(int width, int height) {
    const ColourAt smooth = SmoothPicture(width, height);
    return [=](int x, int y) {
        Rgb c = smooth(x, y);
        const double dx = x - width * 0.6, dy = y - height * 0.4, radius = std::min(width, height) * 0.25;
        if (dx * dx + dy * dy < radius * radius) c = Rgb{230, 200, 40};             // a disc with a hard edge
        if ((x / std::max(1, width / 8)) % 2 == 0 && y > height * 3 / 4) c.b = 30;  // stripes near the bottom
        const int n = Noise(x, y);
        return Rgb{Clamp(c.r + n), Clamp(c.g + n), Clamp(c.b + n)};
    };
}
