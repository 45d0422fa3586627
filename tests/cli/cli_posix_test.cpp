// korvi-cli in a POSIX shell: signals, pipes, full disks.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "core/messages.h"
#include "tests/support/command.h"
#include "tests/support/files.h"
#include "tests/support/gif_fixture.h"
#include "tests/support/webp_fixture.h"

namespace {

const std::string kSamples = KORVI_SAMPLES;
const std::string kSample = kSamples + "landscape.bmp";
const std::string kCli = KORVI_CLI_PATH;

bool WaitUntil(const std::function<bool()>& done) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        if (done()) return true;
    }
    return false;
}

}  // namespace

// A picture that never arrives (a pipe nobody writes) keeps korvi-cli busy with its work
// folder made, until the signal; several pictures keep a folder busy on each thread, and -o FILE
// its hidden replacement beside FILE.
TEST(KorviCliInterrupted, RemovesItsWorkFoldersAndEndsByTheSignal) {
    TempFolder folder;
    const std::string picture = folder.File("slow.bmp");
    ASSERT_EQ(mkfifo(picture.c_str(), 0600), 0);
    const std::string output = folder.File("tags.txt");
    const struct {
        int number;
        std::vector<const char*> options;
        std::size_t workFolders, besideOutput;
    } cases[] = {{SIGHUP, {}, 1, 0},
                 {SIGTERM, {"-j", "2", picture.c_str()}, 2, 0},
                 {SIGINT, {"-o", output.c_str()}, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " " << c.options.size());
        // The pipe and one temporary folder for each case so far.
        const std::size_t entries = 2 + (&c - cases);
        const std::string temporary = folder.File(std::to_string(&c - cases));
        MakeFolder(temporary);
        const std::string variable = "TMPDIR=" + temporary;
        std::vector<const char*> argv = {kCli.c_str()};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        argv.insert(argv.end(), {picture.c_str(), nullptr});
        const char* envp[] = {variable.c_str(), nullptr};
        pid_t child;
        ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv.data()),
                              const_cast<char**>(envp)),
                  0);
        EXPECT_TRUE(WaitUntil([&] {
            return FolderEntries(temporary).size() == c.workFolders &&
                   FolderEntries(folder.path()).size() == entries + c.besideOutput;
        }));
        kill(child, c.number);
        int status = 0;
        if (!WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; })) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << "still running after the signal";
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.number) << status;
        EXPECT_EQ(FolderEntries(temporary), std::vector<std::string>{});
        EXPECT_EQ(FolderEntries(folder.path()).size(), entries) << "nothing beside the output";
    }
}

