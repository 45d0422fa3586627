#include "core/ssim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"

namespace {

double Luma(Rgb c) {
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// The index from its definition, in doubles: the 2-D window at every position that fits, averaged
// over those where `a` has a luma variance above 4 when they are 1 to 50 % of all, else over all.
double DirectMeanSsim(PackedBitmap a, PackedBitmap b, int width, int height) {
    const double c1 = 0.01 * 255 * 0.01 * 255, c2 = 0.03 * 255 * 0.03 * 255;
    const int tx = std::min(11, width), ty = std::min(11, height);
    std::vector<double> w(std::size_t(tx * ty));
    double weights = 0;
    for (int j = 0; j < ty; ++j)
        for (int i = 0; i < tx; ++i) {
            const double dx = i - (tx - 1) / 2.0, dy = j - (ty - 1) / 2.0;
            weights += w[std::size_t(j * tx + i)] = std::exp(-(dx * dx + dy * dy) / (2 * 1.5 * 1.5));
        }
    double total = 0, detailed = 0, windows = 0, detailedWindows = 0;
    for (int top = 0; top + ty <= height; ++top)
        for (int left = 0; left + tx <= width; ++left) {
            double mx = 0, my = 0, xx = 0, yy = 0, xy = 0;
            for (int j = 0; j < ty; ++j)
                for (int i = 0; i < tx; ++i) {
                    const double k = w[std::size_t(j * tx + i)] / weights;
                    const double x = Luma(PixelOf(a, left + i, top + j)),
                                 y = Luma(PixelOf(b, left + i, top + j));
                    mx += k * x, my += k * y, xx += k * x * x, yy += k * y * y, xy += k * x * y;
                }
            const double sxx = xx - mx * mx, syy = yy - my * my, sxy = xy - mx * my;
            const double index =
                (2 * mx * my + c1) * (2 * sxy + c2) / ((mx * mx + my * my + c1) * (sxx + syy + c2));
            total += index, windows += 1;
            if (sxx > 4) detailed += index, detailedWindows += 1;
        }
    const bool mostlyFlat = 2 * detailedWindows < windows && 100 * detailedWindows >= windows;
    return mostlyFlat ? detailed / detailedWindows : total / windows;
}

ColourAt Grey(int level) {
    return [=](int, int) { return Rgb{std::uint8_t(level), std::uint8_t(level), std::uint8_t(level)}; };
}

// Flat grey but for the natural picture in the right `share` of the columns.
ColourAt PartlyFlat(int width, int height, double share) {
    const ColourAt natural = NaturalPicture(width, height);
    return [=](int x, int y) { return x < width * (1 - share) ? Rgb{90, 90, 90} : natural(x, y); };
}

}  // namespace

// A constant luma shift of a flat pixel keeps the contrast and structure terms at 1, so the
// index is the luminance term alone: (2 * 100 * 110 + C1) / (100^2 + 110^2 + C1) with
// C1 = (0.01 * 255)^2 = 6.5025, that is 22006.5025 / 22106.5025 = 0.99547644. Other pictures
// are compared with the definition computed directly.
TEST(Ssim, FollowsTheDefinitionOnEveryPictureSizeAndComparesOnlyLikePictures) {
    const struct {
        const char* name;
        int width, height;
        ColourAt a, b;
        double expected;  // below 0: the direct computation
    } cases[] = {
        {"identical", 64, 48, NaturalPicture(64, 48), NaturalPicture(64, 48), 1},
        {"one pixel, shifted by 10", 1, 1, Grey(100), Grey(110), 0.9954764440915066},
        {"smaller than the window", 5, 3, NaturalPicture(5, 3), SmoothPicture(5, 3), -1},
        {"mostly flat: the detailed windows count", 64, 48, PartlyFlat(64, 48, 0.3), SmoothPicture(64, 48),
         -1},
        {"mostly detailed: every window counts", 64, 48, PartlyFlat(64, 48, 0.7), SmoothPicture(64, 48), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GlobalBlock a = MakeBitmap24(c.width, c.height, c.a), b = MakeBitmap24(c.width, c.height, c.b);
        const double expected =
            c.expected >= 0 ? c.expected : DirectMeanSsim(a.get(), b.get(), c.width, c.height);
        const std::optional<double> ab = MeanSsim(a.get(), b.get());
        ASSERT_TRUE(ab);
        EXPECT_NEAR(*ab, expected, 1e-5);
    }
    // Only true-colour pictures of one size compare.
    GlobalBlock picture = MakeBitmap24(8, 8, Grey(9)), taller = MakeBitmap24(8, 9, Grey(9));
    GlobalBlock palette = MakePaletteBitmap(8, 8, 8, {{9, 9, 9}}, [](int, int) { return 0; });
    EXPECT_FALSE(MeanSsim(picture.get(), taller.get()));
    EXPECT_FALSE(MeanSsim(picture.get(), palette.get()));
    EXPECT_FALSE(MeanSsim(nullptr, picture.get()));
}
