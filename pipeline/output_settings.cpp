#include "pipeline/output_settings.h"

#include <algorithm>
#include <climits>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int ClampNumber(const char* text, int fallback, int low, int high) {
    std::optional<unsigned> number = ParseControlNumber(text);
    if (!number) return fallback;
    return static_cast<int>(std::clamp<unsigned>(*number, low, high));
}

}  // namespace

std::optional<unsigned> ParseControlNumber(const char* text) {
    if (text == nullptr) return std::nullopt;
    while (IsBlank(*text)) ++text;
    if (*text < '0' || *text > '9') return std::nullopt;
    unsigned long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > UINT_MAX) return std::nullopt;
    }
    while (IsBlank(*text)) ++text;
    if (*text != '\0') return std::nullopt;
    return static_cast<unsigned>(value);
}

int ClampJpegQuality(const char* text) {
    return ClampNumber(text, kDefaultJpegQuality, kMinJpegQuality, kMaxJpegQuality);
}

int ClampSideLength(const char* text) {
    return ClampNumber(text, kDefaultSideLength, kMinSideLength, kMaxSideLength);
}
