// korvi-cli against a server of the tests that answers carefully, carelessly and with hostility.
// Runs the native korvi-cli of this build, or, with KORVI_WINDOWS_BUILD naming the Windows build
// folder, its korvi-cli.exe under Wine (the suite's prefix must be set up).
#include <gtest/gtest.h>
#include <iconv.h>
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "codecs/gif/gif_writer.h"
#include "codecs/jpeg/jpeg_writer.h"
#include "core/bmp_file.h"
#include "core/messages.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/command.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* WindowsBuild() {
    const char* folder = std::getenv("KORVI_WINDOWS_BUILD");
    return folder != nullptr && *folder != '\0' ? folder : nullptr;
}

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

Bytes Padded(std::string text, std::size_t size) {
    text.resize(size, ' ');
    return Bytes(text.begin(), text.end());
}

void WritePng(PackedBitmap picture, const std::string& path) {
    BitmapLock header(picture);
    const int width = header->biWidth, height = header->biHeight;
    const std::uint32_t stride = RowBytes(24, width);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGR;
    // A negative stride tells libpng that the rows are stored bottom-up.
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, PixelRows(header.data()),
                                        -static_cast<png_int_32>(stride), nullptr));
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
    const std::string& root() const { return root_; }

    struct Outcome {
        int exitCode;
        std::string out, err;
        double seconds;
    };
    // korvi-cli converting `picture` (an address, or a file of the server's folder) to BMP, with
    // `environment` (assignments) set.
    Outcome Convert(const std::string& picture, const std::string& environment = "") {
        return Convert(std::vector<std::string>{picture}, "", environment);
    }
    // Several pictures in one run.
    Outcome Convert(const std::vector<std::string>& pictures, const std::string& options,
                    const std::string& environment = "") {
        const std::string windows = WindowsBuild() ? WindowsBuild() : "";
        std::string arguments = options;
        for (const std::string& picture : pictures) {
            const bool local = picture.rfind("http", 0) != 0;
            arguments += " " + Quoted(local && !windows.empty() ? WinePath(root_ + picture)
                                      : local                   ? root_ + picture
                                                                : picture);
        }
        const std::string program = windows.empty()
                                        ? Quoted(KORVI_CLI_PATH)
                                        : Quoted(std::string(KORVI_SOURCE_DIR) + "/scripts/wine-run.sh") +
                                              " " + Quoted(windows + "/cli/korvi-cli.exe");
        const Clock::time_point start = Clock::now();
        CommandResult result = RunCommand(
            environment + " timeout -k 5 60 " + program + " -f bmp -m 0 " + arguments, work_.path());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!windows.empty()) result.err = Utf8FromCp932(result.err);
        return Outcome{result.exitCode, result.out, result.err, seconds};
    }

    // The server's line about a hostile answer, waiting a little for it to notice the client left.
    std::string ServerSaw(const std::string& name) {
        for (const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
             Clock::now() < deadline;) {
            std::ifstream log(work_.File("server.log"));
            for (std::string line; std::getline(log, line);) {
                if (line.rfind(name + " ", 0) == 0) return line;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return "";
    }

  private:
    void Write(const std::string& name, const Bytes& bytes) {
        std::filesystem::create_directories(std::filesystem::path(root_ + name).parent_path());
        WriteBytes(root_ + name, bytes);
    }
    void MakePictures();
    void MakeCertificates();
    void StartServer();

    TempFolder server_, work_;
    const std::string root_ = server_.File("www/");
    std::map<std::string, int> ports_;
    pid_t serverPid_ = 0;
};

void Harness::MakePictures() {
    GlobalBlock photo = MakeBitmap24(64, 48, NaturalPicture(64, 48));
    GlobalBlock palette = MakePaletteBitmap(
        8, 64, 48, {{0, 0, 0}, {250, 40, 30}, {30, 200, 60}, {20, 60, 240}, {255, 255, 255}},
        [](int x, int y) { return (x * 7 + y * 3 + x * y) % 5; });
    std::filesystem::create_directories(root_ + "a/b");
    ASSERT_EQ(WriteBmpFile(photo.get(), (root_ + "pic.bmp").c_str()), kBmpWritten);
    ASSERT_EQ(WriteGifFile(palette.get(), (root_ + "pic.gif").c_str()), 0);
    ASSERT_EQ(WriteJpegFile(photo.get(), (root_ + "pic.jpg").c_str(), 90), 0);
    WritePng(photo.get(), root_ + "pic.png");
    for (const char* name : {"pic.bmp", "pic.gif", "pic.jpg", "pic.png"}) {
        ASSERT_GE(ReadBytes(root_ + name).size(), 256u) << name << " must be long enough to be judged";
    }
    Write("a/pic.gif", ReadBytes(root_ + "pic.gif"));
    Write("tiny.gif", Padded("GIF89a\x0a\x00\x0a\x00", 40));
    Write("narrow.gif", Padded(std::string("GIF89a\x09\x00\x90\x01", 10), 300));
    Write("nowhere.jpg",
          Padded(
              std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\x12\xC0", 22),
              300));
    const auto page = [](const std::string& target) {
        const std::string text =
            "<html><head><meta http-equiv=\"refresh\" content=\"0; url=" + target + "\"></head></html>";
        return Bytes(text.begin(), text.end());
    };
    Write("a/dot.html", page("./pic.gif"));
    Write("a/root.html", page("/pic.gif"));
    Write("a/b/up.html", page("../pic.gif"));
    Write("a/twice.html", page("./dot.html"));
    // Reached through a redirect from /a/moved: "pic.bmp" lies where the redirect ended.
    Write("a/b/page.html", page("pic.bmp"));
    Write("a/b/pic.bmp", ReadBytes(root_ + "pic.bmp"));
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
    if (WindowsBuild()) {
        const CommandResult trusted =
            RunCommand(Quoted(std::string(KORVI_SOURCE_DIR) + "/scripts/wine-run.sh") + " " +
                           Quoted(std::string(WindowsBuild()) + "/tests/web/trust_test_ca.exe") + " " +
                           Quoted(WinePath(folder + "ca.pem")),
                       folder);
        ASSERT_EQ(trusted.exitCode, 0) << trusted.out << trusted.err;
    }
}

void Harness::StartServer() {
    const std::string folder = server_.path();
    const std::string command =
        "/usr/bin/python3 " + Quoted(std::string(KORVI_SOURCE_DIR) + "/tests/web/hostile_server.py") +
        " --root " + Quoted(root_) + " --ready " + Quoted(folder + "ready.json") + " --log " +
        Quoted(work_.File("server.log")) + " --cert " + Quoted(folder + "server.pem") + " " +
        Quoted(folder + "server.key") + " --untrusted " + Quoted(folder + "untrusted.pem") + " " +
        Quoted(folder + "untrusted.key") + " --parent " + std::to_string(getpid()) + " >" +
        Quoted(folder + "server.out") + " 2>&1 & echo $!";
    const CommandResult started = RunCommand(command, folder);
    ASSERT_EQ(started.exitCode, 0) << started.err;
    serverPid_ = std::atoi(started.out.c_str());
    for (const Clock::time_point deadline = Clock::now() + std::chrono::seconds(20);;) {
        std::ifstream ready(folder + "ready.json");
        std::stringstream text;
        text << ready.rdbuf();
        for (const char* listener : {"http", "https", "untrusted"}) {
            const std::size_t at = text.str().find(std::string("\"") + listener + "\": ");
            if (at != std::string::npos)
                ports_[listener] = std::atoi(text.str().c_str() + at + std::strlen(listener) + 4);
        }
        if (ports_.size() == 3) return;
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

}  // namespace

TEST_F(Download, PicturesConvertAsTheirFilesDo) {
    Harness& h = *harness_;
    const struct {
        std::string url;
        const char* file;
    } cases[] = {
        {h.Url("pic.bmp"), "pic.bmp"},          {h.Url("pic.gif"), "pic.gif"},
        {h.Url("pic.png"), "pic.png"},          {h.Url("pic.jpg"), "pic.jpg"},
        {h.Url("pic.bmp", "https"), "pic.bmp"}, {h.Url("chunked.gif"), "pic.bmp"},
        {h.Url("gzip.gif"), "pic.bmp"},         {h.Url("404.gif"), "pic.bmp"},
        {h.Url("a/dot.html"), "pic.gif"},       {h.Url("a/root.html"), "pic.gif"},
        {h.Url("a/b/up.html"), "pic.gif"},      {h.Url("a/absolute.html"), "pic.gif"},
        {h.Url("a/moved"), "pic.bmp"},
    };
    const std::string absolute = "<meta http-equiv=\"refresh\" content=\"0;url=" + h.Url("pic.gif") + "\">";
    WriteBytes(h.root() + "a/absolute.html", Bytes(absolute.begin(), absolute.end()));
    std::vector<std::string> urls;
    std::string lines;
    for (const auto& c : cases) {
        const Harness::Outcome file = h.Convert(c.file);
        const Harness::Outcome url = h.Convert(c.url);
        urls.push_back(c.url);
        lines += file.out + "\n";
        EXPECT_EQ(url.exitCode, file.exitCode) << c.url << "\n" << url.err;
        EXPECT_TRUE(url.out == file.out) << c.url << "\n"
                                         << url.out.substr(0, 80) << "\n"
                                         << file.out.substr(0, 80);
        // Where the reader of the type cannot load the file either, the download itself succeeded.
        EXPECT_EQ(url.err.find(kMsgDownloadFailed), std::string::npos) << c.url << "\n" << url.err;
        EXPECT_EQ(url.err.find(kMsgUnknownFormat), std::string::npos) << c.url << "\n" << url.err;
    }
    // All the addresses in one run, downloaded on threads: each line as the address gives it alone.
    const Harness::Outcome all = h.Convert(urls, "-j 4");
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_TRUE(all.out == lines);
}

TEST_F(Download, HostileAnswersEndInTheirMessage) {
    Harness& h = *harness_;
    const struct {
        std::string url;
        std::string message;
    } cases[] = {
        {h.Url("tiny.gif"), FailedWith(10)},
        {h.Url("narrow.gif"), FailedWith(7)},
        {h.Url("big-length.gif"), FailedWith(6)},
        {h.Url("endless.gif"), FailedWith(6)},
        {h.Url("short-body.gif"), FailedWith(12)},
        {h.Url("reset.gif"), FailedWith(10)},
        {h.Url("cut-chunked.gif"), FailedWith(10)},
        {h.Url("a/twice.html"), FailedWith(10)},
        {h.Url("missing.gif"), FailedWith(13)},
        {h.Url("nowhere.jpg"), kMsgUnknownFormat},
        {h.Url("pic.bmp", "untrusted"), FailedWith(4)},
        {h.Url("to-http.gif", "https"), "; a redirect from https:// to http://)"},
        {"http://127.0.0.1:1/pic.bmp", FailedWith(4)},
        {"http://127.0.0.1:65536/pic.bmp", FailedWith(1)},
        {"http://127.0.0.1", FailedWith(1)},
    };
    for (const auto& c : cases) {
        const Harness::Outcome outcome = h.Convert(c.url);
        EXPECT_EQ(outcome.exitCode, 1) << c.url;
        EXPECT_EQ(outcome.out, "") << c.url;
        const bool cutChunkedUnderWine = WindowsBuild() && c.url.find("cut-chunked") != std::string::npos;
        if (cutChunkedUnderWine) {
            // WinINet takes a chunked body cut short for the whole body: the reader refuses the file.
            EXPECT_NE(outcome.err.find(kMsgNoPicture), std::string::npos) << outcome.err;
        } else {
            EXPECT_NE(outcome.err.find(c.message), std::string::npos) << c.url << "\n" << outcome.err;
        }
    }
    // The client left early instead of taking the whole body.
    const std::string endless = h.ServerSaw("endless");
    EXPECT_EQ(endless.rfind("endless client-closed", 0), 0u) << endless;
    const std::string announced = h.ServerSaw("big-length");
    EXPECT_EQ(announced.rfind("big-length client-closed", 0), 0u) << announced;
    EXPECT_LT(std::atol(announced.c_str() + announced.find("sent=") + 5), 1000000) << announced;
}

TEST_F(Download, SlowServersEndInTime) {
    Harness& h = *harness_;
    // A silent server ends at the 10-second wait; one that keeps sending a little ends at the
    // whole download's limit, shortened here to 3 seconds.
    const struct {
        const char* path;
        int status;
        int seconds;  // 10: the wait without a byte; 3: the whole download's limit
    } cases[] = {
        {"stall-headers.gif", 4, 10}, {"stall-body.gif", 10, 10}, {"drip-headers.gif", 10, 3},
        {"continue.gif", 10, 3},      {"drip-body.gif", 10, 3},
    };
    for (const auto& c : cases) {
        const Harness::Outcome outcome =
            h.Convert(h.Url(c.path),
                      c.seconds == 10 ? "" : "KORVI_FETCH_TIME_LIMIT_MS=" + std::to_string(c.seconds * 1000));
        EXPECT_EQ(outcome.exitCode, 1) << c.path;
        EXPECT_NE(outcome.err.find(FailedWith(c.status)), std::string::npos) << c.path << "\n" << outcome.err;
        EXPECT_GE(outcome.seconds, c.seconds - 0.5) << c.path << " ended before its time";
        EXPECT_LT(outcome.seconds, c.seconds + 2) << c.path;
    }
}
