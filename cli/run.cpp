#include "cli/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/interrupt.h"
#include "cli/options.h"
#include "core/conversion.h"
#include "core/messages.h"
#include "core/picture_loader.h"
#include "core/work_folder.h"
#include "platform/replace_file.h"
#include "testpage/test_page.h"
#include "web/download.h"
#include "web/url_parts.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int Fail(const std::string& text) {
    std::fprintf(stderr, "korvi-cli: %s\n", text.c_str());
    return kFailed;
}

const char* ReaderName(char letter) {
    switch (letter) {
        case 'b':
            return "BMP";
        case 'g':
            return "GIF";
        case 'j':
            return "JPEG";
        default:
            return "PNG";
    }
}

// Why a picture file gave no picture, in a few words.
std::string WhyNotLoaded(const std::string& path, const LoadFailure& failure) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0) {
        return errno == ENOENT ? "no such file" : std::string("cannot open: ") + std::strerror(errno);
    }
    if (S_ISDIR(file.st_mode)) return "a folder, not a file";
    if (failure.reader == 0)
        return std::string("no reader for this extension (read: ") + kReadableFormats + ")";
    const std::string reader = ReaderName(failure.reader);
    switch (failure.status) {
        case kReaderOk:
            return "a picture of a kind the program cannot take";
        case kReaderCannotRead:
            return "cannot be read, or ends before the picture does";
        case kReaderUnsupported:
            return "a format or variant the " + reader + " reader does not read";
        case kReaderOutOfMemory:
            return "not enough memory";
        default:
            return "damaged (" + reader + " reader status " + std::to_string(failure.status) + ")";
    }
}

// Standard output gets the line with a newline only on a terminal, so pipes get it exactly.
bool PrintToStandardOutput(const std::string& text) {
    const bool terminal = isatty(fileno(stdout));
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (terminal) std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

bool WriteText(const std::string& text, const std::string& path) {
    return ReplaceFileContents(path.c_str(), text.data(), text.size());
}

int WriteTestPage(const CliOptions& options, const PageSource& source, const std::string& workFolder) {
    PageOptions page;
    page.method = options.resizeMethod;
    page.side = ClampSideLength(options.sideText.c_str());
    page.flags = options.hiddenVariants;
    page.workers = std::max(1u, std::thread::hardware_concurrency());
    const TestPage built = BuildTestPage(source, page, workFolder);
    for (const char* message : built.messages) std::fprintf(stderr, "korvi-cli: %s\n", message);
    if (!WriteText(built.text, options.testPagePath)) {
        return Fail("cannot write " + options.testPagePath + " (it is left as it was)");
    }
    return built.messages.empty() ? kSucceeded : kFailed;
}

// The window's message for a failed download; a failed fetch also names its status.
std::string DownloadFailure(const DownloadOutcome& download) {
    std::string text = download.message;
    if (download.status != 0) {
        text += " (status " + std::to_string(download.status) + ": " + FetchStatusText(download.status);
        text += download.detail.empty() ? ")" : "; " + download.detail + ")";
    }
    return text;
}

int Convert(const CliOptions& options) {
    for (const std::string& note : ReplacedValueNotes(options))
        std::fprintf(stderr, "korvi-cli: %s\n", note.c_str());
    std::optional<WorkFolder> folder = WorkFolder::Create();
    if (!folder) return Fail("cannot create a work folder");
    std::string picturePath = options.picturePath;
    if (IsWebAddress(picturePath.c_str())) {
        const DownloadOutcome download = DownloadToFolder(picturePath.c_str(), folder->path());
        if (download.message != nullptr) return Fail(options.picturePath + ": " + DownloadFailure(download));
        picturePath = download.path;
    }
    LoadFailure failure;
    GlobalBlock picture(LoadPictureFile(picturePath.c_str(), nullptr, &failure, options.background));
    if (!picture) {
        return Fail(options.picturePath + ": " + kMsgNoPicture + " (" + WhyNotLoaded(picturePath, failure) +
                    ")");
    }
    ConversionRequest request;
    {
        BitmapLock header(picture.get());
        request.width = header->biWidth;
        request.height = header->biHeight;
    }
    request.picture = picture.get();
    request.sourcePath = picturePath;
    request.resizeMethod = options.resizeMethod;
    request.format = options.format;
    request.qualityText = options.qualityText;
    request.sideText = options.sideText;
    request.workFolder = folder->path();
    if (!options.testPagePath.empty()) {
        return WriteTestPage(options, PageSource{request.picture, request.width, request.height},
                             request.workFolder);
    }

    const ConversionOutcome outcome = ConvertPicture(request);
    if (!outcome.succeeded) return Fail(outcome.message);
    if (options.outputPath.empty() || options.outputPath == "-") {
        return PrintToStandardOutput(outcome.text) ? kSucceeded : Fail("cannot write standard output");
    }
    return WriteText(outcome.text, options.outputPath)
               ? kSucceeded
               : Fail("cannot write " + options.outputPath + " (it is left as it was)");
}

int PrintText(const char* text) {
    std::fputs(text, stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kSucceeded
                                                            : Fail("cannot write standard output");
}

}  // namespace

int RunKorviCli(int argc, const char* const* argv) {
    WatchForInterruptions();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "korvi-cli: %s\n%s", parsed.error.c_str(), kUsage);
        return kUsageError;
    }
    if (parsed.options->help) return PrintText(kUsage);
    if (parsed.options->version) return PrintText(kVersion);
    return Convert(*parsed.options);
}
