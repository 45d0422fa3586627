// The whole test page for a large photograph: every variant made and the page written, once with
// the variants on worker threads and once one after another.
#include <cstdio>
#include <thread>

#include "bench/bench_support.h"
#include "testpage/page_text.h"

namespace {

void TestPageOfPhotograph(benchmark::State& state, unsigned workers) {
    constexpr int kWidth = 4000, kHeight = 3000;
    const PageSource source{Photograph(kWidth, kHeight).get(), kWidth, kHeight};
    PageOptions options;
    options.method = kLimitWidth;
    options.side = 430;
    options.workers = workers;
    const std::string path = BenchFolder().File("$korvi2.html");
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::size_t bytes = 0;
        const WrittenPage page =
            StreamTestPage(source, options, BenchFolder().path(), [&](const std::string& piece) {
                bytes += piece.size();
                return file != nullptr && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
            });
        if (file != nullptr) std::fclose(file);
        if (!page.messages.empty()) state.SkipWithError(page.messages.front());
        if (!page.written) state.SkipWithError("page not written");
        state.SetLabel(std::to_string(bytes) + " bytes");
    }
}

}  // namespace

BENCHMARK_CAPTURE(TestPageOfPhotograph, workers, std::max(2u, std::thread::hardware_concurrency()))
    ->Name("test page 4000x3000 | korvi")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(TestPageOfPhotograph, serial, 1u)
    ->Name("test page 4000x3000 | one thread")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
