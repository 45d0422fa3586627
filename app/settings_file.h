// The settings file: section "minicon", its keys, their defaults and the clamps applied when the
// main window reads them.
#pragma once

#include <string>

#include "app/screen_geometry.h"
#include "pipeline/conversion.h"

constexpr char kSettingsSection[] = "minicon";
constexpr char kSettingsFileName[] = "korvi.ini";
constexpr unsigned kStartedBit = 0x1;

// A stored number as atoi reads it (blanks, a sign, digits, anything after ignored), saturated to
// the int range instead of overflowing.
int ProfileNumber(const char* text);

// "l,t,r,b" as four numbers; all four are 0 when any is missing.
PixelRect ParseStoredRect(const char* text);
std::string FormatStoredRect(const PixelRect& rect);

// What the main window takes from the settings file when it opens.
struct WindowSettings {
    PixelRect rect;         // all zero when none is stored
    std::string inputFile;  // empty when none is stored or it does not fit the source path
    unsigned backColor;     // COLORREF for transparent pixels
    int sizeChange;         // 0..3
    int format;             // a window format's number, 0..2
    int jpegQuality;        // 30..100
    int pixel;              // 64..800
};

WindowSettings ReadWindowSettings(const std::string& settingsFile);

// The settings word: read with bit 0x1 set, written back at exit.
unsigned ReadSettingsWord(const std::string& settingsFile);
void WriteSettingsWord(const std::string& settingsFile, unsigned word);

void StoreWindowRect(const std::string& settingsFile, const PixelRect& rect);

// What a conversion stores, in its order: the four output settings, then the source path when
// there is one.
void StoreConversionSettings(const std::string& settingsFile, const StoredOutputSettings& settings,
                             const std::string& sourcePath);
