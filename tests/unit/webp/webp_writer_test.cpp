#include "codecs/webp/webp_writer.h"

#include <gtest/gtest.h>
#include <webp/decode.h>

#include <string>

#include "core/ssimulacra2.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

namespace {

// libwebp's own decoding of the bytes, as a bitmap; null when it refuses them.
GlobalBlock DecodedByLibwebp(const std::uint8_t* data, std::size_t size) {
    int width = 0, height = 0;
    std::uint8_t* rgb = WebPDecodeRGB(data, size, &width, &height);
    if (rgb == nullptr) return GlobalBlock();
    GlobalBlock bitmap = MakeBitmap24(width, height, [&](int x, int y) {
        const std::uint8_t* p = rgb + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
        return Rgb{p[0], p[1], p[2]};
    });
    WebPFree(rgb);
    return bitmap;
}

}  // namespace

// Every picture comes back from libwebp at its size: lossless ones byte for byte, lossy ones
// at least as alike as their quality promises, with sharp YUV only where halving the colour moves
// the light of the pixels. The file holds what the memory encoding gives, and a lossy one also
// what a source prepared once for every quality writes; what WebP cannot hold leaves no file.
TEST(WebpWriter, RefusesWhatWebpCannotHoldLeavingNoFileAndWritesWhatLibwebpDecodesClose) {
    TempFolder folder;
    GlobalBlock small = MakeBitmap24(8, 8, NaturalPicture(8, 8));
    GlobalBlock palette =
        MakePaletteBitmap(8, 8, 8, {{0, 0, 0}, {255, 255, 255}}, [](int x, int) { return x % 2; });
    GlobalBlock wide = MakeBitmap24(kMaxWebpSide + 1, 1, [](int, int) { return Rgb{1, 2, 3}; });
    const std::string path = folder.File("out.webp"), prepared = folder.File("prepared.webp");
    EXPECT_EQ(WriteWebpFile(nullptr, path.c_str(), WebpEncoding::Lossy(80)), kWebpNotWritable);
    EXPECT_EQ(WriteWebpFile(palette.get(), path.c_str(), WebpEncoding::Lossless()), kWebpNotWritable);
    EXPECT_EQ(WriteWebpFile(wide.get(), path.c_str(), WebpEncoding::Lossy(80)), kWebpTooWide);
    EXPECT_EQ(LossyWebpSource(wide.get()).Write(path.c_str(), 80), kWebpTooWide);
    EXPECT_EQ(WriteWebpFile(small.get(), path.c_str(), WebpEncoding::Lossy(101)), kWebpEncodeFailed);
    EXPECT_EQ(LossyWebpSource(small.get()).Write(path.c_str(), 101), kWebpEncodeFailed);
    EXPECT_EQ(WriteWebpFile(small.get(), folder.File("missing/out.webp").c_str(), WebpEncoding::Lossy(80)),
              kWebpCannotWrite);
    EXPECT_EQ(LossyWebpSource(small.get()).Write(folder.File("missing/out.webp").c_str(), 80),
              kWebpCannotWrite);
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{});
    const ColourAt grey = [](int x, int y) {
        const auto level = std::uint8_t(NaturalPicture(61, 40)(x, y).g);
        return Rgb{level, level, level};
    };
    const ColourAt orangeTeal = [](int x, int y) {
        return ((x + 1) / 12 + (y + 1) / 12) % 2 ? Rgb{230, 120, 40} : Rgb{40, 140, 200};
    };
    const struct {
        int width, height;
        ColourAt colour;
        WebpEncoding encoding;
        double minScore;  // 100: pixel-exact
        bool sharpYuv;
    } cases[] = {
        {97, 61, NaturalPicture(97, 61), WebpEncoding::Lossless(), 100, false},
        {17, 9, NaturalPicture(17, 9), WebpEncoding::Lossy(80), 70, true},
        {61, 40, grey, WebpEncoding::Lossy(50), 50, false},
        {96, 64, orangeTeal, WebpEncoding::Lossy(90), 20, true},
        {kMaxWebpSide, 1, NaturalPicture(kMaxWebpSide, 1), WebpEncoding::Lossless(), 100, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " quality " +
                     std::to_string(c.encoding.quality) + (c.encoding.lossless ? " lossless" : ""));
        GlobalBlock picture = MakeBitmap24(c.width, c.height, c.colour);
        WebpBytes bytes;
        ASSERT_EQ(EncodeWebp(picture.get(), c.encoding, &bytes), kWebpWritten);
        GlobalBlock decoded = DecodedByLibwebp(bytes.data.get(), bytes.size);
        ASSERT_TRUE(decoded);
        if (c.minScore == 100)
            EXPECT_EQ(BlockBytes(decoded.get()), BlockBytes(picture.get()));
        else
            EXPECT_GE(PerceptualReference(picture.get()).Score(decoded.get()).value_or(0), c.minScore);
        ASSERT_EQ(WriteWebpFile(picture.get(), path.c_str(), c.encoding), kWebpWritten);
        const Bytes encoded(bytes.data.get(), bytes.data.get() + bytes.size);
        EXPECT_EQ(ReadBytes(path), encoded);
        if (c.encoding.lossless) continue;
        // A source writes each quality as the bitmap gives it, however many it wrote before.
        const LossyWebpSource source(picture.get());
        for (const int quality : {c.encoding.quality - 30, c.encoding.quality}) {
            ASSERT_EQ(source.Write(prepared.c_str(), quality), kWebpWritten);
            ASSERT_EQ(EncodeWebp(picture.get(), WebpEncoding::Lossy(quality), &bytes), kWebpWritten);
            EXPECT_EQ(ReadBytes(prepared), Bytes(bytes.data.get(), bytes.data.get() + bytes.size)) << quality;
        }
        WebpTuning plain = kSmallWebp;
        plain.sharpYuv = false;
        ASSERT_EQ(EncodeWebp(picture.get(), c.encoding, &bytes, plain), kWebpWritten);
        EXPECT_EQ(Bytes(bytes.data.get(), bytes.data.get() + bytes.size) != encoded, c.sharpYuv);
    }
}
