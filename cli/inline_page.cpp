#include "cli/inline_page.h"

#include <cstdio>

#include "cli/line_output.h"
#include "cli/page_plan.h"
#include "page/page_rewrite.h"
#include "testpage/page_fragments.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;

void Say(const std::string& text) {
    std::fprintf(stderr, "korvi-cli: %s\n", text.c_str());
}

struct Counts {
    std::size_t inlined = 0, tooLarge = 0, remote = 0, unreadable = 0;
};

}  // namespace

int InlinePage(const CliOptions& options, unsigned workers) {
    const std::string& name = options.inlinePage;
    std::string why;
    const std::optional<PagePlan> plan = PlanPage(name, options, why);
    if (!plan) {
        Say(name + ": " + why + "; nothing is written");
        return kFailed;
    }
    const PageReferences& found = plan->found;
    Counts counts;
    for (std::size_t i = 0; i < found.references.size(); ++i) {
        const Address& address = plan->addresses[i];
        if (address.kind == AddressKind::kRemote) ++counts.remote;
        if (address.kind == AddressKind::kUnresolvable) {
            ++counts.unreadable;
            Say(name + ": " + found.references[i].url + ": " + address.why);
        }
    }
    const std::vector<PagePicture> pictures = ConvertPagePictures(*plan, options, workers);
    for (std::size_t index = 0; index < pictures.size(); ++index) {
        const PagePicture& picture = pictures[index];
        const std::string said = name + ": " + plan->pictures[index].url + ": ";
        if (!picture.failure.empty()) {
            Say(said + picture.failure);
        } else if (picture.uri.empty()) {
            Say(said + (picture.atLeast ? "at least " : "") + FormatDataSize(picture.pictureBytes) +
                " bytes as " +
                (picture.asItIs ? "the " + picture.formatName + " file itself" : picture.formatName) +
                ", more than --inline-limit " + std::to_string(options.inlineLimit));
        }
    }

    std::vector<std::string_view> uris(found.references.size());
    std::vector<ElementAddition> additions(found.elements.size());
    for (std::size_t i = 0; i < found.references.size(); ++i) {
        if (plan->pictureOf[i] == kNoPicture) continue;
        const PagePicture& picture = pictures[plan->pictureOf[i]];
        const std::size_t element = found.references[i].element;
        if (!picture.failure.empty()) {
            ++counts.unreadable;
        } else if (picture.uri.empty()) {
            ++counts.tooLarge;
            // The placeholder shows where the img has its box before the picture arrives; it gets
            // no width and height for it, which would change the layout where CSS stretches it.
            if (element != kNoElement && additions[element].placeholder.empty())
                additions[element].placeholder = picture.placeholder;
        } else {
            ++counts.inlined;
            uris[i] = picture.uri;
            if (picture.resized && element != kNoElement &&
                found.references[i].kind != ReferenceKind::kSrcset)
                additions[element].size = std::make_pair(picture.width, picture.height);
        }
    }

    LineOutput output(options.outputPath);
    const std::vector<PageEdit> edits = PageEdits(found, uris, additions);
    const bool written = output.is_open() &&
                         WriteEditedPage(plan->text, edits,
                                         [&output](std::string_view piece) {
                                             return output.Write(piece.data(), piece.size());
                                         }) &&
                         output.Commit();
    if (!written) {
        Say("cannot write " + (output.ToFile() ? options.outputPath + " (it is left as it was)"
                                               : std::string("standard output")));
        return kFailed;
    }
    const std::size_t kept = counts.tooLarge + counts.remote + counts.unreadable;
    Say(name + ": " + std::to_string(counts.inlined) + (counts.inlined == 1 ? " picture" : " pictures") +
        " inlined, " + std::to_string(kept) + " kept (" + std::to_string(counts.tooLarge) + " too large, " +
        std::to_string(counts.remote) + " remote, " + std::to_string(counts.unreadable) + " unreadable); " +
        FormatDataSize(plan->text.size()) + " bytes before, " +
        FormatDataSize(EditedLength(plan->text, edits)) + " after");
    return kSucceeded;
}
