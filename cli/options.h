// The command line of korvi-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/output_settings.h"
#include "core/picture_loader.h"

struct CliOptions {
    int resizeMethod = kLimitWidth;
    OutputFormat format = OutputFormat::kJpeg;
    std::string qualityText = "80";
    std::string sideText = "430";
    std::string outputPath;  // empty or "-": standard output
    std::string picturePath;
    std::string testPagePath;  // not empty: write the test page there instead of the tag
    std::uint32_t hiddenVariants = 0;
    std::uint32_t background = kDefaultBackColor;  // COLORREF under transparent PNG pixels
    bool help = false;
    bool version = false;
};

// The options, or the reason they are not usable.
struct ParsedCommandLine {
    std::optional<CliOptions> options;
    std::string error;
};

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// One line for each option value that the conversion replaces, as the window does: a text
// that is no number by the default, a number out of range by the nearest limit.
std::vector<std::string> ReplacedValueNotes(const CliOptions& options);

extern const char kUsage[];
extern const char kVersion[];
