// GIF variants that giflib writes, read by ours and by giflib's decoder.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <string>

#include "codecs/gif/gif_layout.h"
#include "codecs/gif/gif_reader.h"
#include "tests/unit/gif/gif_test_support.h"

namespace {

struct Frame {
    int left, top, width, height;
    bool interlaced;
    int localBits;  // 0: no local table
};

ColorMapObject* MapOf(int bits, int seed) {
    std::vector<GifColorType> colours;
    for (int i = 0; i < 1 << bits; ++i)
        colours.push_back(
            GifColorType{GifByteType(i * 7 + seed), GifByteType(255 - i), GifByteType(i ^ seed)});
    return GifMakeMapObject(int(colours.size()), colours.data());
}

// Writes the frames with giflib: extensions before the first, pixels from a hash of position.
void WriteWithGiflib(const std::string& path, int globalBits, const std::vector<Frame>& frames,
                     bool extensions) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    ASSERT_NE(gif, nullptr);
    EGifSetGifVersion(gif, extensions);
    ColorMapObject* global = globalBits ? MapOf(globalBits, 3) : nullptr;
    ASSERT_EQ(EGifPutScreenDesc(gif, 200, 200, 8, 0, global), GIF_OK);
    if (extensions) {
        const GifByteType control[4] = {1, 10, 0, 2}, comment[3] = {'a', 'b', 'c'};
        ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control), GIF_OK);
        ASSERT_EQ(EGifPutExtension(gif, COMMENT_EXT_FUNC_CODE, 3, comment), GIF_OK);
    }
    for (const Frame& f : frames) {
        ColorMapObject* local = f.localBits ? MapOf(f.localBits, 9) : nullptr;
        ASSERT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local), GIF_OK);
        const int colours = 1 << (f.localBits ? f.localBits : globalBits);
        std::vector<GifByteType> line(std::size_t(f.width));
        const auto putRow = [&](std::int32_t y) {
            for (int x = 0; x < f.width; ++x)
                line[std::size_t(x)] = GifByteType(
                    ((std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u) * 2654435761u >> 13) %
                    colours);
            EGifPutLine(gif, line.data(), f.width);
        };
        if (f.interlaced) {
            ForEachInterlacedRow(f.height, putRow);
        } else {
            for (int y = 0; y < f.height; ++y) putRow(y);
        }
        GifFreeMapObject(local);
    }
    GifFreeMapObject(global);
    ASSERT_EQ(EGifCloseFile(gif, &error), GIF_OK);
}

}  // namespace

TEST(GifReaderOracle, ReadsTheFirstImageAsGiflibDoes) {
    const struct {
        const char* name;
        int globalBits;
        std::vector<Frame> frames;
        bool extensions;
    } cases[] = {
        {"1-bit", 1, {{0, 0, 23, 17, false, 0}}, false},
        {"2-bit interlaced", 2, {{0, 0, 23, 17, true, 0}}, false},
        {"3-bit", 3, {{0, 0, 40, 9, false, 0}}, false},
        {"4-bit interlaced", 4, {{0, 0, 9, 40, true, 0}}, false},
        {"5-bit", 5, {{0, 0, 64, 64, false, 0}}, false},
        {"6-bit interlaced", 6, {{0, 0, 64, 63, true, 0}}, false},
        {"7-bit", 7, {{0, 0, 100, 70, false, 0}}, false},
        {"8-bit, many clears", 8, {{0, 0, 200, 200, false, 0}}, false},
        {"8-bit interlaced", 8, {{0, 0, 199, 173, true, 0}}, false},
        {"GIF89a with control and comment", 4, {{0, 0, 30, 20, false, 0}}, true},
        {"animation, first frame placed", 8, {{17, 5, 31, 12, false, 0}, {0, 0, 200, 200, false, 2}}, true},
        {"local table of 4 over a global one of 256", 8, {{0, 0, 30, 20, true, 2}}, true},
        {"local table only", 0, {{0, 0, 30, 20, false, 5}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.File("giflib.gif");
        WriteWithGiflib(path, c.globalBits, c.frames, c.extensions);
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        ASSERT_NE(gif, nullptr);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK);
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;

        PackedBitmap read = nullptr;
        ASSERT_EQ(ReadGifFile(&read, path.c_str()), 0);
        GlobalBlock bitmap(read);
        const int width = image.ImageDesc.Width, height = image.ImageDesc.Height;
        const bool interlaced = image.ImageDesc.Interlace;
        {
            BitmapLock header(bitmap.get());
            ASSERT_EQ(header->biWidth, width);
            ASSERT_EQ(header->biHeight, height);
            ASSERT_EQ(int(header->biClrUsed), map->ColorCount);
        }
        for (int i = 0; i < map->ColorCount; ++i) {
            const GifColorType e = map->Colors[i];
            ASSERT_EQ(TableColour(bitmap.get(), i), (Rgb{e.Red, e.Green, e.Blue})) << i;
        }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(IndexOf(bitmap.get(), x, y), image.RasterBits[std::size_t(y) * width + x])
                    << x << "," << y;
        DGifCloseFile(gif, &error);

        // Cut in the middle of the image data: what arrived is kept, the rest is colour 0, the
        // last row to arrive among them.
        if (c.frames.size() > 1) continue;
        Bytes file = ReadBytes(path);
        const Frame& f = c.frames[0];
        const std::size_t before = 13 + (c.globalBits ? 3u << c.globalBits : 0) + (c.extensions ? 15 : 0) +
                                   10 + (f.localBits ? 3u << f.localBits : 0);
        file.resize(before + (file.size() - before) * 3 / 5);
        WriteBytes(folder.File("cut.gif"), file);
        ASSERT_EQ(ReadGifFile(&read, folder.File("cut.gif").c_str()), 0);
        GlobalBlock cut(read);
        int kept = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int pixel = IndexOf(cut.get(), x, y), full = IndexOf(bitmap.get(), x, y);
                ASSERT_TRUE(pixel == full || pixel == 0) << x << "," << y;
                kept += pixel == full && full != 0;
            }
        }
        EXPECT_GT(kept, width);
        const int lastRow = interlaced ? height - 1 - height % 2 : height - 1;
        for (int x = 0; x < width; ++x) ASSERT_EQ(IndexOf(cut.get(), x, lastRow), 0) << x;
    }
}
