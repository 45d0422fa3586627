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

TEST(ExifOrientation, TurnsEachOfTheEightOrientationsUpright) {
    // Where the stored top-left and top-right corners appear in the upright picture.
    enum Corner { kTopLeft, kTopRight, kBottomLeft, kBottomRight };
    const struct {
        int orientation;
        Corner topLeft, topRight;
    } cases[] = {{1, kTopLeft, kTopRight},       {2, kTopRight, kTopLeft},   {3, kBottomRight, kBottomLeft},
                 {4, kBottomLeft, kBottomRight}, {5, kTopLeft, kBottomLeft}, {6, kTopRight, kBottomRight},
                 {7, kBottomRight, kTopRight},   {8, kBottomLeft, kTopLeft}};
    TempFolder folder;
    Decoded stored;
    ASSERT_EQ(DecodeWithKorvi(WriteJpegFixture(Corners()), stored), 0);
    for (const auto& c : cases)
        for (bool bigEndian : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "orientation " << c.orientation << (bigEndian ? " MM" : " II"));
            JpegFixture f = Corners();
            f.extraSegments = ExifSegment(bigEndian, {0x0112, 3, 1, std::uint32_t(c.orientation)});
            const std::string path = folder.File("turned.jpg");
            WriteBytes(path, WriteJpegFixture(f));
            GlobalBlock picture(LoadPictureFile(path.c_str()));
            ASSERT_TRUE(picture);
            BitmapLock header(picture.get());
            const int width = header->biWidth, height = header->biHeight;
            EXPECT_EQ(width, c.orientation >= 5 ? 16 : 24);
            const auto at = [&](Corner corner) {
                return PixelOf(picture.get(), corner == kTopRight || corner == kBottomRight ? width - 1 : 0,
                               corner == kBottomLeft || corner == kBottomRight ? height - 1 : 0);
            };
            EXPECT_EQ(at(c.topLeft), stored.At(0, 0));
            EXPECT_EQ(at(c.topRight), stored.At(23, 0));
        }
}

TEST(ExifOrientation, DamagedOrMissingTagsLeaveThePictureAsItIs) {
    const struct {
        const char* name;
        Bytes segments;
    } cases[] = {
        {"no Exif", {}},
        {"orientation 9", ExifSegment(false, {0x0112, 3, 1, 9})},
        {"orientation as a LONG", ExifSegment(false, {0x0112, 4, 1, 6})},
        {"directory past the end", ExifSegment(true, {0x0112, 3, 1, 6}, 4000)},
        {"other tag", ExifSegment(true, {0x0110, 3, 1, 6})},
        {"segment length past the file", {0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M'}},
    };
    for (const auto& c : cases) {
        JpegFixture f = Corners();
        f.extraSegments = c.segments;
        const Bytes bytes = WriteJpegFixture(f);
        EXPECT_EQ(ExifOrientation(bytes.data(), bytes.size()), 1) << c.name;
    }
}

}  // namespace
