// The real-world GIF files of the shared corpus, read by ours and by giflib's decoder.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include "codecs/gif/gif_reader.h"
#include "tests/support/corpus.h"
#include "tests/unit/gif/gif_test_support.h"

TEST(GifCorpus, ReadsEveryFirstImageAsGiflibDoesAndRefusesTheRest) {
    const std::vector<CorpusFile> files = CorpusFiles("gif");
    if (files.empty()) GTEST_SKIP() << "the shared corpus is not there";
    int compared = 0;
    for (const CorpusFile& file : files) {
        SCOPED_TRACE(file.name);
        PackedBitmap read = nullptr;
        const std::int32_t status = ReadGifFile(&read, file.path.c_str());
        GlobalBlock bitmap(read);
        int error = 0;
        GifFileType* gif = DGifOpenFileName(file.path.c_str(), &error);
        ASSERT_NE(gif, nullptr);
        // giflib stops at a truncated image, having taken its descriptor, and refuses code sizes
        // above 8 at once.
        const bool whole = DGifSlurp(gif) == GIF_OK;
        if (file.description.find("expected refusal") != std::string::npos ||
            file.description.find("frames=0") != std::string::npos) {
            EXPECT_LT(status, 0);
        } else if (gif->ImageCount == 0) {
            EXPECT_EQ(status, 0);
        } else {
            ASSERT_EQ(status, 0);
            const SavedImage& image = gif->SavedImages[0];
            const int width = image.ImageDesc.Width, height = image.ImageDesc.Height;
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            BITMAPINFOHEADER header = *BitmapLock(bitmap.get()).data();
            EXPECT_EQ(header.biWidth, width);
            EXPECT_EQ(header.biHeight, height);
            EXPECT_EQ(int(header.biClrUsed), map->ColorCount);
            for (int i = 0; whole && i < map->ColorCount; ++i) {
                const GifColorType e = map->Colors[i];
                ASSERT_EQ(TableColour(bitmap.get(), i), (Rgb{e.Red, e.Green, e.Blue})) << i;
            }
            for (int y = 0; whole && y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(IndexOf(bitmap.get(), x, y), image.RasterBits[std::size_t(y) * width + x])
                        << x << "," << y;
            compared += whole;
        }
        DGifCloseFile(gif, &error);
    }
    EXPECT_GE(compared, 25);
}
