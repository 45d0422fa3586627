// Refused bitmaps and unwritable files.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/synthetic_picture.h"
#include "tests/unit/jpeg/jpeg_test_support.h"

namespace {

TEST(JpegFailure, UnwritablePathsAreReported) {
    TempFolder folder;
    GlobalBlock bitmap = MakeBitmap24(200, 150, NaturalPicture(200, 150));
    EXPECT_EQ(WriteJpegFile(bitmap.get(), folder.File("missing/out.jpg").c_str(), 75), kJpegCannotOpen);
    EXPECT_FALSE(FileExists(folder.File("missing")));
    EXPECT_EQ(WriteJpegFile(bitmap.get(), nullptr, 75), kJpegCannotOpen);
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    std::fclose(full);
    EXPECT_EQ(WriteJpegFile(bitmap.get(), "/dev/full", 90), kJpegWriteFailed);
}

// A bitmap whose header is changed after it was built.
GlobalBlock Altered(int depth, const std::function<void(BITMAPINFOHEADER&)>& change) {
    GlobalBlock block = depth == 8 ? MakePaletteBitmap(8, 4, 4, {{1, 2, 3}}, [](int, int) { return 0; })
                                   : AllocatePackedBitmap(4, 4, depth, 0);
    BitmapLock header(block.get());
    change(*header.data());
    return block;
}

// One row wider than any accepted picture, built by hand since the allocator refuses it.
GlobalBlock TooWide() {
    const int width = 65501;
    GlobalBlock block = GlobalBlock::Allocate(sizeof(BITMAPINFOHEADER) + RowBytes(24, width));
    BitmapLock header(block.get());
    *header.data() = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    return block;
}

TEST(JpegFailure, RefusedBitmapsGiveTheirNumberAndWriteNoData) {
    const auto keep = [](BITMAPINFOHEADER&) {};
    const struct {
        const char* what;
        std::function<GlobalBlock()> make;
        std::int32_t expected;
    } cases[] = {
        {"no bitmap", [] { return GlobalBlock(); }, kJpegCannotLock},
        {"2 planes", [&] { return Altered(24, [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }); },
         kJpegBadPlanes},
        {"bit fields",
         [&] { return Altered(24, [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }); },
         kJpegCompressed},
        {"300 colours", [&] { return Altered(8, [](BITMAPINFOHEADER& h) { h.biClrUsed = 300; }); },
         kJpegTooManyColours},
        {"16 bits", [&] { return Altered(16, keep); }, kJpegBadDepth},
        {"width 0", [&] { return Altered(24, [](BITMAPINFOHEADER& h) { h.biWidth = 0; }); }, kJpegEmptyImage},
        {"height 0", [&] { return Altered(8, [](BITMAPINFOHEADER& h) { h.biHeight = 0; }); },
         kJpegEmptyImage},
        {"width 65501", TooWide, kJpegImageTooBig},
        {"height 70000", [&] { return Altered(24, [](BITMAPINFOHEADER& h) { h.biHeight = 70000; }); },
         kJpegImageTooBig},
        {"top-down", [&] { return Altered(24, [](BITMAPINFOHEADER& h) { h.biHeight = -4; }); },
         kJpegImageTooBig},
    };
    for (const auto& c : cases) {
        GlobalBlock bitmap = c.make();
        const Encoded encoded = EncodeJpeg(bitmap.get(), 75);
        EXPECT_EQ(encoded.result, c.expected) << c.what;
        EXPECT_TRUE(encoded.bytes.empty()) << c.what;
    }
}

}  // namespace
