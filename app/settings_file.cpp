#include "app/settings_file.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "app/source_path.h"
#include "platform/kernel.h"

namespace {

std::string ReadText(const std::string& file, const char* key, const char* fallback, DWORD size) {
    std::vector<char> buffer(size);
    GetPrivateProfileStringA(kSettingsSection, key, fallback, buffer.data(), size, file.c_str());
    return buffer.data();
}

int ReadNumber(const std::string& file, const char* key, const char* fallback, int low, int high) {
    return std::clamp(ProfileNumber(ReadText(file, key, fallback, 16).c_str()), low, high);
}

void WriteNumber(const std::string& file, const char* key, long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    WritePrivateProfileStringA(kSettingsSection, key, text, file.c_str());
}

}  // namespace

int ProfileNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = std::min(value * 10 + (*text - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : std::min<long long>(value, INT_MAX);
    return static_cast<int>(value);
}

PixelRect ParseStoredRect(const char* text) {
    int values[4];
    int consumed = 0;
    // Each number as atoi would read it, separated by single commas.
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (text[consumed] != ',') return {};
            ++consumed;
        }
        const char* start = text + consumed;
        const char* p = start;
        while (*p == ' ' || *p == '\t') ++p;
        if (*p == '-' || *p == '+') ++p;
        if (*p < '0' || *p > '9') return {};
        while (*p >= '0' && *p <= '9') ++p;
        values[i] = ProfileNumber(start);
        consumed = static_cast<int>(p - text);
    }
    return {values[0], values[1], values[2], values[3]};
}

std::string FormatStoredRect(const PixelRect& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

WindowSettings ReadWindowSettings(const std::string& file) {
    WindowSettings settings;
    settings.rect = ParseStoredRect(ReadText(file, "Rect", "", 64).c_str());
    settings.inputFile = ReadText(file, "InputFile", "", 1024);
    if (settings.inputFile.size() >= kSourcePathSize) settings.inputFile.clear();
    settings.backColor =
        static_cast<unsigned>(ProfileNumber(ReadText(file, "BackColor", "16777215", 16).c_str()));
    settings.sizeChange = ReadNumber(file, "SizeChange", "1", 0, 3);
    settings.format = ReadNumber(file, "Format", "0", 0, kWindowFormatCount - 1);
    settings.jpegQuality = ReadNumber(file, "JpegQuality", "80", 30, 100);
    settings.pixel = ReadNumber(file, "Pixel", "430", 64, 800);
    return settings;
}

unsigned ReadSettingsWord(const std::string& file) {
    return static_cast<unsigned>(ProfileNumber(ReadText(file, "flags", "0", 16).c_str())) | kStartedBit;
}

void WriteSettingsWord(const std::string& file, unsigned word) {
    WriteNumber(file, "flags", static_cast<int>(word));
}

void StoreWindowRect(const std::string& file, const PixelRect& rect) {
    WritePrivateProfileStringA(kSettingsSection, "Rect", FormatStoredRect(rect).c_str(), file.c_str());
}

void StoreConversionSettings(const std::string& file, const StoredOutputSettings& settings,
                             const std::string& sourcePath) {
    WriteNumber(file, "SizeChange", settings.sizeChange);
    WriteNumber(file, "Format", settings.format);
    WriteNumber(file, "JpegQuality", settings.jpegQuality);
    WriteNumber(file, "Pixel", settings.pixel);
    if (!sourcePath.empty()) {
        WritePrivateProfileStringA(kSettingsSection, "InputFile", sourcePath.c_str(), file.c_str());
    }
}
