#include "cli/page_picture.h"

#include <sys/stat.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/picture_job.h"
#include "codecs/gif/palette_reduction.h"
#include "core/classic_file.h"
#include "core/data_uri.h"
#include "core/global_block.h"
#include "core/messages.h"
#include "core/whole_file.h"
#include "pipeline/candidate_measuring.h"
#include "pipeline/picture_extras.h"
#include "pipeline/placeholder.h"
#include "pipeline/variant_picture.h"

namespace {

const UriFrame kBareUri{"", ""};

// The bytes that the base64 of a data URI holds.
std::size_t PayloadBytes(const std::string& uri) {
    const std::size_t comma = uri.find(',');
    if (comma == std::string::npos) return 0;
    const std::size_t characters = uri.size() - comma - 1;
    std::size_t padding = 0;
    while (padding < 2 && padding < characters && uri[uri.size() - 1 - padding] == '=') ++padding;
    return characters / 4 * 3 - padding;
}

// A type a browser shows a file of as a picture: its MIME type and the word messages use.
struct ShownType {
    const char* mimeType;
    std::string word;
};

std::optional<ShownType> ShownTypeOf(const PictureFormat* shown) {
    if (shown == nullptr) return std::nullopt;
    return ShownType{shown->mimeType, FormatWord(shown->id)};
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// An SVG file: markup whose first element, after an XML declaration, comments and a DOCTYPE, is
// <svg>.
bool IsSvg(std::string_view text) {
    if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
    while (true) {
        text.remove_prefix(std::min(text.size(), text.find_first_not_of(" \t\r\n")));
        std::string_view end = StartsWith(text, "<?") ? "?>" : StartsWith(text, "<!--") ? "-->" : "";
        if (end.empty() && StartsWith(text, "<!")) end = text.find('[') < text.find('>') ? "]>" : ">";
        if (end.empty()) break;
        const std::size_t at = text.find(end);
        if (at == std::string_view::npos) return false;
        text.remove_prefix(at + end.size());
    }
    return StartsWith(text, "<svg") && text.size() > 4 &&
           (text[4] == '>' || text[4] == '/' || text[4] == ' ' || text[4] == '\t' || text[4] == '\r' ||
            text[4] == '\n');
}

// The type a browser shows the file's bytes as: a format of the table, or one korvi-cli does not
// convert, told by its first bytes (an ICO file's header of at least one picture, an SVG file).
std::optional<ShownType> ShownTypeOf(const std::uint8_t* bytes, std::size_t size) {
    if (const std::optional<ShownType> table = ShownTypeOf(ShownFormat(bytes, size))) return table;
    if (size >= 22 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0 &&
        (bytes[4] != 0 || bytes[5] != 0))
        return ShownType{"image/x-icon", "ico"};
    if (IsSvg(std::string_view(reinterpret_cast<const char*>(bytes), size)))
        return ShownType{"image/svg+xml", "svg"};
    return std::nullopt;
}

// The file's own bytes as the picture, in the type a browser shows them as.
void TakeAsItIs(const std::uint8_t* bytes, std::size_t size, const std::optional<ShownType>& shown,
                const CliOptions& options, PagePicture& picture) {
    if (!shown) {
        picture.failure =
            std::string(kMsgUnknownFormat) + " (transparent or animated, and not as browsers show it)";
        return;
    }
    picture.asItIs = true;
    picture.pictureBytes = size;
    picture.formatName = shown->word;
    if (size <= options.inlineLimit) picture.uri = DataUriOf(bytes, size, shown->mimeType);
}

// A file korvi-cli does not read whose first bytes tell a type a browser shows: its bytes as they
// are, read whole only where they fit the limit. Nothing for any other file.
bool TakeUnreadAsItIs(const std::string& path, const CliOptions& options, PagePicture& picture) {
    constexpr std::uint32_t kTold = 4096;  // the bytes that tell the type
    ClassicFile file = ClassicFile::OpenForReading(path.c_str());
    const LONG size = file.is_open() ? file.SeekToEnd() : -1;
    if (size <= 0 || !file.Seek(0)) return false;
    const bool whole = std::uint64_t(size) <= options.inlineLimit;
    std::vector<std::uint8_t> bytes(whole ? std::size_t(size)
                                          : std::min<std::size_t>(std::size_t(size), kTold));
    if (!file.ReadExactly(bytes.data(), std::uint32_t(bytes.size()))) return false;
    const std::optional<ShownType> shown =
        ShownTypeOf(bytes.data(), std::min<std::size_t>(bytes.size(), kTold));
    if (!shown) return false;
    TakeAsItIs(bytes.data(), bytes.size(), shown, options, picture);
    if (!whole) {  // only its first bytes were read
        picture.uri.clear();
        picture.pictureBytes = std::size_t(size);
    }
    return true;
}

// -f auto's shortest faithful picture, measured and chosen as for a single picture; its line
// only where it fits the limit.
void ChooseFaithfulLine(const CliOptions& options, const VariantPicture& variant,
                        const std::string& workFolder, PagePicture& picture) {
    const PackedBitmap resized = variant.Picture();
    if (resized == nullptr) {
        picture.failure = kMsgConversionError;
        return;
    }
    const FaithfulGoal goal{options.minScore.value_or(kDefaultMinScore), std::nullopt};
    EncodingTrials trials(resized, workFolder, kBareUri);
    MeasureCandidates(trials, goal);
    const TrialChoice choice = ChooseTrial(trials.made(), goal);
    if (trials.failure() != nullptr || !choice.trial) {
        picture.failure = trials.failure() != nullptr ? trials.failure() : kMsgConversionError;
        return;
    }
    picture.pictureBytes = choice.trial->fileBytes;
    picture.formatName = FormatWord(choice.trial->encoding.format);
    if (picture.pictureBytes > options.inlineLimit) return;
    const ConversionOutcome line = trials.Line(choice.trial->encoding, [&picture](std::size_t length) {
        picture.uri.resize(length);
        return &picture.uri[0];
    });
    if (!line.succeeded) {
        picture.uri.clear();
        picture.failure = line.message;
    }
}

// The bytes below which no faithful line of the picture can come, where that is cheap to tell:
// its WebP and JPEG lines at the lowest quality the searches try (a line may shrink by a few
// bytes as the quality rises, a JPEG one by 128 where its tables turn 8-bit), for a picture of
// more colours than GIF and PNG can save by a palette. Nothing for other pictures. The searches
// cost many times as much, which a picture that stays a link need not spend.
std::optional<std::size_t> FaithfulLineFloor(const VariantPicture& variant, const std::string& workFolder) {
    constexpr int kLowestQuality = 10;
    constexpr std::size_t kShrink = 256;
    const PackedBitmap resized = variant.Picture();
    if (resized == nullptr || GlobalBlock(ReduceToExactPalette(resized)).get() != nullptr)
        return std::nullopt;
    std::size_t floor = SIZE_MAX;
    for (const OutputFormat format : {OutputFormat::kWebp, OutputFormat::kJpeg}) {
        const ConversionOutcome line =
            variant.BuildVariantTag({format, kLowestQuality, false}, workFolder, kBareUri);
        if (!line.succeeded) return std::nullopt;
        floor = std::min(floor, PayloadBytes(line.text));
    }
    return floor > kShrink ? floor - kShrink : 0;
}

// The line of the format and quality -f and -q name.
void ConvertLine(const CliOptions& options, const VariantPicture& variant, const std::string& workFolder,
                 PagePicture& picture) {
    ConversionOutcome line =
        variant.BuildVariantTag({options.format, options.quality, options.lossless}, workFolder, kBareUri);
    if (!line.succeeded) {
        picture.failure = line.message;
        return;
    }
    picture.pictureBytes = PayloadBytes(line.text);
    picture.formatName = FormatWord(options.format);
    if (picture.pictureBytes <= options.inlineLimit) picture.uri = std::move(line.text);
}

}  // namespace

PagePicture PictureForPage(const CliOptions& options, const std::string& path, bool resize,
                           const std::string& workFolder) {
    PagePicture picture;
    // Only plain files: a page may name a device or a pipe that never ends.
    struct stat file;
    if (stat(path.c_str(), &file) == 0 && !S_ISREG(file.st_mode)) {
        picture.failure = std::string(kMsgNoPicture) +
                          (S_ISDIR(file.st_mode) ? " (a folder, not a file)" : " (not a plain file)");
        return picture;
    }
    // "-" alone would be standard input to the loader.
    const LoadedPicture loaded = LoadCliPicture(path == "-" ? "./-" : path, workFolder, options.background);
    if (!loaded.picture) {
        if (!TakeUnreadAsItIs(path, options, picture)) picture.failure = loaded.failure;
        return picture;
    }
    picture.width = loaded.width;
    picture.height = loaded.height;
    std::uint32_t fileBytes = 0;
    const GlobalBlock own(LoadFileToGlobal(path.c_str(), &fileBytes));
    const BlockLock<std::uint8_t> bytes(own.get());
    if (!bytes) {
        picture.failure = kMsgCannotReadFile;
        return picture;
    }
    const std::optional<ShownType> shown = ShownTypeOf(bytes.data(), fileBytes);
    if (HasTransparencyOrAnimation(bytes.data(), fileBytes)) {
        TakeAsItIs(bytes.data(), fileBytes, shown, options, picture);
        return picture;
    }
    const VariantPicture variant(PageSource{loaded.picture.get(), loaded.width, loaded.height},
                                 resize ? options.resizeMethod : kKeepSize, options.side);
    picture.resized = variant.width() != loaded.width || variant.height() != loaded.height;
    try {
        const std::optional<std::size_t> floor =
            options.autoFormat ? FaithfulLineFloor(variant, workFolder) : std::nullopt;
        if (floor && *floor > options.inlineLimit) {
            picture.pictureBytes = *floor;
            picture.atLeast = true;
            picture.formatName = "webp or jpeg";
        } else if (options.autoFormat) {
            ChooseFaithfulLine(options, variant, workFolder, picture);
        } else {
            ConvertLine(options, variant, workFolder, picture);
        }
        if (options.autoFormat && !picture.resized && shown && picture.failure.empty() &&
            fileBytes < picture.pictureBytes) {
            picture.uri.clear();
            TakeAsItIs(bytes.data(), fileBytes, shown, options, picture);
        }
    } catch (const std::bad_alloc&) {
        picture.uri.clear();
        picture.failure = std::string(kMsgConversionError) + " (out of memory)";
    }
    if (picture.failure.empty() && picture.uri.empty() && options.placeholder)
        picture.placeholder = PlaceholderUri(loaded.picture.get(), loaded.width, loaded.height);
    return picture;
}
