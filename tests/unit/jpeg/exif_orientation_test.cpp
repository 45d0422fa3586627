// JPEG pictures load upright by their Exif orientation.
#include <gtest/gtest.h>

#include "codecs/jpeg/exif_orientation.h"
#include "pipeline/picture_loader.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

// An APP1 Exif segment whose first image directory holds `entry` (tag, type, count, value).
Bytes ExifSegment(bool bigEndian, std::array<std::uint32_t, 4> entry, std::uint32_t directory = 8) {
    Bytes tiff(2, std::uint8_t(bigEndian ? 'M' : 'I'));
    // Header, directory offset, one entry and no next directory.
    const std::pair<std::uint32_t, int> fields[] = {{42, 2},       {directory, 4}, {1, 2},
                                                    {entry[0], 2}, {entry[1], 2},  {entry[2], 4},
                                                    {entry[3], 2}, {0, 2},         {0, 4}};
    for (const auto& [value, bytes] : fields)
        for (int i = 0; i < bytes; ++i)
            tiff.push_back(std::uint8_t(value >> 8 * (bigEndian ? bytes - 1 - i : i)));
    return Join({{0xFF, 0xE1, 0, std::uint8_t(tiff.size() + 8), 'E', 'x', 'i', 'f', 0, 0}, tiff});
}

// A 24 x 16 RGB-coded picture whose four corner blocks have colours of their own.
JpegFixture Corners() {
    JpegFixture f = FlatFixture(24, 16, {{1, 1}, {1, 1}, {1, 1}},
                                [](int c, int bx, int by) { return 40 * (c + 1) + 30 * bx + 70 * by; });
    f.jfif = false;
    f.adobeTransform = 0;
    return f;
}

TEST(ExifOrientation, TurnsEachOfTheEightOrientationsUprightAndIgnoresDamagedTags) {
    // Where the stored top-left and top-right corners appear in the upright picture, by
    // orientation: a corner is 1 if right, plus 2 if at the bottom.
    const int corners[9][2] = {{}, {0, 1}, {1, 0}, {3, 2}, {2, 3}, {0, 2}, {1, 3}, {3, 1}, {2, 0}};
    // Segments and the orientation they give: none, damaged ones, then each in both byte orders.
    std::vector<std::pair<Bytes, int>> cases = {
        {{}, 1},
        {ExifSegment(false, {0x0112, 3, 1, 9}), 1},
        {ExifSegment(false, {0x0112, 4, 1, 6}), 1},       // a LONG
        {ExifSegment(true, {0x0112, 3, 1, 6}, 4000), 1},  // directory past the end
        {ExifSegment(true, {0x0110, 3, 1, 6}), 1}};       // another tag
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (bool bigEndian : {false, true})
            cases.push_back(
                {ExifSegment(bigEndian, {0x0112, 3, 1, std::uint32_t(orientation)}), orientation});
    const Bytes pastTheFile = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M'};
    EXPECT_EQ(ExifOrientation(pastTheFile.data(), pastTheFile.size()), 1);  // a segment running past it
    TempFolder folder;
    Decoded stored;
    ASSERT_EQ(DecodeWithKorvi(WriteJpegFixture(Corners()), stored), 0);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [segments, orientation] = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ", orientation " << orientation);
        JpegFixture f = Corners();
        f.extraSegments = segments;
        const std::string path = folder.File("turned.jpg");
        const Bytes bytes = WriteJpegFixture(f);
        EXPECT_EQ(ExifOrientation(bytes.data(), bytes.size()), orientation);
        WriteBytes(path, bytes);
        GlobalBlock picture(LoadPictureFile(path.c_str()));
        ASSERT_TRUE(picture);
        BitmapLock header(picture.get());
        const int width = header->biWidth, height = header->biHeight;
        EXPECT_EQ(width, orientation >= 5 ? 16 : 24);
        const auto at = [&](int corner) {
            return PixelOf(picture.get(), corner & 1 ? width - 1 : 0, corner & 2 ? height - 1 : 0);
        };
        EXPECT_EQ(at(corners[orientation][0]), stored.At(0, 0));
        EXPECT_EQ(at(corners[orientation][1]), stored.At(23, 0));
    }
}

}  // namespace
