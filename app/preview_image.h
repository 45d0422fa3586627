// The preview box's picture: a 24-bit bitmap as large as the box, the current picture drawn into
// it centred on the background colour and scaled down when it is larger than the box.
#pragma once

#include "core/packed_bitmap.h"

// Blue, green, red.
constexpr BYTE kPreviewBackground[3] = {0x80, 0xBA, 0xBA};

struct PreviewPlacement {
    int width, height;  // of the picture as shown
    int x, y;           // its top-left corner in the box, rows counted from the top
    bool scaled;        // false: shown 1:1
};

// A picture larger than the box in either direction is scaled by the larger of the two ratios; a
// smaller one is shown 1:1. A scaled side never drops below one pixel.
PreviewPlacement PlacePreview(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight);

// A 24-bit bitmap of the box's size in the background colour; null when a side is below 1 or
// memory is short.
GlobalBlock CreatePreviewImage(int boxWidth, int boxHeight);

// Fills the background and draws the 24-bit picture of the recorded size into it; false, with the
// preview untouched, when the picture cannot be scaled or read.
bool DrawPreview(BITMAPINFOHEADER* preview, PackedBitmap picture, int width, int height);
