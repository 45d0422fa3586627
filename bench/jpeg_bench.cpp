// The JPEG encoder beside stb_image_write on the same generated photographs, and the whole
// JPEG conversion.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/synthetic_picture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace {

constexpr int kQuality = 80;

// The photograph's pixels, top row first, for the peer.
const std::vector<unsigned char>& RgbOf(int width, int height) {
    static std::map<std::pair<int, int>, std::vector<unsigned char>> made;
    std::vector<unsigned char>& rgb = made[{width, height}];
    if (rgb.empty()) {
        const ColourAt colour = NaturalPicture(width, height);
        rgb.reserve(static_cast<std::size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb c = colour(x, y);
                rgb.insert(rgb.end(), {c.r, c.g, c.b});
            }
    }
    return rgb;
}

void EncodeKorvi(benchmark::State& state, int width, int height) {
    const GlobalBlock& photo = Photograph(width, height);
    const std::string path = BenchFolder().File("korvi.jpg");
    for (auto _ : state)
        if (WriteJpegFile(photo.get(), path.c_str(), kQuality) != 0)
            state.SkipWithError("WriteJpegFile failed");
    state.SetLabel(std::to_string(ReadBytes(path).size()) + " bytes");
}

void EncodeStb(benchmark::State& state, int width, int height) {
    const std::vector<unsigned char>& rgb = RgbOf(width, height);
    const std::string path = BenchFolder().File("stb_image_write.jpg");
    for (auto _ : state)
        if (stbi_write_jpg(path.c_str(), width, height, 3, rgb.data(), kQuality) == 0)
            state.SkipWithError("stbi_write_jpg failed");
    state.SetLabel(std::to_string(ReadBytes(path).size()) + " bytes");
}

}  // namespace

BENCHMARK_CAPTURE(EncodeKorvi, 4000x3000, 4000, 3000)
    ->Name("jpeg encode 4000x3000 q80 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeStb, 4000x3000, 4000, 3000)
    ->Name("jpeg encode 4000x3000 q80 | stb_image_write")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeKorvi, 430x323, 430, 323)
    ->Name("jpeg encode 430x323 q80 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeStb, 430x323, 430, 323)
    ->Name("jpeg encode 430x323 q80 | stb_image_write")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BenchmarkConversion, jpeg, 4000, 3000, OutputFormat::kJpeg, kLimitWidth)
    ->Name("conversion 4000x3000 jpeg | korvi")
    ->Unit(benchmark::kMillisecond);
