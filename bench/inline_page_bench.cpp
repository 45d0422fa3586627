// --inline over a page of 20 pictures (icons, screenshots, photographs of several sizes), every
// picture as -f auto finds its shortest faithful line, beside the peers' byte copying of each
// file of at most the same limit. Counters: the references inlined and the page's bytes after.
#include <thread>

#include "bench/bench_support.h"
#include "bench/inline_page_support.h"

namespace {

void InlinePicturePage(benchmark::State& state, bool byteCopy) {
    CliOptions options;
    options.autoFormat = true;
    options.resizeMethod = kKeepSize;
    std::string why;
    const std::optional<PagePlan> plan = PlanPage(PicturePage(), options, why);
    if (!plan) {
        state.SkipWithError(why.c_str());
        return;
    }
    std::vector<std::string> uris;
    for (auto _ : state) {
        if (byteCopy) {
            uris = ByteCopyUris(*plan, options.inlineLimit, nullptr);
        } else {
            uris.clear();
            for (PagePicture& picture :
                 ConvertPagePictures(*plan, options, std::thread::hardware_concurrency()))
                uris.push_back(std::move(picture.uri));
        }
        benchmark::DoNotOptimize(InlinedLength(*plan, uris));
    }
    std::size_t inlined = 0;
    for (std::size_t picture : plan->pictureOf) inlined += picture != kNoPicture && !uris[picture].empty();
    state.counters["inlined"] = double(inlined);
    state.counters["bytes after"] = double(InlinedLength(*plan, uris));
}

}  // namespace

BENCHMARK_CAPTURE(InlinePicturePage, korvi, false)
    ->Name("inline a page of 20 pictures | korvi")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(InlinePicturePage, byte_copy, true)
    ->Name("inline a page of 20 pictures | byte copy")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
