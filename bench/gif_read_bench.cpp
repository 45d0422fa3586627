// GIF input: our reader beside giflib's DGifSlurp on the same quantised photograph.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <map>
#include <string>
#include <utility>

#include "bench/bench_support.h"
#include "codecs/gif/gif_reader.h"
#include "codecs/gif/gif_writer.h"
#include "codecs/gif/palette_reduction.h"

namespace {

// The photograph quantised and written by our writer (interlaced), once per size.
const std::string& GifPhotograph(int width, int height) {
    static std::map<std::pair<int, int>, std::string> made;
    std::string& path = made[{width, height}];
    if (path.empty()) {
        path =
            BenchFolder().File("photograph-" + std::to_string(width) + "x" + std::to_string(height) + ".gif");
        GlobalBlock palette(QuantizeWithDither(Photograph(width, height).get()));
        if (WriteGifFile(palette.get(), path.c_str()) != 0) path.clear();
    }
    return path;
}

void ReadKorvi(benchmark::State& state, int width, int height) {
    const std::string& path = GifPhotograph(width, height);
    for (auto _ : state) {
        PackedBitmap picture = nullptr;
        if (ReadGifFile(&picture, path.c_str()) != 0) state.SkipWithError("ReadGifFile failed");
        GlobalFree(picture);
    }
}

void ReadGiflib(benchmark::State& state, int width, int height) {
    const std::string& path = GifPhotograph(width, height);
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        if (gif == nullptr || DGifSlurp(gif) != GIF_OK) state.SkipWithError("DGifSlurp failed");
        if (gif != nullptr) DGifCloseFile(gif, &error);
    }
}

}  // namespace

BENCHMARK_CAPTURE(ReadKorvi, 4000x3000, 4000, 3000)
    ->Name("gif read 4000x3000 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadGiflib, 4000x3000, 4000, 3000)
    ->Name("gif read 4000x3000 | giflib")
    ->Unit(benchmark::kMillisecond);
