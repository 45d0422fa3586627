#include "cli/inline_page.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "cli/line_output.h"
#include "cli/page_picture.h"
#include "cli/picture_queue.h"
#include "core/classic_file.h"
#include "page/html_references.h"
#include "page/page_address.h"
#include "page/page_rewrite.h"
#include "testpage/page_fragments.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;

void Say(const std::string& text) {
    std::fprintf(stderr, "korvi-cli: %s\n", text.c_str());
}

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
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) c = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    return extension == ".css";
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

// The distinct pictures of the page, each converted once.
struct PictureJob {
    std::string path;
    bool resize = false;
    std::string url;  // the address it was first found by
};

struct Counts {
    std::size_t inlined = 0, tooLarge = 0, remote = 0, unreadable = 0;
};

}  // namespace

int InlinePage(const CliOptions& options, unsigned workers) {
    const std::string& name = options.inlinePage;
    std::string page, why;
    if (!ReadPageFile(name, page, why)) {
        Say(name + ": " + why + "; nothing is written");
        return kFailed;
    }
    PageReferences found;
    if (IsStyleSheet(name)) {
        found = ReadCssReferences(page);
    } else {
        HtmlReading reading = ReadHtmlReferences(page);
        if (!reading.references) {
            Say(name + ": " + reading.failure + "; nothing is written");
            return kFailed;
        }
        found = std::move(*reading.references);
    }
    AddressBase base = FileBase(name, options.root);
    if (found.baseHref) base = BaseOfHref(*found.baseHref, base, found.charset);

    Counts counts;
    std::vector<PictureJob> jobs;
    std::map<std::pair<std::string, bool>, std::size_t> jobOf;
    std::vector<std::size_t> jobOfReference(found.references.size(), SIZE_MAX);
    for (std::size_t i = 0; i < found.references.size(); ++i) {
        const PageReference& reference = found.references[i];
        const Address address = ResolveAddress(reference.url, base, found.charset);
        if (address.kind == AddressKind::kRemote) ++counts.remote;
        if (address.kind == AddressKind::kUnresolvable) {
            ++counts.unreadable;
            Say(name + ": " + reference.url + ": " + address.why);
        }
        if (address.kind != AddressKind::kLocal) continue;
        const std::pair<std::string, bool> key{address.path, MayResize(reference, found, options)};
        auto [job, added] = jobOf.emplace(key, jobs.size());
        if (added) jobs.push_back({key.first, key.second, reference.url});
        jobOfReference[i] = job->second;
    }

    std::vector<PagePicture> pictures(jobs.size());
    {
        // The queue's results only tell that a picture is done; what it made is in `pictures`.
        PictureQueue queue(jobs.size(), std::min<std::size_t>(workers, jobs.size()),
                           [&](std::size_t index, const std::string& workFolder) {
                               if (workFolder.empty()) {
                                   pictures[index].failure = "cannot create a work folder";
                               } else {
                                   pictures[index] = PictureForPage(options, jobs[index].path,
                                                                    jobs[index].resize, workFolder);
                               }
                               PictureResult done;
                               done.succeeded = true;
                               return done;
                           });
        for (std::size_t index = 0; index < jobs.size(); ++index) {
            if (!queue.Take(index).succeeded) pictures[index].failure = "out of memory";
            const PagePicture& picture = pictures[index];
            const std::string said = name + ": " + jobs[index].url + ": ";
            if (!picture.failure.empty()) {
                Say(said + picture.failure);
            } else if (picture.uri.empty()) {
                Say(said + FormatDataSize(picture.pictureBytes) + " bytes as " + picture.formatName +
                    ", more than --inline-limit " + std::to_string(options.inlineLimit));
            }
        }
    }

    std::vector<std::string_view> uris(found.references.size());
    std::vector<ElementAddition> additions(found.elements.size());
    for (std::size_t i = 0; i < found.references.size(); ++i) {
        if (jobOfReference[i] == SIZE_MAX) continue;
        const PagePicture& picture = pictures[jobOfReference[i]];
        const std::size_t element = found.references[i].element;
        if (!picture.failure.empty()) {
            ++counts.unreadable;
        } else if (picture.uri.empty()) {
            ++counts.tooLarge;
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
                         WriteEditedPage(page, edits,
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
    Say(name + ": " + std::to_string(counts.inlined) + " pictures inlined, " + std::to_string(kept) +
        " kept (" + std::to_string(counts.tooLarge) + " too large, " + std::to_string(counts.remote) +
        " remote, " + std::to_string(counts.unreadable) + " unreadable); " + FormatDataSize(page.size()) +
        " bytes before, " + FormatDataSize(EditedLength(page, edits)) + " after");
    return kSucceeded;
}
