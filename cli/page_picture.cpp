#include "cli/page_picture.h"

#include <sys/stat.h>

#include <new>

#include "cli/picture_job.h"
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

// The file's own bytes as the picture, in the format a browser shows them in.
void TakeAsItIs(const std::uint8_t* bytes, std::size_t size, const PictureFormat* shown,
                const CliOptions& options, PagePicture& picture) {
    if (shown == nullptr) {
        picture.failure =
            std::string(kMsgUnknownFormat) + " (transparent or animated, and not as browsers show it)";
        return;
    }
    picture.asItIs = true;
    picture.pictureBytes = size;
    picture.formatName = FormatWord(shown->id);
    if (size <= options.inlineLimit) picture.uri = DataUriOf(bytes, size, shown->mimeType);
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
        picture.failure = loaded.failure;
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
    const PictureFormat* shown = ShownFormat(bytes.data(), fileBytes);
    if (HasTransparencyOrAnimation(bytes.data(), fileBytes)) {
        TakeAsItIs(bytes.data(), fileBytes, shown, options, picture);
        return picture;
    }
    const VariantPicture variant(PageSource{loaded.picture.get(), loaded.width, loaded.height},
                                 resize ? options.resizeMethod : kKeepSize, options.side);
    picture.resized = variant.width() != loaded.width || variant.height() != loaded.height;
    try {
        if (options.autoFormat) {
            ChooseFaithfulLine(options, variant, workFolder, picture);
        } else {
            ConvertLine(options, variant, workFolder, picture);
        }
        if (options.autoFormat && !picture.resized && shown != nullptr && picture.failure.empty() &&
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
