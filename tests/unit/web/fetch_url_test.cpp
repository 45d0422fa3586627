#include "web/fetch_url.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/webp_fixture.h"

namespace {

Bytes Padded(Bytes bytes, std::size_t size) {
    bytes.resize(std::max(bytes.size(), size), 0x20);
    return bytes;
}

constexpr auto Lo = [](int value) { return static_cast<std::uint8_t>(value); };
constexpr auto Hi = [](int value) { return static_cast<std::uint8_t>(value >> 8); };

Bytes Gif(int width, int height, std::size_t size = 300) {
    return Padded({'G', 'I', 'F', '8', '9', 'a', Lo(width), Hi(width), Lo(height), Hi(height)}, size);
}

Bytes Png(std::uint32_t width, std::uint32_t height, std::size_t ihdrAt = 12) {
    Bytes bytes = Padded({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, 300);
    std::memcpy(&bytes[ihdrAt], "IHDR", 4);
    for (int i = 0; i < 4; ++i) {
        bytes[ihdrAt + 4 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        bytes[ihdrAt + 8 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    return bytes;
}

// Start of image, `segments` application segments of `segmentLength`, then what follows.
Bytes Jpeg(int segments, int segmentLength, const Bytes& then, std::size_t size = 300) {
    Bytes bytes = {0xFF, 0xD8};
    for (int i = 0; i < segments; ++i) {
        bytes.insert(bytes.end(), {0xFF, 0xE1, Hi(segmentLength), Lo(segmentLength)});
        bytes.resize(bytes.size() + segmentLength - 2, 0);
    }
    bytes.insert(bytes.end(), then.begin(), then.end());
    return Padded(bytes, size);
}

Bytes FrameHeader(std::uint8_t code, int width, int height) {
    return {0xFF, code, 0, 17, 8, Hi(height), Lo(height), Hi(width), Lo(width), 3};
}

// libwebp's file of a noisy picture with transparency: the size stands in its first chunk, the
// picture's after the transparency's.
Bytes Webp(int width, int height) {
    std::vector<Rgba> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.push_back({Lo(i * 97), Lo(i * 31 + i / 7), Lo(i * 13), Lo(i)});
    return Padded(EncodeRgbaWebp(pixels, width, true), 300);
}

struct Answer {
    Bytes body;
    std::optional<std::string> contentLength = std::nullopt;
    bool endless = false;  // zero bytes follow the body without end
    int failAt = -1;       // reads fail once this many bytes have been handed over
    int sendStatus = 0;    // Send fails with this status
    std::optional<std::string> location = std::nullopt;  // a redirect to this address
};

const auto Redirect = [](const std::string& to) { return Answer{{}, std::nullopt, false, -1, 0, to}; };

// A server that answers by the requested object and counts what it hands over.
class FakeServer final : public FetchSession {
  public:
    std::unique_ptr<FetchRequest> Send(const UrlParts& url, const char*, std::int64_t deadline,
                                       int* status) override;
    bool QuitRequested() override { return quit; }
    std::int64_t NowMs() override { return clock; }

    std::map<std::string, Answer> answers;
    std::vector<std::string> requested;  // host:port and object
    std::size_t delivered = 0;
    int largestRead = 1 << 30;
    std::int64_t clock = 0, msPerSend = 0;
    bool quit = false;
};

class FakeRequest final : public FetchRequest {
  public:
    FakeRequest(FakeServer& server, const Answer& answer) : server_(server), answer_(answer) {}
    std::optional<std::string> ContentLength() override { return answer_.contentLength; }
    std::optional<std::string> RedirectTarget() override { return answer_.location; }
    int StatusCode() override { return answer_.location ? 302 : 200; }
    int Read(std::uint8_t* buffer, int size) override {
        if (answer_.failAt >= 0 && position_ >= static_cast<std::size_t>(answer_.failAt)) return -1;
        std::size_t count = std::min<std::size_t>(size, server_.largestRead);
        if (!answer_.endless) count = std::min(count, answer_.body.size() - position_);
        for (std::size_t i = 0; i < count; ++i, ++position_) {
            buffer[i] = position_ < answer_.body.size() ? answer_.body[position_] : 0;
        }
        server_.delivered += count;
        return static_cast<int>(count);
    }

  private:
    FakeServer& server_;
    const Answer& answer_;
    std::size_t position_ = 0;
};

std::unique_ptr<FetchRequest> FakeServer::Send(const UrlParts& url, const char*, std::int64_t deadline,
                                               int* status) {
    requested.push_back(url.host + ":" + std::to_string(url.port) + url.object);
    clock += msPerSend;
    const auto found = answers.find(url.object);
    if (found == answers.end() || clock >= deadline) {
        *status = kFetchSendFailed;
        return nullptr;
    }
    *status = found->second.sendStatus;
    if (*status != 0) return nullptr;
    return std::make_unique<FakeRequest>(*this, found->second);
}

class Fetch : public testing::Test {
  protected:
    Fetch() : server_(new FakeServer) { context_.session.reset(server_); }
    ~Fetch() override { g_fetchCancelled = 0; }

    FetchedBody Get(const std::string& url) { return FetchUrl(url.c_str(), context_); }

    FakeServer* server_;
    FetchContext context_;
};

}  // namespace

TEST_F(Fetch, JudgesTheBodyByItsFirstBytes) {
    const Bytes gif = Gif(10, 10, 2000);
    const PictureFormat *kGif = &FormatOf(OutputFormat::kGif), *kBmp = &FormatOf(OutputFormat::kBmp),
                        *kPng = &FormatOf(OutputFormat::kPng), *kJpeg = &FormatOf(OutputFormat::kJpeg),
                        *kWebp = &FormatOf(OutputFormat::kWebp), *kNone = nullptr;
    const struct {
        const char* name;
        Answer answer;
        int status;
        const PictureFormat* format = nullptr;
        int width = 0, height = 0;
        std::size_t mostDelivered = SIZE_MAX;
        Program downloader = Program::kWindow;
    } cases[] = {
        {"gif 10 x 10", {Gif(10, 10, 256)}, 0, kGif, 10, 10},
        {"gif of 40 bytes", {Gif(10, 10, 40)}, kFetchReadFailed},
        {"top-down bmp",
         {Padded(Join({{'B', 'M'}, Bytes(16), {10, 0, 0, 0, 0xEC, 0xFF, 0xFF, 0xFF}}), 300)},
         0,
         kBmp,
         10,
         20},
        {"os/2 bmp 9 wide",
         {Padded(Join({{'B', 'M'}, Bytes(12), {12, 0, 0, 0, 9, 0, 20, 0, 1, 0, 24, 0}}), 300)},
         kFetchTooSmall,
         kBmp,
         9,
         20},
        {"webp", {Webp(100, 90)}, 0, kWebp, 100, 90, SIZE_MAX, Program::kCli},
        {"webp that the window does not take", {Webp(100, 90)}, kFetchNotAPicture},
        {"webp without a picture chunk",
         {Padded(WebpRiff(WebpChunk("EXIF", Bytes(8))), 300)},
         0,
         kNone,
         0,
         0,
         SIZE_MAX,
         Program::kCli},
        {"png header at the last place looked", {Png(300, 200, 239)}, 0, kPng, 300, 200},
        {"png header beyond it", {Png(300, 200, 240)}, 0, kNone},
        {"png 65536 wide", {Png(65536, 10)}, kFetchTooLarge},
        {"progressive jpeg behind 3000 bytes", {Jpeg(3, 1000, FrameHeader(0xC2, 20, 30))}, 0, kJpeg, 20, 30},
        {"jpeg frame header cut off", {Jpeg(1, 250, {0xFF, 0xC0, 0, 17, 8}, 0)}, 0, kNone},
        {"jpeg 9 pixels high", {Jpeg(1, 16, FrameHeader(0xC1, 100, 9))}, kFetchTooSmall, kJpeg},
        {"jpeg without a marker", {Jpeg(0, 0, {0x00, 0xC0})}, 0, kNone},
        {"jpeg segment shorter than 2", {Jpeg(0, 0, {0xFF, 0xE0, 0, 1, 0xFF, 0xC0})}, 0, kNone},
        {"jpeg segment leading nowhere", {Jpeg(1, 16, {0x12, 0xC0})}, 0, kNone},
        {"jpeg ending inside its segments", {Jpeg(1, 5000, {})}, 0, kNone},
        {"6000000 announced", {Jpeg(0, 0, {0}), "6000000", true}, kFetchTooLarge, kNone, 0, 0, 511},
        {"endless without a length", {gif, std::nullopt, true}, kFetchTooLarge, kGif, 10, 10, 100000 + 1024},
        {"longer than announced", {gif, "1000", true}, kFetchLengthMismatch, kGif, 10, 10, 1000 + 1024},
        {"exactly as announced", {gif, " 2000"}, 0, kGif, 10, 10},
        {"shorter than announced", {gif, "2001"}, kFetchLengthMismatch, kGif},
        {"announced length -1", {gif, "-1"}, kFetchEmptyLength},
        {"announced length read as atoi reads it", {gif, "+2000;x"}, 0, kGif, 10, 10},
        {"announced length beyond 64 bits", {gif, "99999999999999999999999"}, kFetchTooLarge, kGif},
        {"read failing in the rest", {gif, std::nullopt, false, 1500}, kFetchReadFailed, kGif},
        {"not opened", {gif, std::nullopt, false, -1, kFetchOpenRequestFailed}, kFetchOpenRequestFailed},
    };
    context_.maximumSize = 100000;
    for (int largestRead : {1 << 30, 7}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", reads of at most " + std::to_string(largestRead));
            server_->answers["/pic"] = c.answer;
            server_->largestRead = largestRead;
            server_->delivered = 0;
            context_.downloader = c.downloader;
            const FetchedBody body = Get("http://host/pic");
            EXPECT_EQ(context_.status, c.status);
            EXPECT_EQ(body != nullptr, c.status == 0);
            EXPECT_EQ(context_.format, c.format);
            if (c.width != 0) {
                EXPECT_EQ(std::make_pair(context_.width, context_.height), std::make_pair(c.width, c.height));
            }
            EXPECT_LE(server_->delivered, c.mostDelivered);
            if (!body) continue;
            ASSERT_EQ(static_cast<std::size_t>(context_.length), c.answer.body.size());
            EXPECT_TRUE(std::equal(c.answer.body.begin(), c.answer.body.end(), body.get()));
            EXPECT_EQ(body.get()[context_.length], 0);
        }
    }
}

// A usable address is requested, then where its redirects lead, then the target of one refresh page.
// Each answer takes a second, and the redirects share the one time limit.
TEST_F(Fetch, FollowsRedirectsAndOneRefreshPage) {
    const auto page = [](const std::string& target, std::size_t size = 0) {
        std::string text = "<html><head><meta http-equiv=\"refresh\" content=\"0;url=" + target + "\">";
        text.resize(std::max(text.size(), size), ' ');
        return text;
    };
    const std::string kPage = "http://h/a/page";
    const struct {
        const char* name;
        std::string url, page;
        int status;
        std::vector<std::string> requested;
        std::int64_t timeLimitMs = kDownloadTimeLimitMs;
    } cases[] = {
        {"short page", kPage, page("./pic.gif"), 0, {"h:80/a/page", "h:80/a/pic.gif"}},
        {"long page", kPage, page("../pic.gif", 400), 0, {"h:80/a/page", "h:80/pic.gif"}},
        {"forwarding to itself", kPage, page("page", 300), kFetchNotAPicture, {"h:80/a/page", "h:80/a/page"}},
        {"tag too late", kPage, std::string(600, ' ') + page("pic.gif"), kFetchNotAPicture, {"h:80/a/page"}},
        // The target taken relative to where the redirect ended.
        {"redirected", "https://h/r", page("pic.gif"), 0, {"h:443/r", "h:443/b/page", "h:443/b/pic.gif"}},
        {"redirect loop", "http://h/loop", "", kFetchSendFailed, std::vector<std::string>(11, "h:80/loop")},
        {"redirects past the limit", "http://h/loop", "", kFetchReadFailed,
         std::vector<std::string>(5, "h:80/loop"), 5000},
        {"address without a path", "http://h", "", kFetchBadUrl, {}},
    };
    server_->msPerSend = 1000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        context_.timeLimitMs = c.timeLimitMs;
        const Bytes text(c.page.begin(), c.page.end());
        server_->answers = {{"/a/page", {text}},
                            {"/b/page", {text}},
                            {"/r", Redirect("https://h/b/page")},
                            {"/loop", Redirect("http://h/loop")}};
        for (const char* picture : {"/a/pic.gif", "/b/pic.gif", "/pic.gif"})
            server_->answers[picture] = {Gif(20, 20)};
        server_->requested.clear();
        const FetchedBody body = Get(c.url);
        EXPECT_EQ(context_.status, c.status);
        EXPECT_EQ(server_->requested, c.requested);
        EXPECT_EQ(context_.format, c.status == 0 ? &FormatOf(OutputFormat::kGif) : nullptr);
    }
}

TEST_F(Fetch, EndsAtAQuitRequestAndAllThatFollow) {
    server_->answers["/pic"] = {Gif(10, 10, 2000), std::nullopt, true};
    for (const bool quit : {true, false}) {
        server_->quit = quit;
        EXPECT_FALSE(Get("http://host/pic"));
        EXPECT_EQ(context_.status, kFetchCancelled) << "the flag stays set";
    }
}
