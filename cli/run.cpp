#include "cli/run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "cli/binary_streams.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/picture_job.h"
#include "cli/picture_queue.h"
#include "core/work_folder.h"
#include "platform/replace_file.h"
#include "testpage/test_page.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int Fail(const std::string& text) {
    std::fprintf(stderr, "korvi-cli: %s\n", text.c_str());
    return kFailed;
}

bool WriteToStandardOutput(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

bool WriteText(const std::string& text, const std::string& path) {
    return ReplaceFileContents(path.c_str(), text.data(), text.size());
}

unsigned Workers(const CliOptions& options) {
    return options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
}

int WriteTestPage(const CliOptions& options) {
    std::optional<WorkFolder> folder = WorkFolder::Create();
    if (!folder) return Fail("cannot create a work folder");
    const LoadedPicture loaded = LoadCliPicture(options.pictures.front(), folder->path(), options.background);
    if (!loaded.picture) return Fail(options.pictures.front() + ": " + loaded.failure);
    PageOptions page;
    page.method = options.resizeMethod;
    page.side = ClampSideLength(options.sideText.c_str());
    page.flags = options.hiddenVariants;
    page.workers = Workers(options);
    const TestPage built =
        BuildTestPage(PageSource{loaded.picture.get(), loaded.width, loaded.height}, page, folder->path());
    for (const char* message : built.messages) std::fprintf(stderr, "korvi-cli: %s\n", message);
    if (!WriteText(built.text, options.testPagePath)) {
        return Fail("cannot write " + options.testPagePath + " (it is left as it was)");
    }
    return built.messages.empty() ? kSucceeded : kFailed;
}

// Converts every picture, printing each line in the order given as soon as it and those before
// it are done. One picture prints its line alone (with a newline only on a terminal), several
// print one line each, a failed picture an empty one. With -o FILE the lines replace FILE once
// all succeeded.
int ConvertPictures(const CliOptions& options) {
    const std::size_t count = options.pictures.size();
    const bool toFile = !options.outputPath.empty() && options.outputPath != "-";
    const bool terminal = !toFile && isatty(fileno(stdout));
    const bool newlines = count > 1 || terminal;
    PictureQueue queue(count, std::min<std::size_t>(Workers(options), count),
                       [&](std::size_t index, const std::string& workFolder) {
                           return ConvertCliPicture(options, options.pictures[index], workFolder);
                       });
    std::string text;
    bool allSucceeded = true;
    for (std::size_t index = 0; index < count; ++index) {
        const PictureResult result = queue.Take(index);
        for (const std::string& message : result.messages)
            std::fprintf(stderr, "korvi-cli: %s\n", message.c_str());
        allSucceeded = allSucceeded && result.succeeded;
        if (count == 1 && !result.succeeded) break;
        const std::string line = result.line + (newlines ? "\n" : "");
        if (toFile)
            text += line;
        else if (!WriteToStandardOutput(line))
            return Fail("cannot write standard output");
    }
    if (toFile && allSucceeded && !WriteText(text, options.outputPath))
        return Fail("cannot write " + options.outputPath + " (it is left as it was)");
    if (toFile && !allSucceeded) Fail(options.outputPath + " is left as it was");
    return allSucceeded ? kSucceeded : kFailed;
}

int PrintText(const char* text) {
    return WriteToStandardOutput(text) ? kSucceeded : Fail("cannot write standard output");
}

}  // namespace

int RunKorviCli(int argc, const char* const* argv) {
    WatchForInterruptions();
    UseBinaryStandardStreams();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.options) {
        std::fprintf(stderr, "korvi-cli: %s\n%s", parsed.error.c_str(), kUsage);
        return kUsageError;
    }
    const CliOptions& options = *parsed.options;
    if (options.help) return PrintText(kUsage);
    if (options.version) return PrintText(kVersion);
    for (const std::string& note : ReplacedValueNotes(options))
        std::fprintf(stderr, "korvi-cli: %s\n", note.c_str());
    return options.testPagePath.empty() ? ConvertPictures(options) : WriteTestPage(options);
}
