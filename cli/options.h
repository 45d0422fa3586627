// The command line of korvi-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/faithful_choice.h"
#include "pipeline/output_settings.h"
#include "pipeline/picture_loader.h"

// What is printed for each picture.
enum class TagForm {
    kImg,       // <img src="data:..."> as the window makes it
    kUri,       // data:...
    kCss,       // background-image: url("data:...")
    kMarkdown,  // ![](data:...)
};

// The most bytes a picture may have for --inline to put it in the page: Vite's limit, between
// mod_pagespeed's 2 KB (3 KB in style sheets) and webpack's 8 KB.
constexpr std::uint64_t kDefaultInlineLimit = 4096;

struct CliOptions {
    int resizeMethod = kLimitWidth;
    bool sizingGiven = false;  // -m or -s
    OutputFormat format = OutputFormat::kJpeg;
    bool formatGiven = false;
    std::string qualityText = "80";  // as given; `quality` as the window takes such a text
    int quality = kDefaultJpegQuality;
    bool autoQuality = false;        // -q auto: the highest quality within maxBytes
    bool autoFormat = false;         // -f auto: the smallest faithful line of every format
    bool lossless = false;           // --lossless: the lossless form of WebP or AVIF
    std::optional<double> minScore;  // --min-score: the SSIMULACRA2 score -f auto takes as faithful
    std::string sideText = "430";
    int side = kDefaultSideLength;
    std::string outputPath;             // empty or "-": standard output
    std::vector<std::string> pictures;  // paths, web addresses, "-" for standard input
    unsigned jobs = 0;                  // threads; 0: one per processor
    TagForm form = TagForm::kImg;
    bool withSize = false;
    std::optional<std::string> alt;
    std::optional<std::uint64_t> maxBytes;
    std::string testPagePath;  // not empty: write the test page there instead of the tag
    std::uint32_t hiddenVariants = 0;
    std::string inlinePage;  // --inline: the page or style sheet to rewrite
    std::uint64_t inlineLimit = kDefaultInlineLimit;
    bool inlineLimitGiven = false;
    std::string root;                              // --root: the folder of the page's root-relative addresses
    bool placeholder = false;                      // --placeholder: the tiny preview instead of the picture
    bool webpVariants = false;                     // --webp: the test page shows WebP too
    bool avifVariants = false;                     // --avif: -f auto and the test page take AVIF too
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
