#include "page/html_tokenizer.h"

#include "page/ascii_text.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD, for a NUL in a name

enum class State {
    kData,
    kRcdata,
    kRawText,
    kScriptData,
    kTagOpen,
    kEndTagOpen,
    kTagName,
    // "</" in RCDATA, raw text and script data: an end tag only when it names the open element.
    kTextLessThan,
    kTextEndTagOpen,
    kTextEndTagName,
    kScriptDataLessThan,
    kScriptDataEscapeStart,
    kScriptDataEscapeStartDash,
    kScriptDataEscaped,
    kScriptDataEscapedDash,
    kScriptDataEscapedDashDash,
    kScriptDataEscapedLessThan,
    kScriptDataDoubleEscapeStart,
    kScriptDataDoubleEscaped,
    kScriptDataDoubleEscapedDash,
    kScriptDataDoubleEscapedDashDash,
    kScriptDataDoubleEscapedLessThan,
    kScriptDataDoubleEscapeEnd,
    kBeforeAttributeName,
    kAttributeName,
    kAfterAttributeName,
    kBeforeAttributeValue,
    kAttributeValueQuoted,
    kAttributeValueUnquoted,
    kAfterAttributeValueQuoted,
    kSelfClosingStartTag,
    kBogusComment,
    kMarkupDeclarationOpen,
    kCommentStart,
    kCommentStartDash,
    kComment,
    kCommentLessThan,
    kCommentLessThanBang,
    kCommentLessThanBangDash,
    kCommentLessThanBangDashDash,
    kCommentEndDash,
    kCommentEnd,
    kCommentEndBang,
};

bool IsTagEnd(char c) {
    return IsAsciiWhitespace(c) || c == '/' || c == '>';
}

class Tokenizer {
  public:
    Tokenizer(std::string_view page, HtmlTokenSink& sink) : page_(page), sink_(sink) {}

    void Run() {
        while (at_ < page_.size()) Step(page_[at_]);
        if (InText()) sink_.ElementText({textStart_, page_.size()});
    }

