#include "app/drop_rules.h"

#include <algorithm>

#include "app/source_path.h"
#include "pipeline/picture_formats.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A picture's whole extension, so that a text naming another file (a .pdf, a .js) is not taken for
// a picture by its first letter.
bool NamesPictureFile(const char* text, const std::function<bool(const char* path)>& isFile) {
    return HasPictureExtension(text) && isFile(text);
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

std::string_view TrimDroppedText(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimClipboardText(std::string_view text) {
    text = TrimDroppedText(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

std::optional<DropKind> ClassifyDroppedText(std::string_view text, bool acceptedAsUrl) {
    if (acceptedAsUrl && !HasControlCharacter(text)) {
        if (text.size() < kDroppedItemSize) return DropKind::kUrl;
        return std::nullopt;
    }
    if (text.size() < kDroppedTextLimit) return DropKind::kText;
    return std::nullopt;
}

DropPlan PlanDrop(DropKind kind, const char* item, const char* text,
                  const std::function<bool(const char* path)>& isFile) {
    switch (kind) {
        case DropKind::kUrl:
            return {DropPlan::kDownload, item};
        case DropKind::kFiles: {
            const std::size_t length = std::string_view(item).size();
            if (length == 0 || length >= kSourcePathSize) return {DropPlan::kRefuse, {}};
            return {DropPlan::kLoad, item};
        }
        case DropKind::kText:
            if (text == nullptr || std::string_view(text).size() >= kClipboardPathSize ||
                !NamesPictureFile(text, isFile)) {
                return {};
            }
            return {DropPlan::kLoad, text};
    }
    return {};
}
