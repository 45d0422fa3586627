#include "testpage/hidden_variants.h"

#include <cctype>
#include <string>

namespace {

std::optional<std::uint32_t> BitNamed(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "original") return kHideOriginal;
    if (name == "gif") return kHideGif;
    if (name == "bmp") return kHideBmp;
    for (int quality : kPageQualities) {
        if (name == "q" + std::to_string(quality)) return HideBitForQuality(quality);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> ParseHiddenVariants(const char* list) {
    const std::string text = list;
    std::uint32_t bits = 0;
    if (text.empty()) return bits;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::optional<std::uint32_t> bit = BitNamed(text.substr(start, end - start));
        if (!bit) return std::nullopt;
        bits |= *bit;
        start = end + 1;
    }
    return bits;
}
