#include "cli/page_picture.h"

#include <sys/stat.h>

#include "cli/auto_format.h"
#include "cli/picture_job.h"
#include "core/messages.h"
#include "pipeline/placeholder.h"
#include "pipeline/variant_picture.h"

namespace {

constexpr char kBase64Marker[] = ";base64,";

// The bytes a base64 data URI holds, and the subtype of its MIME type.
void DescribeUri(const std::string& uri, PagePicture& picture) {
    const std::size_t marker = uri.find(kBase64Marker);
    if (marker == std::string::npos) return;
    const std::size_t slash = uri.find('/');
    if (slash < marker) picture.formatName = uri.substr(slash + 1, marker - slash - 1);
    const std::size_t characters = uri.size() - marker - (sizeof kBase64Marker - 1);
    std::size_t padding = 0;
    while (padding < 2 && padding < characters && uri[uri.size() - 1 - padding] == '=') ++padding;
    picture.pictureBytes = characters / 4 * 3 - padding;
}

// The message of a picture's result, without the name it begins with.
std::string Unnamed(const std::string& message, const std::string& name) {
    return message.compare(0, name.size() + 2, name + ": ") == 0 ? message.substr(name.size() + 2) : message;
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
    const VariantPicture variant(PageSource{loaded.picture.get(), loaded.width, loaded.height},
                                 resize ? options.resizeMethod : kKeepSize, options.side);
    picture.resized = variant.width() != loaded.width || variant.height() != loaded.height;
    const UriFrame bare{"", ""};
    if (options.autoFormat) {
        PictureResult line = AutoFormatLine(options, variant, path, workFolder, bare);
        if (!line.succeeded) {
            picture.failure =
                line.messages.empty() ? kMsgConversionError : Unnamed(line.messages.back(), path);
            return picture;
        }
        picture.uri = std::move(line.line);
    } else {
        ConversionOutcome line =
            variant.BuildVariantTag({options.format, options.quality, options.lossless}, workFolder, bare);
        if (!line.succeeded) {
            picture.failure = line.message;
            return picture;
        }
        picture.uri = std::move(line.text);
    }
    DescribeUri(picture.uri, picture);
    if (picture.pictureBytes > options.inlineLimit) {
        picture.uri.clear();
        if (options.placeholder)
            picture.placeholder = PlaceholderUri(loaded.picture.get(), loaded.width, loaded.height);
    }
    return picture;
}