  private:
    // One step of the state machine on the byte at at_; a state that reconsumes it leaves at_.
    void Step(char c) {
        switch (state_) {
            case State::kData: {
                const std::size_t open = page_.find('<', at_);
                if (open == std::string_view::npos) {
                    at_ = page_.size();
                } else {
                    at_ = open + 1;
                    state_ = State::kTagOpen;
                }
                return;
            }
            case State::kRcdata:
            case State::kRawText:
            case State::kScriptData: {
                const std::size_t open = page_.find('<', at_);
                if (open == std::string_view::npos) {
                    at_ = page_.size();
                } else {
                    at_ = open + 1;
                    endTagAt_ = open;
                    state_ = state_ == State::kScriptData ? State::kScriptDataLessThan : State::kTextLessThan;
                }
                return;
            }
            case State::kTagOpen:
                if (c == '!') {
                    state_ = State::kMarkupDeclarationOpen;
                } else if (c == '/') {
                    state_ = State::kEndTagOpen;
                } else if (IsAsciiAlpha(c)) {
                    BeginTag(false);
                    state_ = State::kTagName;
                    return;
                } else if (c == '?') {
                    state_ = State::kBogusComment;
                    return;
                } else {
                    state_ = State::kData;
                    return;
                }
                break;
            case State::kEndTagOpen:
                if (IsAsciiAlpha(c)) {
                    BeginTag(true);
                    state_ = State::kTagName;
                    return;
                }
                state_ = c == '>' ? State::kData : State::kBogusComment;
                if (c != '>') return;
                break;
            case State::kTagName:
                if (IsTagEnd(c)) {
                    tag_.nameSpan.end = at_;
                    EndOfName(c);
                } else {
                    AppendToName(c);
                }
                break;
            case State::kTextLessThan:
                if (c == '/') {
                    state_ = State::kTextEndTagOpen;
                    break;
                }
                state_ = textState_;
                return;
            case State::kTextEndTagOpen:
                if (IsAsciiAlpha(c)) {
                    BeginTag(true);
                    state_ = State::kTextEndTagName;
                    return;
                }
                state_ = textState_;
                return;
            case State::kTextEndTagName:
                if (IsAsciiAlpha(c)) {
                    tag_.name += AsciiLower(c);
                    break;
                }
                if (IsTagEnd(c) && tag_.name == lastStartTag_) {
                    sink_.ElementText({textStart_, endTagAt_});
                    tag_.nameSpan.end = at_;
                    EndOfName(c);
                    break;
                }
                state_ = textState_;
                return;
            case State::kScriptDataLessThan:
                textState_ = State::kScriptData;
                if (c == '/') {
                    state_ = State::kTextEndTagOpen;
                } else if (c == '!') {
                    state_ = State::kScriptDataEscapeStart;
                } else {
                    state_ = State::kScriptData;
                    return;
                }
                break;
            case State::kScriptDataEscapeStart:
            case State::kScriptDataEscapeStartDash:
                if (c != '-') {
                    state_ = State::kScriptData;
                    return;
                }
                state_ = state_ == State::kScriptDataEscapeStart ? State::kScriptDataEscapeStartDash
                                                                 : State::kScriptDataEscapedDashDash;
                break;
            case State::kScriptDataEscaped:
            case State::kScriptDataEscapedDash:
            case State::kScriptDataEscapedDashDash:
                if (c == '-') {
                    state_ = state_ == State::kScriptDataEscaped ? State::kScriptDataEscapedDash
                                                                 : State::kScriptDataEscapedDashDash;
                } else if (c == '<') {
                    endTagAt_ = at_;
                    state_ = State::kScriptDataEscapedLessThan;
                } else if (c == '>' && state_ == State::kScriptDataEscapedDashDash) {
                    state_ = State::kScriptData;
                } else {
                    state_ = State::kScriptDataEscaped;
                }
                break;
            case State::kScriptDataEscapedLessThan:
                textState_ = State::kScriptDataEscaped;
                if (c == '/') {
                    state_ = State::kTextEndTagOpen;
                    break;
                }
                buffer_.clear();
                state_ = IsAsciiAlpha(c) ? State::kScriptDataDoubleEscapeStart : State::kScriptDataEscaped;
                return;
            case State::kScriptDataDoubleEscapeStart:
            case State::kScriptDataDoubleEscapeEnd: {
                // "<script" enters the double-escaped text, "</script" leaves it.
                if (IsAsciiAlpha(c)) {
                    buffer_ += AsciiLower(c);
                    break;
                }
                const bool entering = state_ == State::kScriptDataDoubleEscapeStart;
                const bool switches = IsTagEnd(c) && buffer_ == "script";
                state_ = entering == switches ? State::kScriptDataDoubleEscaped : State::kScriptDataEscaped;
                if (IsTagEnd(c)) break;
                return;
            }
            case State::kScriptDataDoubleEscaped:
            case State::kScriptDataDoubleEscapedDash:
            case State::kScriptDataDoubleEscapedDashDash:
                if (c == '-') {
                    state_ = state_ == State::kScriptDataDoubleEscaped
                                 ? State::kScriptDataDoubleEscapedDash
                                 : State::kScriptDataDoubleEscapedDashDash;
                } else if (c == '<') {
                    state_ = State::kScriptDataDoubleEscapedLessThan;
                } else if (c == '>' && state_ == State::kScriptDataDoubleEscapedDashDash) {
                    state_ = State::kScriptData;
                } else {
                    state_ = State::kScriptDataDoubleEscaped;
                }
                break;
            case State::kScriptDataDoubleEscapedLessThan:
                if (c == '/') {
                    buffer_.clear();
                    state_ = State::kScriptDataDoubleEscapeEnd;
                    break;
                }
                state_ = State::kScriptDataDoubleEscaped;
                return;
            case State::kBeforeAttributeName:
                if (IsAsciiWhitespace(c)) break;
                if (c == '/' || c == '>') {
                    state_ = State::kAfterAttributeName;
                    return;
                }
                BeginAttribute();
                state_ = State::kAttributeName;
                if (c == '=') break;  // the first character of the name
                return;
            case State::kAttributeName:
                if (IsTagEnd(c) || c == '=') {
                    attributeName_->end = at_;
                    state_ = c == '=' ? State::kBeforeAttributeValue : State::kAfterAttributeName;
                    if (c == '=') break;
                    return;
                }
                break;
            case State::kAfterAttributeName:
                if (IsAsciiWhitespace(c)) break;
                if (c == '/') {
                    state_ = State::kSelfClosingStartTag;
                } else if (c == '=') {
                    state_ = State::kBeforeAttributeValue;
                } else if (c == '>') {
                    EmitTag();
                } else {
                    BeginAttribute();
                    state_ = State::kAttributeName;
                    return;
                }
                break;
            case State::kBeforeAttributeValue:
                if (IsAsciiWhitespace(c)) break;
                if (c == '"' || c == '\'') {
                    quote_ = c;
                    attributeValue_ = AttributeValue{{at_ + 1, at_ + 1}, true};
                    state_ = State::kAttributeValueQuoted;
                    break;
                }
                if (c == '>') {  // "=" and no value: as if there were no "="
                    EmitTag();
                    break;
                }
                attributeValue_ = AttributeValue{{at_, at_}, false};
                state_ = State::kAttributeValueUnquoted;
                return;
            case State::kAttributeValueQuoted: {
                const std::size_t close = page_.find(quote_, at_);
                at_ = close == std::string_view::npos ? page_.size() : close;
                attributeValue_->span.end = at_;
                if (close != std::string_view::npos) {
                    state_ = State::kAfterAttributeValueQuoted;
                    ++at_;
                }
                return;
            }
            case State::kAttributeValueUnquoted:
                if (IsAsciiWhitespace(c) || c == '>') {
                    attributeValue_->span.end = at_;
                    if (c == '>') {
                        EmitTag();
                    } else {
                        state_ = State::kBeforeAttributeName;
                    }
                }
                break;
            case State::kAfterAttributeValueQuoted:
                if (c == '/') {
                    state_ = State::kSelfClosingStartTag;
                } else if (c == '>') {
                    EmitTag();
                } else {
                    state_ = State::kBeforeAttributeName;
                    if (!IsAsciiWhitespace(c)) return;
                }
                break;
            case State::kSelfClosingStartTag:
                if (c == '>') {
                    tag_.selfClosing = true;
                    EmitTag();
                    break;
                }
                state_ = State::kBeforeAttributeName;
                return;
            case State::kBogusComment:
                SkipPast(">");
                return;
            case State::kMarkupDeclarationOpen:
                MarkupDeclaration();
                return;
            case State::kCommentStart:
            case State::kCommentStartDash:
                if (c == '>') {
                    state_ = State::kData;
                } else if (c == '-') {
                    state_ = state_ == State::kCommentStart ? State::kCommentStartDash : State::kCommentEnd;
                } else {
                    state_ = State::kComment;
                    return;
                }
                break;
            case State::kComment:
                if (c == '<') state_ = State::kCommentLessThan;
                if (c == '-') state_ = State::kCommentEndDash;
                break;
            case State::kCommentLessThan:
                if (c == '<') break;
                state_ = c == '!' ? State::kCommentLessThanBang : State::kComment;
                if (c == '!') break;
                return;
            case State::kCommentLessThanBang:
                state_ = c == '-' ? State::kCommentLessThanBangDash : State::kComment;
                if (c == '-') break;
                return;
            case State::kCommentLessThanBangDash:
                state_ = c == '-' ? State::kCommentLessThanBangDashDash : State::kCommentEndDash;
                if (c == '-') break;
                return;
            case State::kCommentLessThanBangDashDash:
                state_ = State::kCommentEnd;
                return;
            case State::kCommentEndDash:
                state_ = c == '-' ? State::kCommentEnd : State::kComment;
                if (c == '-') break;
                return;
            case State::kCommentEnd:
                if (c == '>') {
                    state_ = State::kData;
                } else if (c == '!') {
                    state_ = State::kCommentEndBang;
                } else if (c != '-') {
                    state_ = State::kComment;
                    return;
                }
                break;
            case State::kCommentEndBang:
                if (c == '-') {
                    state_ = State::kCommentEndDash;
                } else if (c == '>') {
                    state_ = State::kData;
                } else {
                    state_ = State::kComment;
                    return;
                }
                break;
        }
        ++at_;
    }

