#include "page/css_urls.h"

#include <cstdint>

#include "page/ascii_text.h"

namespace {

bool IsNewline(char c) {
    return c == '\n' || c == '\r' || c == '\f';
}

bool IsIdentStart(char c) {
    return IsAsciiAlpha(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80 ||
           c == '\0';  // a NUL reads as U+FFFD
}

bool IsIdentCharacter(char c) {
    return IsIdentStart(c) || IsAsciiDigit(c) || c == '-';
}

bool IsNonPrintable(char c) {
    return (c >= 1 && c <= 8) || c == 0x0B || (c >= 0x0E && c <= 0x1F) || c == 0x7F;
}

// The tokens that matter here; the others are read only to be passed over.
enum class Token {
    kEnd,
    kWhitespace,
    kString,
    kUrl,
    kUrlFunction,
    kAtKeyword,
    kOpenBrace,
    kCloseBrace,
    kSemicolon,
    kOther
};

class CssTokenizer {
  public:
    CssTokenizer(std::string_view css, PageCharset charset) : css_(css), charset_(charset) {
        if (css_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;  // a byte order mark is no part of the text
    }

    // The next token; `value` and `span` hold a string's or url's text, an at-keyword's name.
    Token Next() {
        value.clear();
        SkipComments();
        if (at_ >= css_.size()) return Token::kEnd;
        const char c = css_[at_];
        if (IsAsciiWhitespace(c)) {
            while (at_ < css_.size() && IsAsciiWhitespace(css_[at_])) ++at_;
            return Token::kWhitespace;
        }
        if (c == '"' || c == '\'') return String(c);
        if (c == '#' && (IsIdentCharacter(At(1)) || IsValidEscape(1))) {
            ++at_;
            IdentSequence();
            return Token::kOther;
        }
        if (StartsNumber()) return Numeric();
        if (c == '-' && At(1) == '-' && At(2) == '>') return Skip(3);
        if (c == '<' && css_.substr(at_, 4) == "<!--") return Skip(4);
        if (c == '@' && StartsIdentSequence(1)) {
            ++at_;
            IdentSequence();
            return Token::kAtKeyword;
        }
        if (StartsIdentSequence(0)) return IdentLike();
        if (c == '{') return Skip(1, Token::kOpenBrace);
        if (c == '}') return Skip(1, Token::kCloseBrace);
        if (c == ';') return Skip(1, Token::kSemicolon);
        return Skip(Bytes(at_));
    }

    std::string value;
    TextSpan span;

  private:
    char At(std::size_t ahead) const { return at_ + ahead < css_.size() ? css_[at_ + ahead] : '\x7F'; }
    bool AtEnd(std::size_t ahead = 0) const { return at_ + ahead >= css_.size(); }
    std::size_t Bytes(std::size_t at) const { return CharacterBytes(css_, at, charset_); }

    Token Skip(std::size_t bytes, Token token = Token::kOther) {
        at_ += bytes;
        return token;
    }

    void SkipComments() {
        while (css_.substr(at_, 2) == "/*") {
            const std::size_t end = css_.find("*/", at_ + 2);
            at_ = end == std::string_view::npos ? css_.size() : end + 2;
        }
    }

    bool IsValidEscape(std::size_t ahead) const {
        return At(ahead) == '\\' && !AtEnd(ahead) && (AtEnd(ahead + 1) || !IsNewline(css_[at_ + ahead + 1]));
    }

    bool StartsIdentSequence(std::size_t ahead) const {
        if (AtEnd(ahead)) return false;
        const char c = css_[at_ + ahead];
        if (c == '-')
            return (!AtEnd(ahead + 1) && (IsIdentStart(At(ahead + 1)) || At(ahead + 1) == '-')) ||
                   IsValidEscape(ahead + 1);
        return IsIdentStart(c) || IsValidEscape(ahead);
    }

    bool StartsNumber() const {
        std::size_t ahead = At(0) == '+' || At(0) == '-' ? 1 : 0;
        if (AtEnd(ahead)) return false;
        if (IsAsciiDigit(At(ahead))) return true;
        return At(ahead) == '.' && !AtEnd(ahead + 1) && IsAsciiDigit(At(ahead + 1));
    }

    // The escape at `at_` (just past the backslash), into `value`.
    void EscapedCodePoint() {
        if (AtEnd()) {
            AppendUtf8(0xFFFD, value);
            return;
        }
        if (HexDigitValue(css_[at_]) < 0) {
            TakeCharacter();
            return;
        }
        std::uint32_t code = 0;
        for (int digits = 0; digits < 6 && !AtEnd() && HexDigitValue(css_[at_]) >= 0; ++digits, ++at_) {
            const char c = css_[at_];
            code = code * 16 + std::uint32_t(HexDigitValue(c));
        }
        if (At(0) == '\r' && At(1) == '\n') {
            at_ += 2;
        } else if (!AtEnd() && IsAsciiWhitespace(css_[at_])) {
            ++at_;
        }
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
        AppendUtf8(code, value);
    }

    // One character of a name, string or url into `value`.
    void TakeCharacter() {
        const std::size_t bytes = Bytes(at_);
        if (css_[at_] == '\0') {
            AppendUtf8(0xFFFD, value);
        } else {
            value.append(css_.data() + at_, bytes);
        }
        at_ += bytes;
    }

    void IdentSequence() {
        while (!AtEnd()) {
            if (IsIdentCharacter(css_[at_])) {
                TakeCharacter();
            } else if (IsValidEscape(0)) {
                ++at_;
                EscapedCodePoint();
            } else {
                return;
            }
        }
    }

    Token String(char quote) {
        ++at_;
        span.start = at_;
        while (!AtEnd()) {
            const char c = css_[at_];
            if (c == quote) break;
            if (IsNewline(c)) {  // a bad string: its newline is read again
                span.end = at_;
                return Token::kOther;
            }
            if (c != '\\') {
                TakeCharacter();
            } else if (AtEnd(1)) {
                ++at_;
            } else if (IsNewline(css_[at_ + 1])) {
                at_ += At(1) == '\r' && At(2) == '\n' ? 3 : 2;
            } else {
                ++at_;
                EscapedCodePoint();
            }
        }
        span.end = at_;
        if (!AtEnd()) ++at_;
        return Token::kString;
    }

    Token Numeric() {
        if (At(0) == '+' || At(0) == '-') ++at_;
        while (IsAsciiDigit(At(0)) && !AtEnd()) ++at_;
        if (At(0) == '.' && IsAsciiDigit(At(1)) && !AtEnd(1)) {
            at_ += 2;
            while (IsAsciiDigit(At(0)) && !AtEnd()) ++at_;
        }
        const char e = At(0);
        if ((e == 'e' || e == 'E') && !AtEnd(1)) {
            const std::size_t sign = At(1) == '+' || At(1) == '-' ? 1 : 0;
            if (!AtEnd(1 + sign) && IsAsciiDigit(At(1 + sign))) {
                at_ += 1 + sign;
                while (IsAsciiDigit(At(0)) && !AtEnd()) ++at_;
            }
        }
        if (StartsIdentSequence(0)) {
            IdentSequence();
        } else if (At(0) == '%' && !AtEnd()) {
            ++at_;
        }
        return Token::kOther;
    }

    Token IdentLike() {
        IdentSequence();
        if (At(0) != '(' || AtEnd()) return Token::kOther;
        ++at_;
        if (!EqualsIgnoringAsciiCase(value, "url")) return Token::kOther;
        // Blanks before a quote belong to the function; "url(" with a string is a function.
        while (!AtEnd(1) && IsAsciiWhitespace(At(0)) && IsAsciiWhitespace(At(1))) ++at_;
        const std::size_t quote = !AtEnd() && IsAsciiWhitespace(At(0)) ? 1 : 0;
        if (!AtEnd(quote) && (At(quote) == '"' || At(quote) == '\'')) return Token::kUrlFunction;
        return Url();
    }

    // After "url(": the address up to ")", or a bad url that names nothing.
    Token Url() {
        value.clear();
        while (!AtEnd() && IsAsciiWhitespace(css_[at_])) ++at_;
        span = {at_, at_};
        while (!AtEnd()) {
            const char c = css_[at_];
            if (c == ')') {
                ++at_;
                return Token::kUrl;
            }
            if (IsAsciiWhitespace(c)) {
                while (!AtEnd() && IsAsciiWhitespace(css_[at_])) ++at_;
                if (AtEnd()) return Token::kUrl;
                if (css_[at_] == ')') {
                    ++at_;
                    return Token::kUrl;
                }
                return BadUrlRemnants();
            }
            if (c == '"' || c == '\'' || c == '(' || IsNonPrintable(c)) return BadUrlRemnants();
            if (c == '\\') {
                if (!IsValidEscape(0)) return BadUrlRemnants();
                ++at_;
                EscapedCodePoint();
            } else {
                TakeCharacter();
            }
            span.end = at_;
        }
        return Token::kUrl;
    }

    Token BadUrlRemnants() {
        while (!AtEnd() && css_[at_] != ')') {
            if (IsValidEscape(0)) {
                ++at_;
                EscapedCodePoint();
            } else {
                at_ += Bytes(at_);
            }
        }
        if (!AtEnd()) ++at_;
        return Token::kOther;
    }

    std::string_view css_;
    PageCharset charset_;
    std::size_t at_ = 0;
};

}  // namespace

std::vector<UrlAt> CssPictureUrls(std::string_view css, PageCharset charset) {
    std::vector<UrlAt> urls;
    CssTokenizer tokenizer(css, charset);
    bool inPrelude = false;         // of an @import or @namespace rule, up to its ";" or "{"
    bool fontFaceNext = false;      // the next block is an @font-face block
    int fontFaceDepth = 0;          // braces open inside an @font-face block
    bool afterUrlFunction = false;  // "url(" was read: the string that follows is the address
    for (Token token; (token = tokenizer.Next()) != Token::kEnd;) {
        const bool named = token == Token::kUrl || (token == Token::kString && afterUrlFunction);
        if (token != Token::kWhitespace) afterUrlFunction = token == Token::kUrlFunction;
        if (named && !inPrelude && fontFaceDepth == 0) urls.push_back({tokenizer.span, tokenizer.value});
        switch (token) {
            case Token::kAtKeyword:
                inPrelude = EqualsIgnoringAsciiCase(tokenizer.value, "import") ||
                            EqualsIgnoringAsciiCase(tokenizer.value, "namespace");
                fontFaceNext = EqualsIgnoringAsciiCase(tokenizer.value, "font-face");
                break;
            case Token::kSemicolon:
                inPrelude = false;
                fontFaceNext = false;
                break;
            case Token::kOpenBrace:
                if (fontFaceNext || fontFaceDepth > 0) ++fontFaceDepth;
                inPrelude = fontFaceNext = false;
                break;
            case Token::kCloseBrace:
                if (fontFaceDepth > 0) --fontFaceDepth;
                break;
            default:
                break;
        }
    }
    return urls;
}
