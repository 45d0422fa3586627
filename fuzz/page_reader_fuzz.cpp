// Reads the input as an HTML page and as a style sheet, resolves every address found, and
// rewrites the page with each address replaced and a size and placeholder added to each element:
// every span must lie in the page, in order and apart, and the rewrite must be as long as said.
#include <cstdint>
#include <string>
#include <string_view>

#include "page/html_references.h"
#include "page/page_address.h"
#include "page/page_rewrite.h"

namespace {

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

void Rewrite(std::string_view page, const PageReferences& found) {
    std::size_t end = 0;
    for (const PageReference& reference : found.references) {
        Check(reference.span.start >= end && reference.span.end >= reference.span.start &&
              reference.span.end <= page.size());
        end = reference.span.end;
        ResolveAddress(reference.url, FileBase("site/page.html", ""), found.charset);
    }
    for (const PageElement& element : found.elements) Check(element.afterName <= page.size());
    const std::vector<std::string_view> uris(found.references.size(), "data:image/png;base64,AA==");
    const std::vector<ElementAddition> additions(found.elements.size(),
                                                 ElementAddition{std::make_pair(1, 2), "data:P"});
    const std::vector<PageEdit> edits = PageEdits(found, uris, additions);
    std::size_t written = 0;
    WriteEditedPage(page, edits, [&written](std::string_view piece) {
        written += piece.size();
        return true;
    });
    Check(written == EditedLength(page, edits));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const PageReferences html = ReadHtmlReferences(page);
    Rewrite(page, html);
    if (html.baseHref) BaseOfHref(*html.baseHref, FileBase("page.html", "root"), html.charset);
    Rewrite(page, ReadCssReferences(page));
    return 0;
}
