// WebP input whose file is far larger than its picture, beside the picture alone, with the peak
// memory of one read: a 64 x 64 picture whose RIFF size claims 2 GB (a sparse file), and the first
// of 10 million one-pixel frames (500 MB). Only the first frame's chunks are read.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>

#include "bench/bench_support.h"
#include "codecs/webp/webp_reader.h"
#include "tests/support/webp_fixture.h"

namespace {

enum class Shape { kClaims2Gb, kPictureAlone, kTenMillionFrames, kOneFrame };

Bytes WithRiffSize(Bytes file, std::uint32_t size) {
    for (int k = 0; k < 4; ++k) file[4 + std::size_t(k)] = std::uint8_t(size >> 8 * k);
    return file;
}

// The file of the shape, written once.
const std::string& WebpFile(Shape shape) {
    static std::map<Shape, std::string> made;
    std::string& path = made[shape];
    if (!path.empty()) return path;
    const Rgba teal{0, 128, 128, 255};
    const Bytes picture = EncodeRgbaWebp(std::vector<Rgba>(64 * 64, teal), 64, true);
    const Bytes animation = WebpAnimation(1, 1, {{0, 0, 1, 1, EncodeRgbaWebp({teal}, 1)}});
    path = BenchFolder().File("shape-" + std::to_string(int(shape)) + ".webp");
    constexpr std::uint32_t kClaimed = 0x7FFFFFF0, kFrames = 10'000'000;
    const std::size_t frame = animation.size() - 44;  // behind VP8X and ANIM
    switch (shape) {
        case Shape::kClaims2Gb:
            WriteBytes(path, WithRiffSize(picture, kClaimed));
            if (truncate(path.c_str(), kClaimed + 8) != 0) path.clear();
            break;
        case Shape::kPictureAlone:
            WriteBytes(path, picture);
            break;
        case Shape::kTenMillionFrames: {
            std::ofstream file(path, std::ios::binary);
            const Bytes head = WithRiffSize(Bytes(animation.begin(), animation.begin() + 44),
                                            std::uint32_t(36 + frame * kFrames));
            file.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
            Bytes many;
            for (int k = 0; k < 10000; ++k) many.insert(many.end(), animation.begin() + 44, animation.end());
            for (std::uint32_t k = 0; k < kFrames / 10000; ++k)
                file.write(reinterpret_cast<const char*>(many.data()), std::streamsize(many.size()));
            if (!file) path.clear();
            break;
        }
        case Shape::kOneFrame:
            WriteBytes(path, animation);
            break;
    }
    return path;
}

void ReadWebp(benchmark::State& state, Shape shape, int side) {
    const std::string& path = WebpFile(shape);
    const auto read = [&] {
        PackedBitmap picture = nullptr;
        if (ReadWebpFile(&picture, path.c_str(), 0xFFFFFF) != kWebpReadOk)
            state.SkipWithError("ReadWebpFile failed");
        GlobalFree(picture);
    };
    for (auto _ : state) read();
    state.counters["peak/picture"] = PeakOverPicture(side, side, read);
}

}  // namespace

BENCHMARK_CAPTURE(ReadWebp, claims, Shape::kClaims2Gb, 64)
    ->Name("webp read 64x64 whose RIFF size claims 2 GB | korvi")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadWebp, alone, Shape::kPictureAlone, 64)
    ->Name("webp read 64x64 whose RIFF size claims 2 GB | the picture alone")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadWebp, frames, Shape::kTenMillionFrames, 1)
    ->Name("webp read first of 10 M one-pixel frames | korvi")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadWebp, one, Shape::kOneFrame, 1)
    ->Name("webp read first of 10 M one-pixel frames | one frame alone")
    ->Unit(benchmark::kMicrosecond);
