// korvi-cli in a POSIX shell: signals, pipes, full disks.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/command.h"
#include "tests/support/files.h"

namespace {

const std::string kSample = std::string(KORVI_SAMPLES) + "landscape.bmp";
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
// folder made, until the signal; several pictures keep a folder busy on each thread.
TEST(KorviCliInterrupted, RemovesItsWorkFoldersAndEndsByTheSignal) {
    TempFolder folder;
    const std::string picture = folder.File("slow.bmp");
    ASSERT_EQ(mkfifo(picture.c_str(), 0600), 0);
    const struct {
        int number;
        bool threads;
    } cases[] = {{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGTERM, true}};
    for (const auto& c : cases) {
        const int number = c.number;
        const bool threads = c.threads;
        SCOPED_TRACE(number);
        const std::string temporary = folder.File(std::to_string(number) + (threads ? "j" : ""));
        MakeFolder(temporary);
        const std::string variable = "TMPDIR=" + temporary;
        const char* alone[] = {kCli.c_str(), picture.c_str(), nullptr};
        const char* several[] = {kCli.c_str(), "-j", "2", picture.c_str(), picture.c_str(), nullptr};
        const char* const* argv = threads ? several : alone;
        const char* envp[] = {variable.c_str(), nullptr};
        pid_t child;
        ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv),
                              const_cast<char**>(envp)),
                  0);
        EXPECT_TRUE(WaitUntil([&] { return FolderEntries(temporary).size() == (threads ? 2u : 1u); }));
        kill(child, number);
        int status = 0;
        if (!WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; })) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            ADD_FAILURE() << "still running after the signal";
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == number) << status;
        EXPECT_EQ(FolderEntries(temporary), std::vector<std::string>{});
    }
}

TEST(KorviCliOutput, FailsWhenItCannotBeWritten) {
    TempFolder folder;
    const std::string tag = folder.File("tag.html"), status = folder.File("status");
    WriteBytes(tag, {'o', 'l', 'd'});
    const struct {
        const char* name;
        std::string command;
    } cases[] = {
        {"help on a full disk", Quoted(kCli) + " --help >/dev/full"},
        {"tag on a full disk", Quoted(kCli) + " -f bmp " + Quoted(kSample) + " >/dev/full"},
        {"file-size limit",
         "ulimit -f 1; " + Quoted(kCli) + " -f bmp -o " + Quoted(tag) + " " + Quoted(kSample)},
        // The tag is larger than a pipe holds, so the write meets the closed end.
        {"closed pipe",
         "(" + Quoted(kCli) + " -f bmp " + Quoted(kSample) + "; echo $? >" + status + ") | true"},
    };
    for (const auto& c : cases) {
        const CommandResult result = RunCommand("(" + c.command + ")", folder.path());
        const Bytes code = ReadBytes(status);
        EXPECT_EQ(code.empty() ? result.exitCode : code[0] - '0', 1) << c.name << ": " << result.err;
    }
    EXPECT_EQ(ReadBytes(tag), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(FolderEntries(folder.path()),
              (std::vector<std::string>{"status", "stderr.txt", "stdout.txt", "tag.html"}));
}
