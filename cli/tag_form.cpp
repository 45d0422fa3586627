#include "cli/tag_form.h"

#include <cstring>

#include "platform/kernel.h"

namespace {

bool IsAsciiPunctuation(char c) {
    return std::strchr("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", c) != nullptr && c != '\0';
}

}  // namespace

std::string HtmlAttributeText(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// Every ASCII punctuation character escaped by a backslash reads as itself in Markdown. The
// second byte of a double-byte character is never one.
std::string MarkdownAltText(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < text.size()) {
            escaped.append(text, i++, 2);
            continue;
        }
        if (c == '\n' || c == '\r') {
            escaped += ' ';
            continue;
        }
        if (IsAsciiPunctuation(c)) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

UriFrame LineFrame(const TagStyle& style, int width, int height) {
    switch (style.form) {
        case TagForm::kUri:
            return {"", ""};
        case TagForm::kCss:
            return {"background-image: url(\"", "\")"};
        case TagForm::kMarkdown:
            return {"![" + (style.alt ? MarkdownAltText(*style.alt) : std::string()) + "](", ")"};
        case TagForm::kImg:
            break;
    }
    UriFrame frame;
    frame.after = "\"";
    if (style.withSize)
        frame.after += " width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"";
    if (style.alt) frame.after += " alt=\"" + HtmlAttributeText(*style.alt) + "\"";
    frame.after += ">";
    return frame;
}
