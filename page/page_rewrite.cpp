#include "page/page_rewrite.h"

#include <algorithm>
#include <set>

namespace {

// Behind the picture and stretched over it as the picture is, before the element's own style,
// which therefore still decides.
constexpr char kPlaceholderBefore[] = "background:url(";
constexpr char kPlaceholderAfter[] = ") 0 0/100% 100% no-repeat";

PageEdit Insertion(std::size_t at, std::string text, std::string_view uri = {}, std::string after = {}) {
    return PageEdit{{at, at}, std::move(text), uri, std::move(after)};
}

}  // namespace

std::vector<PageEdit> PageEdits(const PageReferences& page, const std::vector<std::string_view>& uris,
                                const std::vector<ElementAddition>& additions) {
    std::vector<PageEdit> edits;
    std::set<std::size_t> quoted;  // the starts of the unquoted values put in quotes
    auto quote = [&](const TextSpan& value) {
        if (!quoted.insert(value.start).second) return;
        edits.push_back(Insertion(value.start, "\""));
        edits.push_back(Insertion(value.end, "\""));
    };
    for (std::size_t i = 0; i < page.references.size() && i < uris.size(); ++i) {
        if (uris[i].empty()) continue;
        const PageReference& reference = page.references[i];
        if (reference.unquotedValue) quote(*reference.unquotedValue);
        edits.push_back(PageEdit{reference.span, {}, uris[i], {}});
    }
    for (std::size_t i = 0; i < page.elements.size() && i < additions.size(); ++i) {
        const PageElement& element = page.elements[i];
        const ElementAddition& addition = additions[i];
        std::string attributes;
        if (addition.size && !element.hasWidth && !element.hasHeight) {
            attributes = " width=\"" + std::to_string(addition.size->first) + "\" height=\"" +
                         std::to_string(addition.size->second) + "\"";
        }
        if (!addition.placeholder.empty() && !element.style) {
            edits.push_back(Insertion(element.afterName, attributes + " style=\"" + kPlaceholderBefore,
                                      addition.placeholder, std::string(kPlaceholderAfter) + "\""));
        } else if (!attributes.empty()) {
            edits.push_back(Insertion(element.afterName, attributes));
        }
        if (!addition.placeholder.empty() && element.style) {
            if (!element.style->quoted) quote(element.style->span);
            edits.push_back(Insertion(element.style->span.start, kPlaceholderBefore, addition.placeholder,
                                      std::string(kPlaceholderAfter) + ";"));
        }
    }
    // By place; at one place the insertions first, in the order made (an opening quote before
    // what goes inside it).
    std::stable_sort(edits.begin(), edits.end(), [](const PageEdit& a, const PageEdit& b) {
        if (a.span.start != b.span.start) return a.span.start < b.span.start;
        return a.span.end == a.span.start && b.span.end != b.span.start;
    });
    std::vector<PageEdit> apart;
    for (PageEdit& edit : edits)
        if (apart.empty() || edit.span.start >= apart.back().span.end) apart.push_back(std::move(edit));
    return apart;
}

bool WriteEditedPage(std::string_view page, const std::vector<PageEdit>& edits,
                     const std::function<bool(std::string_view)>& write) {
    std::size_t at = 0;
    for (const PageEdit& edit : edits) {
        if (edit.span.end > page.size()) break;
        if (!write(page.substr(at, edit.span.start - at)) || !write(edit.before) || !write(edit.uri) ||
            !write(edit.after))
            return false;
        at = edit.span.end;
    }
    return write(page.substr(at));
}

std::size_t EditedLength(std::string_view page, const std::vector<PageEdit>& edits) {
    std::size_t length = page.size();
    for (const PageEdit& edit : edits)
        length +=
            edit.before.size() + edit.uri.size() + edit.after.size() - (edit.span.end - edit.span.start);
    return length;
}