// Output that cannot be written, and memory too short at any step of the largest picture, end
// in a message and status 1 (where no thread can start, fewer threads do the work), leaving the output and
// the temporary folder as they were. A pipe is read once, by its first bytes whatever its name: here a FIFO,
// as <(...) gives a path to a pipe.
TEST(KorviCliOutput, FailsWhenItCannotBeWrittenOrMemoryRunsShort) {
    TempFolder folder;
    const std::string tag = folder.File("tag.html"), status = folder.File("status"),
                      temporary = folder.File("tmp");
    WriteBytes(tag, {'o', 'l', 'd'});
    WriteBytes(folder.File("wide.gif"), LargestGif());
    // A 64 x 64 WebP whose RIFF size claims 2 GB, all there but for the picture's bytes unused.
    Bytes webp = EncodeRgbaWebp(std::vector<Rgba>(64 * 64, Rgba{0, 128, 128, 255}), 64, true);
    const std::uint32_t claimed = 0x7FFFFFF0;
    std::memcpy(webp.data() + 4, &claimed, 4);
    WriteBytes(folder.File("riff.webp"), webp);
    ASSERT_EQ(truncate(folder.File("riff.webp").c_str(), claimed + 8), 0);
    MakeFolder(temporary);
    const std::string wide = " " + Quoted(folder.File("wide.gif")), fifo = Quoted(folder.File("fifo.jpg")),
                      riff = " " + Quoted(folder.File("riff.webp"));
    const std::string limited = "TMPDIR=" + temporary + " " + Quoted(kCli) + " -m 0 -f bmp -o " + Quoted(tag);
    const std::string cannotWrite = "cannot write";
    const struct {
        const char* name;
        std::string command;
        bool limitsMemory;
        int status;
        std::string says;
    } cases[] = {
        {"help on a full disk", Quoted(kCli) + " --help >/dev/full", false, 1, cannotWrite},
        {"tag on a full disk", Quoted(kCli) + " -f bmp " + Quoted(kSample) + " >/dev/full", false, 1,
         cannotWrite},
        {"file-size limit",
         "ulimit -f 1; " + Quoted(kCli) + " -f bmp -o " + Quoted(tag) + " " + Quoted(kSample), false, 1,
         "is left as it was"},
        // The picture takes 201 MB as 24 bits, its tag 268 MB; the program itself about 40 MB.
        {"memory short of the picture", "ulimit -v 150000; " + limited + wide, true, 1, "(out of memory)"},
        {"memory short of the tag", "ulimit -v 350000; " + limited + " --alt x" + wide, true, 1,
         kMsgConversionError},
        {"memory short of two on threads", "ulimit -v 600000; " + limited + " -j 2" + wide + wide, true, 1,
         "korvi-cli: "},
        // -f auto reads each trial back beside the picture: no trial may drop out unsaid.
        {"memory short of a trial of -f auto",
         "ulimit -v 400000; TMPDIR=" + temporary + " " + Quoted(kCli) + " -m 0 -f auto -o " + Quoted(tag) +
             wide,
         true, 1, std::string(kMsgConversionError) + " (out of memory)"},
        {"memory for the picture and one tag",
         "ulimit -v 750000; TMPDIR=" + temporary + " " + Quoted(kCli) + " -m 0 -f bmp --alt x" + wide +
             " >/dev/null",
         true, 0, ""},
        // Each thread would need more address space than the process may have.
        {"no thread can start",
         "ulimit -s 600000 -v 500000; " + Quoted(kCli) + " --version && " + Quoted(kCli) + " -j 2 -f gif " +
             Quoted(kSample) + " " + Quoted(kSample) + " && " + Quoted(kCli) +
             " -j 2 --test-page /dev/null " + Quoted(kSample) + " >/dev/null",
         true, 0, ""},
        {"a WebP stream of 2 GB, nearly all of it unused", Quoted(kCli) + " - <" + riff, false, 0, ""},
        {"a png through a pipe named .jpg",
         "mkfifo " + fifo + " && (cat " + Quoted(kSamples + "badge.png") + " >" + fifo + " &) && " +
             Quoted(kCli) + " -f bmp " + fifo,
         false, 0, ""},
        // Last, as it alone leaves a status file. The tag is larger than a pipe holds, so the write
        // meets the closed end.
        {"closed pipe",
         "(" + Quoted(kCli) + " -f bmp " + Quoted(kSample) + "; echo $? >" + status + ") | true", false, 1,
         cannotWrite},
    };
    for (const auto& c : cases) {
#ifdef KORVI_SANITIZED
        if (c.limitsMemory) continue;  // the sanitisers reserve more address space than any limit
#endif
        const CommandResult result = RunCommand("(" + c.command + ")", folder.path());
        const Bytes code = ReadBytes(status);
        EXPECT_EQ(code.empty() ? result.exitCode : code[0] - '0', c.status) << c.name << ": " << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << c.name << ": " << result.err;
    }
    EXPECT_EQ(ReadBytes(tag), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(FolderEntries(temporary), std::vector<std::string>{});
    EXPECT_EQ(FolderEntries(folder.path()),
              (std::vector<std::string>{"fifo.jpg", "riff.webp", "status", "stderr.txt", "stdout.txt",
                                        "tag.html", "tmp", "wide.gif"}));
}
