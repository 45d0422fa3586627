// PNG input: our reader beside libpng's simplified API reading the same files into a buffer,
// RGB and RGBA (composed over white by both), with the peak memory of one read; and a small
// picture behind a thousand compressed texts beside the picture alone: the texts are passed
// over, where inflating them would cost seconds and a gigabyte.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/png/png_reader.h"
#include "tests/support/png_fixture.h"

namespace {

// The photograph written by libpng's simplified writer, RGB or with an alpha ramp, once each.
const std::string& PngPhotograph(int width, int height, bool alpha) {
    static std::map<bool, std::string> made;
    std::string& path = made[alpha];
    if (!path.empty()) return path;
    const GlobalBlock& photo = Photograph(width, height);
    BitmapLock header(photo.get());
    const int channels = alpha ? 4 : 3;
    std::vector<png_byte> pixels(std::size_t(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = PixelRows(header.data()) + std::size_t{RowBytes(24, width)} * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            png_byte* out = &pixels[(std::size_t(y) * width + x) * channels];
            for (int c = 0; c < 3; ++c) out[c] = row[3 * x + c];
            if (alpha) out[3] = png_byte(x % 320 < 64 ? 0 : x % 320 < 128 ? (x % 64) * 4 : 255);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    path = BenchFolder().File(alpha ? "photograph-rgba.png" : "photograph-rgb.png");
    if (!png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) path.clear();
    return path;
}

// A grey 1024 x 1024 picture, alone or behind 1000 zTXt chunks of a megabyte of text each (1 KB
// compressed).
const std::string& PngBehindTexts(bool texts) {
    static std::map<bool, std::string> made;
    std::string& path = made[texts];
    if (!path.empty()) return path;
    PngFixture picture;
    picture.width = picture.height = 1024;
    picture.samples.assign(1024 * 1024, 128);
    Bytes file = BuildPng(picture);
    const Bytes text(1 << 20, ' ');
    uLongf packedSize = compressBound(uLong(text.size()));
    Bytes chunk = {0, 0, 0, 0, 'z', 'T', 'X', 't', 'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    chunk.resize(chunk.size() + packedSize);
    compress2(chunk.data() + 17, &packedSize, text.data(), uLong(text.size()), 9);
    chunk.resize(17 + packedSize);
    const std::uint32_t length = std::uint32_t(chunk.size() - 8);
    for (int i = 0; i < 4; ++i) chunk[std::size_t(i)] = std::uint8_t(length >> (24 - 8 * i));
    const std::uint32_t crc = std::uint32_t(crc32(0, chunk.data() + 4, uInt(chunk.size() - 4)));
    for (int i = 0; i < 4; ++i) chunk.push_back(std::uint8_t(crc >> (24 - 8 * i)));
    for (int i = 0; texts && i < 1000; ++i)
        file.insert(file.begin() + 33, chunk.begin(), chunk.end());  // behind IHDR
    path = BenchFolder().File(texts ? "behind-texts.png" : "without-texts.png");
    WriteBytes(path, file);
    return path;
}

void ReadBehindTexts(benchmark::State& state, bool texts) {
    const std::string& path = PngBehindTexts(texts);
    for (auto _ : state) {
        PackedBitmap picture = nullptr;
        if (ReadPngFile(&picture, path.c_str(), 0xFFFFFF) != 0) state.SkipWithError("ReadPngFile failed");
        GlobalFree(picture);
    }
}

void ReadKorvi(benchmark::State& state, int width, int height, bool alpha) {
    const std::string& path = PngPhotograph(width, height, alpha);
    const auto read = [&] {
        PackedBitmap picture = nullptr;
        if (ReadPngFile(&picture, path.c_str(), 0xFFFFFF) != 0) state.SkipWithError("ReadPngFile failed");
        GlobalFree(picture);
    };
    for (auto _ : state) read();
    state.counters["peak/picture"] = PeakOverPicture(width, height, read);
}

void ReadLibpng(benchmark::State& state, int width, int height, bool alpha) {
    const std::string& path = PngPhotograph(width, height, alpha);
    const auto read = [&] {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str())) state.SkipWithError("libpng failed");
        image.format = PNG_FORMAT_BGR;
        std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
        const png_color white{255, 255, 255};
        if (!png_image_finish_read(&image, &white, pixels.data(), 0, nullptr))
            state.SkipWithError("libpng failed");
    };
    for (auto _ : state) read();
    state.counters["peak/picture"] = PeakOverPicture(width, height, read);
}

}  // namespace

BENCHMARK_CAPTURE(ReadKorvi, rgb, 4000, 3000, false)
    ->Name("png read rgb 4000x3000 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLibpng, rgb, 4000, 3000, false)
    ->Name("png read rgb 4000x3000 | libpng")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadKorvi, rgba, 4000, 3000, true)
    ->Name("png read rgba 4000x3000 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLibpng, rgba, 4000, 3000, true)
    ->Name("png read rgba 4000x3000 | libpng")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadBehindTexts, texts, true)
    ->Name("png read 1024x1024 behind 1000 compressed texts | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadBehindTexts, alone, false)
    ->Name("png read 1024x1024 behind 1000 compressed texts | the picture alone")
    ->Unit(benchmark::kMillisecond);
