// BMP input: korvi-cli's decoder beside the window's reader on the same 4000 x 3000 files, a
// 24-bit one and a 32-bit one with bit fields.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "bench/bench_support.h"
#include "codecs/bmp/bmp_decoder.h"
#include "core/bmp_file.h"
#include "tests/support/bmp_fixture.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// The photograph as a 24-bit file, or as 32 bits with the masks of a 32-bit screenshot, once each.
const std::string& BmpPhotograph(int depth) {
    static std::map<int, std::string> made;
    std::string& path = made[depth];
    if (!path.empty()) return path;
    BitmapLock header(Photograph(kWidth, kHeight).get());
    BmpFixture file;
    file.width = kWidth, file.height = kHeight, file.depth = std::uint16_t(depth);
    const BYTE* rows = PixelRows(header.data());
    if (depth == 24) {
        file.rows.assign(rows, rows + std::size_t{RowBytes(24, kWidth)} * kHeight);
    } else {
        file.compression = BI_BITFIELDS, file.masks = {0xFF0000, 0xFF00, 0xFF};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const BYTE* pixel = rows + std::size_t{RowBytes(24, kWidth)} * y + 3 * x;
                file.rows.insert(file.rows.end(), {pixel[0], pixel[1], pixel[2], 0});
            }
    }
    path = BenchFolder().File("photograph-" + std::to_string(depth) + ".bmp");
    WriteBytes(path, BuildBmp(file));
    return path;
}

void Decoder(benchmark::State& state, int depth) {
    const std::string& path = BmpPhotograph(depth);
    for (auto _ : state) {
        PackedBitmap picture = nullptr;
        if (DecodeBmpFile(&picture, path.c_str(), 0xFFFFFF) != kBmpDecodeOk) state.SkipWithError("not read");
        GlobalFree(picture);
    }
}

void WindowReader(benchmark::State& state, int depth) {
    const std::string& path = BmpPhotograph(depth);
    for (auto _ : state) {
        PackedBitmap picture = nullptr;
        if (ReadBmpFile(&picture, path.c_str()) != kBmpReadOk) state.SkipWithError("not read");
        GlobalFree(picture);
    }
}

}  // namespace

BENCHMARK_CAPTURE(Decoder, 24, 24)->Name("bmp read 4000x3000 24-bit | korvi")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindowReader, 24, 24)
    ->Name("bmp read 4000x3000 24-bit | window reader")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decoder, 32, 32)
    ->Name("bmp read 4000x3000 32-bit fields | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WindowReader, 32, 32)
    ->Name("bmp read 4000x3000 32-bit fields | window reader")
    ->Unit(benchmark::kMillisecond);
