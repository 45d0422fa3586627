#include "cli/run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "cli/options.h"
#include "core/conversion.h"
#include "core/messages.h"
#include "core/picture_loader.h"
#include "core/work_folder.h"
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

bool WriteText(const std::string& text, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

int WriteTestPage(const CliOptions& options, const PageSource& source, const std::string& workFolder) {
    PageOptions page;
    page.method = options.resizeMethod;
    page.side = ClampSideLength(options.sideText.c_str());
    page.flags = options.hiddenVariants;
    page.workers = std::max(1u, std::thread::hardware_concurrency());
    const TestPage built = BuildTestPage(source, page, workFolder);
    for (const char* message : built.messages) std::fprintf(stderr, "korvi-cli: %s\n", message);
    if (!WriteText(built.text, options.testPagePath)) return Fail("cannot write " + options.testPagePath);
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
    std::optional<WorkFolder> folder = WorkFolder::Create();
    if (!folder) return Fail("cannot create a work folder");
    std::string picturePath = options.picturePath;
    if (IsWebAddress(picturePath.c_str())) {
        const DownloadOutcome download = DownloadToFolder(picturePath.c_str(), folder->path());
        if (download.message != nullptr) return Fail(options.picturePath + ": " + DownloadFailure(download));
        picturePath = download.path;
    }
    GlobalBlock picture(LoadPictureFile(picturePath.c_str()));
    if (!picture) return Fail(options.picturePath + ": " + kMsgNoPicture);
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
    if (!options.outputPath.empty()) {
        return WriteText(outcome.text, options.outputPath) ? kSucceeded
                                                           : Fail("cannot write " + options.outputPath);
    }
    const bool terminal = isatty(fileno(stdout));
    std::fwrite(outcome.text.data(), 1, outcome.text.size(), stdout);
    if (terminal) std::fputc('\n', stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kSucceeded
                                                            : Fail("cannot write standard output");
}

}  // namespace

int RunKorviCli(int argc, const char* const* argv) {
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "korvi-cli: %s\n%s", parsed.error.c_str(), kUsage);
        return kUsageError;
    }
    if (parsed.options->help) {
        std::fputs(kUsage, stdout);
        return kSucceeded;
    }
    if (parsed.options->version) {
        std::fputs(kVersion, stdout);
        return kSucceeded;
    }
    return Convert(*parsed.options);
}
