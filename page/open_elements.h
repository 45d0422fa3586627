// The elements a page leaves open, kept as far as its picture references need them: which start
// tags make HTML elements and which SVG or MathML ones, how the text after a start tag is read,
// where "<![CDATA[" opens a CDATA section, and whether an element's parent is a <picture>.
//
// This is the tree builder's stack of open elements without the rest of tree building, and with
// fewer rules:
// - SVG and MathML follow the tree builder's rules for foreign content exactly: the tags that
//   break out of it, the integration points whose start tags are HTML again, and the end tags
//   that close foreign elements or, past them, HTML ones. They alone decide how the tokenizer
//   reads text (an SVG <style> is markup, an HTML one CSS) and whether CDATA sections exist.
// - An HTML end tag closes the nearest open element of its name, unless an element that stops
//   the tree builder's search lies above that one (a table or cell for the end tags that look in
//   scope, any element of the special kind for the others, none for a table's own end tags), or
//   an integration point does; an end
//   tag of <body>, <html> or <form> closes nothing here. No end tag is implied (a <p> does not
//   close the <p> before it) and nothing is reparented. Where the tree builder would close an
//   element that stays open here, what follows looks more deeply nested than it is: a <source>
//   after a <picture> left open is not taken for one inside it, and stays a link. Foreign content
//   is not affected: the tree builder leaves SVG or MathML by their own end tags, the tags that
//   break out, and HTML end tags, all of which are read here by its rules, the last as above.
// - <noscript> holds markup, as for a browser without scripts; <select> and <frameset> read
//   their elements as <body> does (an <img> in a <select> is inlined; a browser of the older
//   rules drops it and fetches nothing).
// Memory grows with the open elements alone: some 16 bytes each, and the distinct names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "page/html_tokenizer.h"

// Where a start tag puts its element.
struct StartTagPlace {
    bool html = true;        // an HTML element, else an SVG or MathML one
    bool inPicture = false;  // an HTML element whose parent is an HTML <picture>
    HtmlText text = HtmlText::kData;
};

// What the attributes of a start tag tell about its place.
struct StartTagAttributes {
    bool fontBreaksOut = false;   // a <font> with color, face or size, which leaves SVG and MathML
    bool htmlAnnotation = false;  // an <annotation-xml> of encoding text/html or application/xhtml+xml
};

class OpenElements {
  public:
    OpenElements();

    // A start tag with its name in lower case.
    StartTagPlace Start(std::string_view name, bool selfClosing, const StartTagAttributes& attributes);
    void End(std::string_view name);
    bool CdataAllowed() const;

  private:
    enum class Space : std::uint8_t { kHtml, kSvg, kMathMl };
    enum class Point : std::uint8_t { kNone, kHtml, kMathText };  // integration points
    struct Entry {
        std::uint32_t name;      // its id in names_
        std::uint32_t previous;  // the entry below of the same name, or kNone
        Space space;
        Point point;
    };
    enum class EndStops : std::uint8_t { kSpecial, kScope, kNothing };
    // What an HTML element's name tells, found once for each name.
    struct NameFacts {
        bool pushed = true;    // neither void nor read as text: it stays open until closed
        bool special = false;  // stops the tree builder's search for the element an end tag closes
        bool scope = false;    // stops its search for the end tags that look in scope
        EndStops stops = EndStops::kSpecial;  // what stops the search for the element its end tag closes
        bool heading = false;                 // h1 to h6, whose end tags close each other
        bool breaksOut = false;               // leaves SVG and MathML
        HtmlText text = HtmlText::kData;
    };
    static constexpr std::uint32_t kNone = UINT32_MAX;

    bool ForeignRulesTake(std::string_view name) const;
    StartTagPlace StartForeign(std::string_view name, bool selfClosing, bool htmlAnnotation);
    StartTagPlace StartHtml(std::string_view name, bool selfClosing);
    void EndForeign(std::string_view name);
    // Closes the nearest HTML element of the name at or above `lowest`, if any.
    void EndHtml(std::string_view name, std::uint32_t lowest);
    std::uint32_t Id(Space space, std::string_view name);
    const NameFacts& Facts(std::string_view name) { return facts_[Id(Space::kHtml, name)]; }
    std::uint32_t LastOpen(Space space, std::string_view name) const;
    void Push(Space space, std::string_view name, Point point);
    void CloseForeignToPoint();
    void PopTo(std::uint32_t index);
    bool IsHtml(std::uint32_t index) const { return stack_[index].space == Space::kHtml; }

    std::vector<Entry> stack_;
    std::unordered_map<std::string, std::uint32_t> names_;  // space and name to id
    std::vector<std::uint32_t> lastOpen_;                   // for each id, its topmost entry or kNone
    std::vector<NameFacts> facts_;                          // for each id
    std::vector<std::uint32_t> runs_;  // where each run of HTML, or of SVG and MathML, entries begins
    // The open integration points, and HTML elements of the special kind and of those that bound
    // a scope, bottom up.
    std::vector<std::uint32_t> points_, specials_, scopes_;
    std::uint32_t picture_ = 0, annotationXml_ = 0;
};