    bool InText() const {
        return state_ == State::kRcdata || state_ == State::kRawText || state_ == State::kScriptData ||
               (state_ >= State::kTextLessThan && state_ <= State::kScriptDataDoubleEscapeEnd);
    }

    // After "<!": a comment, a DOCTYPE (whose every form ends at its first ">"), a CDATA section,
    // or a bogus comment.
    void MarkupDeclaration() {
        const std::string_view rest = page_.substr(at_);
        if (rest.substr(0, 2) == "--") {
            at_ += 2;
            state_ = State::kCommentStart;
        } else if (rest.size() >= 7 && EqualsIgnoringAsciiCase(rest.substr(0, 7), "doctype")) {
            SkipPast(">");
        } else if (rest.substr(0, 7) == "[CDATA[" && sink_.CdataAllowed()) {
            at_ += 7;
            SkipPast("]]>");
        } else {
            SkipPast(">");
        }
    }

    void SkipPast(std::string_view end) {
        const std::size_t found = page_.find(end, at_);
        at_ = found == std::string_view::npos ? page_.size() : found + end.size();
        state_ = State::kData;
    }

    void BeginTag(bool end) {
        endTag_ = end;
        tag_.name.clear();
        tag_.nameSpan = {at_, at_};
        tag_.selfClosing = false;
        attributeName_.reset();
    }

