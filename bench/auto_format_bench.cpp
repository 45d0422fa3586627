// korvi-cli's -f auto: over the corpus photographs, the whole conversion of the camera file to
// 430 wide beside one JPEG conversion at quality 80, with the line's bytes and score of -f auto,
// JPEG q80 and WebP q80 as counters; over the icons and screenshots, -f auto beside PNG and GIF,
// with the bytes of -f auto and of the shorter of those two. -f auto works on two threads, so
// the processor time is that of the whole process, beside the wall-clock time.
#include <string>

#include "bench/bench_support.h"
#include "cli/auto_format.h"
#include "cli/picture_job.h"
#include "pipeline/picture_loader.h"
#include "tests/support/base64_decode.h"
#include "tests/support/corpus.h"

namespace {

std::string CorpusPath(const char* name) {
    for (const CorpusFile& file : CorpusFiles("jpeg"))
        if (file.name == name) return file.path;
    return {};
}

// The score of a line's picture against the photograph it was made of.
double LineScore(const std::string& line, PackedBitmap photo) {
    const std::size_t start = line.find("base64,") + 7;
    const std::string path = BenchFolder().File("line");
    WriteBytes(path, Base64Decode(line.substr(start)));
    GlobalBlock decoded(PreparePicture(ReadPictureByContent(path.c_str()), nullptr));
    return PerceptualScore(photo, decoded.get());
}

CliOptions Options(OutputFormat format, bool automatic) {
    CliOptions options;
    options.format = format;
    options.autoFormat = automatic;
    return options;
}

void ConvertPhotograph(benchmark::State& state, const char* name, bool automatic) {
    const std::string path = CorpusPath(name);
    const PackedBitmap photo = CorpusPhotograph(name);
    if (path.empty() || photo == nullptr) return state.SkipWithError("no shared corpus");
    PictureResult result;
    for (auto _ : state) {
        result = ConvertCliPicture(Options(OutputFormat::kJpeg, automatic), path, BenchFolder().path());
        if (!result.succeeded) return state.SkipWithError("conversion failed");
    }
    state.counters["bytes"] = double(result.line.size());
    state.counters["score"] = LineScore(result.line, photo);
    if (!automatic) return;
    const PictureResult webp =
        ConvertCliPicture(Options(OutputFormat::kWebp, false), path, BenchFolder().path());
    state.counters["webp q80 bytes"] = double(webp.line.size());
    state.counters["webp q80 score"] = LineScore(webp.line, photo);
}

void ConvertFlat(benchmark::State& state, std::size_t index, bool automatic) {
    const FlatPicture& flat = IconsAndScreenshots()[index];
    if (!flat.bitmap) return state.SkipWithError("no picture");
    BitmapLock header(flat.bitmap.get());
    const VariantPicture variant(PageSource{flat.bitmap.get(), header->biWidth, header->biHeight}, kKeepSize,
                                 430);
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (automatic) {
            bytes = AutoFormatLine(Options(OutputFormat::kJpeg, true), variant, flat.name,
                                   BenchFolder().path(), UriFrame())
                        .line.size();
        } else {
            const std::size_t png =
                variant.BuildVariantTag({OutputFormat::kPng}, BenchFolder().path()).text.size();
            const std::size_t gif =
                variant.BuildVariantTag({OutputFormat::kGif}, BenchFolder().path()).text.size();
            bytes = std::min(png, gif);
        }
        if (bytes == 0) return state.SkipWithError("conversion failed");
    }
    state.counters["bytes"] = double(bytes);
}

const bool kRegistered = [] {
    for (const char* name : kCorpusPhotographs) {
        const std::string photo = std::string("auto ") + name;
        benchmark::RegisterBenchmark((photo + " | korvi").c_str(), ConvertPhotograph, name, true)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime();
        benchmark::RegisterBenchmark((photo + " | jpeg q80").c_str(), ConvertPhotograph, name, false)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime();
    }
    for (std::size_t i = 0; i < IconsAndScreenshots().size(); ++i) {
        const std::string flat = std::string("auto ") + IconsAndScreenshots()[i].name;
        benchmark::RegisterBenchmark((flat + " | korvi").c_str(), ConvertFlat, i, true)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime();
        benchmark::RegisterBenchmark((flat + " | png or gif").c_str(), ConvertFlat, i, false)
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime();
    }
    return true;
}();

}  // namespace
