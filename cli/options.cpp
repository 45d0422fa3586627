#include "cli/options.h"

#include <cstdlib>
#include <cstring>

#include "testpage/hidden_variants.h"

const char kUsage[] =
    "usage: korvi-cli [-m METHOD] [-s SIDE] [-f jpeg|gif|bmp] [-q QUALITY] [-b RRGGBB] [-o FILE] PICTURE\n"
    "Converts a picture file, or a picture at an http:// or https:// address, into one line of\n"
    "HTML, <img src=\"data:...;base64,...\">.\n"
    "  -m METHOD   0 keep the size, 1 limit the width (default), 2 fix the width,\n"
    "              3 fit into a square of SIDE pixels\n"
    "  -s SIDE     side length in pixels, 64 to 5000 (default 430)\n"
    "  -f FORMAT   jpeg (default), gif or bmp\n"
    "  -q QUALITY  JPEG quality, 10 to 100 (default 80)\n"
    "  -b RRGGBB   colour under transparent PNG pixels where the file names none\n"
    "              (default ffffff, white)\n"
    "  -o FILE     write the line to FILE (- for standard output); FILE is replaced\n"
    "              only once the whole line is written\n"
    "  --test-page FILE  write an HTML page to FILE that shows the picture as GIF, as JPEG\n"
    "              at qualities 100 to 10 and as BMP, each with its size and a copy button\n"
    "  --hide LIST leave variants out of the test page: original,gif,bmp,q100,...,q10\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

const char kVersion[] = "korvi-cli 1.02\n";

namespace {

std::optional<OutputFormat> FormatNamed(const char* name) {
    if (std::strcmp(name, "jpeg") == 0 || std::strcmp(name, "jpg") == 0) return OutputFormat::kJpeg;
    if (std::strcmp(name, "gif") == 0) return OutputFormat::kGif;
    if (std::strcmp(name, "bmp") == 0) return OutputFormat::kBmp;
    return std::nullopt;
}

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

// RRGGBB in hexadecimal, with or without a leading "#", as a COLORREF (0x00BBGGRR).
std::optional<std::uint32_t> ColourNamed(const char* text) {
    if (*text == '#') ++text;
    if (std::strlen(text) != 6 || std::strspn(text, "0123456789abcdefABCDEF") != 6) return std::nullopt;
    const std::uint32_t rgb = std::uint32_t(std::strtoul(text, nullptr, 16));
    return (rgb >> 16) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
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
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--version") {
            options.version = true;
            continue;
        }
        if (!optionsEnded && (argument == "--test-page" || argument == "--hide")) {
            if (i + 1 >= argc) return Error("option " + argument + " needs a value");
            const char* value = argv[++i];
            if (argument == "--test-page") {
                options.testPagePath = value;
                continue;
            }
            std::optional<std::uint32_t> hidden = ParseHiddenVariants(value);
            if (!hidden) return Error("--hide takes names from original,gif,bmp,q100,q90,...,q10");
            options.hiddenVariants = *hidden;
            continue;
        }
        const bool isOption = !optionsEnded && argument.size() == 2 && argument[0] == '-' &&
                              std::strchr("msfqbo", argument[1]) != nullptr;
        if (isOption) {
            if (i + 1 >= argc) return Error("option " + argument + " needs a value");
            const char* value = argv[++i];
            switch (argument[1]) {
                case 'm': {
                    std::optional<unsigned> method = ParseControlNumber(value);
                    if (!method || *method > kFitSquare) return Error("-m takes 0, 1, 2 or 3");
                    options.resizeMethod = static_cast<int>(*method);
                    break;
                }
                case 'f': {
                    std::optional<OutputFormat> format = FormatNamed(value);
                    if (!format) return Error("-f takes jpeg, gif or bmp");
                    options.format = *format;
                    break;
                }
                case 's':
                    options.sideText = value;
                    break;
                case 'q':
                    options.qualityText = value;
                    break;
                case 'b': {
                    std::optional<std::uint32_t> colour = ColourNamed(value);
                    if (!colour) return Error("-b takes a colour as RRGGBB, such as ffffff");
                    options.background = *colour;
                    break;
                }
                default:
                    options.outputPath = value;
                    break;
            }
            continue;
        }
        if (argument == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-')
            return Error("unknown option " + argument);
        if (!options.picturePath.empty()) return Error("only one picture can be converted at a time");
        options.picturePath = argument;
    }
    if (options.picturePath.empty() && !options.help && !options.version) return Error("no picture given");
    if (options.hiddenVariants != 0 && options.testPagePath.empty()) return Error("--hide needs --test-page");
    if (!options.testPagePath.empty() && !options.outputPath.empty()) {
        return Error("--test-page writes the page to its own FILE; -o does not apply");
    }
    return ParsedCommandLine{options, {}};
}

std::vector<std::string> ReplacedValueNotes(const CliOptions& options) {
    std::vector<std::string> notes;
    const int quality = ClampJpegQuality(options.qualityText.c_str());
    const int side = ClampSideLength(options.sideText.c_str());
    if (auto note = NoteFor("-q", options.qualityText, quality, "quality", kMinJpegQuality, kMaxJpegQuality))
        notes.push_back(*note);
    if (auto note = NoteFor("-s", options.sideText, side, "side", kMinSideLength, kMaxSideLength))
        notes.push_back(*note);
    return notes;
}
