// The JPEG decoder beside stb_image decoding the same files in the same run, and the whole
// conversion of a camera-sized JPEG beside stb_image decoding for the same conversion; the
// decodes with the peak memory of one over the decoded picture. The costliest scans a file of
// the largest grey frame can hold beside an ordinary progressive file of that frame.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench/bench_support.h"
#include "codecs/jpeg/jpeg_reader.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "pipeline/conversion.h"
#include "pipeline/picture_loader.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/jpeg_scan_bomb.h"
#include "tests/support/synthetic_picture.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#include "stb_image.h"

namespace {

enum class Kind { kBaseline, kProgressive, kGrey, kGreyTenScans, kScansWithoutData, kOneBitRefinements };

// An ordinary progressive script for one component: DC, four AC bands, then the AC refined in
// two steps and DC once.
std::vector<FixtureScan> TenScans() {
    return {{{0}, 0, 0, 0, 1},   {{0}, 1, 2, 0, 2},  {{0}, 3, 5, 0, 2}, {{0}, 6, 14, 0, 2},
            {{0}, 15, 63, 0, 2}, {{0}, 1, 63, 2, 1}, {{0}, 0, 0, 1, 0}, {{0}, 1, 5, 1, 0},
            {{0}, 6, 27, 1, 0},  {{0}, 28, 63, 1, 0}};
}

// The photograph of that size as a JPEG file: baseline 4:2:0 at quality 80 from the program's
// encoder, the same progressive (DC first, AC bands refined by successive approximation) or
// grey (sequential, or in ten scans) from the fixture writer; or the most scans a file may
// hold (64 passes over the frame) of the costliest kinds. Written once.
const std::string& JpegFile(int width, int height, Kind kind) {
    static std::map<std::tuple<int, int, Kind>, std::string> made;
    std::string& path = made[{width, height, kind}];
    if (!path.empty()) return path;
    path = BenchFolder().File("photo-" + std::to_string(width) + "x" + std::to_string(height) + "-" +
                              std::to_string(int(kind)) + ".jpg");
    if (kind == Kind::kBaseline) {
        WriteJpegFile(Photograph(width, height).get(), path.c_str(), 80);
        return path;
    }
    if (kind == Kind::kScansWithoutData || kind == Kind::kOneBitRefinements) {
        const ScanBomb bomb =
            kind == Kind::kScansWithoutData ? ScanBomb::kScansWithoutData : ScanBomb::kOneBitRefinements;
        WriteBytes(path, WriteScanBomb(bomb, width, height, 64));
        return path;
    }
    const bool grey = kind != Kind::kProgressive;
    JpegFixture f = FixtureFromPicture(width, height, NaturalPicture(width, height),
                                       grey ? FixtureColour::kGrey : FixtureColour::kYCbCr,
                                       grey ? std::vector<std::array<int, 2>>{{1, 1}}
                                            : std::vector<std::array<int, 2>>{{2, 2}, {1, 1}, {1, 1}},
                                       80);
    if (kind != Kind::kGrey) {
        f.sofMarker = 0xC2;
        f.scans = grey ? TenScans() : SuccessiveScript(3);
    }
    WriteBytes(path, WriteJpegFixture(f));
    return path;
}

void DecodeKorvi(benchmark::State& state, int width, int height, Kind kind) {
    const std::string& path = JpegFile(width, height, kind);
    const auto decode = [&] {
        PackedBitmap picture = nullptr;
        if (ReadJpegFile(&picture, path.c_str()) != 0) state.SkipWithError("ReadJpegFile failed");
        GlobalFree(picture);
    };
    for (auto _ : state) decode();
    state.counters["peak/picture"] = PeakOverPicture(width, height, decode);
    state.SetLabel(std::to_string(ReadBytes(path).size()) + " bytes");
}

void DecodeStb(benchmark::State& state, int width, int height, Kind kind) {
    const std::string& path = JpegFile(width, height, kind);
    const auto decode = [&] {
        int w = 0, h = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 3);
        if (pixels == nullptr) state.SkipWithError("stbi_load failed");
        stbi_image_free(pixels);
    };
    for (auto _ : state) decode();
    state.counters["peak/picture"] = PeakOverPicture(width, height, decode);
}

