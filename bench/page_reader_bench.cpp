// The HTML reader of --inline over pages of the largest size read, 16 MB: an ordinary page
// repeated, and the shapes that cost a tree builder most (elements left open inside each other,
// in HTML and in SVG, one attribute of the whole page, a tag of a million attributes), each
// beside a copy of its bytes. Counters: the references found and the memory the reading adds
// at its peak, in bytes per byte of the page.
#include <cstring>

#include "bench/bench_support.h"
#include "page/html_references.h"

namespace {

std::string Repeated(const std::string& text, std::size_t bytes) {
    std::string page;
    page.reserve(bytes + text.size());
    while (page.size() + text.size() <= bytes) page += text;
    return page;
}

std::string Page(int shape) {
    constexpr std::size_t kBytes = kMaxPageBytes - 64;
    switch (shape) {
        case 0:
            return Repeated(
                "<div class=\"card\"><a href=\"/p/1\"><img src=\"img/a.png\" srcset=\"img/a@2x.png 2x\" alt=\"\">"
                "</a><p style=\"background:url(img/bg.gif)\">Text &amp; more <b>text</b></p>"
                "<script>if (a < b) document.write('<img src=x.png>');</script><!-- note --></div>\n",
                kBytes);
        case 1:
            return Repeated("<div>", kBytes);
        case 2:
            return "<svg>" + Repeated("<g>", kBytes);
        case 3:
            return "<img src=\"" + std::string(kBytes, 'a') + "\">";
        default:
            return "<img " + Repeated("a=b ", kBytes) + "src=x.png>";
    }
}

const char* const kShapes[] = {"an ordinary page", "<div> left open", "<g> left open in <svg>",
                               "one attribute", "a million attributes"};

void ReadPage(benchmark::State& state, bool korvi) {
    const int shape = int(state.range(0));
    const std::string page = Page(shape);
    state.SetLabel(kShapes[shape]);
    std::string copy(page.size(), '\0');
    std::size_t found = 0;
    for (auto _ : state) {
        if (korvi) {
            found = ReadHtmlReferences(page).references.size();
        } else {
            std::memcpy(&copy[0], page.data(), page.size());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * page.size()));
    if (!korvi) return;
    state.counters["references"] = double(found);
    state.counters["peak per byte"] = PeakBytes([&page] { ReadHtmlReferences(page); }) / double(page.size());
}

}  // namespace

BENCHMARK_CAPTURE(ReadPage, korvi, true)
    ->Name("read a 16 MB page | korvi")
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadPage, copy, false)
    ->Name("read a 16 MB page | copy")
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond);
