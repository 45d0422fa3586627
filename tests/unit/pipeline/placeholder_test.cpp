#include "pipeline/placeholder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codecs/webp/webp_reader.h"
#include "tests/support/base64_decode.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/synthetic_picture.h"

// The preview is a WebP of 40 pixels on the picture's longer side, of its shape, within the bytes
// allowed also for a picture of noise, which costs the most.
TEST(PlaceholderUri, IsASmallWebpOfThePicturesShape) {
    std::mt19937 noise(7);
    const struct {
        int width, height;
        ColourAt colour;
        int previewWidth, previewHeight;
    } cases[] = {
        {400, 300, NaturalPicture(400, 300), 40, 32},
        {32, 32,
         [&](int, int) {
             return Rgb{std::uint8_t(noise()), std::uint8_t(noise()), std::uint8_t(noise())};
         },
         40, 40},
        {1000, 3, NaturalPicture(1000, 3), 40, 4},
        {1, 1, NaturalPicture(1, 1), 40, 40},
    };
    for (const auto& c : cases) {
        const std::string uri =
            PlaceholderUri(MakeBitmap24(c.width, c.height, c.colour).get(), c.width, c.height);
        ASSERT_EQ(uri.rfind("data:image/webp;base64,", 0), 0u) << c.width << " x " << c.height;
        EXPECT_LE(uri.size(), kMaxPlaceholderBytes) << c.width << " x " << c.height;
        const Bytes webp = Base64Decode(uri.substr(uri.find(',') + 1));
        PackedBitmap decoded = nullptr;
        ASSERT_EQ(DecodeWebp(&decoded, webp.data(), webp.size(), 0), kWebpReadOk);
        const GlobalBlock preview(decoded);
        BitmapLock header(preview.get());
        EXPECT_EQ(header->biWidth, c.previewWidth) << c.width << " x " << c.height;
        EXPECT_EQ(header->biHeight, c.previewHeight) << c.width << " x " << c.height;
    }
}
