// The colours a palette file's entries are shown in: corrected from the file's gamma to the
// screen's and composed over the background by their tRNS alpha. libpng leaves the palette as
// the file has it, so the reader works this out itself.
#pragma once

#include <cstdint>

#include "platform/kernel.h"

struct PaletteEntry {
    std::uint8_t red, green, blue;
};

struct PaletteLight {
    // The file's gamma (gAMA, or sRGB's 1/2.2); 0 when it states none: then the entries are
    // shown as stored and composed as stored, not in linear light.
    double fileGamma = 0;
    // The background: the file's own (bKGD, in the file's gamma) or else the caller's colour,
    // in the screen's.
    PaletteEntry background{255, 255, 255};
    bool backgroundInFileGamma = false;
};

// The table entry of a palette entry with its alpha (255 when tRNS names none).
RGBQUAD ShownPaletteEntry(const PaletteEntry& entry, int alpha, const PaletteLight& light);
