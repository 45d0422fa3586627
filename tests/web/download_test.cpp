// korvi-cli against a server of the tests that answers carefully, carelessly and with hostility.
// Runs the native korvi-cli of this build, or, with KORVI_WINDOWS_BUILD naming the Windows build
// folder, its korvi-cli.exe under Wine (the suite's prefix must be set up).
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <sstream>
#include <thread>

#include "core/messages.h"
#include "pipeline/picture_formats.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/command.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kWindowsBuild =
    std::getenv("KORVI_WINDOWS_BUILD") ? std::getenv("KORVI_WINDOWS_BUILD") : "";

std::string WinePath(const std::string& path) {
    std::string converted = "Z:" + path;
    for (char& c : converted) c = c == '/' ? '\\' : c;
    return converted;
}

std::string Utf8FromCp932(const std::string& text) {
    iconv_t convert = iconv_open("UTF-8", "CP932");
    std::string out(text.size() * 3 + 1, '\0');
    char* in = const_cast<char*>(text.data());
    char* to = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    iconv(convert, &in, &inLeft, &to, &outLeft);
    iconv_close(convert);
    out.resize(out.size() - outLeft);
    return out;
}

// The server, its pictures and pages, and the certificates, made once for the test program.
class Harness {
  public:
    Harness() {
        MakePictures();
        MakeCertificates();
        StartServer();
    }
    ~Harness() {
        if (serverPid_ > 0) kill(serverPid_, SIGTERM);
    }

    std::string Url(const std::string& path, const char* listener = "http") const {
        const bool secure = std::string(listener) != "http";
        return std::string(secure ? "https" : "http") +
               "://127.0.0.1:" + std::to_string(ports_.at(listener)) + "/" + path;
    }

