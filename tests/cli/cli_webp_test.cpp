// korvi-cli's WebP lines and input, and -f auto.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "codecs/webp/webp_reader.h"
#include "core/bmp_file.h"
#include "core/ssim.h"
#include "tests/support/base64_decode.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/command.h"
#include "tests/support/synthetic_picture.h"
#include "tests/support/webp_fixture.h"

namespace {

class KorviCliWebp : public testing::Test {
  protected:
    KorviCliWebp() {
        WriteBmp("photo.bmp", MakeBitmap24(240, 160, NaturalPicture(240, 160)));
        WriteBmp("icon.bmp", MakeBitmap24(96, 96, [](int x, int y) {
                     return (x / 12 + y / 12) % 3 == 0 ? Rgb{200, 30, 30} : Rgb{250, 250, 250};
                 }));
    }
    void WriteBmp(const std::string& name, GlobalBlock picture) {
        ASSERT_EQ(WriteBmpFile(picture.get(), folder_.File(name).c_str()), kBmpWritten);
        pictures_.push_back(std::move(picture));
    }
    // The arguments, with each "@name" standing for that file of the folder.
    CommandResult Run(std::string arguments) {
        for (std::size_t at = 0; (at = arguments.find('@', at)) != std::string::npos;) {
            const std::size_t end = std::min(arguments.find(' ', at), arguments.size());
            const std::string path = Quoted(folder_.File(arguments.substr(at + 1, end - at - 1)));
            arguments.replace(at, end - at, path);
            at += path.size();
        }
        return RunCommand(Quoted(KORVI_CLI_PATH) + " " + arguments, folder_.path());
    }
    TempFolder folder_;
    std::vector<GlobalBlock> pictures_;  // photo, icon
};

GlobalBlock DecodedWebp(const std::string& line) {
    const Bytes webp = DataUriPayload(line, "image/webp");
    PackedBitmap decoded = nullptr;
    DecodeWebp(&decoded, webp.data(), webp.size(), 0);
    return GlobalBlock(decoded);
}

}  // namespace

TEST_F(KorviCliWebp, WritesLossyAndLosslessWebp) {
    const struct {
        const char* options;
        double minSsim;  // 1: every pixel kept
    } cases[] = {{"-q 80", 0.9}, {"-q 10", 0.5}, {"--lossless", 1}};
    for (const auto& c : cases) {
        const CommandResult result = Run(std::string("-f webp -m 0 ") + c.options + " @photo.bmp");
        ASSERT_EQ(result.exitCode, 0) << c.options << result.err;
        GlobalBlock decoded = DecodedWebp(result.out);
        ASSERT_TRUE(decoded) << c.options;
        BitmapLock header(decoded.get());
        ASSERT_EQ(header->biWidth, 240) << c.options;
        ASSERT_EQ(header->biHeight, 160) << c.options;
        EXPECT_GE(MeanSsim(pictures_[0].get(), decoded.get()).value_or(0), c.minSsim) << c.options;
        if (c.minSsim < 1) continue;
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 240; ++x)
                ASSERT_EQ(PixelOf(decoded.get(), x, y), PixelOf(pictures_[0].get(), x, y)) << x << "," << y;
    }
}

// By content, transparency over -b, from a file of any name and from standard input.
TEST_F(KorviCliWebp, ReadsWebpByItsFirstBytes) {
    std::vector<Rgba> pixels(64 * 64, Rgba{10, 120, 240, 255});
    pixels[0] = Rgba{0, 0, 0, 0};
    WriteBytes(folder_.File("clear.webp"), EncodeRgbaWebp(pixels, 64));
    WriteBytes(folder_.File("clear.dat"), EncodeRgbaWebp(pixels, 64));
    for (const char* given : {"@clear.webp", "@clear.dat", "- < @clear.webp"}) {
        const CommandResult result = Run(std::string("-f webp --lossless -m 0 -b 204080 ") + given);
        ASSERT_EQ(result.exitCode, 0) << given << result.err;
        GlobalBlock decoded = DecodedWebp(result.out);
        ASSERT_TRUE(decoded) << given;
        EXPECT_EQ(PixelOf(decoded.get(), 0, 0), (Rgb{0x20, 0x40, 0x80})) << given;
        EXPECT_EQ(PixelOf(decoded.get(), 63, 63), (Rgb{10, 120, 240})) << given;
    }
}

TEST_F(KorviCliWebp, AutoChoosesTheShortestFaithfulLine) {
    const struct {
        std::string options;
        int exitCode;
        std::string said;  // on standard error after the picture's name
        std::string mime;
    } cases[] = {
        {"@icon.bmp", 0, "icon.bmp: webp lossless, ", "image/webp"},
        {"@photo.bmp", 0, "photo.bmp: webp q", "image/webp"},
        {"--min-ssim 0.5 @photo.bmp", 0, "photo.bmp: webp q10, ", "image/webp"},
        {"--max-bytes 3000 @photo.bmp", 0, "the most faithful line that fits --max-bytes 3000", "image/webp"},
        {"--max-bytes 500 @photo.bmp", 1, "no line fits --max-bytes 500; the shortest tried is webp q10", ""},
    };
    for (const auto& c : cases) {
        const CommandResult result = Run("-f auto " + c.options);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.options << result.err;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << c.options << result.err;
        if (c.mime.empty()) continue;
        EXPECT_FALSE(DataUriPayload(result.out, c.mime).empty()) << c.options << result.out.substr(0, 40);
        EXPECT_TRUE(c.options.find("--max-bytes") != 0 || result.out.size() <= 3000) << result.out.size();
    }
}
