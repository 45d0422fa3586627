// korvi-cli against a server of the tests that answers carefully, carelessly and with hostility:
// what only a real transport shows. Runs the native korvi-cli of this build, or, with
// KORVI_WINDOWS_BUILD naming the Windows build folder, its korvi-cli.exe under Wine (the suite's
// prefix must be set up).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "tests/support/command.h"
#include "tests/support/files.h"
#include "tests/support/webp_fixture.h"

namespace {

const std::string kWindowsBuild =
    std::getenv("KORVI_WINDOWS_BUILD") ? std::getenv("KORVI_WINDOWS_BUILD") : "";
const std::string kSource = KORVI_SOURCE_DIR;

// A path as the program run sees it: under Wine the Linux file system is drive Z:.
std::string Seen(std::string path) {
    if (kWindowsBuild.empty()) return Quoted(path);
    std::replace(path.begin(), path.end(), '/', '\\');
    return Quoted("Z:" + path);
}

// The command running a program of the build tested: the native one, or the Windows one under Wine.
std::string Program(const std::string& native, const std::string& windows) {
    return kWindowsBuild.empty()
               ? Quoted(native)
               : Quoted(kSource + "/scripts/wine-run.sh") + " " + Quoted(kWindowsBuild + windows);
}

}  // namespace

// Every address in one run, each on a thread of its own, with the whole download's limit shortened
// to 12 seconds: a picture of any format korvi-cli reads gives the line its file gives; any other
// answer an empty line and its status, behind the server's own when it answered with an error, a
// silent server at the 10-second wait, one that keeps sending a little at the whole limit.
TEST(Download, EachAnswerEndsInTheLineOfItsPictureOrInItsStatusInTime) {
    const TempFolder folder;
    // The samples, and a WebP beside them.
    const std::string root = folder.File("root/");
    MakeFolder(root);
    for (const char* sample : {"landscape.bmp", "tiles.gif", "badge.png"})
        WriteBytes(root + sample, ReadBytes(kSource + "/samples/" + sample));
    std::vector<Rgba> pixels;
    for (std::uint32_t i = 0, noise = 1; i < 40 * 30; ++i) {
        noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
        pixels.push_back({std::uint8_t(noise >> 24), std::uint8_t(noise >> 16), std::uint8_t(i), 255});
    }
    WriteBytes(root + "noise.webp", EncodeRgbaWebp(pixels, 40));
    const CommandResult started =
        RunCommand("/usr/bin/python3 " + Quoted(kSource + "/tests/web/hostile_server.py") + " " +
                       Quoted(root) + " " + Quoted(folder.path()) + " " + std::to_string(getpid()) + " >" +
                       Quoted(folder.File("server.out")) + " 2>&1 &",
                   folder.path());
    ASSERT_EQ(started.exitCode, 0) << started.err;
    std::map<std::string, int> ports = {{"closed", 1}};
    for (int tries = 0;
         !(std::ifstream(folder.File("ready")) >> ports["http"] >> ports["https"] >> ports["untrusted"]);
         ++tries) {
        ASSERT_LT(tries, 400) << "the server did not start";
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // korvi-cli trusts the server through the variable; WinINet through Wine's ROOT store.
    SetEnvironment("SSL_CERT_FILE", folder.File("trusted.pem"));
    if (!kWindowsBuild.empty()) {
        const CommandResult trusted =
            RunCommand(Program("", "/tests/web/trust_test_ca.exe") + " " + Seen(folder.File("trusted.pem")),
                       folder.path());
        ASSERT_EQ(trusted.exitCode, 0) << trusted.out << trusted.err;
    }

    const struct {
        const char* listener;
        std::string path;
        std::string sample;  // whose line the answer gives, else:
        int status = 0;
        bool late = false;      // ends at the whole download's limit
        const char* http = "";  // the server's error status
    } cases[] = {
        {"http", "tiles.gif", "tiles.gif"},
        {"http", "badge.png", "badge.png"},
        {"http", "noise.webp", "noise.webp"},
        {"http", "missing.png", "", 13, false, "(HTTP 404 Not Found)"},
        {"https", "landscape.bmp", "landscape.bmp"},
        {"http", "chunked", "landscape.bmp"},
        {"http", "gzip", "landscape.bmp"},
        {"http", "404", "landscape.bmp"},
        {"untrusted", "landscape.bmp", "", 4},
        {"https", "to-http", "", 4},
        {"closed", "landscape.bmp", "", 4},
        {"http", "big-length", "", 6},
        {"http", "reset", "", 10},
        {"http", "stall-headers", "", 4},
        {"http", "stall-body", "", 10},
        {"http", "continue", "", 10, true},
        {"http", "drip-body", "", 10, true},
    };
    std::vector<std::string> urls;
    std::string arguments, files;
    for (const auto& c : cases) {
        urls.push_back(std::string(c.listener == std::string("http") ? "http" : "https") +
                       "://127.0.0.1:" + std::to_string(ports[c.listener]) + "/" + c.path);
        arguments += " " + urls.back();
        if (!c.sample.empty()) files += " " + Seen(root + c.sample);
    }
    const auto start = std::chrono::steady_clock::now();
    const CommandResult result =
        RunCommand("KORVI_FETCH_TIME_LIMIT_MS=12000 timeout -k 5 60 " +
                       Program(KORVI_CLI_PATH, "/cli/korvi-cli.exe") + " -j 32" + arguments + files,
                   folder.path());
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    EXPECT_LT(seconds.count(), 12 + 3) << "the limit, and the time Wine takes to start";
    EXPECT_EQ(result.exitCode, 1);
    std::vector<std::string> lines;
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), urls.size()) << result.err;
    auto fileLine = lines.begin() + urls.size();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const std::size_t at = result.err.find(urls[i] + ": ");
        const std::string message =
            at == std::string::npos ? "" : result.err.substr(at, result.err.find('\n', at) - at);
        if (!c.sample.empty()) {
            EXPECT_TRUE(fileLine != lines.end() && lines[i] == *fileLine++) << urls[i] << ": " << message;
            continue;
        }
        EXPECT_EQ(lines[i], "") << urls[i];
        EXPECT_NE(message.find(" (status " + std::to_string(c.status) + ":"), std::string::npos)
            << urls[i] << ": " << message;
        EXPECT_EQ(message.find("the whole download took longer than 12 seconds") != std::string::npos, c.late)
            << urls[i] << ": " << message;
        EXPECT_EQ(message.find("(HTTP") == std::string::npos ? "" : message.substr(message.find("(HTTP"), 20),
                  c.http)
            << urls[i] << ": " << message;
    }
    // Without the variable, the product's own limit holds.
    const CommandResult unlimited =
        RunCommand(Program(KORVI_CLI_PATH, "/cli/korvi-cli.exe") + " " + urls[0], folder.path());
    EXPECT_TRUE(unlimited.exitCode == 0 && unlimited.out == lines[urls.size()]) << unlimited.err;
}
