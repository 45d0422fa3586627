// An HTML page read into tags by the tokenizer of the HTML standard: start and end tags with
// where each attribute's raw value lies, and the text of elements read as raw text. Comments,
// DOCTYPEs, CDATA sections and character data are passed over; character references stay as they
// are written. One pass over the bytes, in time linear in the page, keeping no more than the tag
// being read.
//
// The bytes are read as they are, not decoded: every byte that steers the tokenizer is ASCII, and
// neither UTF-8 nor Shift_JIS puts one inside a character of theirs where it could (a Shift_JIS
// second byte may be a letter, but only after a first byte that is none).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "page/page_references.h"

// How the text after a start tag is read, as the tree builder tells the tokenizer.
enum class HtmlText {
    kData,        // markup
    kRcdata,      // title, textarea: text with character references, to the element's end tag
    kRawText,     // style, xmp, iframe, noembed, noframes: text to the element's end tag
    kScriptData,  // script: raw text, but for the end tags inside <!-- --> in it
    kPlainText,   // plaintext: text to the end of the page
};

struct HtmlTag {
    std::string name;   // in lower case
    TextSpan nameSpan;  // the name as written
    bool selfClosing = false;
};

// What the tokenizer reports, in the order of the page. The attributes of a tag come before it,
// each as it is read, also those that the tree builder drops (a name given twice, an end tag's);
// a tag that the page ends in is not reported, though its attributes were.
class HtmlTokenSink {
  public:
    virtual ~HtmlTokenSink() = default;
    // `value` is nothing for an attribute written without one.
    virtual void Attribute(std::string_view name, const std::optional<AttributeValue>& value) = 0;
    virtual HtmlText StartTag(const HtmlTag& tag) = 0;
    virtual void EndTag(const HtmlTag& tag) = 0;
    // The text of an element read other than as markup, from its start tag to its end tag or the
    // end of the page.
    virtual void ElementText(TextSpan text) = 0;
    // Whether "<![CDATA[" opens a CDATA section here (in SVG and MathML) rather than a comment.
    virtual bool CdataAllowed() const = 0;
};

void TokenizeHtml(std::string_view page, HtmlTokenSink& sink);
