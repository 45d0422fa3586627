// The bytes of written files, pinned.
#include <gtest/gtest.h>

#include <climits>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

// Integer-only, so every build sees the same pixels: gradient, noise and a 4-pixel checker.
Rgb Mixed(int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
    h ^= h >> 15;
    return Rgb{std::uint8_t((x * 37 + y * 11) & 255), std::uint8_t(h & 255),
               std::uint8_t((x / 4 + y / 4) % 2 ? 200 : 40)};
}

std::uint64_t Fnv1a(const Bytes& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

// Sizes and digests of the files that a separate, literal rendering of the algorithm (one
// pixel, one multiplication at a time) writes for these pictures; they pin the output byte
// for byte: segments, 8- and 16-bit tables, dummy blocks, edge padding, stuffing and trailer.
// Qualities outside 1 to 100 write the files of 1 and 100.
TEST(JpegStream, KnownPicturesGiveKnownFiles) {
    const struct {
        int width, height, quality;
        std::size_t size;
        std::uint64_t digest;
    } cases[] = {
        {1, 1, 50, 635, 0xccea806733acb593ull},     {17, 9, 75, 781, 0x6557ed44e5faa022ull},
        {16, 16, 10, 787, 0x4c01b593c4beab07ull},   {33, 31, 22, 1009, 0x44863111e5e14246ull},
        {40, 24, 100, 2788, 0x439911a87f630879ull}, {23, 37, 1, 781, 0xf8a3ec0cc85a8ae2ull},
        {40, 24, 150, 2788, 0x439911a87f630879ull}, {40, 24, INT_MAX, 2788, 0x439911a87f630879ull},
        {23, 37, 0, 781, 0xf8a3ec0cc85a8ae2ull},    {23, 37, INT_MIN, 781, 0xf8a3ec0cc85a8ae2ull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " q" << c.quality);
        GlobalBlock bitmap = MakeBitmap24(c.width, c.height, Mixed);
        const Encoded encoded = EncodeJpeg(bitmap.get(), c.quality);
        EXPECT_EQ(encoded.result, 0);
        EXPECT_EQ(encoded.bytes.size(), c.size);
        EXPECT_EQ(Fnv1a(encoded.bytes), c.digest);
    }
}

}  // namespace
