#include "page/html_references.h"

#include <algorithm>
#include <vector>

#include "page/ascii_text.h"
#include "page/character_references.h"
#include "page/css_urls.h"
#include "page/html_tree.h"
#include "page/markup_nesting.h"
#include "page/srcset.h"

namespace {

// Whether the space-separated tokens of the text include `token`, in any case.
bool HasToken(std::string_view text, std::string_view token) {
    for (std::size_t at = 0; at < text.size();) {
        while (at < text.size() && IsAsciiWhitespace(text[at])) ++at;
        std::size_t end = at;
        while (end < text.size() && !IsAsciiWhitespace(text[end])) ++end;
        if (end > at && EqualsIgnoringAsciiCase(text.substr(at, end - at), token)) return true;
        at = end;
    }
    return false;
}

bool IsHtmlElement(const GumboNode* node, GumboTag tag) {
    return node != nullptr && node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag &&
           node->v.element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

// An element gumbo has no tag number for, by the name it was written with.
bool IsUnknownHtmlElement(const GumboNode* node, std::string_view name) {
    if (!IsHtmlElement(node, GUMBO_TAG_UNKNOWN)) return false;
    GumboStringPiece tag = node->v.element.original_tag;
    gumbo_tag_from_original_text(&tag);
    return EqualsIgnoringAsciiCase(std::string_view(tag.data, tag.length), name);
}

class ReferenceCollector {
  public:
    explicit ReferenceCollector(std::string_view page) : page_(page) { found_.charset = CharsetOf(page); }

    PageReferences Collect(const GumboNode* document) {
        std::vector<const GumboNode*> pending{document};
        while (!pending.empty()) {
            const GumboNode* node = pending.back();
            pending.pop_back();
            const GumboVector* children = nullptr;
            if (node->type == GUMBO_NODE_DOCUMENT) {
                children = &node->v.document.children;
            } else if (node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE) {
                if ((node->parse_flags & GUMBO_INSERTION_FROM_ISINDEX) == 0) Visit(node);
                children = &node->v.element.children;
            }
            for (unsigned i = children != nullptr ? children->length : 0; i > 0; --i)
                pending.push_back(static_cast<const GumboNode*>(children->data[i - 1]));
        }
        // Every span once, in the order of the page.
        std::stable_sort(
            found_.references.begin(), found_.references.end(),
            [](const PageReference& a, const PageReference& b) { return a.span.start < b.span.start; });
        std::vector<PageReference> apart;
        for (PageReference& reference : found_.references)
            if (apart.empty() || apart.back().span.end <= reference.span.start)
                apart.push_back(std::move(reference));
        found_.references = std::move(apart);
        return std::move(found_);
    }

  private:
    // The bytes of an attribute's value in the page; nothing for an attribute without one (whose
    // value gumbo gives as its name).
    std::optional<AttributeValue> RawValue(const GumboAttribute* attribute) const {
        if (attribute == nullptr || attribute->original_value.length == 0 ||
            attribute->original_value.data == attribute->original_name.data)
            return std::nullopt;
        const char* data = attribute->original_value.data;
        const std::size_t length = attribute->original_value.length;
        if (data < page_.data() || data + length > page_.data() + page_.size()) return std::nullopt;
        const std::size_t start = std::size_t(data - page_.data());
        const bool quoted = length >= 2 && (data[0] == '"' || data[0] == '\'') && data[length - 1] == data[0];
        if (quoted) return AttributeValue{{start + 1, start + length - 1}, true};
        return AttributeValue{{start, start + length}, false};
    }

    std::string_view Bytes(TextSpan span) const { return page_.substr(span.start, span.end - span.start); }

    // Adds the addresses found in the value's decoded text.
    void AddDecoded(ReferenceKind kind, const AttributeValue& value, const DecodedText& decoded,
                    std::vector<UrlAt> urls, std::size_t element) {
        for (UrlAt& url : urls) {
            PageReference reference{kind,
                                    {value.span.start + decoded.RawStart(url.span.start),
                                     value.span.start + decoded.RawEnd(url.span.end)},
                                    std::move(url.url),
                                    element,
                                    std::nullopt};
            if (!value.quoted) reference.unquotedValue = value.span;
            found_.references.push_back(std::move(reference));
        }
    }

    void AddAttribute(ReferenceKind kind, const GumboAttribute* attribute, std::size_t element = kNoElement) {
        const std::optional<AttributeValue> value = RawValue(attribute);
        if (!value) return;
        DecodedText decoded = DecodeAttributeValue(Bytes(value->span));
        std::vector<UrlAt> urls;
        if (kind == ReferenceKind::kSrcset) {
            for (const TextSpan& span : SrcsetUrls(decoded.text))
                urls.push_back({span, decoded.text.substr(span.start, span.end - span.start)});
        } else if (kind == ReferenceKind::kCssUrl) {
            urls = CssPictureUrls(decoded.text, found_.charset);
        } else {
            urls.push_back({{0, decoded.text.size()}, decoded.text});
        }
        AddDecoded(kind, *value, decoded, std::move(urls), element);
    }

    void AddStyleText(const GumboNode* text) {
        const GumboStringPiece& piece = text->v.text.original_text;
        if (piece.data < page_.data() || piece.data + piece.length > page_.data() + page_.size()) return;
        const std::size_t start = std::size_t(piece.data - page_.data());
        for (UrlAt& url : CssPictureUrls(std::string_view(piece.data, piece.length), found_.charset)) {
            found_.references.push_back({ReferenceKind::kCssUrl,
                                         {start + url.span.start, start + url.span.end},
                                         std::move(url.url),
                                         kNoElement,
                                         std::nullopt});
        }
    }

    // The img or input element, for the sizes and placeholder a rewrite may add.
    std::size_t AddElement(const GumboElement& element) {
        const GumboStringPiece& tag = element.original_tag;
        if (tag.length < 2 || tag.data < page_.data() || tag.data + tag.length > page_.data() + page_.size())
            return kNoElement;
        PageElement added;
        std::size_t end = 1;
        while (end < tag.length && !IsAsciiWhitespace(tag.data[end]) && tag.data[end] != '/' &&
               tag.data[end] != '>')
            ++end;
        added.afterName = std::size_t(tag.data - page_.data()) + end;
        added.hasWidth = gumbo_get_attribute(&element.attributes, "width") != nullptr;
        added.hasHeight = gumbo_get_attribute(&element.attributes, "height") != nullptr;
        added.hasSrcset = gumbo_get_attribute(&element.attributes, "srcset") != nullptr;
        added.style = RawValue(gumbo_get_attribute(&element.attributes, "style"));
        found_.elements.push_back(added);
        return found_.elements.size() - 1;
    }

    void Visit(const GumboNode* node) {
        const GumboElement& element = node->v.element;
        const GumboVector* attributes = &element.attributes;
        auto attribute = [attributes](const char* name) { return gumbo_get_attribute(attributes, name); };
        if (IsHtmlElement(node, GUMBO_TAG_IMG)) {
            const std::size_t index = AddElement(element);
            AddAttribute(ReferenceKind::kImgSrc, attribute("src"), index);
            AddAttribute(ReferenceKind::kSrcset, attribute("srcset"), index);
        } else if (IsHtmlElement(node, GUMBO_TAG_SOURCE) && IsUnknownHtmlElement(node->parent, "picture")) {
            AddAttribute(ReferenceKind::kSrcset, attribute("srcset"));
        } else if (IsHtmlElement(node, GUMBO_TAG_LINK)) {
            const GumboAttribute* rel = attribute("rel");
            if (rel != nullptr && HasToken(rel->value, "icon"))
                AddAttribute(ReferenceKind::kIcon, attribute("href"));
        } else if (IsHtmlElement(node, GUMBO_TAG_INPUT)) {
            const GumboAttribute* type = attribute("type");
            if (type != nullptr && EqualsIgnoringAsciiCase(type->value, "image"))
                AddAttribute(ReferenceKind::kInputSrc, attribute("src"), AddElement(element));
        } else if (IsHtmlElement(node, GUMBO_TAG_STYLE)) {
            for (unsigned i = 0; i < element.children.length; ++i) {
                const GumboNode* child = static_cast<const GumboNode*>(element.children.data[i]);
                if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
                    AddStyleText(child);
            }
        } else if (IsHtmlElement(node, GUMBO_TAG_BASE) && !found_.baseHref) {
            if (const std::optional<AttributeValue> href = RawValue(attribute("href")))
                found_.baseHref = DecodeAttributeValue(Bytes(href->span)).text;
        }
        AddAttribute(ReferenceKind::kCssUrl, attribute("style"));
    }

    std::string_view page_;
    PageReferences found_;
};

}  // namespace

HtmlReading ReadHtmlReferences(std::string_view page) {
    HtmlReading reading;
    if (page.size() > kMaxPageBytes) {
        reading.failure = "larger than " + std::to_string(kMaxPageBytes) + " bytes, more than a page is read";
        return reading;
    }
    if (NestingWork(page) > kMaxNestingWork) {
        reading.failure = "its elements nest too deep to be read in time";
        return reading;
    }
    const HtmlTree tree(page);
    reading.references = ReferenceCollector(page).Collect(tree.document());
    return reading;
}

PageReferences ReadCssReferences(std::string_view sheet) {
    PageReferences found;
    found.charset = CharsetOf(sheet);
    for (UrlAt& url : CssPictureUrls(sheet, found.charset))
        found.references.push_back(
            {ReferenceKind::kCssUrl, url.span, std::move(url.url), kNoElement, std::nullopt});
    return found;
}
