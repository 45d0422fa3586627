#include "page/html_references.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "page/ascii_text.h"
#include "page/character_references.h"
#include "page/css_urls.h"
#include "page/html_tokenizer.h"
#include "page/open_elements.h"
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

// The attributes that references and the places of elements depend on.
enum Wanted {
    kSrc,
    kSrcset,
    kHref,
    kRel,
    kType,
    kStyle,
    kWidth,
    kHeight,
    kEncoding,
    kColor,
    kFace,
    kSize,
    kWanted
};
constexpr std::string_view kWantedNames[kWanted] = {"src",   "srcset", "href",     "rel",   "type", "style",
                                                    "width", "height", "encoding", "color", "face", "size"};

// The first attribute of a name in a tag; the tree builder drops those that repeat it.
struct TagAttribute {
    bool present = false;
    std::optional<AttributeValue> value;
};

class ReferenceCollector final : public HtmlTokenSink {
  public:
    explicit ReferenceCollector(std::string_view page) : page_(page) { found_.charset = CharsetOf(page); }

    PageReferences Collected() {
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

    void Attribute(std::string_view name, const std::optional<AttributeValue>& value) override {
        for (int i = 0; i < kWanted; ++i) {
            if (!EqualsIgnoringAsciiCase(name, kWantedNames[i])) continue;
            if (!attributes_[i].present) attributes_[i] = {true, value};
            return;
        }
    }

    HtmlText StartTag(const HtmlTag& tag) override {
        StartTagAttributes facts;
        facts.fontBreaksOut =
            attributes_[kColor].present || attributes_[kFace].present || attributes_[kSize].present;
        const std::string encoding = Decoded(kEncoding);
        facts.htmlAnnotation = EqualsIgnoringAsciiCase(encoding, "text/html") ||
                               EqualsIgnoringAsciiCase(encoding, "application/xhtml+xml");
        const StartTagPlace place = open_.Start(tag.name, tag.selfClosing, facts);
        if (place.html) VisitHtml(tag, place);
        AddAttribute(ReferenceKind::kCssUrl, kStyle);
        styleText_ = place.html && tag.name == "style";
        attributes_ = {};
        return place.text;
    }

    void EndTag(const HtmlTag& tag) override {
        open_.End(tag.name);
        attributes_ = {};
    }

    void ElementText(TextSpan text) override {
        if (!styleText_) return;
        styleText_ = false;
        for (UrlAt& url : CssPictureUrls(Bytes(text), found_.charset)) {
            found_.references.push_back({ReferenceKind::kCssUrl,
                                         {text.start + url.span.start, text.start + url.span.end},
                                         std::move(url.url),
                                         kNoElement,
                                         std::nullopt});
        }
    }

    bool CdataAllowed() const override { return open_.CdataAllowed(); }

  private:
    std::string_view Bytes(TextSpan span) const { return page_.substr(span.start, span.end - span.start); }

    // The attribute's value as the tree builder reads it; empty where it has none.
    std::string Decoded(Wanted attribute) const {
        const std::optional<AttributeValue>& value = attributes_[attribute].value;
        return value ? DecodeAttributeValue(Bytes(value->span)).text : std::string();
    }

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

    void AddAttribute(ReferenceKind kind, Wanted attribute, std::size_t element = kNoElement) {
        const std::optional<AttributeValue>& value = attributes_[attribute].value;
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

    // The img or input element, for the sizes and placeholder a rewrite may add.
    std::size_t AddElement(const HtmlTag& tag) {
        PageElement added;
        added.afterName = tag.nameSpan.end;
        added.hasWidth = attributes_[kWidth].present;
        added.hasHeight = attributes_[kHeight].present;
        added.hasSrcset = attributes_[kSrcset].present;
        added.style = attributes_[kStyle].value;
        found_.elements.push_back(added);
        return found_.elements.size() - 1;
    }

    void VisitHtml(const HtmlTag& tag, const StartTagPlace& place) {
        const std::string& name = tag.name;
        if (name == "img" || name == "image") {
            const std::size_t index = AddElement(tag);
            AddAttribute(ReferenceKind::kImgSrc, kSrc, index);
            AddAttribute(ReferenceKind::kSrcset, kSrcset, index);
        } else if (name == "source" && place.inPicture) {
            AddAttribute(ReferenceKind::kSrcset, kSrcset);
        } else if (name == "link" && HasToken(Decoded(kRel), "icon")) {
            AddAttribute(ReferenceKind::kIcon, kHref);
        } else if (name == "input" && EqualsIgnoringAsciiCase(Decoded(kType), "image")) {
            AddAttribute(ReferenceKind::kInputSrc, kSrc, AddElement(tag));
        } else if (name == "base" && !found_.baseHref && attributes_[kHref].value) {
            found_.baseHref = Decoded(kHref);
        }
    }

    std::string_view page_;
    PageReferences found_;
    OpenElements open_;
    std::array<TagAttribute, kWanted> attributes_;
    bool styleText_ = false;  // the text that follows is a <style> element's
};

}  // namespace

PageReferences ReadHtmlReferences(std::string_view page) {
    ReferenceCollector collector(page);
    TokenizeHtml(page, collector);
    return collector.Collected();
}

PageReferences ReadCssReferences(std::string_view sheet) {
    PageReferences found;
    found.charset = CharsetOf(sheet);
    for (UrlAt& url : CssPictureUrls(sheet, found.charset))
        found.references.push_back(
            {ReferenceKind::kCssUrl, url.span, std::move(url.url), kNoElement, std::nullopt});
    return found;
}
