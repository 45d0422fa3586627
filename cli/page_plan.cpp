#include "cli/page_plan.h"

#include <algorithm>
#include <map>

#include "cli/page_file_name.h"
#include "cli/picture_queue.h"
#include "core/classic_file.h"
#include "page/ascii_text.h"
#include "page/html_references.h"

namespace {

// The whole file, or why not.
bool ReadPageFile(const std::string& path, std::string& text, std::string& why) {
    ClassicFile file = ClassicFile::OpenForReading(path.c_str());
    const LONG length = file.is_open() ? file.SeekToEnd() : -1;
    if (length < 0 || !file.Seek(0)) {
        why = "cannot be read";
        return false;
    }
    if (std::size_t(length) > kMaxPageBytes) {
        why = "larger than " + std::to_string(kMaxPageBytes) + " bytes, more than a page is read";
        return false;
    }
    text.resize(std::size_t(length));
    if (length > 0 && !file.ReadExactly(&text[0], std::uint32_t(length))) {
        why = "cannot be read";
        return false;
    }
    return true;
}

bool IsStyleSheet(const std::string& path) {
    return path.size() >= 4 &&
           EqualsIgnoringAsciiCase(std::string_view(path).substr(path.size() - 4), ".css");
}

// Whether a picture of the element may be made smaller: only where the element's width and
// height (its own, or those the rewrite adds to an img without srcset) keep its layout.
bool MayResize(const PageReference& reference, const PageReferences& page, const CliOptions& options) {
    if (options.resizeMethod == kKeepSize || reference.element == kNoElement) return false;
    const PageElement& element = page.elements[reference.element];
    if (element.hasWidth && element.hasHeight) return true;
    return reference.kind != ReferenceKind::kSrcset && !element.hasWidth && !element.hasHeight &&
           !element.hasSrcset;
}

}  // namespace

std::optional<PagePlan> PlanPage(const std::string& path, const CliOptions& options, std::string& why) {
    PagePlan plan;
    if (!ReadPageFile(path, plan.text, why)) return std::nullopt;
    plan.found = IsStyleSheet(path) ? ReadCssReferences(plan.text) : ReadHtmlReferences(plan.text);
    AddressBase base = FileBase(path, options.root);
    base.folder = PathInPage(base.folder, plan.found.charset);
    base.root = PathInPage(base.root, plan.found.charset);
    if (plan.found.baseHref) base = BaseOfHref(*plan.found.baseHref, base, plan.found.charset);
    std::map<std::pair<std::string, bool>, std::size_t> pictureAt;
    for (const PageReference& reference : plan.found.references) {
        plan.addresses.push_back(ResolveAddress(reference.url, base, plan.found.charset));
        plan.pictureOf.push_back(kNoPicture);
        Address& address = plan.addresses.back();
        if (address.kind != AddressKind::kLocal) continue;
        if (std::optional<std::string> name = PageFileName(address.path, plan.found.charset)) {
            address.path = std::move(*name);
        } else {
            address = {
                AddressKind::kUnresolvable, {}, "its name has characters that file names here cannot have"};
            continue;
        }
        const std::pair<std::string, bool> key{plan.addresses.back().path,
                                               MayResize(reference, plan.found, options)};
        auto [picture, added] = pictureAt.emplace(key, plan.pictures.size());
        if (added) plan.pictures.push_back({key.first, key.second, reference.url});
        plan.pictureOf.back() = picture->second;
    }
    return plan;
}

std::vector<PagePicture> ConvertPagePictures(const PagePlan& plan, const CliOptions& options,
                                             unsigned workers) {
    std::vector<PagePicture> pictures(plan.pictures.size());
    // The queue's results only tell that a picture is done; what it made is in `pictures`.
    PictureQueue queue(pictures.size(), std::min<std::size_t>(workers, pictures.size()),
                       [&](std::size_t index, const std::string& workFolder) {
                           const PictureJob& job = plan.pictures[index];
                           if (workFolder.empty()) {
                               pictures[index].failure = "cannot create a work folder";
                           } else {
                               pictures[index] = PictureForPage(options, job.path, job.resize, workFolder);
                           }
                           PictureResult done;
                           done.succeeded = true;
                           return done;
                       });
    for (std::size_t index = 0; index < pictures.size(); ++index)
        if (!queue.Take(index).succeeded) pictures[index].failure = "out of memory";
    return pictures;
}
