#include "page/markup_nesting.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "page/ascii_text.h"

namespace {

bool IsTagNameEnd(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '/' || c == '>';
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&name](const char* n) { return name == n; });
}

// Elements that hold no others, and those that the next of their kind (or their parent's end)
// closes, so that they never nest deep.
bool NeverNests(const std::string& name) {
    return IsOneOf(name, {"area",  "base", "basefont", "bgsound", "br",    "col",   "embed",   "frame",
                          "hr",    "img",  "input",    "keygen",  "link",  "meta",  "param",   "source",
                          "track", "wbr",  "p",        "li",      "dt",    "dd",    "option",  "optgroup",
                          "tr",    "td",   "th",       "thead",   "tbody", "tfoot", "caption", "colgroup",
                          "rb",    "rt",   "rtc",      "rp",      "html",  "head",  "body"});
}

// Elements whose text the parser reads to their end tag without looking for others.
bool HoldsRawText(const std::string& name) {
    return IsOneOf(name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"});
}

class TagReader {
  public:
    explicit TagReader(std::string_view page) : page_(page) {}

    std::uint64_t Work() {
        std::uint64_t work = 0;
        while ((at_ = page_.find('<', at_)) != std::string_view::npos) {
            ++at_;
            if (page_.compare(at_, 3, "!--") == 0) {
                SkipPast("-->", at_ + 3);
            } else if (At(0) == '!' || At(0) == '?') {
                SkipPast(">", at_);
            } else if (At(0) == '/' && IsAsciiAlpha(At(1))) {
                ++at_;
                Close(Name());
                SkipTag();
            } else if (IsAsciiAlpha(At(0))) {
                const std::string name = Name();
                SkipTag();
                if (name == "plaintext") break;
                if (HoldsRawText(name)) SkipPastEndTag(name);
                if (!NeverNests(name)) Open(name);
            } else {
                continue;
            }
            work += open_.size();
        }
        return work;
    }

  private:
    char At(std::size_t ahead) const { return at_ + ahead < page_.size() ? page_[at_ + ahead] : '\0'; }

    void SkipPast(std::string_view end, std::size_t from) {
        const std::size_t found = page_.find(end, from);
        at_ = found == std::string_view::npos ? page_.size() : found + end.size();
    }

    // The tag name at at_, in lower case.
    std::string Name() {
        std::string name;
        for (; at_ < page_.size() && !IsTagNameEnd(page_[at_]); ++at_) name += AsciiLower(page_[at_]);
        return name;
    }

    // Past the ">" that ends the tag, passing over quoted attribute values.
    void SkipTag() {
        for (char quote = 0; at_ < page_.size(); ++at_) {
            const char c = page_[at_];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                if (page_[at_ - 1] == '=' || IsTagNameEnd(page_[at_ - 1])) quote = c;
            } else if (c == '>') {
                ++at_;
                return;
            }
        }
    }

    void SkipPastEndTag(const std::string& name) {
        for (; (at_ = page_.find("</", at_)) != std::string_view::npos; at_ += 2) {
            if (at_ + 2 + name.size() > page_.size()) break;
            std::size_t i = 0;
            while (i < name.size() && AsciiLower(page_[at_ + 2 + i]) == name[i]) ++i;
            if (i == name.size()) return;
        }
        at_ = page_.size();
    }

    void Open(const std::string& name) {
        open_.push_back(name);
        ++counts_[name];
    }

    void Close(const std::string& name) {
        auto count = counts_.find(name);
        if (count == counts_.end() || count->second == 0) return;
        while (true) {
            const std::string top = std::move(open_.back());
            open_.pop_back();
            --counts_[top];
            if (top == name) return;
        }
    }

    std::string_view page_;
    std::size_t at_ = 0;
    std::vector<std::string> open_;
    std::unordered_map<std::string, std::size_t> counts_;
};

}  // namespace

std::uint64_t NestingWork(std::string_view page) {
    return TagReader(page).Work();
}
