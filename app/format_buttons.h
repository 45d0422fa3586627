// The main window's format radio buttons: one for each format the window writes, numbered as
// the window stores its choice.
#pragma once

#include "pipeline/picture_formats.h"
#include "resources/resource_ids.h"

constexpr int FormatButton(int windowNumber) {
    return IDC_FORMAT_JPEG + windowNumber;
}

// The table numbers each format as its place; the buttons follow them.
static_assert(FormatButton(static_cast<int>(OutputFormat::kJpeg)) == IDC_FORMAT_JPEG &&
                  FormatButton(static_cast<int>(OutputFormat::kGif)) == IDC_FORMAT_GIF &&
                  FormatButton(static_cast<int>(OutputFormat::kBmp)) == IDC_FORMAT_BMP &&
                  FormatButton(kWindowFormatCount - 1) == IDC_FORMAT_BMP,
              "a button for each format the window writes, in the table's order");
