// -f auto beside JPEG q80 over the shared corpus's photographs and flat pictures, and over any
// pictures named on the command line, at korvi-cli's default size (430 wide at most):
//   korvi_auto_survey [--avif] [--keep FOLDER] [PICTURE... | --photos PICTURE...]
// For each picture one tab-separated line: class, name, the -f auto choice, its line's bytes and
// score, JPEG q80's bytes and score, the ratio of the bytes, and the processor time of each whole
// conversion (file to line, the median of five), in this process and as a korvi-cli run. Then
// the figures -f auto is held to: the lowest score, the photographs' median score and median
// ratio of bytes, and the median ratios of processor time. --keep writes each resized picture
// and the picture of its -f auto line as PNG files, for an independent scorer. --avif measures
// -f auto --avif.
//   korvi_auto_survey --sweep [--avif] [PICTURE...]
// Prints, per picture, the bytes and score of every JPEG and lossy WebP quality (WebP also with
// sharp YUV; with --avif, AVIF too): the measurements behind the default --min-score and the
// searches' first guesses.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "cli/freed_memory.h"
#include "cli/picture_job.h"
#include "codecs/png/png_writer.h"
#include "codecs/webp/webp_reader.h"
#include "codecs/webp/webp_writer.h"
#include "pipeline/faithfulness_judge.h"
#include "pipeline/picture_loader.h"
#include "pipeline/variant_picture.h"
#include "tests/support/base64_decode.h"
#include "tests/support/corpus.h"

