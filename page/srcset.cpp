#include "page/srcset.h"

#include "page/ascii_text.h"

namespace {

// The end of the descriptors that begin at `at`: just past the comma that ends the candidate, or
// the end of the value. A comma inside parentheses does not end it.
std::size_t DescriptorsEnd(std::string_view value, std::size_t at) {
    enum { kInDescriptor, kInParens, kAfterDescriptor } state = kInDescriptor;
    for (; at < value.size(); ++at) {
        const char c = value[at];
        switch (state) {
            case kInDescriptor:
                if (IsAsciiWhitespace(c)) state = kAfterDescriptor;
                if (c == ',') return at + 1;
                if (c == '(') state = kInParens;
                break;
            case kInParens:
                if (c == ')') state = kInDescriptor;
                break;
            case kAfterDescriptor:
                if (!IsAsciiWhitespace(c)) {
                    state = kInDescriptor;
                    --at;  // read it again
                }
                break;
        }
    }
    return at;
}

}  // namespace

std::vector<TextSpan> SrcsetUrls(std::string_view value) {
    std::vector<TextSpan> urls;
    std::size_t at = 0;
    while (true) {
        while (at < value.size() && (IsAsciiWhitespace(value[at]) || value[at] == ',')) ++at;
        if (at == value.size()) return urls;
        TextSpan url{at, at};
        while (at < value.size() && !IsAsciiWhitespace(value[at])) ++at;
        url.end = at;
        if (value[url.end - 1] == ',') {
            while (value[url.end - 1] == ',') --url.end;
        } else {
            while (at < value.size() && IsAsciiWhitespace(value[at])) ++at;
            at = DescriptorsEnd(value, at);
        }
        urls.push_back(url);
    }
}
