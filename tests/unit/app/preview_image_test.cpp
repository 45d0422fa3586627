#include "app/preview_image.h"

#include <gtest/gtest.h>

#include "tests/support/bitmap_builder.h"

namespace {

const Rgb kBackground{0xBA, 0xBA, 0x80};

}  // namespace

TEST(DrawPreview, ShowsThePictureCentredOnTheBackground) {
    const struct {
        int width, height;
        int x, y, shownWidth, shownHeight;
    } cases[] = {{100, 80, 50, 35, 100, 80}, {1000, 500, 0, 25, 200, 100}, {2000, 3, 0, 74, 200, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        GlobalBlock preview = CreatePreviewImage(200, 150);
        BitmapLock header(preview.get());
        ASSERT_TRUE(header);
        EXPECT_EQ(header->biSizeImage, 150u * 600u);
        GlobalBlock picture = MakeBitmap24(c.width, c.height, [](int, int) { return Rgb{10, 200, 30}; });
        ASSERT_TRUE(DrawPreview(header.data(), picture.get(), c.width, c.height));
        for (const auto& [x, y] :
             std::vector<std::pair<int, int>>{{0, 0}, {199, 149}, {c.x - 1, c.y}, {c.x, c.y - 1}}) {
            if (x >= 0 && y >= 0) {
                EXPECT_EQ(PixelOf(preview.get(), x, y), kBackground) << x << "," << y;
            }
        }
        const int right = c.x + c.shownWidth - 1, bottom = c.y + c.shownHeight - 1;
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{{c.x, c.y}, {right, bottom}}) {
            EXPECT_EQ(PixelOf(preview.get(), x, y), (Rgb{10, 200, 30})) << x << "," << y;
        }
        if (right + 1 < 200) {
            EXPECT_EQ(PixelOf(preview.get(), right + 1, bottom), kBackground);
        }
        if (bottom + 1 < 150) {
            EXPECT_EQ(PixelOf(preview.get(), right, bottom + 1), kBackground);
        }
    }
}

// A picture that cannot be drawn leaves the preview as it was, so it never shows what is gone.
TEST(DrawPreview, KeepsRowOrderAndColumnsOfASmallPictureAndThePreviewOnFailure) {
    GlobalBlock preview = CreatePreviewImage(7, 5);
    BitmapLock header(preview.get());
    EXPECT_EQ(PixelOf(preview.get(), 3, 2), kBackground);
    GlobalBlock picture = MakeBitmap24(3, 2, [](int x, int y) {
        return Rgb{std::uint8_t(x), std::uint8_t(y), 9};
    });
    ASSERT_TRUE(DrawPreview(header.data(), picture.get(), 3, 2));
    GlobalBlock palette = MakePaletteBitmap(8, 3, 2, {{1, 1, 1}}, [](int, int) { return 0; });
    EXPECT_FALSE(DrawPreview(header.data(), palette.get(), 3, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(preview.get(), 2 + x, 1 + y), (Rgb{std::uint8_t(x), std::uint8_t(y), 9}));
    }
}
