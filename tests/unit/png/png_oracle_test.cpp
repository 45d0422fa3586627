// The real-world files of the shared corpus beside libpng's own decoding: the valid ones read
// alike, the corrupt and truncated ones are refused.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>

#include "codecs/png/png_reader.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/corpus.h"

namespace {

// What decides a file's colours beside its samples: its gamma, 0 where it states none, and the
// background it is shown over (its own bKGD or white), 0 to 1 in the file's scale.
struct FileLight {
    double gamma = 0;
    double background[3] = {1, 1, 1};
};

FileLight LightOf(const std::string& path) {
    FileLight light;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_info(png, info);
        png_get_gAMA(png, info, &light.gamma);
        png_color_16p own = nullptr;
        png_colorp palette = nullptr;
        int entries = 0;
        const double top = (1 << png_get_bit_depth(png, info)) - 1;
        if (png_get_bKGD(png, info, &own)) {
            if (png_get_PLTE(png, info, &palette, &entries) && own->index < entries) {
                const png_color& entry = palette[own->index];
                light.background[0] = entry.red / 255.0;
                light.background[1] = entry.green / 255.0;
                light.background[2] = entry.blue / 255.0;
            } else if ((png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR) == 0) {
                light.background[0] = light.background[1] = light.background[2] = own->gray / top;
            } else {
                light.background[0] = own->red / top;
                light.background[1] = own->green / top;
                light.background[2] = own->blue / top;
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return light;
}

std::uint8_t Encoded(double value) {
    return std::uint8_t(std::floor(255 * value + 0.5));
}

// libpng's simplified reading composed over the file's background. A file that states its gamma
// is decoded to linear light (premultiplied by alpha), composed there and encoded for a screen
// gamma of 2.2; one that states none is composed as its samples stand.
std::vector<Rgb> LibpngReading(const std::string& path, png_uint_32* width, png_uint_32* height) {
    const FileLight light = LightOf(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    const bool linear = light.gamma > 0;
    image.format = linear ? PNG_FORMAT_LINEAR_RGB_ALPHA : PNG_FORMAT_RGBA;
    const std::size_t samples = std::size_t{image.width} * image.height * 4;
    std::vector<png_uint_16> wide(linear ? samples : 0);
    std::vector<png_byte> narrow(linear ? 0 : samples);
    void* buffer = linear ? static_cast<void*>(wide.data()) : static_cast<void*>(narrow.data());
    if (!png_image_finish_read(&image, nullptr, buffer, 0, nullptr)) return {};
    *width = image.width;
    *height = image.height;
    std::vector<Rgb> colours;
    for (std::size_t i = 0; i < samples; i += 4) {
        std::uint8_t rgb[3];
        for (int c = 0; c < 3; ++c) {
            if (linear) {
                const double alpha = wide[i + 3] / 65535.0;
                const double under = std::pow(light.background[c], 1 / light.gamma);
                rgb[c] = Encoded(std::pow(wide[i + std::size_t(c)] / 65535.0 + under * (1 - alpha), 1 / 2.2));
            } else {
                const double alpha = narrow[i + 3] / 255.0;
                rgb[c] =
                    Encoded(narrow[i + std::size_t(c)] / 255.0 * alpha + light.background[c] * (1 - alpha));
            }
        }
        colours.push_back(Rgb{rgb[0], rgb[1], rgb[2]});
    }
    return colours;
}

// Within one level, or in the darkest ones, where one step of a 16-bit sample in linear light
// spans nearly two levels at a gamma of 2.2, within two such steps.
bool Near(std::uint8_t got, std::uint8_t want) {
    const auto linear = [](std::uint8_t value) { return std::pow(value / 255.0, 2.2); };
    return std::abs(got - want) <= 1 || std::fabs(linear(got) - linear(want)) <= 2 / 65535.0;
}

// The file read over white beside libpng's reading: the size and every colour.
void ExpectReadAsLibpngDoes(const std::string& path) {
    PackedBitmap read = nullptr;
    ASSERT_EQ(ReadPngFile(&read, path.c_str(), 0xFFFFFF), 0);
    GlobalBlock bitmap(read);
    png_uint_32 width = 0, height = 0;
    const std::vector<Rgb> expected = LibpngReading(path, &width, &height);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(png_uint_32(BitmapLock(bitmap.get())->biWidth), width);
    ASSERT_EQ(png_uint_32(BitmapLock(bitmap.get())->biHeight), height);
    for (png_uint_32 y = 0; y < height; ++y) {
        for (png_uint_32 x = 0; x < width; ++x) {
            const Rgb got = ColourOf(bitmap.get(), int(x), int(y)), want = expected[y * width + x];
            ASSERT_TRUE(Near(got.r, want.r) && Near(got.g, want.g) && Near(got.b, want.b))
                << x << "," << y << ": " << int(got.r) << "," << int(got.g) << "," << int(got.b) << " for "
                << int(want.r) << "," << int(want.g) << "," << int(want.b);
        }
    }
}

}  // namespace

// PngSuite holds every colour type and depth, interlaced and not, at several gammas, with and
// without tRNS and bKGD.
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
            ExpectReadAsLibpngDoes(file.path);
        }
    }
}
