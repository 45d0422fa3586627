// The bits of the settings word that hide variants of the test page; a set bit hides one.
#pragma once

#include <cstdint>
#include <optional>

constexpr std::uint32_t kHideBmp = 0x20;
constexpr std::uint32_t kHideGif = 0x40;
constexpr std::uint32_t kHideOriginal = 0x20000;

// The JPEG qualities of the page, 100 down to 10 in steps of 10.
constexpr int kPageQualities[] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};

// 0x10000 for quality 100 down to 0x80 for quality 10.
constexpr std::uint32_t HideBitForQuality(int quality) {
    return 0x80u << (quality / 10 - 1);
}

// The bits for a comma-separated list of variant names: original, gif, bmp, q10 to q100
// (letters in either case); nothing when a name is unknown. An empty list hides nothing.
std::optional<std::uint32_t> ParseHiddenVariants(const char* list);
