#include "cli/picture_job.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "cli/auto_format.h"
#include "cli/stream_input.h"
#include "cli/tag_form.h"
#include "core/messages.h"
#include "pipeline/picture_loader.h"
#include "pipeline/placeholder.h"
#include "pipeline/quality_search.h"
#include "pipeline/variant_picture.h"
#include "web/download.h"
#include "web/url_parts.h"

namespace {

constexpr char kStandardInput[] = "-";

// Why a picture file gave no picture, in a few words. `named` tells a file that has a name of
// its own from standard input.
std::string WhyNotLoaded(const std::string& path, const LoadFailure& failure, bool named) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0) {
        return errno == ENOENT ? "no such file" : std::string("cannot open: ") + std::strerror(errno);
    }
    if (S_ISDIR(file.st_mode)) return "a folder, not a file";
    if (failure.format == nullptr) {
        if (failure.status == kReaderCannotRead) return "cannot be read";
        return std::string(named ? "no reader for this extension or its first bytes"
                                 : "no reader for these first bytes") +
               " (read: " + ReadableFormats() + ")";
    }
    if (failure.status == kReaderOk) return "a picture of a kind the program cannot take";
    return failure.format->statusText(failure.status);
}

// Why a stream gave no work file; `source` names it ("standard input", "the file").
std::optional<std::string> WhyNotSaved(SavedInput saved, const std::string& source) {
    switch (saved) {
        case SavedInput::kSaved:
            return std::nullopt;
        case SavedInput::kEmpty:
            return source + " is empty";
        case SavedInput::kTooLarge:
            return source + " holds more than " + std::to_string(kMaxStreamBytes) +
                   " bytes, more than any picture the program takes";
        case SavedInput::kCannotRead:
            return source + " cannot be read";
        case SavedInput::kCannotWrite:
            return std::string("cannot write a work file");
    }
    return std::nullopt;
}

}  // namespace

LoadedPicture LoadCliPicture(const std::string& picture, const std::string& workFolder,
                             std::uint32_t background) {
    LoadedPicture loaded;
    std::string path = picture;
    const bool named = picture != kStandardInput;
    std::optional<std::string> notSaved;
    if (!named) {
        path = workFolder + "standard input";
        notSaved = WhyNotSaved(SaveStream(stdin, path), "standard input");
    } else if (IsWebAddress(picture.c_str())) {
        const DownloadOutcome download = DownloadToFolder(picture.c_str(), workFolder, Program::kCli);
        if (download.path.empty()) {
            loaded.failure = download.failure;
            return loaded;
        }
        path = download.path;
    } else if (std::FILE* stream = OpenIfStream(picture.c_str())) {
        // Read once, into a work file that keeps the extension of a format the name gives.
        const PictureFormat* format = FormatForExtension(picture.c_str());
        path = workFolder + "stream" + (format != nullptr ? std::string(".") + format->extensions[0] : "");
        notSaved = WhyNotSaved(SaveStream(stream, path), "the file");
        std::fclose(stream);
    }
    if (notSaved) {
        loaded.failure = std::string(kMsgNoPicture) + " (" + *notSaved + ")";
        return loaded;
    }
    LoadFailure failure;
    PackedBitmap read = ReadPictureByContent(path.c_str(), &failure, background);
    loaded.picture.reset(PreparePicture(read, nullptr));
    // A picture the reader made fails to become 24-bit only for want of memory.
    if (read != nullptr && !loaded.picture) failure.status = kReaderOutOfMemory;
    if (!loaded.picture) {
        loaded.failure = std::string(kMsgNoPicture) + " (" + WhyNotLoaded(path, failure, named) + ")";
        return loaded;
    }
    BitmapLock header(loaded.picture.get());
    loaded.width = header->biWidth;
    loaded.height = header->biHeight;
    return loaded;
}

PictureResult ConvertCliPicture(const CliOptions& options, const std::string& picture,
                                const std::string& workFolder) {
    PictureResult result;
    const std::string name = picture == kStandardInput ? "standard input" : picture;
    if (workFolder.empty()) {
        result.messages.push_back(name + ": cannot create a work folder");
        return result;
    }
    LoadedPicture loaded = LoadCliPicture(picture, workFolder, options.background);
    if (!loaded.picture) {
        result.messages.push_back(name + ": " + loaded.failure);
        return result;
    }
    const VariantPicture variant(PageSource{loaded.picture.get(), loaded.width, loaded.height},
                                 options.resizeMethod, options.side);
    const UriFrame frame =
        LineFrame(TagStyle{options.form, options.withSize, options.alt}, variant.width(), variant.height());
    if (options.placeholder) {
        const std::string uri = PlaceholderUri(loaded.picture.get(), loaded.width, loaded.height);
        if (uri.empty()) {
            result.messages.push_back(name + ": " + kMsgConversionError);
        } else {
            result.line = frame.before + uri + frame.after;
            result.succeeded = true;
        }
        return result;
    }
    if (options.autoFormat) return AutoFormatLine(options, variant, name, workFolder, frame);
    const char* failure = nullptr;
    auto lineAt = [&](int quality) -> std::optional<std::string> {
        ConversionOutcome outcome =
            variant.BuildVariantTag({options.format, quality, options.lossless}, workFolder, frame);
        if (!outcome.succeeded) {
            failure = outcome.message;
            return std::nullopt;
        }
        return std::move(outcome.text);
    };
    const std::string budget = options.maxBytes ? std::to_string(*options.maxBytes) : std::string();

    if (!options.autoQuality) {
        std::optional<std::string> line = lineAt(options.quality);
        if (!line) {
            result.messages.push_back(name + ": " + failure);
        } else if (options.maxBytes && line->size() > *options.maxBytes) {
            result.messages.push_back(name + ": the line is " + std::to_string(line->size()) +
                                      " bytes, more than --max-bytes " + budget);
        } else {
            result.line = std::move(*line);
            result.succeeded = true;
        }
        return result;
    }

    // The line of the highest fitting quality tried is the one chosen; the shortest line tried
    // tells how far off the budget is when none fits. A failed conversion ends the search.
    int chosen = 0, shortestQuality = 0;
    std::size_t shortest = 0;
    const std::optional<int> quality = HighestFittingQuality(options.format, [&](int q) {
        if (failure != nullptr) return false;
        std::optional<std::string> line = lineAt(q);
        if (!line) return false;
        if (shortestQuality == 0 || line->size() < shortest) {
            shortest = line->size();
            shortestQuality = q;
        }
        if (line->size() > *options.maxBytes) return false;
        if (q > chosen) {
            chosen = q;
            result.line = std::move(*line);
        }
        return true;
    });
    if (failure != nullptr) {
        result.line.clear();
        result.messages.push_back(name + ": " + failure);
    } else if (quality) {
        result.messages.push_back(name + ": quality " + std::to_string(*quality) +
                                  ", the highest whose line (" + std::to_string(result.line.size()) +
                                  " bytes) fits --max-bytes " + budget);
        result.succeeded = true;
    } else {
        result.messages.push_back(name + ": no quality fits --max-bytes " + budget +
                                  "; the shortest line tried (quality " + std::to_string(shortestQuality) +
                                  ") is " + std::to_string(shortest) + " bytes");
    }
    return result;
}
