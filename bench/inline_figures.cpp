// Prints, for the page of 20 pictures, each distinct picture with the bytes of its file, whether
// the peers' byte copying inlines it at --inline-limit (default 4096, or the first argument), and
// the picture -f auto chooses and whether korvi-cli inlines it; then the references each inlines
// and the page's bytes after each.
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bench/inline_page_support.h"

int main(int argc, char** argv) {
    CliOptions options;
    options.autoFormat = true;
    options.resizeMethod = kKeepSize;
    if (argc > 1) options.inlineLimit = std::strtoull(argv[1], nullptr, 10);
    std::string why;
    const std::optional<PagePlan> plan = PlanPage(PicturePage(), options, why);
    if (!plan) {
        std::fprintf(stderr, "inline_figures: %s\n", why.c_str());
        return 1;
    }
    std::vector<std::size_t> fileBytes;
    const std::vector<std::string> copies = ByteCopyUris(*plan, options.inlineLimit, &fileBytes);
    const std::vector<PagePicture> pictures =
        ConvertPagePictures(*plan, options, std::thread::hardware_concurrency());
    std::vector<std::string> uris;
    std::printf("%-24s %10s %10s   %-14s %10s %s\n", "picture", "file", "byte copy", "korvi-cli", "bytes",
                "");
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        uris.push_back(pictures[i].uri);
        const std::string chosen =
            pictures[i].asItIs ? pictures[i].formatName + " as it is" : pictures[i].formatName;
        std::printf("%-24s %10zu %10s   %-14s %10zu %s\n", plan->pictures[i].url.c_str(), fileBytes[i],
                    copies[i].empty() ? "link" : "inlined", chosen.c_str(), pictures[i].pictureBytes,
                    uris[i].empty() ? "link" : "inlined");
    }
    std::size_t local = 0, copied = 0, inlined = 0;
    for (std::size_t picture : plan->pictureOf) {
        if (picture == kNoPicture) continue;
        ++local;
        copied += !copies[picture].empty();
        inlined += !uris[picture].empty();
    }
    std::printf("references inlined of %zu: byte copy %zu, korvi-cli %zu\n", local, copied, inlined);
    std::printf("page bytes: %zu before, byte copy %zu after, korvi-cli %zu after\n", plan->text.size(),
                InlinedLength(*plan, copies), InlinedLength(*plan, uris));
    return 0;
}
