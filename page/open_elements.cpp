#include "page/open_elements.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsVoid(std::string_view name) {
    return IsOneOf(name, {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "img",
                          "input", "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

HtmlText TextOf(std::string_view name) {
    if (IsOneOf(name, {"title", "textarea"})) return HtmlText::kRcdata;
    if (IsOneOf(name, {"style", "xmp", "iframe", "noembed", "noframes"})) return HtmlText::kRawText;
    if (name == "script") return HtmlText::kScriptData;
    if (name == "plaintext") return HtmlText::kPlainText;
    return HtmlText::kData;
}

// Those of the special elements that can stay open (the others are void or read as text).
bool IsSpecial(std::string_view name) {
    return IsOneOf(name, {"address",  "applet",   "article",  "aside",      "blockquote", "body",    "button",
                          "caption",  "center",   "colgroup", "dd",         "details",    "dir",     "div",
                          "dl",       "dt",       "fieldset", "figcaption", "figure",     "footer",  "form",
                          "frameset", "h1",       "h2",       "h3",         "h4",         "h5",      "h6",
                          "head",     "header",   "hgroup",   "html",       "li",         "listing", "main",
                          "marquee",  "menu",     "nav",      "noscript",   "object",     "ol",      "p",
                          "pre",      "search",   "section",  "select",     "summary",    "table",   "tbody",
                          "td",       "template", "tfoot",    "th",         "thead",      "tr",      "ul"});
}

bool BoundsScope(std::string_view name) {
    return IsOneOf(name, {"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template"});
}

// The table's elements, whose end tags close the cells and rows inside them.
bool IsTablePart(std::string_view name) {
    return IsOneOf(name, {"table", "caption", "colgroup", "tbody", "tfoot", "thead", "tr", "td", "th",
                          "select", "template"});
}

bool IsScopedEnd(std::string_view name) {
    return IsOneOf(
        name, {"address", "applet", "article", "aside",   "blockquote", "button",     "center", "details",
               "dialog",  "dir",    "div",     "dl",      "fieldset",   "figcaption", "figure", "footer",
               "header",  "hgroup", "listing", "main",    "marquee",    "menu",       "nav",    "object",
               "ol",      "pre",    "search",  "section", "summary",    "ul",         "li",     "dd",
               "dt",      "p",      "h1",      "h2",      "h3",         "h4",         "h5",     "h6"});
}

bool BreaksOut(std::string_view name) {
    return IsOneOf(
        name,
        {"b",     "big",   "blockquote", "body",   "br",   "center", "code",  "dd", "div",  "dl",   "dt",
         "em",    "embed", "h1",         "h2",     "h3",   "h4",     "h5",    "h6", "head", "hr",   "i",
         "img",   "li",    "listing",    "menu",   "meta", "nobr",   "ol",    "p",  "pre",  "ruby", "s",
         "small", "span",  "strong",     "strike", "sub",  "sup",    "table", "tt", "u",    "ul",   "var"});
}

}  // namespace

OpenElements::OpenElements() {
    picture_ = Id(Space::kHtml, "picture");
    annotationXml_ = Id(Space::kMathMl, "annotation-xml");
}

std::uint32_t OpenElements::Id(Space space, std::string_view name) {
    std::string key(1, char(space));
    key += name;
    const auto [found, added] = names_.emplace(std::move(key), std::uint32_t(lastOpen_.size()));
    if (!added) return found->second;
    lastOpen_.push_back(kNone);
    NameFacts facts;
    if (space == Space::kHtml) {
        facts.text = TextOf(name);
        facts.pushed = !IsVoid(name) && facts.text == HtmlText::kData;
        facts.special = IsSpecial(name);
        facts.scope = BoundsScope(name);
        facts.stops = IsTablePart(name)   ? EndStops::kNothing
                      : IsScopedEnd(name) ? EndStops::kScope
                                          : EndStops::kSpecial;
        facts.heading = name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
        facts.breaksOut = BreaksOut(name);
    }
    facts_.push_back(facts);
    return found->second;
}

std::uint32_t OpenElements::LastOpen(Space space, std::string_view name) const {
    std::string key(1, char(space));
    key += name;
    const auto found = names_.find(key);
    return found == names_.end() ? kNone : lastOpen_[found->second];
}

// Whether the start tag is read by the rules for foreign content, rather than as HTML.
bool OpenElements::ForeignRulesTake(std::string_view name) const {
    if (stack_.empty() || IsHtml(std::uint32_t(stack_.size() - 1))) return false;
    const Entry& current = stack_.back();
    if (current.point == Point::kHtml) return false;
    if (current.point == Point::kMathText && name != "mglyph" && name != "malignmark") return false;
    return !(current.name == annotationXml_ && name == "svg");
}

StartTagPlace OpenElements::Start(std::string_view name, bool selfClosing,
                                  const StartTagAttributes& attributes) {
    if (ForeignRulesTake(name)) {
        if (!Facts(name).breaksOut && !(name == "font" && attributes.fontBreaksOut))
            return StartForeign(name, selfClosing, attributes.htmlAnnotation);
        CloseForeignToPoint();
    }
    return StartHtml(name, selfClosing);
}

StartTagPlace OpenElements::StartForeign(std::string_view name, bool selfClosing, bool htmlAnnotation) {
    const Space space = stack_.back().space;
    Point point = Point::kNone;
    if (space == Space::kSvg && IsOneOf(name, {"foreignobject", "desc", "title"})) point = Point::kHtml;
    if (space == Space::kMathMl && IsOneOf(name, {"mi", "mo", "mn", "ms", "mtext"})) point = Point::kMathText;
    if (space == Space::kMathMl && name == "annotation-xml" && htmlAnnotation) point = Point::kHtml;
    if (!selfClosing) Push(space, name, point);
    return {false, false, HtmlText::kData};
}

StartTagPlace OpenElements::StartHtml(std::string_view name, bool selfClosing) {
    StartTagPlace place;
    place.inPicture = !stack_.empty() && stack_.back().name == picture_;
    if (name == "svg" || name == "math") {
        if (!selfClosing) Push(name == "svg" ? Space::kSvg : Space::kMathMl, name, Point::kNone);
        place.html = false;
        return place;
    }
    const NameFacts facts = Facts(name == "image" ? "img" : name);
    place.text = facts.text;
    if (facts.pushed) Push(Space::kHtml, name, Point::kNone);  // never "image", read as "img"
    return place;
}

void OpenElements::End(std::string_view name) {
    if (stack_.empty()) return;
    if (IsHtml(std::uint32_t(stack_.size() - 1))) {
        EndHtml(name, runs_.back());
    } else {
        EndForeign(name);
    }
}

void OpenElements::EndForeign(std::string_view name) {
    const std::uint32_t foreignRun = runs_.back();
    if (name == "br" || name == "p") {
        // Close the foreign elements down to an integration point or HTML, then the tag as HTML.
        CloseForeignToPoint();
        if (name == "p" && !stack_.empty() && IsHtml(std::uint32_t(stack_.size() - 1)))
            EndHtml(name, runs_.back());
        return;
    }
    const std::uint32_t svg = LastOpen(Space::kSvg, name), math = LastOpen(Space::kMathMl, name);
    const std::uint32_t foreign = svg == kNone ? math : math == kNone ? svg : std::max(svg, math);
    if (foreign != kNone && foreign >= foreignRun) {
        PopTo(foreign);
        return;
    }
    // Past the foreign elements the HTML rules take the end tag, which stop at an integration point.
    const bool pointBetween = !points_.empty() && points_.back() >= foreignRun;
    if (foreignRun > 0 && !pointBetween) EndHtml(name, runs_[runs_.size() - 2]);
}

void OpenElements::EndHtml(std::string_view name, std::uint32_t lowest) {
    if (name == "body" || name == "html" || name == "form") return;
    const NameFacts facts = Facts(name);
    std::uint32_t open = lastOpen_[Id(Space::kHtml, name)];
    if (facts.heading) {
        for (const char* heading : {"h1", "h2", "h3", "h4", "h5", "h6"}) {
            const std::uint32_t at = LastOpen(Space::kHtml, heading);
            if (at != kNone && (open == kNone || at > open)) open = at;
        }
    }
    if (open == kNone || open < lowest) return;
    if (facts.stops != EndStops::kNothing) {
        const std::vector<std::uint32_t>& stops = facts.stops == EndStops::kScope ? scopes_ : specials_;
        if (!stops.empty() && stops.back() > open) return;
    }
    PopTo(open);
}

void OpenElements::Push(Space space, std::string_view name, Point point) {
    const std::uint32_t index = std::uint32_t(stack_.size());
    const std::uint32_t id = Id(space, name);
    const bool html = space == Space::kHtml;
    if (stack_.empty() || IsHtml(index - 1) != html) runs_.push_back(index);
    stack_.push_back({id, lastOpen_[id], space, point});
    lastOpen_[id] = index;
    if (point != Point::kNone) points_.push_back(index);
    if (html && facts_[id].special) specials_.push_back(index);
    if (html && facts_[id].scope) scopes_.push_back(index);
}

// Closes the SVG and MathML elements above the current HTML element or integration point, if any.
void OpenElements::CloseForeignToPoint() {
    std::uint32_t top = std::uint32_t(stack_.size());
    while (top > 0 && !IsHtml(top - 1) && stack_[top - 1].point == Point::kNone) --top;
    PopTo(top);
}

// Closes the entry at `index` and every one above it.
void OpenElements::PopTo(std::uint32_t index) {
    while (stack_.size() > index) {
        const std::uint32_t top = std::uint32_t(stack_.size() - 1);
        const Entry& entry = stack_.back();
        lastOpen_[entry.name] = entry.previous;
        for (std::vector<std::uint32_t>* marks : {&runs_, &points_, &specials_, &scopes_})
            if (!marks->empty() && marks->back() == top) marks->pop_back();
        stack_.pop_back();
    }
}

bool OpenElements::CdataAllowed() const {
    return !stack_.empty() && !IsHtml(std::uint32_t(stack_.size() - 1));
}
