#include "cli/options.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "testpage/hidden_variants.h"

const char kUsage[] =
    "usage: korvi-cli [OPTION...] PICTURE...\n"
    "       korvi-cli [-m METHOD] [-s SIDE] [--hide LIST] [--webp] [--avif] --test-page FILE PICTURE\n"
    "       korvi-cli [OPTION...] --inline PAGE [--inline-limit N] [--root DIR] [--placeholder]\n"
    "Converts each PICTURE (a file, an http:// or https:// address, or - for standard input)\n"
    "into one line of HTML, <img src=\"data:...;base64,...\">, in the order given.\n"
    "  -m METHOD   0 keep the size, 1 limit the width (default), 2 fix the width,\n"
    "              3 fit into a square of SIDE pixels\n"
    "  -s SIDE     side length in pixels, 64 to 5000 (default 430)\n"
    "  -f FORMAT   jpeg (default), gif, bmp, png, webp, avif, or auto: the smallest\n"
    "              line of them all that still looks like the picture (see --min-score)\n"
    "  -q QUALITY  JPEG, WebP or AVIF quality, 10 to 100 (default 80); auto: the\n"
    "              highest quality whose line fits --max-bytes\n"
    "  --lossless  with -f webp or -f avif: lossless WebP or AVIF\n"
    "  --min-score S  with -f auto: the SSIMULACRA2 score, 0 to 100, from which a lossy\n"
    "              JPEG, WebP or AVIF line counts as faithful to the picture (default 78;\n"
    "              90: no difference shows at 1:1, 70: high quality)\n"
    "  -b RRGGBB   colour under transparent PNG, WebP and AVIF pixels where the file\n"
    "              names none (default ffffff, white)\n"
    "  --as FORM   img (default), uri (the bare data URI), css (a background-image\n"
    "              declaration) or md (a Markdown image)\n"
    "  --size      add the picture's width and height to the img tag\n"
    "  --alt TEXT  add an alt attribute to the img tag, or alt text to the md image\n"
    "  --max-bytes N  fail for a picture whose line is longer than N bytes; with\n"
    "              -f auto: the smallest faithful line that fits, else the most\n"
    "              faithful line that fits\n"
    "  -j N        convert N pictures at a time (default: one per processor)\n"
    "  -o FILE     write the lines to FILE (- for standard output); FILE is replaced\n"
    "              only once every line is written\n"
    "  --test-page FILE  write an HTML page to FILE that shows the picture as GIF, as JPEG\n"
    "              at qualities 100 to 10 and as BMP, each with its size and a copy button\n"
    "  --hide LIST leave variants out of the test page: original,gif,bmp,q100,...,q10\n"
    "  --webp      show WebP on the test page too, lossless and at qualities 100 to 10\n"
    "  --inline PAGE  write the HTML page or .css style sheet with each of its local\n"
    "              pictures of at most --inline-limit bytes as a data URI (-f auto and\n"
    "              -m 0 unless given), to standard output or -o FILE\n"
    "  --inline-limit N  the most bytes an inlined picture may have (default 4096)\n"
    "  --root DIR  the folder of the page's root-relative addresses, /img/a.png\n"
    "              (default: the page's own folder)\n"
    "  --placeholder  print a tiny blurred preview of each PICTURE instead of it; with\n"
    "              --inline, put one behind each img whose picture stays a link\n"
    "  --avif      with -f auto: consider lossy AVIF too (the shortest photographs,\n"
    "              at several times the time); with --test-page: show AVIF too,\n"
    "              lossless and at qualities 100 to 10\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

const char kVersion[] = "korvi-cli 1.02\n";

namespace {

std::optional<TagForm> FormNamed(const char* name) {
    if (std::strcmp(name, "img") == 0) return TagForm::kImg;
    if (std::strcmp(name, "uri") == 0) return TagForm::kUri;
    if (std::strcmp(name, "css") == 0) return TagForm::kCss;
    if (std::strcmp(name, "md") == 0) return TagForm::kMarkdown;
    return std::nullopt;
}

constexpr unsigned kMaxJobs = 256;

// The note for one value, or nothing when the conversion uses it as given.
std::optional<std::string> NoteFor(const char* option, const std::string& text, int used, const char* what,
                                   int low, int high) {
    const std::optional<unsigned> given = ParseControlNumber(text.c_str());
    if (given && *given == static_cast<unsigned>(used)) return std::nullopt;
    const std::string why =
        given ? " is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")"
              : " is not a number";
    return std::string(option) + " " + text + why + ", so " + what + " " + std::to_string(used) + " is used";
}