    struct Outcome {
        int exitCode;
        std::string out, err;
        double seconds;
    };
    // One run of korvi-cli converting `pictures` (addresses, or files of the server's folder) to
    // BMP, with `environment` (assignments) set. Runs may go on at once.
    Outcome Convert(const std::vector<std::string>& pictures, const std::string& options = "",
                    const std::string& environment = "") const {
        std::string arguments = options;
        for (const std::string& picture : pictures) {
            const bool local = picture.rfind("http", 0) != 0;
            arguments += " " + Quoted(local && !kWindowsBuild.empty() ? WinePath(root_ + picture)
                                      : local                         ? root_ + picture
                                                                      : picture);
        }
        const std::string program = kWindowsBuild.empty()
                                        ? Quoted(KORVI_CLI_PATH)
                                        : Quoted(std::string(KORVI_SOURCE_DIR) + "/scripts/wine-run.sh") +
                                              " " + Quoted(kWindowsBuild + "/cli/korvi-cli.exe");
        const TempFolder work;
        const Clock::time_point start = Clock::now();
        CommandResult result = RunCommand(
            environment + " timeout -k 5 60 " + program + " -f bmp -m 0 " + arguments, work.path());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!kWindowsBuild.empty()) result.err = Utf8FromCp932(result.err);
        return Outcome{result.exitCode, result.out, result.err, seconds};
    }

    // The server's line about a hostile answer, waiting a little for it to notice the client left.
    std::string ServerSaw(const std::string& name) {
        for (const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
             Clock::now() < deadline;) {
            std::ifstream log(server_.File("server.log"));
            for (std::string line; std::getline(log, line);) {
                if (line.rfind(name + " ", 0) == 0) return line;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return "";
    }

  private:
    void Write(const std::string& name, std::string text) {
        text.resize(std::max<std::size_t>(text.size(), 300), ' ');
        WriteBytes(root_ + name, Bytes(text.begin(), text.end()));
    }
    void MakePictures();
    void MakeCertificates();
    void StartServer();

    TempFolder server_;
    const std::string root_ = server_.File("www/");
    std::map<std::string, int> ports_;
    pid_t serverPid_ = 0;
};

void Harness::MakePictures() {
    GlobalBlock photo = MakeBitmap24(64, 48, NaturalPicture(64, 48));
    std::filesystem::create_directories(root_ + "a/b");
    for (OutputFormat id :
         {OutputFormat::kBmp, OutputFormat::kGif, OutputFormat::kJpeg, OutputFormat::kPng}) {
        const PictureFormat& format = FormatOf(id);
        const std::string path = root_ + "pic." + format.extensions[0];
        ASSERT_EQ(format.write(photo.get(), path.c_str(), 90, false), nullptr) << path;
    }
    // Reached through a redirect from /a/moved: "pic.bmp" lies where the redirect ended.
    Write("a/b/page.html",
          "<html><head><meta http-equiv=\"refresh\" content=\"0; url=pic.bmp\"></head></html>");
    std::filesystem::copy_file(root_ + "pic.bmp", root_ + "a/b/pic.bmp");
    // A JPEG whose segments lead nowhere: no picture of a type the download knows.
    Write("nowhere.jpg",
          std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\x12\xC0", 22));
}

void Harness::MakeCertificates() {
    const std::string folder = server_.path();
    std::ofstream(folder + "server.ext") << "subjectAltName=DNS:127.0.0.1,IP:127.0.0.1,DNS:localhost\n"
                                            "basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n";
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
    const std::string commands[] = {
        "openssl req -x509" + key +
            " -keyout ca.key -out ca.pem -subj /CN=korvi-test-authority"
            " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign",
        "openssl req" + key + " -keyout server.key -out server.csr -subj /CN=127.0.0.1",
        "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2"
        " -extfile server.ext -out server.pem",
        "openssl req -x509" + key +
            " -keyout untrusted.key -out untrusted.pem -subj /CN=127.0.0.1"
            " -addext subjectAltName=DNS:127.0.0.1,IP:127.0.0.1,DNS:localhost"};
    for (const std::string& command : commands) {
        const CommandResult made = RunCommand("cd " + Quoted(folder) + " && " + command, folder);
        ASSERT_EQ(made.exitCode, 0) << command << "\n" << made.err;
    }
    // korvi-cli trusts the test authority through the variable; Wine through its ROOT store.
    SetEnvironment("SSL_CERT_FILE", folder + "ca.pem");
    if (!kWindowsBuild.empty()) {
        const CommandResult trusted =
            RunCommand(Quoted(std::string(KORVI_SOURCE_DIR) + "/scripts/wine-run.sh") + " " +
                           Quoted(kWindowsBuild + "/tests/web/trust_test_ca.exe") + " " +
                           Quoted(WinePath(folder + "ca.pem")),
                       folder);
        ASSERT_EQ(trusted.exitCode, 0) << trusted.out << trusted.err;
    }
}

void Harness::StartServer() {
    const std::string folder = server_.path();
    const std::string command =
        "/usr/bin/python3 " + Quoted(std::string(KORVI_SOURCE_DIR) + "/tests/web/hostile_server.py") +
        " --root " + Quoted(root_) + " --ready " + Quoted(folder + "ready.txt") + " --log " +
        Quoted(folder + "server.log") + " --cert " + Quoted(folder + "server.pem") + " " +
        Quoted(folder + "server.key") + " --untrusted " + Quoted(folder + "untrusted.pem") + " " +
        Quoted(folder + "untrusted.key") + " --parent " + std::to_string(getpid()) + " >" +
        Quoted(folder + "server.out") + " 2>&1 & echo $!";
    const CommandResult started = RunCommand(command, folder);
    ASSERT_EQ(started.exitCode, 0) << started.err;
    serverPid_ = std::atoi(started.out.c_str());
    for (const Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);;) {
        std::ifstream ready(folder + "ready.txt");
        if (ready >> ports_["http"] >> ports_["https"] >> ports_["untrusted"]) return;
        ASSERT_LT(Clock::now(), deadline)
            << "the server did not start: " << ReadBytes(folder + "server.out").size();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

class Download : public testing::Test {
  protected:
    static void SetUpTestSuite() { harness_ = new Harness; }
    static void TearDownTestSuite() { delete harness_; }
    void SetUp() override {
        if (HasFatalFailure()) GTEST_SKIP();
    }
    static Harness* harness_;
};
Harness* Download::harness_ = nullptr;

// The download failure as korvi-cli words it.
std::string FailedWith(int status) {
    return std::string(kMsgDownloadFailed) + " (status " + std::to_string(status) + ":";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

// All the addresses in one run, downloaded on threads: a picture gives the line its file gives, a
// hostile answer its message and an empty line. The client leaves a body that grows too long early
// instead of taking it all.
TEST_F(Download, EachAnswerEndsInTheLineOfItsPictureOrInItsMessage) {
    Harness& h = *harness_;
    const struct {
        std::string url;
        std::string file;          // the picture served, or none
        std::string message = "";  // when none
    } cases[] = {
        {h.Url("pic.bmp"), "pic.bmp"},
        {h.Url("pic.gif"), "pic.gif"},
        {h.Url("pic.png"), "pic.png"},
        {h.Url("pic.jpg"), "pic.jpg"},
        {h.Url("pic.bmp", "https"), "pic.bmp"},
        {h.Url("chunked.gif"), "pic.bmp"},
        {h.Url("gzip.gif"), "pic.bmp"},
        {h.Url("404.gif"), "pic.bmp"},
        {h.Url("a/moved"), "pic.bmp"},
        {h.Url("big-length.gif"), "", FailedWith(6)},
        {h.Url("endless.gif"), "", FailedWith(6)},
        {h.Url("short-body.gif"), "", FailedWith(12)},
        {h.Url("reset.gif"), "", FailedWith(10)},
        // WinINet takes a chunked body cut short for the whole body: the reader refuses the file.
        {h.Url("cut-chunked.gif"), "", kWindowsBuild.empty() ? FailedWith(10) : kMsgNoPicture},
        {h.Url("nowhere.jpg"), "", kMsgUnknownFormat},
        {h.Url("pic.bmp", "untrusted"), "", FailedWith(4)},
        {h.Url("to-http.gif", "https"), "", "; a redirect from https:// to http://)"},
        {"http://127.0.0.1:1/pic.bmp", "", FailedWith(4)},
    };
    std::vector<std::string> urls, files;
    for (const auto& c : cases) {
        urls.push_back(c.url);
        if (!c.file.empty()) files.push_back(c.file);
    }
    const Harness::Outcome expected = h.Convert(files, "-j 4"), outcome = h.Convert(urls, "-j 4");
    ASSERT_EQ(expected.exitCode, 0) << expected.err;
    EXPECT_EQ(outcome.exitCode, 1);
    const std::vector<std::string> fileLines = Lines(expected.out), lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), urls.size()) << outcome.err;
    auto fileLine = fileLines.begin();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& c = cases[i];
        const std::size_t at = outcome.err.find("korvi-cli: " + c.url + ": ");
        const std::string message =
            at == std::string::npos ? "" : outcome.err.substr(at, outcome.err.find('\n', at) - at);
        if (c.file.empty()) {
            EXPECT_EQ(lines[i], "") << c.url;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.url << "\n" << outcome.err;
        } else {
            EXPECT_TRUE(lines[i] == *fileLine++) << c.url << "\n" << message;
        }
    }
    const std::string endless = h.ServerSaw("endless");
    EXPECT_EQ(endless.rfind("endless client-closed", 0), 0u) << endless;
    const std::string announced = h.ServerSaw("big-length");
    EXPECT_EQ(announced.rfind("big-length client-closed", 0), 0u) << announced;
    EXPECT_LT(std::atol(announced.c_str() + announced.find("sent=") + 5), 1000000) << announced;
}

// A silent server ends at the 10-second wait; one that keeps sending a little ends at the whole
// download's limit, shortened here to 3 seconds. The cases run at once, each in its own run.
TEST_F(Download, SlowServersEndInTime) {
    Harness& h = *harness_;
    const struct {
        const char* path;
        int status;
        int seconds;  // 10: the wait without a byte; 3: the whole download's limit
    } cases[] = {
        {"stall-headers.gif", 4, 10}, {"stall-body.gif", 10, 10}, {"drip-headers.gif", 10, 3},
        {"continue.gif", 10, 3},      {"drip-body.gif", 10, 3},
    };
    std::vector<std::future<Harness::Outcome>> runs;
    for (const auto& c : cases) {
        const std::string limit =
            c.seconds == 10 ? "" : "KORVI_FETCH_TIME_LIMIT_MS=" + std::to_string(c.seconds * 1000);
        runs.push_back(std::async(std::launch::async,
                                  [&h, url = h.Url(c.path), limit] { return h.Convert({url}, "", limit); }));
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto& c = cases[i];
        const Harness::Outcome outcome = runs[i].get();
        EXPECT_EQ(outcome.exitCode, 1) << c.path;
        EXPECT_NE(outcome.err.find(FailedWith(c.status)), std::string::npos) << c.path << "\n" << outcome.err;
        EXPECT_GE(outcome.seconds, c.seconds - 0.5) << c.path << " ended before its time";
        EXPECT_LT(outcome.seconds, c.seconds + 3) << c.path;
    }
}