// The conversion as the window runs it after loading a picture file.
ConversionRequest Request(PackedBitmap picture, const std::string& path) {
    ConversionRequest request;
    BitmapLock header(picture);
    request.picture = picture;
    request.width = header->biWidth;
    request.height = header->biHeight;
    request.sourcePath = path;
    request.workFolder = BenchFolder().path();
    return request;
}

void ConvertKorvi(benchmark::State& state) {
    const std::string& path = JpegFile(4000, 3000, Kind::kBaseline);
    for (auto _ : state) {
        GlobalBlock picture(LoadPictureFile(path.c_str()));
        const ConversionOutcome outcome = ConvertPicture(Request(picture.get(), path));
        if (!outcome.succeeded) state.SkipWithError(outcome.message);
    }
}

// stb_image decodes; its RGB rows become the same bottom-up 24-bit picture for the conversion.
void ConvertStb(benchmark::State& state) {
    const std::string& path = JpegFile(4000, 3000, Kind::kBaseline);
    for (auto _ : state) {
        int w = 0, h = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 3);
        GlobalBlock picture = AllocatePackedBitmap(w, h, 24, 0);
        {
            BitmapLock header(picture.get());
            const std::size_t stride = RowBytes(24, w);
            for (int y = 0; y < h; ++y) {
                BYTE* row = PixelRows(header.data()) + stride * std::size_t(h - 1 - y);
                const stbi_uc* from = pixels + std::size_t(y) * w * 3;
                for (int x = 0; x < w; ++x, row += 3, from += 3)
                    row[0] = from[2], row[1] = from[1], row[2] = from[0];
            }
        }
        stbi_image_free(pixels);
        const ConversionOutcome outcome = ConvertPicture(Request(picture.get(), path));
        if (!outcome.succeeded) state.SkipWithError(outcome.message);
    }
}

}  // namespace

BENCHMARK_CAPTURE(DecodeKorvi, 4000x3000, 4000, 3000, Kind::kBaseline)
    ->Name("jpeg decode 4000x3000 4:2:0 q80 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStb, 4000x3000, 4000, 3000, Kind::kBaseline)
    ->Name("jpeg decode 4000x3000 4:2:0 q80 | stb_image")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, 4000x3000 progressive, 4000, 3000, Kind::kProgressive)
    ->Name("jpeg decode 4000x3000 progressive | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStb, 4000x3000 progressive, 4000, 3000, Kind::kProgressive)
    ->Name("jpeg decode 4000x3000 progressive | stb_image")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, 430x323, 430, 323, Kind::kBaseline)
    ->Name("jpeg decode 430x323 4:2:0 q80 | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStb, 430x323, 430, 323, Kind::kBaseline)
    ->Name("jpeg decode 430x323 4:2:0 q80 | stb_image")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, grey, 2000, 1500, Kind::kGrey)
    ->Name("jpeg decode 2000x1500 grey | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeStb, grey, 2000, 1500, Kind::kGrey)
    ->Name("jpeg decode 2000x1500 grey | stb_image")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, without data, 8192, 8192, Kind::kScansWithoutData)
    ->Name("jpeg decode 8192x8192 grey, 64 scans without data | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, ten scans, 8192, 8192, Kind::kGreyTenScans)
    ->Name("jpeg decode 8192x8192 grey, 64 scans without data | 10-scan file")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, one - bit, 8192, 8192, Kind::kOneBitRefinements)
    ->Name("jpeg decode 8192x8192 grey, 64 one-bit scans | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeKorvi, ten scans, 8192, 8192, Kind::kGreyTenScans)
    ->Name("jpeg decode 8192x8192 grey, 64 one-bit scans | 10-scan file")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertKorvi)
    ->Name("conversion 4000x3000 jpeg file to jpeg tag | korvi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ConvertStb)
    ->Name("conversion 4000x3000 jpeg file to jpeg tag | stb_image")
    ->Unit(benchmark::kMillisecond);