    void AppendToName(char c) {
        if (c == '\0')
            tag_.name += kReplacement;
        else
            tag_.name += AsciiLower(c);
    }

    // The character after a tag's name: blank, "/" or ">".
    void EndOfName(char c) {
        if (c == '>') {
            EmitTag();
        } else {
            state_ = c == '/' ? State::kSelfClosingStartTag : State::kBeforeAttributeName;
        }
    }

    void BeginAttribute() {
        ReportAttribute();
        attributeName_ = TextSpan{at_, at_};
        attributeValue_.reset();
    }

    void ReportAttribute() {
        if (!attributeName_) return;
        const TextSpan name = *attributeName_;
        sink_.Attribute(page_.substr(name.start, name.end - name.start), attributeValue_);
        attributeName_.reset();
    }

    // The tag ends at the ">" at at_.
    void EmitTag() {
        ReportAttribute();
        state_ = State::kData;
        if (endTag_) {
            sink_.EndTag(tag_);
            return;
        }
        lastStartTag_ = tag_.name;
        textStart_ = at_ + 1;
        switch (sink_.StartTag(tag_)) {
            case HtmlText::kData:
                break;
            case HtmlText::kRcdata:
                state_ = textState_ = State::kRcdata;
                break;
            case HtmlText::kRawText:
                state_ = textState_ = State::kRawText;
                break;
            case HtmlText::kScriptData:
                state_ = textState_ = State::kScriptData;
                break;
            case HtmlText::kPlainText:
                sink_.ElementText({textStart_, page_.size()});
                at_ = page_.size();
                break;
        }
    }

    std::string_view page_;
    HtmlTokenSink& sink_;
    std::size_t at_ = 0;
    State state_ = State::kData;
    State textState_ = State::kData;  // the text state that a "<" that starts no end tag returns to
    HtmlTag tag_;
    bool endTag_ = false;
    std::optional<TextSpan> attributeName_;  // of the attribute being read, if any
    std::optional<AttributeValue> attributeValue_;
    char quote_ = '"';
    std::string lastStartTag_;
    std::size_t textStart_ = 0;  // where the text of the element read as text begins
    std::size_t endTagAt_ = 0;   // the "<" of the end tag that may end it
    std::string buffer_;         // the letters after "<" or "</" in escaped script data
};

}  // namespace

void TokenizeHtml(std::string_view page, HtmlTokenSink& sink) {
    Tokenizer(page, sink).Run();
}
