#include "codecs/avif/avif_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/avif/avif_reader.h"
#include "core/ssimulacra2.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

#ifdef KORVI_AVIF_ORACLE
#include <avif/avif.h>
#endif

namespace {

// The file as the reader shows it, and, natively, whether libavif reads it at the same size.
GlobalBlock Decoded(const std::vector<std::uint8_t>& bytes, int width, int height) {
#ifdef KORVI_AVIF_ORACLE
    avifDecoder* decoder = avifDecoderCreate();
    avifImage* image = avifImageCreateEmpty();
    EXPECT_EQ(avifDecoderReadMemory(decoder, image, bytes.data(), bytes.size()), AVIF_RESULT_OK);
    EXPECT_EQ(int(image->width) * 10000 + int(image->height), width * 10000 + height);
    avifImageDestroy(image);
    avifDecoderDestroy(decoder);
#else
    static_cast<void>(width), static_cast<void>(height);
#endif
    PackedBitmap decoded = nullptr;
    EXPECT_EQ(DecodeAvif(&decoded, bytes.data(), bytes.size(), 0), kAvifReadOk);
    return GlobalBlock(decoded);
}

}  // namespace

// Every picture comes back at its size: lossless ones byte for byte, lossy ones at least as alike
// as their quality promises, with chroma full or halved. The file holds what the memory encoding
// gives; what cannot be written leaves no file.
TEST(AvifWriter, RefusesWhatItCannotWriteLeavingNoFileAndWritesWhatReadsBackClose) {
    TempFolder folder;
    GlobalBlock small = MakeBitmap24(8, 8, NaturalPicture(8, 8));
    GlobalBlock palette =
        MakePaletteBitmap(8, 8, 8, {{0, 0, 0}, {255, 255, 255}}, [](int x, int) { return x % 2; });
    const std::string path = folder.File("out.avif");
    EXPECT_EQ(WriteAvifFile(nullptr, path.c_str(), AvifEncoding::Lossy(80)), kAvifNotWritable);
    EXPECT_EQ(WriteAvifFile(palette.get(), path.c_str(), AvifEncoding::Lossless()), kAvifNotWritable);
    EXPECT_EQ(WriteAvifFile(small.get(), path.c_str(), AvifEncoding::Lossy(101)), kAvifEncodeFailed);
    EXPECT_EQ(WriteAvifFile(small.get(), folder.File("missing/out.avif").c_str(), AvifEncoding::Lossy(80)),
              kAvifCannotWrite);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{});
    AvifTuning halved = kSmallAvif;
    halved.fullChroma = false;
    const struct {
        int width, height;
        AvifEncoding encoding;
        const AvifTuning& tuning;
        double minScore;  // 100: pixel-exact
    } cases[] = {
        {97, 61, AvifEncoding::Lossless(), kSmallAvif, 100},
        {17, 9, AvifEncoding::Lossy(80), kSmallAvif, 70},
        {33, 21, AvifEncoding::Lossy(80), halved, 70},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " quality " +
                     std::to_string(c.encoding.quality) + (c.tuning.fullChroma ? "" : " 4:2:0"));
        GlobalBlock picture = MakeBitmap24(c.width, c.height, NaturalPicture(c.width, c.height));
        std::vector<std::uint8_t> bytes;
        ASSERT_EQ(EncodeAvif(picture.get(), c.encoding, &bytes, c.tuning), kAvifWritten);
        GlobalBlock decoded = Decoded(bytes, c.width, c.height);
        ASSERT_TRUE(decoded);
        if (c.minScore == 100)
            EXPECT_EQ(BlockBytes(decoded.get()), BlockBytes(picture.get()));
        else
            EXPECT_GE(PerceptualReference(picture.get()).Score(decoded.get()).value_or(0), c.minScore);
        ASSERT_EQ(WriteAvifFile(picture.get(), path.c_str(), c.encoding, c.tuning), kAvifWritten);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}
