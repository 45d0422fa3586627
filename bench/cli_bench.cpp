// korvi-cli over a folder of pictures: every line made on worker threads (-j with one thread
// per processor) beside one thread (-j 1), the lines taken in order as korvi-cli prints them;
// and the built korvi-cli converting the largest picture it accepts, with its peak memory.
#include <algorithm>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "cli/picture_queue.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "tests/support/gif_fixture.h"

namespace {

// A folder's worth of camera pictures: 16 JPEG files of 1600 x 1200, written once.
const std::vector<std::string>& CameraPictures() {
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> made;
        for (int i = 0; i < 16; ++i) {
            made.push_back(BenchFolder().File("camera-" + std::to_string(i) + ".jpg"));
            WriteJpegFile(Photograph(1600, 1200).get(), made.back().c_str(), 90);
        }
        return made;
    }();
    return paths;
}

void ConvertFolder(benchmark::State& state, unsigned workers) {
    const std::vector<std::string>& pictures = CameraPictures();
    const CliOptions options;  // JPEG, quality 80, at most 430 pixels wide
    for (auto _ : state) {
        PictureQueue queue(pictures.size(), workers, [&](std::size_t index, const std::string& folder) {
            return ConvertCliPicture(options, pictures[index], folder);
        });
        for (std::size_t index = 0; index < pictures.size(); ++index) {
            const PictureResult result = queue.Take(index);
            if (!result.succeeded) state.SkipWithError("a picture failed");
        }
    }
}

// `korvi-cli -m 0 -f bmp` of a 65500 x 1024 GIF whose data ends at once (its pixels stay the
// first colour): the process's peak resident memory over the 24-bit picture's size.
void ConvertLargestPicture(benchmark::State& state) {
    constexpr int kWidth = 65500, kHeight = 1024;
    const std::string path = BenchFolder().File("largest.gif");
    WriteBytes(path, Join({GifHeader("GIF89a", kWidth, kHeight, {{0, 0, 0}, {255, 255, 255}}),
                           GifImageDescriptor(0, 0, kWidth, kHeight, false, {}),
                           GifImageData(2, {4, 5}),
                           {0x3B}}));
    long peakKilobytes = 0;
    for (auto _ : state) {
        const std::optional<rusage> usage = RunProgram(KORVI_CLI, {"-m", "0", "-f", "bmp", path});
        if (!usage) {
            state.SkipWithError("korvi-cli failed");
            break;
        }
        peakKilobytes = std::max(peakKilobytes, usage->ru_maxrss);
    }
    state.counters["peak/picture"] = double(peakKilobytes) * 1024 / (3.0 * kWidth * kHeight);
}

}  // namespace

BENCHMARK_CAPTURE(ConvertFolder, workers, std::max(2u, std::thread::hardware_concurrency()))
    ->Name("korvi-cli 16 pictures 1600x1200 | korvi")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ConvertFolder, serial, 1u)
    ->Name("korvi-cli 16 pictures 1600x1200 | one thread")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ConvertLargestPicture)
    ->Name("korvi-cli -m 0 -f bmp of a 65500x1024 gif | korvi")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