// A decimal number in any of its forms (78, 78.5, .5, 7.85e1), nothing else.
std::optional<double> DecimalNamed(const char* text) {
    const char* end = text + std::strspn(text, "0123456789");
    const bool whole = end != text;
    if (*end == '.') end += 1 + std::strspn(end + 1, "0123456789");
    if (!whole && end - text < 2) return std::nullopt;
    if (*end == 'e' || *end == 'E') {
        const char* exponent = end + 1 + (end[1] == '+' || end[1] == '-');
        const std::size_t digits = std::strspn(exponent, "0123456789");
        if (digits == 0) return std::nullopt;
        end = exponent + digits;
    }
    if (*end != '\0') return std::nullopt;
    return std::strtod(text, nullptr);
}

// A number of bytes in decimal digits, 1 or more, that an unsigned 64-bit number holds: more than
// any line can ever be.
std::optional<std::uint64_t> ByteCount(const char* text) {
    if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text)) return std::nullopt;
    errno = 0;
    const unsigned long long count = std::strtoull(text, nullptr, 10);
    if (errno == ERANGE || count == 0) return std::nullopt;
    return std::uint64_t(count);
}

// RRGGBB in hexadecimal, with or without a leading "#", as a COLORREF (0x00BBGGRR).
std::optional<std::uint32_t> ColourNamed(const char* text) {
    if (*text == '#') ++text;
    if (std::strlen(text) != 6 || std::strspn(text, "0123456789abcdefABCDEF") != 6) return std::nullopt;
    const std::uint32_t rgb = std::uint32_t(std::strtoul(text, nullptr, 16));
    return (rgb >> 16) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

bool IsOptionWithValue(const std::string& option) {
    for (const char* name :
         {"-m", "-s", "-f", "-q", "-b", "-o", "-j", "--as", "--alt", "--max-bytes", "--min-score",
          "--min-ssim", "--test-page", "--hide", "--inline", "--inline-limit", "--root"}) {
        if (option == name) return true;
    }
    return false;
}

// Stores the value of an option; the reason it is not usable otherwise.
std::optional<std::string> TakeValue(const std::string& option, const char* value, CliOptions& options) {
    if (option == "-m") {
        std::optional<unsigned> method = ParseControlNumber(value);
        if (!method || *method > kFitSquare) return "-m takes 0, 1, 2 or 3";
        options.resizeMethod = static_cast<int>(*method);
        options.sizingGiven = true;
    } else if (option == "-f") {
        options.autoFormat = std::strcmp(value, "auto") == 0;
        const PictureFormat* format = FormatForWord(value);
        if (format == nullptr && !options.autoFormat) return "-f takes " + FormatWords() + " or auto";
        if (format != nullptr) options.format = format->id;
        options.formatGiven = true;
    } else if (option == "-s") {
        options.sideText = value;
        options.side = ClampSideLength(value);
        options.sizingGiven = true;
    } else if (option == "-q") {
        options.autoQuality = std::strcmp(value, "auto") == 0;
        options.qualityText = value;
        options.quality = ClampJpegQuality(value);
    } else if (option == "-b") {
        std::optional<std::uint32_t> colour = ColourNamed(value);
        if (!colour) return "-b takes a colour as RRGGBB, such as ffffff";
        options.background = *colour;
    } else if (option == "-o") {
        options.outputPath = value;
    } else if (option == "-j") {
        std::optional<unsigned> jobs = ParseControlNumber(value);
        if (!jobs || *jobs < 1 || *jobs > kMaxJobs) return "-j takes a number of threads from 1 to 256";
        options.jobs = *jobs;
    } else if (option == "--as") {
        std::optional<TagForm> form = FormNamed(value);
        if (!form) return "--as takes img, uri, css or md";
        options.form = *form;
    } else if (option == "--alt") {
        options.alt = value;
    } else if (option == "--max-bytes" || option == "--inline-limit") {
        std::optional<std::uint64_t> bytes = ByteCount(value);
        if (!bytes)
            return option + " takes a number of bytes from 1 to " +
                   std::to_string(std::numeric_limits<std::uint64_t>::max());
        if (option == "--max-bytes") {
            options.maxBytes = *bytes;
        } else {
            options.inlineLimit = *bytes;
            options.inlineLimitGiven = true;
        }
    } else if (option == "--min-score") {
        std::optional<double> score = DecimalNamed(value);
        if (!score || *score > 100) return "--min-score takes a number from 0 to 100, such as 78";
        options.minScore = *score;
    } else if (option == "--min-ssim") {
        return "--min-ssim is retired: -f auto judges by the SSIMULACRA2 score now, which sees colour; "
               "give --min-score S instead (0 to 100, default 78)";
    } else if (option == "--test-page") {
        options.testPagePath = value;
    } else if (option == "--inline") {
        options.inlinePage = value;
    } else if (option == "--root") {
        options.root = value;
    } else {
        std::optional<std::uint32_t> hidden = ParseHiddenVariants(value);
        if (!hidden) return "--hide takes names from original,gif,bmp,q100,q90,...,q10";
        options.hiddenVariants = *hidden;
    }
    return std::nullopt;
}

// Why options that go with --inline (or without it) do not, if they do not.
std::optional<std::string> InlineInconsistency(const CliOptions& options) {
    if (options.inlinePage.empty()) {
        if (options.inlineLimitGiven || !options.root.empty())
            return "--inline-limit and --root need --inline";
        if (options.placeholder &&
            (options.formatGiven || options.lossless || options.minScore || options.maxBytes))
            return "--placeholder writes its own tiny WebP; -f, --lossless, --min-score and --max-bytes do "
                   "not apply";
        return std::nullopt;
    }
    if (!options.pictures.empty()) return "--inline rewrites its page; no PICTURE goes with it";
    if (!options.testPagePath.empty()) return "--inline and --test-page do not go together";
    if (options.form != TagForm::kImg || options.withSize || options.alt || options.maxBytes ||
        options.autoQuality)
        return "--inline writes data URIs in place; --as, --size, --alt, --max-bytes and -q auto do not "
               "apply";
    return std::nullopt;
}

// Why options that each parse do not go together, if they do not.
std::optional<std::string> Inconsistency(const CliOptions& options) {
    if (std::optional<std::string> error = InlineInconsistency(options)) return error;
    if (options.pictures.empty() && options.inlinePage.empty()) return "no picture given";
    if (std::count(options.pictures.begin(), options.pictures.end(), "-") > 1)
        return "standard input (-) can be read only once";
    if (options.withSize && options.form != TagForm::kImg) return "--size applies to --as img only";
    if (options.alt && options.form != TagForm::kImg && options.form != TagForm::kMarkdown)
        return "--alt applies to --as img and --as md only";
    if (options.autoQuality && !options.maxBytes) return "-q auto needs --max-bytes";
    const PictureFormat& format = FormatOf(options.format);
    if (options.autoQuality && (options.autoFormat || !format.hasQuality || options.lossless))
        return "-q auto chooses the quality of -f " +
               FormatWords([](const PictureFormat& f) { return f.hasQuality; }, " or ") + ", not lossless";
    if (options.lossless && (options.autoFormat || !format.hasLosslessForm))
        return "--lossless applies to -f " +
               FormatWords([](const PictureFormat& f) { return f.hasLosslessForm; }, " or ") + " only";
    if (options.minScore && !options.autoFormat) return "--min-score applies to -f auto only";
    if (options.webpVariants && options.testPagePath.empty()) return "--webp needs --test-page";
    if (options.avifVariants && options.testPagePath.empty() && !options.autoFormat)
        return "--avif needs -f auto or --test-page";
    if (options.hiddenVariants != 0 && options.testPagePath.empty()) return "--hide needs --test-page";
    if (options.testPagePath.empty()) return std::nullopt;
    if (!options.outputPath.empty()) return "--test-page writes the page to its own FILE; -o does not apply";
    if (options.pictures.size() > 1) return "--test-page shows one picture";
    if (options.form != TagForm::kImg || options.withSize || options.alt || options.maxBytes ||
        options.autoQuality || options.placeholder) {
        return "--test-page shows every encoding; --as, --size, --alt, --max-bytes, -q auto and "
               "--placeholder do "
               "not apply";
    }
    return std::nullopt;
}

ParsedCommandLine Error(std::string text) {
    return ParsedCommandLine{std::nullopt, std::move(text)};
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            options.pictures.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--size") {
            options.withSize = true;
        } else if (argument == "--lossless") {
            options.lossless = true;
        } else if (argument == "--webp") {
            options.webpVariants = true;
        } else if (argument == "--placeholder") {
            options.placeholder = true;
        } else if (argument == "--avif") {
            options.avifVariants = true;
        } else if (IsOptionWithValue(argument)) {
            if (i + 1 >= argc) return Error("option " + argument + " needs a value");
            if (std::optional<std::string> error = TakeValue(argument, argv[++i], options))
                return Error(*error);
        } else {
            return Error("unknown option " + argument);
        }
    }
    if (options.help || options.version) return ParsedCommandLine{options, {}};
    // A page's pictures keep their size unless asked, so that its layout stays as it is, and
    // each is as short as it can be while it still looks like the picture.
    if (!options.inlinePage.empty()) {
        if (!options.sizingGiven) options.resizeMethod = kKeepSize;
        if (!options.formatGiven) options.autoFormat = true;
    }
    if (std::optional<std::string> error = Inconsistency(options)) return Error(*error);
    return ParsedCommandLine{options, {}};
}

std::vector<std::string> ReplacedValueNotes(const CliOptions& options) {
    std::vector<std::string> notes;
    if (!options.autoQuality && !options.autoFormat) {
        if (auto note = NoteFor("-q", options.qualityText, options.quality, "quality", kMinJpegQuality,
                                kMaxJpegQuality))
            notes.push_back(*note);
    }
    if (auto note = NoteFor("-s", options.sideText, options.side, "side", kMinSideLength, kMaxSideLength))
        notes.push_back(*note);
    return notes;
}
