// The output choices of a conversion: format, resize method, quality and side length.
#pragma once

#include <optional>

#include "pipeline/picture_formats.h"

// Combo index; any value other than these keeps the picture's size.
enum ResizeMethod { kKeepSize = 0, kLimitWidth = 1, kFixWidth = 2, kFitSquare = 3 };

// An edit control's text as an unsigned number: digits with optional surrounding blanks;
// anything else, a sign included, is no number.
std::optional<unsigned> ParseControlNumber(const char* text);

// Quality and side length as the conversion uses and stores them: a text that is no number
// gives the default, a number is clamped to the range.
constexpr int kMinJpegQuality = 10, kMaxJpegQuality = 100, kDefaultJpegQuality = 80;
constexpr int kMinSideLength = 64, kMaxSideLength = 5000, kDefaultSideLength = 430;
int ClampJpegQuality(const char* text);
int ClampSideLength(const char* text);
