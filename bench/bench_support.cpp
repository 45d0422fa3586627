#include "bench/bench_support.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "codecs/gif/palette_reduction.h"
#include "core/resample.h"
#include "pipeline/conversion.h"
#include "pipeline/faithfulness_judge.h"
#include "pipeline/picture_loader.h"
#include "tests/support/corpus.h"
#include "tests/support/synthetic_picture.h"

const GlobalBlock& Photograph(int width, int height) {
    static std::map<std::pair<int, int>, GlobalBlock> made;
    GlobalBlock& photo = made[{width, height}];
    if (!photo) photo = MakeBitmap24(width, height, NaturalPicture(width, height));
    return photo;
}

namespace {

// An icon of flat shapes: a disc, a frame and a bar in `colours` shades each side of an edge.
GlobalBlock Icon(int side, int shades) {
    return MakeBitmap24(side, side, [=](int x, int y) {
        const int dx = 2 * x - side, dy = 2 * y - side, r2 = dx * dx + dy * dy, edge = side * side / 2;
        if (x < side / 8 || y < side / 8 || x >= side - side / 8 || y >= side - side / 8)
            return Rgb{40, 60, 120};
        if (r2 < edge) {
            const int shade = std::min(shades - 1, (edge - r2) * shades / edge);
            return Rgb{std::uint8_t(200 + shade * 50 / shades), std::uint8_t(80 + shade * 100 / shades), 30};
        }
        return y > side / 2 && y < side * 5 / 8 ? Rgb{250, 250, 250} : Rgb{230, 236, 240};
    });
}

}  // namespace

const std::vector<FlatPicture>& IconsAndScreenshots() {
    static std::vector<FlatPicture> pictures = [] {
        std::vector<FlatPicture> made;
        made.push_back(
            {"screenshot window", GlobalBlock(LoadPictureFile(KORVI_SOURCE "docs/main-window.png")), {}});
        made.push_back(
            {"screenshot page", GlobalBlock(LoadPictureFile(KORVI_SOURCE "docs/test-page.png")), {}});
        made.push_back({"icon badge", GlobalBlock(LoadPictureFile(KORVI_SOURCE "samples/badge.png")), {}});
        made.push_back({"icon 32", Icon(32, 6), {}});
        made.push_back({"icon 256", Icon(256, 40), {}});
        for (FlatPicture& p : made) {
            if (p.bitmap) p.palette.reset(ReduceToExactPalette(p.bitmap.get()));
        }
        return made;
    }();
    return pictures;
}

const char* const kCorpusPhotographs[8] = {
    "blink-missing-eoi.jpg",    "exif-canon_hdr_NO.jpg", "exif-iphone_hdr_NO.jpg", "exif-jolla.jpg",
    "jpegdec-progressive3.jpg", "jpegjs-apsara.jpg",     "jpegjs-fillbytes.jpg",   "zune-sos_news.jpeg"};

PackedBitmap CorpusPhotograph(const char* name) {
    static std::map<std::string, GlobalBlock> made;
    GlobalBlock& photo = made[name];
    if (photo) return photo.get();
    for (const CorpusFile& file : CorpusFiles("jpeg")) {
        if (file.name != name) continue;
        GlobalBlock read(LoadPictureFile(file.path.c_str()));
        if (!read) break;
        BitmapLock header(read.get());
        const std::optional<PictureSize> size =
            ResizedSize(kLimitWidth, header->biWidth, header->biHeight, 430);
        photo.reset(size ? ResizeBitmap(read.get(), size->width, size->height) : read.release());
    }
    return photo.get();
}

double PerceptualScore(PackedBitmap picture, PackedBitmap decoded) {
    return FaithfulnessJudge(picture).Score(decoded).value_or(0);
}

const TempFolder& BenchFolder() {
    static const TempFolder folder;
    return folder;
}

void BenchmarkConversion(benchmark::State& state, int width, int height, OutputFormat format,
                         int resizeMethod) {
    ConversionRequest request;
    request.picture = Photograph(width, height).get();
    request.width = width;
    request.height = height;
    request.sourcePath = "photograph.bmp";
    request.resizeMethod = resizeMethod;
    request.format = format;
    request.workFolder = BenchFolder().path();
    for (auto _ : state) {
        ConversionOutcome outcome = ConvertPicture(request);
        if (!outcome.succeeded) state.SkipWithError(outcome.message);
        benchmark::DoNotOptimize(outcome.text.data());
    }
}

namespace {

long StatusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

}  // namespace

double PeakBytes(const std::function<void()>& read) {
    // Measured in a child process, so that the allocator settings it needs and the pages it
    // touches leave the timing of the cases after it as it was.
    int channel[2];
    if (pipe(channel) != 0) return 0;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        // Every large block from its own mapping, given back when freed, so that the resident
        // size counts what the read holds and not what an earlier one left in the heap.
        mallopt(M_MMAP_THRESHOLD, 64 * 1024);
        read();  // maps the code and files the read uses, which a new process has yet to map
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from what is resident now
        const long before = StatusKilobytes("VmRSS:");
        read();
        const long added = StatusKilobytes("VmHWM:") - before;
        const bool sent = write(channel[1], &added, sizeof added) == sizeof added;
        _exit(sent ? 0 : 1);  // no exit handlers: the parent's folders and files stay
    }
    close(channel[1]);
    long added = 0;
    const bool received = child > 0 && ::read(channel[0], &added, sizeof added) == sizeof added;
    close(channel[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return received ? double(added) * 1024 : 0;
}

std::optional<rusage> RunProgram(const char* program, const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int nothing = open("/dev/null", O_WRONLY);
        dup2(nothing, STDOUT_FILENO);
        dup2(nothing, STDERR_FILENO);
        execv(program, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return std::nullopt;
    return usage;
}

double PeakOverPicture(int width, int height, const std::function<void()>& read) {
    return PeakBytes(read) / (3.0 * width * height);
}
