// The decoder over the shared corpus's BMP files, against Chromium: each picture headless
// Chromium shows, drawn into a canvas over white and read back, is pinned here by a digest of its
// pixels; each file it does not show is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "codecs/bmp/bmp_decoder.h"
#include "tests/support/corpus.h"

namespace {

struct Shown {
    const char* name;
    std::uint64_t digest;  // FNV-1a of red, green, blue, top row first; 0 for a refused file
    BmpDecodeStatus status = kBmpDecodeOk;
};

constexpr Shown kChromium[] = {
    {"blink-crbug752898.bmp", 0, kBmpUnreadVariant},
    {"blink-gracehopper.bmp", 0x3518d83531fcef72},
    {"bmpsuite-b-badbitcount.bmp", 0, kBmpUnreadVariant},
    {"bmpsuite-b-badbitssize.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-b-baddens1.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-b-baddens2.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-b-badfilesize.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-b-badheadersize.bmp", 0, kBmpUnknownHeader},
    {"bmpsuite-b-badpalettesize.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-b-badplanes.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-b-badrle.bmp", 0xd1a0c1c46243e87d},
    {"bmpsuite-b-badrle4.bmp", 0x4a096fc2498e8404},
    {"bmpsuite-b-badrle4bis.bmp", 0x30e328d8b70663b2},
    {"bmpsuite-b-badrle4ter.bmp", 0x60c294bed0820023},
    {"bmpsuite-b-badrlebis.bmp", 0x9d86a7914f922797},
    {"bmpsuite-b-badrleter.bmp", 0x566e8b7a05d3d9af},
    {"bmpsuite-b-badwidth.bmp", 0, kBmpNoPixels},
    {"bmpsuite-b-pal8badindex.bmp", 0xb1b758a9b7f78a41},
    {"bmpsuite-b-reallybig.bmp", 0, kBmpDecodeTooLarge},
    {"bmpsuite-b-rgb16-880.bmp", 0xd1ad6fbd80a89a58},
    {"bmpsuite-b-rletopdown.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-b-shortfile.bmp", 0xdf0484f95541692b},
    {"bmpsuite-g-pal1.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-g-pal1bg.bmp", 0xb7b540345a58dd65},
    {"bmpsuite-g-pal1wb.bmp", 0x93cb10c47d28db4d},
    {"bmpsuite-g-pal4.bmp", 0x7442826ad2154b09},
    {"bmpsuite-g-pal4gs.bmp", 0x84584472fec80434},
    {"bmpsuite-g-pal4rle.bmp", 0x7442826ad2154b09},
    {"bmpsuite-g-pal8-0.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8gs.bmp", 0x13c463af6d9a108f},
    {"bmpsuite-g-pal8nonsquare.bmp", 0xb937ea06db3c196c},
    {"bmpsuite-g-pal8os2.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8rle.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8topdown.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8v4.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8v5.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-g-pal8w124.bmp", 0xb48c84d29e14ad3d},
    {"bmpsuite-g-pal8w125.bmp", 0xdc7be9a5fc79ab93},
    {"bmpsuite-g-pal8w126.bmp", 0x06c840bab970062d},
    {"bmpsuite-g-rgb16-565.bmp", 0x14bcfc94e43a21be},
    {"bmpsuite-g-rgb16-565pal.bmp", 0x14bcfc94e43a21be},
    {"bmpsuite-g-rgb16.bmp", 0xabf46743046a3eb2},
    {"bmpsuite-g-rgb16bfdef.bmp", 0xabf46743046a3eb2},
    {"bmpsuite-g-rgb24.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-g-rgb24pal.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-g-rgb32.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-g-rgb32bf.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-g-rgb32bfdef.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-q-pal1huffmsb.bmp", 0, kBmpUnreadVariant},
    {"bmpsuite-q-pal1p1.bmp", 0xeae45a26ec6206e5},
    {"bmpsuite-q-pal2.bmp", 0x0ab2e98359003ba7},
    {"bmpsuite-q-pal2color.bmp", 0x0ffc14a8a63b70e6},
    {"bmpsuite-q-pal4rlecut.bmp", 0x6dc4d320c97c264d},
    {"bmpsuite-q-pal4rletrns.bmp", 0xbd97da6dbe846025},
    {"bmpsuite-q-pal8offs.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-q-pal8os2sp.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-q-pal8os2v2-16.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-q-pal8os2v2.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-q-pal8oversizepal.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-q-pal8rlecut.bmp", 0x7ef7b01dc4e39879},
    {"bmpsuite-q-pal8rletrns.bmp", 0x22d3c4ec645d68a8},
    {"bmpsuite-q-rgb16-231.bmp", 0xed7c0b0fd426e78a},
    {"bmpsuite-q-rgb16-3103.bmp", 0x2667650dbff2731f},
    {"bmpsuite-q-rgb16faketrns.bmp", 0xabf46743046a3eb2},
    {"bmpsuite-q-rgb24jpeg.bmp", 0, kBmpUnreadVariant},
    {"bmpsuite-q-rgb24largepal.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-q-rgb24png.bmp", 0, kBmpUnreadVariant},
    {"bmpsuite-q-rgb24prof.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-q-rgb24rle24.bmp", 0x4598e7515a0f7954},
    {"bmpsuite-q-rgb32-7187.bmp", 0xfed55b0f62693c97},
    {"bmpsuite-q-rgb32-xbgr.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-q-rgb32fakealpha.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-q-rgb32h52.bmp", 0x7cd8f819ae69b2af},
    {"bmpsuite-q-rgba16-4444.bmp", 0x7c8a7660d8e23459},
    {"bmpsuite-q-rgba32-1.bmp", 0x28330860d01ec35b},
    {"bmpsuite-q-rgba32-1010102.bmp", 0x78cfe300f027b51d},
    {"bmpsuite-q-rgba32abf.bmp", 0x28330860d01ec35b},
    {"bmpsuite-q-rgba64.bmp", 0, kBmpUnreadVariant},
    {"bmpsuite-x-ba-bm.bmp", 0, kBmpUnknownHeader},
    {"wuffs-harvesters.bmp", 0xa495e3990aa8faf6},
};

std::uint64_t DigestOf(PackedBitmap picture) {
    BitmapLock header(picture);
    std::uint64_t digest = 0xcbf29ce484222325;
    for (int y = header->biHeight - 1; y >= 0; --y) {
        const BYTE* pixel =
            PixelRows(header.data()) + std::size_t(RowBytes(24, header->biWidth)) * std::size_t(y);
        for (int x = 0; x < header->biWidth; ++x, pixel += 3)
            for (int c : {2, 1, 0}) digest = (digest ^ pixel[c]) * 0x100000001b3;
    }
    return digest;
}

}  // namespace

TEST(DecodeBmpFile, ShowsTheCorpusAsChromiumDoes) {
    const std::vector<CorpusFile> files = CorpusFiles("bmp");
    if (files.empty()) GTEST_SKIP() << "the shared corpus is not there";
    int read = 0;
    for (const CorpusFile& file : files) {
        SCOPED_TRACE(file.name);
        const auto shown = std::find_if(std::begin(kChromium), std::end(kChromium),
                                        [&file](const Shown& s) { return file.name == s.name; });
        ASSERT_NE(shown, std::end(kChromium)) << "a corpus file without its row";
        PackedBitmap picture = nullptr;
        ASSERT_EQ(DecodeBmpFile(&picture, file.path.c_str(), 0xFFFFFF), shown->status);
        GlobalBlock owned(picture);
        if (!owned) continue;
        EXPECT_EQ(DigestOf(owned.get()), shown->digest);
        ++read;
    }
    EXPECT_EQ(read, 71);
}
