#include "cli/run.h"

#include <unistd.h>

#include <cstdio>

#include "cli/options.h"
#include "core/conversion.h"
#include "core/messages.h"
#include "core/picture_loader.h"
#include "core/work_folder.h"

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

int Convert(const CliOptions& options) {
    GlobalBlock picture(LoadPictureFile(options.picturePath.c_str()));
    if (!picture) return Fail(options.picturePath + ": " + kMsgNoPicture);
    std::optional<WorkFolder> folder = WorkFolder::Create();
    if (!folder) return Fail("cannot create a work folder");
    ConversionRequest request;
    {
        BitmapLock header(picture.get());
        request.width = header->biWidth;
        request.height = header->biHeight;
    }
    request.picture = picture.get();
    request.sourcePath = options.picturePath;
    request.resizeMethod = options.resizeMethod;
    request.format = options.format;
    request.qualityText = options.qualityText;
    request.sideText = options.sideText;
    request.workFolder = folder->path();

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
