// Our reader and writer against giflib: files we write, and the shared corpus, whose files hold
// the extensions, animations, local tables and code sizes other encoders write.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <string>

#include "codecs/gif/gif_reader.h"
#include "codecs/gif/gif_writer.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/corpus.h"
#include "tests/support/files.h"

namespace {

// A file slurped by giflib's decoder; `whole` is false where it stopped early.
struct Giflib {
    int error = 0;
    GifFileType* gif;
    bool whole;
    explicit Giflib(const std::string& path) : gif(DGifOpenFileName(path.c_str(), &error)) {
        whole = gif != nullptr && DGifSlurp(gif) == GIF_OK;
    }
    ~Giflib() {
        if (gif != nullptr) DGifCloseFile(gif, &error);
    }
};

// Our bitmap against giflib's first image: the size and table size, and where giflib read it
// whole, the colours and every index.
void ExpectSameFirstImage(PackedBitmap ours, const GifFileType* gif, bool whole = true) {
    const SavedImage& image = gif->SavedImages[0];
    const int width = image.ImageDesc.Width, height = image.ImageDesc.Height;
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    ASSERT_EQ(BitmapLock(ours)->biWidth, width);
    ASSERT_EQ(BitmapLock(ours)->biHeight, height);
    ASSERT_EQ(int(BitmapLock(ours)->biClrUsed), map->ColorCount);
    if (!whole) return;
    std::vector<Rgb> table;
    for (int i = 0; i < map->ColorCount; ++i)
        table.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    EXPECT_EQ(TableOf(ours), table);
    EXPECT_EQ(IndicesOf(ours),
              std::vector<int>(image.RasterBits, image.RasterBits + std::size_t(width) * height));
}

}  // namespace

// What we write, giflib and our reader read back as it was, in the smallest
// table that holds its colours (two entries for two, else four at least),
// padded with black; long runs shrink.
TEST(GifOracle, WrittenFilesReadBackWholeByGiflibAndOurs) {
    const auto hash = [](int colours) {
        return [colours](int x, int y) {
            return int((std::uint32_t(x) * 2654435761u ^ std::uint32_t(y) * 40503u) >> 9) % colours;
        };
    };
    struct Case {
        std::string name;
        GlobalBlock bitmap;
        int entries;
        std::size_t maxBytes = 1 << 30;
    };
    std::vector<Case> cases;
    const auto add = [&](std::string name, int depth, int colours, int entries, int width, int height,
                         const IndexAt& index) {
        cases.push_back(
            {std::move(name), MakePaletteBitmap(depth, width, height, Colours(colours), index), entries});
    };
    add("1-bit, two colours", 1, 2, 2, 37, 23, [](int x, int y) { return (x * y + x) % 2; });
    add("1-bit, one colour", 1, 1, 4, 9, 9, [](int, int) { return 0; });
    add("4-bit, sixteen colours", 4, 16, 16, 50, 41, [](int x, int y) { return (x ^ y) % 16; });
    add("8-bit noise, several clears", 8, 256, 256, 301, 203, hash(256));
    add("one column", 8, 200, 256, 1, 700, [](int, int y) { return y % 200; });
    add("wider than 32767", 1, 2, 2, 40000, 3, [](int x, int y) { return (x / 3 + y) % 2; });
    // Clear, a 9-bit code per distinct pixel, end: 224 pixels fill a sub-block, 225 open another.
    for (int width : {224, 225})
        add(std::to_string(width) + " distinct", 8, 256, 256, width, 1, [](int x, int) { return x; });
    // Every minimum code size, with the interlace passes of the first few heights.
    for (const auto& [colours, entries] :
         {std::pair<int, int>{3, 4}, {5, 8}, {9, 16}, {17, 32}, {33, 64}, {65, 128}, {129, 256}})
        for (int height = 1; height <= 9; ++height)
            add(std::to_string(colours) + " colours, height " + std::to_string(height), 8, colours, entries,
                7, height, hash(colours));
    // Rows of runs of 1 to 97 pixels: 1.8 kB, where a code a pixel would take 40 kB.
    cases.push_back(
        {"runs",
         MakePaletteBitmap(8, 250, 120, Colours(3), [](int x, int y) { return x / (1 + y % 97) % 3; }), 4,
         2500});
    for (const auto& [name, bitmap, entries, maxBytes] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(bitmap);
        TempFolder folder;
        const std::string path = folder.File("round.gif");
        ASSERT_EQ(WriteGifFile(bitmap.get(), path.c_str()), 0);
        EXPECT_LE(ReadBytes(path).size(), maxBytes);
        const Giflib giflib(path);
        ASSERT_TRUE(giflib.whole);
        ASSERT_EQ(giflib.gif->ImageCount, 1);
        EXPECT_TRUE(giflib.gif->SavedImages[0].ImageDesc.Interlace);
        EXPECT_EQ(giflib.gif->SColorMap->ColorCount, entries);
        PackedBitmap read = nullptr;
        ASSERT_EQ(ReadGifFile(&read, path.c_str()), 0);
        GlobalBlock back(read);
        ExpectSameFirstImage(back.get(), giflib.gif);
        EXPECT_EQ(IndicesOf(back.get()), IndicesOf(bitmap.get()));
        std::vector<Rgb> table = TableOf(bitmap.get());
        table.resize(std::size_t(giflib.gif->SColorMap->ColorCount), Rgb{0, 0, 0});
        EXPECT_EQ(TableOf(back.get()), table);
    }
    // A device that takes no bytes: the short write must not pass for success.
    EXPECT_EQ(WriteGifFile(cases.back().bitmap.get(), "/dev/full"), -1);
}

TEST(GifOracle, ReadsEveryCorpusFirstImageAsGiflibDoesAndRefusesTheRest) {
    const std::vector<CorpusFile> files = CorpusFiles("gif");
    if (files.empty()) GTEST_SKIP() << "the shared corpus is not there";
    int compared = 0;
    for (const CorpusFile& file : files) {
        SCOPED_TRACE(file.name);
        PackedBitmap read = nullptr;
        const std::int32_t status = ReadGifFile(&read, file.path.c_str());
        GlobalBlock bitmap(read);
        // giflib stops at a truncated image, having taken its descriptor, and refuses code sizes
        // above 8 at once.
        const Giflib giflib(file.path);
        ASSERT_NE(giflib.gif, nullptr);
        if (file.description.find("expected refusal") != std::string::npos ||
            file.description.find("frames=0") != std::string::npos) {
            EXPECT_LT(status, 0);
        } else if (giflib.gif->ImageCount == 0) {
            EXPECT_EQ(status, 0);
        } else {
            ASSERT_EQ(status, 0);
            ExpectSameFirstImage(bitmap.get(), giflib.gif, giflib.whole);
            compared += giflib.whole;
        }
    }
    EXPECT_GE(compared, 25);
}
