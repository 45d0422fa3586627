#include "cli/run.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <thread>

#include "cli/binary_streams.h"
#include "cli/freed_memory.h"
#include "cli/inline_page.h"
#include "cli/interrupt.h"
#include "cli/line_output.h"
#include "cli/options.h"
#include "cli/picture_job.h"
#include "cli/picture_queue.h"
#include "core/messages.h"
#include "core/work_folder.h"
#include "platform/replace_file.h"
#include "testpage/page_text.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int Fail(const std::string& text) {
    std::fprintf(stderr, "korvi-cli: %s\n", text.c_str());
    return kFailed;
}

bool WriteToStandardOutput(const std::string& text) {
    return ::WriteToStandardOutput(text.data(), text.size());
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
    page.side = options.side;
    page.flags = options.hiddenVariants;
    page.workers = Workers(options);
    page.webp = options.webpVariants;
    page.avif = options.avifVariants;
    const std::string unchanged = options.testPagePath + " is left as it was";
    FileReplacement file(options.testPagePath.c_str());
    if (!file.is_open()) return Fail("cannot write " + unchanged);
    const WrittenPage written =
        StreamTestPage(PageSource{loaded.picture.get(), loaded.width, loaded.height}, page, folder->path(),
                       [&file](const std::string& piece) { return file.Write(piece.data(), piece.size()); });
    for (const char* message : written.messages) std::fprintf(stderr, "korvi-cli: %s\n", message);
    if (!written.complete) return Fail(unchanged);
    if (!written.written || !file.Commit()) return Fail("cannot write " + unchanged);
    return written.messages.empty() ? kSucceeded : kFailed;
}

// Converts every picture, printing each line in the order given as soon as it and those before
// it are done. One picture prints its line alone (with a newline only on a terminal), several
// print one line each, a failed picture an empty one. With -o FILE the lines replace FILE once
// all succeeded. Each line is written where it goes as the conversion made it, never copied.
int ConvertPictures(const CliOptions& options) {
    const std::size_t count = options.pictures.size();
    LineOutput output(options.outputPath);
    if (!output.is_open()) return Fail("cannot write " + options.outputPath + " (it is left as it was)");
    const bool newlines = count > 1 || (!output.ToFile() && isatty(fileno(stdout)));
    PictureQueue queue(count, std::min<std::size_t>(Workers(options), count),
                       [&](std::size_t index, const std::string& workFolder) {
                           return ConvertCliPicture(options, options.pictures[index], workFolder);
                       });
    bool allSucceeded = true, written = true;
    for (std::size_t index = 0; index < count; ++index) {
        const PictureResult result = queue.Take(index);
        for (const std::string& message : result.messages)
            std::fprintf(stderr, "korvi-cli: %s\n", message.c_str());
        if (!result.succeeded && result.messages.empty()) {
            // The job ran out of memory before it could say so; this message needs none.
            std::fprintf(stderr, "korvi-cli: %s: %s (out of memory)\n", options.pictures[index].c_str(),
                         kMsgConversionError);
        }
        allSucceeded = allSucceeded && result.succeeded;
        if (count == 1 && !result.succeeded) break;
        written = written && output.Write(result.line.data(), result.line.size()) &&
                  (!newlines || output.Write("\n", 1));
        if (!written && !output.ToFile()) return Fail("cannot write standard output");
    }
    if (output.ToFile() && allSucceeded && !(written && output.Commit()))
        return Fail("cannot write " + options.outputPath + " (it is left as it was)");
    if (output.ToFile() && !allSucceeded) Fail(options.outputPath + " is left as it was");
    return allSucceeded ? kSucceeded : kFailed;
}

int PrintText(const char* text) {
    return WriteToStandardOutput(text) ? kSucceeded : Fail("cannot write standard output");
}

int Run(int argc, const char* const* argv) {
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
    if (!options.inlinePage.empty()) return InlinePage(options, Workers(options));
    return options.testPagePath.empty() ? ConvertPictures(options) : WriteTestPage(options);
}

}  // namespace

int RunKorviCli(int argc, const char* const* argv) {
    WatchForInterruptions();
    UseBinaryStandardStreams();
    ReturnFreedMemoryAtOnce();
    // Short memory anywhere else ends here, after every work folder and unfinished file is gone.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("korvi-cli: out of memory\n", stderr);
        return kFailed;
    }
}
