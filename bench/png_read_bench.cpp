// PNG input: our reader beside libpng's simplified API reading the same files into a buffer,
// RGB and RGBA (composed over white by both), with the peak memory of one read.
#include <benchmark/benchmark.h>
#include <png.h>

#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/png/png_reader.h"

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
