// The real-world files of the shared corpus beside libpng's own decoding: the valid ones read
// alike, the corrupt and truncated ones are refused.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>

#include "codecs/png/png_reader.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/corpus.h"

namespace {

// libpng's decoding to linear light (premultiplied by alpha), composed over white there and
// encoded for a screen gamma of 2.2: what the reader shows for a file that states its gamma.
std::vector<Rgb> LibpngOverWhite(const std::string& path, png_uint_32* width, png_uint_32* height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_LINEAR_RGB_ALPHA;
    std::vector<png_uint_16> linear(PNG_IMAGE_SIZE(image) / 2);
    if (!png_image_finish_read(&image, nullptr, linear.data(), 0, nullptr)) return {};
    *width = image.width;
    *height = image.height;
    std::vector<Rgb> colours;
    const auto encode = [](double value) {
        return std::uint8_t(std::floor(255 * std::pow(value / 65535, 1 / 2.2) + 0.5));
    };
    for (std::size_t i = 0; i < linear.size(); i += 4) {
        const double under = 65535.0 - linear[i + 3];
        colours.push_back(
            Rgb{encode(linear[i] + under), encode(linear[i + 1] + under), encode(linear[i + 2] + under)});
    }
    return colours;
}

// The file read over white beside libpng's reading: the size, and where the file states its gamma
// (as PngSuite's do), every colour within 1.
void ExpectReadAsLibpngDoes(const std::string& path, bool gammaStated) {
    PackedBitmap read = nullptr;
    ASSERT_EQ(ReadPngFile(&read, path.c_str(), 0xFFFFFF), 0);
    GlobalBlock bitmap(read);
    png_uint_32 width = 0, height = 0;
    const std::vector<Rgb> expected = LibpngOverWhite(path, &width, &height);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(png_uint_32(BitmapLock(bitmap.get())->biWidth), width);
    ASSERT_EQ(png_uint_32(BitmapLock(bitmap.get())->biHeight), height);
    if (!gammaStated) return;
    for (png_uint_32 y = 0; y < height; ++y) {
        for (png_uint_32 x = 0; x < width; ++x) {
            const Rgb got = ColourOf(bitmap.get(), int(x), int(y)), want = expected[y * width + x];
            ASSERT_TRUE(std::abs(got.r - want.r) <= 1 && std::abs(got.g - want.g) <= 1 &&
                        std::abs(got.b - want.b) <= 1)
                << x << "," << y;
        }
    }
}

}  // namespace

// PngSuite's basic files hold every colour type and depth, interlaced and not, at gAMA 1.
TEST(PngOracle, ReadsTheValidCorpusFilesAsLibpngDoesAndRefusesTheBrokenOnes) {
    const std::vector<CorpusFile> files = CorpusFiles("png");
    if (files.empty()) GTEST_SKIP() << "the shared corpus is not there";
    for (const CorpusFile& file : files) {
        SCOPED_TRACE(file.name);
        if (file.description.find("CORRUPT") != std::string::npos ||
            file.description.find("TRUNCATED") != std::string::npos) {
            PackedBitmap read = nullptr;
            EXPECT_EQ(ReadPngFile(&read, file.path.c_str(), 0xFFFFFF), kReaderCannotRead);
            EXPECT_EQ(read, nullptr);
        } else {
            ExpectReadAsLibpngDoes(file.path, file.name.rfind("pngsuite-bas", 0) == 0);
        }
    }
}
