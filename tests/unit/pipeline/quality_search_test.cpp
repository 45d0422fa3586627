#include "pipeline/quality_search.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <set>

#include "pipeline/picture_loader.h"
#include "pipeline/variant_picture.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

// An infinite score stands for a line that loses anyway: the search looks lower, and stops at
// the lowest quality that is faithful or loses. A quality faithful by less than kCloseEnough is
// taken at once; any other found has the quality below it falling short.
TEST(LowestFaithfulQuality, FindsALowPassingQualityAskingEachOnceAndAtMostEight) {
    constexpr double kLoses = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        std::function<double(int)> score;
        int firstGuess;
        std::optional<int> found;
        std::size_t mostAsked = kMostQualitiesSearched;
    } cases[] = {
        {"steep", [](int q) { return 100 - 300 * std::exp(-q / 12.0); }, 70, 32},
        {"never", [](int q) { return 20 + q * 0.5; }, 70, std::nullopt},
        {"wavering", [](int q) { return 40 + q * 0.5 - (q % 7 == 0 ? 2 : 0); }, 60, 79},
        {"close enough at the first guess", [](int q) { return 40 + q * 0.5; }, 79, 79, 1},
        // Aimed inside the band, the second guess need not creep up from just below it.
        {"a little short at the first guess", [](int q) { return 40 + q * 0.5; }, 70, 77, 2},
        {"every quality", [](int) { return 90.0; }, 70, 10},
        {"losing from 50", [](int q) { return q >= 50 ? kLoses : q; }, 70, 50},
        {"faithful at 39, losing from 60", [](int q) { return q >= 60 ? kLoses : q * 2.0; }, 70, 40},
        // Eight asked: the lowest quality found to pass, though 95 would.
        {"far from the start", [](int q) { return q < 95 ? 0.0 : 100.0; }, 10, 96},
    };
    for (const auto& c : cases) {
        std::set<int> asked;
        const std::optional<int> found = LowestFaithfulQuality(
            [&](int quality) -> std::optional<double> {
                EXPECT_TRUE(asked.insert(quality).second) << c.what << " asked twice about " << quality;
                return c.score(quality);
            },
            78, c.firstGuess);
        EXPECT_LE(asked.size(), c.mostAsked) << c.what;
        EXPECT_EQ(found, c.found) << c.what;
        if (found && *found > 10 && asked.size() < std::size_t(kMostQualitiesSearched) &&
            c.score(*found) >= 78 + kCloseEnough) {
            EXPECT_LT(c.score(*found - 1), 78) << c.what;
        }
    }
}

// Real lines do not grow evenly with the quality: 16-bit JPEG tables below 24 and 20 make them
// longer, and here and there, in both formats, a higher quality gives a few bytes less.
TEST(HighestFittingQuality, ChoosesWhatASearchFrom100DownwardsChooses) {
    TempFolder folder;
    GlobalBlock natural = MakeBitmap24(64, 48, NaturalPicture(64, 48));
    GlobalBlock landscape(LoadPictureFile(KORVI_SAMPLES "landscape.bmp"));
    const struct {
        OutputFormat format;
        PackedBitmap picture;
        int method, side;
    } cases[] = {{OutputFormat::kJpeg, natural.get(), kKeepSize, 430},
                 {OutputFormat::kJpeg, landscape.get(), kFitSquare, 200},
                 {OutputFormat::kWebp, natural.get(), kKeepSize, 430}};
    int smallDips = 0;
    for (const auto& c : cases) {
        ASSERT_NE(c.picture, nullptr);
        const VariantPicture variant(
            PageSource{c.picture, BitmapLock(c.picture)->biWidth, BitmapLock(c.picture)->biHeight}, c.method,
            c.side);
        std::array<std::size_t, 101> length{};
        std::vector<std::size_t> budgets = {0};
        for (int q = 10; q <= 100; ++q) {
            length[q] = variant.BuildVariantTag({c.format, q}, folder.path()).text.size();
            budgets.insert(budgets.end(), {length[q] - 1, length[q]});
            if (q > 10 && q != 20 && q != 24 && length[q] < length[q - 1]) ++smallDips;
        }
        for (std::size_t budget : budgets) {
            std::optional<int> linear;
            for (int q = 100; q >= 10 && !linear; --q) {
                if (length[q] <= budget) linear = q;
            }
            int asked = 0;
            const std::optional<int> found = HighestFittingQuality(c.format, [&](int q) {
                ++asked;
                return length[q] <= budget;
            });
            EXPECT_EQ(found, linear) << c.side << " " << budget;
            EXPECT_LE(asked, 20) << c.side << " " << budget;
        }
    }
    EXPECT_GE(smallDips, 3) << "the pictures no longer show lines that shrink as the quality rises";
}