namespace {

struct Picture {
    std::string path, name;
    bool photograph;
};

// The corpus's flat pictures that the measurements named, with the project's own.
const char* const kCorpusFlat[] = {
    "pngsuite-tp0n2c08.png", "pngsuite-basn2c08.png", "pngsuite-basn3p08.png", "bmpsuite-g-rgb24.bmp",
    "bmpsuite-g-pal8.bmp",   "wuffs-bricks-gray.png", "go-video-005.gray.gif", "jpegjs-redbox-with-rst.jpg"};

std::vector<Picture> DefaultPictures() {
    std::vector<Picture> pictures;
    for (const char* kind : {"jpeg", "png", "bmp", "gif"})
        for (const CorpusFile& file : CorpusFiles(kind)) {
            const bool photograph =
                std::find_if(std::begin(kCorpusPhotographs), std::end(kCorpusPhotographs),
                             [&](const char* n) { return file.name == n; }) != std::end(kCorpusPhotographs);
            const bool flat =
                std::find_if(std::begin(kCorpusFlat), std::end(kCorpusFlat),
                             [&](const char* n) { return file.name == n; }) != std::end(kCorpusFlat);
            if (photograph || flat) pictures.push_back({file.path, file.name, photograph});
        }
    for (const char* own : {"docs/main-window.png", "docs/test-page.png", "samples/badge.png"})
        pictures.push_back({std::string(KORVI_SOURCE) + own, own, false});
    return pictures;
}

double ProcessorSeconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

struct Converted {
    PictureResult result;
    double seconds = 0;         // in this process, as ConvertCliPicture
    double processSeconds = 0;  // of a whole korvi-cli run, as its user meets it
};

double Seconds(const timeval& time) {
    return double(time.tv_sec) + double(time.tv_usec) * 1e-6;
}

// The conversion as korvi-cli makes it, with -f auto and with JPEG q80, each with the median
// processor time of five, in this process and as korvi-cli processes, the two formats taking
// turns so that both meet the same load.
std::pair<Converted, Converted> ConvertBoth(const std::string& path, bool avif) {
    constexpr int kRuns = 5;
    std::pair<Converted, Converted> both;
    std::vector<double> times[2], processTimes[2];
    for (int run = 0; run < kRuns; ++run)
        for (int automatic = 1; automatic >= 0; --automatic) {
            CliOptions options;
            options.autoFormat = automatic == 1;
            options.avifVariants = avif && options.autoFormat;
            Converted& converted = automatic ? both.first : both.second;
            const double start = ProcessorSeconds();
            converted.result = ConvertCliPicture(options, path, BenchFolder().path());
            times[automatic].push_back(ProcessorSeconds() - start);
            std::vector<std::string> arguments{"-f", "jpeg", "-q", "80", path};
            if (automatic) arguments = {"-f", "auto", path};
            if (options.avifVariants) arguments.insert(arguments.begin(), "--avif");
            const std::optional<rusage> usage = RunProgram(KORVI_CLI, arguments);
            processTimes[automatic].push_back(usage ? Seconds(usage->ru_utime) + Seconds(usage->ru_stime)
                                                    : 0);
        }
    for (int automatic = 0; automatic < 2; ++automatic) {
        Converted& converted = automatic ? both.first : both.second;
        converted.seconds = Median(times[automatic]);
        converted.processSeconds = Median(processTimes[automatic]);
    }
    return both;
}

// The picture of a line, as 24 bits.
GlobalBlock PictureOfLine(const std::string& line) {
    const std::string path = BenchFolder().File("line");
    WriteBytes(path, Base64Decode(line.substr(line.find("base64,") + 7)));
    return GlobalBlock(PreparePicture(ReadPictureByContent(path.c_str()), nullptr));
}

// The picture as korvi-cli resizes it by default.
struct Resized {
    GlobalBlock source;
    std::optional<VariantPicture> variant;
};

bool Load(const Picture& picture, Resized& resized) {
    resized.source.reset(PreparePicture(ReadPictureByContent(picture.path.c_str()), nullptr));
    if (!resized.source) return false;
    BitmapLock header(resized.source.get());
    resized.variant.emplace(PageSource{resized.source.get(), header->biWidth, header->biHeight}, kLimitWidth,
                            kDefaultSideLength);
    return resized.variant->Picture() != nullptr;
}

int Survey(const std::vector<Picture>& pictures, const std::string& keep, bool avif) {
    std::vector<double> photoScores, photoRatios, timeRatios, processTimeRatios;
    double lowest = 100;
    std::printf(
        "class\tpicture\tauto\tauto bytes\tauto score\tjpeg q80 bytes\tjpeg q80 score\tbytes ratio\t"
        "auto ms\tjpeg q80 ms\tauto process ms\tjpeg q80 process ms\n");
    for (const Picture& picture : pictures) {
        Resized resized;
        if (!Load(picture, resized)) {
            std::fprintf(stderr, "auto_survey: %s does not load\n", picture.path.c_str());
            continue;
        }
        const FaithfulnessJudge judge(resized.variant->Picture());
        const auto [automatic, jpeg] = ConvertBoth(picture.path, avif);
        if (!automatic.result.succeeded || !jpeg.result.succeeded) {
            std::fprintf(stderr, "auto_survey: %s does not convert\n", picture.path.c_str());
            continue;
        }
        const GlobalBlock autoPicture = PictureOfLine(automatic.result.line);
        const double autoScore = judge.Score(autoPicture.get()).value_or(0),
                     jpegScore = judge.Score(PictureOfLine(jpeg.result.line).get()).value_or(0);
        const double ratio = double(automatic.result.line.size()) / double(jpeg.result.line.size());
        const std::string said = automatic.result.messages.front();
        const std::string choice = said.substr(said.find(": ") + 2, said.find(',') - said.find(": ") - 2);
        std::printf("%s\t%s\t%s\t%zu\t%.2f\t%zu\t%.2f\t%.3f\t%.1f\t%.1f\t%.1f\t%.1f\n",
                    picture.photograph ? "photo" : "flat", picture.name.c_str(), choice.c_str(),
                    automatic.result.line.size(), autoScore, jpeg.result.line.size(), jpegScore, ratio,
                    automatic.seconds * 1e3, jpeg.seconds * 1e3, automatic.processSeconds * 1e3,
                    jpeg.processSeconds * 1e3);
        lowest = std::min(lowest, autoScore);
        if (picture.photograph) {
            photoScores.push_back(autoScore);
            photoRatios.push_back(ratio);
            timeRatios.push_back(automatic.seconds / jpeg.seconds);
            processTimeRatios.push_back(automatic.processSeconds / jpeg.processSeconds);
        }
        if (!keep.empty()) {
            const std::string stem = keep + "/" + std::to_string(&picture - pictures.data());
            WritePngFile(resized.variant->Picture(), (stem + "-picture.png").c_str());
            WritePngFile(autoPicture.get(), (stem + "-auto.png").c_str());
        }
    }
    std::printf(
        "lowest score %.2f; photographs: median score %.2f, median bytes %.3f of JPEG q80's, median "
        "processor time %.2f times JPEG q80's (%.2f in this process)\n",
        lowest, Median(photoScores), Median(photoRatios), Median(processTimeRatios), Median(timeRatios));
    return 0;
}

int Sweep(const std::vector<Picture>& pictures, bool avif) {
    WebpTuning sharpYuv = kSmallWebp;
    sharpYuv.sharpYuv = true;
    const WebpTuning& sharp = sharpYuv;
    std::printf("picture\tformat\tquality\tbytes\tscore\n");
    for (const Picture& picture : pictures) {
        Resized resized;
        if (!Load(picture, resized)) continue;
        const PackedBitmap photo = resized.variant->Picture();
        const FaithfulnessJudge judge(photo);
        for (int quality = 10; quality <= 100; ++quality) {
            for (const OutputFormat format : {OutputFormat::kJpeg, OutputFormat::kAvif}) {
                if (format == OutputFormat::kAvif && !avif) continue;
                const std::string file =
                    BenchFolder().File(std::string("sweep.") + FormatOf(format).extensions[0]);
                if (FormatOf(format).write(photo, file.c_str(), quality, false) != nullptr) return 1;
                GlobalBlock read(PreparePicture(ReadPictureByContent(file.c_str()), nullptr));
                std::printf("%s\t%s\t%d\t%zu\t%.3f\n", picture.name.c_str(), FormatOf(format).name, quality,
                            ReadBytes(file).size(), judge.Score(read.get()).value_or(0));
            }
            for (const WebpTuning* tuning : {&kSmallWebp, &sharp}) {
                WebpBytes bytes;
                PackedBitmap decoded = nullptr;
                if (EncodeWebp(photo, WebpEncoding::Lossy(quality), &bytes, *tuning) != kWebpWritten ||
                    DecodeWebp(&decoded, bytes.data.get(), bytes.size, 0) != kWebpReadOk)
                    return 1;
                GlobalBlock webp(decoded);
                std::printf("%s\t%s\t%d\t%zu\t%.3f\n", picture.name.c_str(),
                            tuning == &sharp ? "webp-sharp" : "webp", quality, bytes.size,
                            judge.Score(webp.get()).value_or(0));
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ReturnFreedMemoryAtOnce();  // as korvi-cli does, whose time this measures
    bool sweep = false, photographs = false, avif = false;
    std::string keep;
    std::vector<Picture> named;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--sweep") {
            sweep = true;
        } else if (argument == "--avif") {
            avif = true;
        } else if (argument == "--photos") {
            photographs = true;
        } else if (argument == "--keep" && i + 1 < argc) {
            keep = argv[++i];
        } else {
            const std::size_t slash = argument.find_last_of('/');
            named.push_back(
                {argument, slash == std::string::npos ? argument : argument.substr(slash + 1), photographs});
        }
    }
    std::vector<Picture> pictures = DefaultPictures();
    pictures.insert(pictures.end(), named.begin(), named.end());
    return sweep ? Sweep(pictures, avif) : Survey(pictures, keep, avif);
}
