// The resampler, base64 and the whole BMP conversion on generated pictures.
#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "core/base64.h"
#include "core/resample.h"

namespace {

void Resize(benchmark::State& state, int width, int height, int newWidth, int newHeight) {
    const GlobalBlock& source = Photograph(width, height);
    for (auto _ : state) GlobalFree(ResizeBitmap(source.get(), newWidth, newHeight));
}

constexpr std::size_t kEncodedBytes = 36'000'000;

const std::vector<BYTE>& EncodedFile() {
    static const std::vector<BYTE> bytes = [] {
        std::vector<BYTE> made(kEncodedBytes);
        for (std::size_t i = 0; i < made.size(); ++i) made[i] = static_cast<BYTE>(i * 2654435761u >> 13);
        return made;
    }();
    return bytes;
}

void Base64(benchmark::State& state) {
    const std::vector<BYTE>& input = EncodedFile();
    std::vector<char> text(Base64Length(input.size()));
    for (auto _ : state) {
        Base64EncodeTo(input.data(), input.size(), text.data());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void Memcpy(benchmark::State& state) {
    const std::vector<BYTE>& input = EncodedFile();
    std::vector<char> copy(input.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), input.data(), input.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

}  // namespace

BENCHMARK_CAPTURE(Resize, 4000x3000, 4000, 3000, 430, 323)
    ->Name("resize 4000x3000 to 430x323 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Resize, 430x323, 430, 323, 1000, 751)
    ->Name("resize 430x323 to 1000x751 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Base64)->Name("base64 36 MB | korvi")->Unit(benchmark::kMillisecond);
BENCHMARK(Memcpy)->Name("base64 36 MB | memcpy")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BenchmarkConversion, bmp, 4000, 3000, OutputFormat::kBmp, kLimitWidth)
    ->Name("conversion 4000x3000 bmp | korvi")
    ->Unit(benchmark::kMillisecond);
