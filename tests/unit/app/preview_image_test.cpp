#include "app/preview_image.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_builder.h"

TEST(PlacePreview, ScalesDownLargePicturesAndCentresAll) {
    const struct {
        int width, height;
        PreviewPlacement placed;
    } cases[] = {
        {1000, 500, {200, 100, 0, 25, true}}, {100, 80, {100, 80, 50, 35, false}},
        {200, 150, {200, 150, 0, 0, false}},  {2000, 3, {200, 1, 0, 74, true}},
        {300, 900, {50, 150, 75, 0, true}},   {1, 65500, {1, 150, 99, 0, true}},
    };
    for (const auto& c : cases) {
        const PreviewPlacement p = PlacePreview(c.width, c.height, 200, 150);
        EXPECT_EQ(
            (std::vector<int>{p.width, p.height, p.x, p.y, p.scaled}),
            (std::vector<int>{c.placed.width, c.placed.height, c.placed.x, c.placed.y, c.placed.scaled}))
            << c.width << "x" << c.height;
    }
}

// A picture that cannot be drawn leaves the preview as it was, so it never shows what is gone.
TEST(DrawPreview, DrawsOnAFreshBackgroundWherePlacedOrLeavesThePreviewAsItWas) {
    const Rgb background{0xBA, 0xBA, 0x80};
    GlobalBlock preview = CreatePreviewImage(7, 5);
    BitmapLock header(preview.get());
    ASSERT_EQ(header->biSizeImage, 5u * 24u);
    const auto shows = [&](auto colourAt) {
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(PixelOf(preview.get(), x, y), colourAt(x, y)) << x << "," << y;
    };
    GlobalBlock large = MakeBitmap24(14, 4, [](int, int) { return Rgb{10, 200, 30}; });  // 7 x 2 at 0, 1
    ASSERT_TRUE(DrawPreview(header.data(), large.get(), 14, 4));
    shows([&](int, int y) { return y == 1 || y == 2 ? Rgb{10, 200, 30} : background; });
    GlobalBlock small = MakeBitmap24(3, 2, [](int x, int y) {
        return Rgb{std::uint8_t(x), std::uint8_t(y), 9};
    });
    ASSERT_TRUE(DrawPreview(header.data(), small.get(), 3, 2));  // 1:1 at 2, 1
    GlobalBlock palette = MakePaletteBitmap(8, 3, 2, {{1, 1, 1}}, [](int, int) { return 0; });
    EXPECT_FALSE(DrawPreview(header.data(), palette.get(), 3, 2));
    shows([&](int x, int y) {
        const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
        return inside ? Rgb{std::uint8_t(x - 2), std::uint8_t(y - 1), 9} : background;
    });
}
