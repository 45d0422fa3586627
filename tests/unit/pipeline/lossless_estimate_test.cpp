#include "pipeline/lossless_estimate.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"

// From 256 rows on, the estimate comes from a quarter of them and stays near the encoding of the
// whole picture; a shorter picture is encoded whole.
TEST(FastLosslessEstimate, StaysNearTheFastestEncodingOfTheWholePicture) {
    for (const auto& [width, height, least, most] :
         {std::tuple{300, 255, 1.0, 1.0}, {200, 256, 0.85, 1.15}, {430, 573, 0.85, 1.15}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const GlobalBlock picture = MakeBitmap24(width, height, NaturalPicture(width, height));
        const std::optional<std::size_t> whole = FastLosslessWebpBytes(picture.get());
        const std::optional<std::size_t> estimate = FastLosslessEstimate(picture.get());
        ASSERT_TRUE(whole && estimate);
        EXPECT_GE(double(*estimate), least* double(*whole));
        EXPECT_LE(double(*estimate), most* double(*whole));
    }
}
