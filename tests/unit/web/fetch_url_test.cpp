#include "web/fetch_url.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Padded(Bytes bytes, std::size_t size) {
    bytes.resize(std::max(bytes.size(), size), 0x20);
    return bytes;
}

void PutLe32(Bytes& bytes, std::size_t at, std::int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8 * i);
}

Bytes Gif(int width, int height, std::size_t size = 300) {
    return Padded({'G', 'I', 'F', '8', '9', 'a', static_cast<std::uint8_t>(width),
                   static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(height),
                   static_cast<std::uint8_t>(height >> 8)},
                  size);
}

Bytes Bmp(std::int32_t width, std::int32_t height) {
    Bytes bytes = Padded({'B', 'M'}, 300);
    PutLe32(bytes, 18, width);
    PutLe32(bytes, 22, height);
    return bytes;
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
        bytes.insert(bytes.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(segmentLength >> 8),
                                   static_cast<std::uint8_t>(segmentLength)});
        bytes.resize(bytes.size() + segmentLength - 2, 0);
    }
    bytes.insert(bytes.end(), then.begin(), then.end());
    return Padded(bytes, size);
}

Bytes FrameHeader(std::uint8_t code, int width, int height) {
    return {0xFF,
            code,
            0,
            17,
            8,
            static_cast<std::uint8_t>(height >> 8),
            static_cast<std::uint8_t>(height),
            static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(width),
            3};
}

Bytes Text(const std::string& text, std::size_t size = 0) {
    return Padded(Bytes(text.begin(), text.end()), size);
}

struct Answer {
    Answer(Bytes bytes = {}, std::optional<std::string> length = std::nullopt, bool forever = false,
           int failing = -1, int refusal = 0)
        : body(std::move(bytes)),
          contentLength(std::move(length)),
          endless(forever),
          failAt(failing),
          sendStatus(refusal) {}

    Bytes body;
    std::optional<std::string> contentLength;
    bool endless;                         // zero bytes follow the body without end
    int failAt;                           // reads fail once this many bytes have been handed over
    int sendStatus;                       // Send fails with this status
    std::optional<std::string> location;  // a redirect to this address
};

Answer Redirect(std::string to) {
    Answer answer;
    answer.location = std::move(to);
    return answer;
}

struct BodyCase {
    BodyCase(const char* caseName, Answer served, int expectedStatus, int expectedType = kFetchUnknown,
             int w = 0, int h = 0, std::size_t most = 0)
        : name(caseName),
          answer(std::move(served)),
          status(expectedStatus),
          type(expectedType),
          width(w),
          height(h),
          mostDelivered(most) {}

    const char* name;
    Answer answer;
    int status, type, width, height;
    std::size_t mostDelivered;  // 0: the whole body
};

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
    std::int64_t clock = 0, msPerRead = 0, msPerSend = 0;
    bool quit = false;
};

class FakeRequest final : public FetchRequest {
  public:
    FakeRequest(FakeServer& server, const Answer& answer) : server_(server), answer_(answer) {}
    std::optional<std::string> ContentLength() override { return answer_.contentLength; }
    std::optional<std::string> RedirectTarget() override { return answer_.location; }
    int Read(std::uint8_t* buffer, int size) override {
        server_.clock += server_.msPerRead;
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
    Fetch() {
        auto server = std::make_unique<FakeServer>();
        server_ = server.get();
        context_.session = std::move(server);
    }
    ~Fetch() override { g_fetchCancelled = 0; }

    FetchedBody Get(const std::string& url) { return FetchUrl(url.c_str(), context_); }

    FakeServer* server_;
    FetchContext context_;
};

}  // namespace

TEST_F(Fetch, JudgesTheBodyByItsFirstBytes) {
    const Bytes gif = Gif(10, 10, 2000);
    const BodyCase cases[] = {
        {"gif 10 x 10", {Gif(10, 10, 256)}, 0, FetchTypeOf(OutputFormat::kGif), 10, 10},
        {"gif of 40 bytes", {Gif(10, 10, 40)}, kFetchReadFailed},
        {"gif 9 x 400", {Gif(9, 400)}, kFetchTooSmall},
        {"gif 400 x 9", {Gif(400, 9)}, kFetchTooSmall},
        {"top-down bmp", {Bmp(10, -20)}, 0, FetchTypeOf(OutputFormat::kBmp), 10, 20},
        {"bmp of negative width", {Bmp(-10, 20)}, kFetchTooSmall},
        {"png", {Png(300, 200)}, 0, FetchTypeOf(OutputFormat::kPng), 300, 200},
        {"png header at the last place looked",
         {Png(300, 200, 239)},
         0,
         FetchTypeOf(OutputFormat::kPng),
         300,
         200},
        {"png header beyond it", {Png(300, 200, 240)}, 0, kFetchUnknown},
        {"png 65536 wide", {Png(65536, 10)}, kFetchTooLarge},
        {"jpeg", {Jpeg(1, 16, FrameHeader(0xC0, 640, 480))}, 0, FetchTypeOf(OutputFormat::kJpeg), 640, 480},
        {"progressive jpeg behind 3000 bytes",
         {Jpeg(3, 1000, FrameHeader(0xC2, 20, 30))},
         0,
         FetchTypeOf(OutputFormat::kJpeg),
         20,
         30},
        {"jpeg frame header cut off", {Jpeg(1, 250, {0xFF, 0xC0, 0, 17, 8}, 0)}, 0, kFetchUnknown},
        {"jpeg 9 pixels high", {Jpeg(1, 16, FrameHeader(0xC1, 100, 9))}, kFetchTooSmall},
        {"jpeg without a marker", {Jpeg(0, 0, {0x00, 0xC0})}, 0, kFetchUnknown},
        {"jpeg segment shorter than 2", {Jpeg(0, 0, {0xFF, 0xE0, 0, 1, 0xFF, 0xC0})}, 0, kFetchUnknown},
        {"jpeg segment leading nowhere", {Jpeg(1, 16, {0x12, 0xC0})}, 0, kFetchUnknown},
        {"jpeg ending inside its segments", {Jpeg(1, 5000, {})}, 0, kFetchUnknown},
        {"text", {Text("plain text", 300)}, kFetchNotAPicture},
        {"short text", {Text("plain text")}, kFetchReadFailed},
        {"empty", {Bytes()}, kFetchReadFailed},
        {"announced 6000000 bytes",
         {gif, "6000000", true},
         kFetchTooLarge,
         FetchTypeOf(OutputFormat::kGif),
         10,
         10,
         511},
        {"unplaced jpeg announcing 6000000",
         {Jpeg(0, 0, {0}), "6000000", true},
         kFetchTooLarge,
         kFetchUnknown,
         0,
         0,
         511},
        {"endless without a length",
         {gif, std::nullopt, true},
         kFetchTooLarge,
         FetchTypeOf(OutputFormat::kGif),
         10,
         10,
         100000 + 1024},
        {"longer than announced",
         {gif, "1000", true},
         kFetchLengthMismatch,
         FetchTypeOf(OutputFormat::kGif),
         10,
         10,
         1000 + 1024},
        {"shorter than announced", {gif, "2001"}, kFetchLengthMismatch},
        {"exactly as announced", {gif, " 2000"}, 0, FetchTypeOf(OutputFormat::kGif), 10, 10},
        {"announced length 0", {gif, "0"}, kFetchEmptyLength},
        {"announced length -1", {gif, "-1"}, kFetchEmptyLength},
        {"announced length not a number", {gif, "many"}, kFetchEmptyLength},
        {"read failing in the first bytes", {gif, std::nullopt, false, 100}, kFetchReadFailed},
        {"read failing in the rest", {gif, std::nullopt, false, 1500}, kFetchReadFailed},
        {"connection refused", {gif, std::nullopt, false, -1, kFetchSendFailed}, kFetchSendFailed},
        {"request not opened",
         {gif, std::nullopt, false, -1, kFetchOpenRequestFailed},
         kFetchOpenRequestFailed},
    };
    context_.maximumSize = 100000;
    for (int largestRead : {1 << 30, 7}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", reads of at most " + std::to_string(largestRead));
            server_->answers["/pic"] = c.answer;
            server_->largestRead = largestRead;
            server_->delivered = 0;
            const FetchedBody body = Get("http://host/pic");
            EXPECT_EQ(context_.status, c.status);
            EXPECT_EQ(body != nullptr, c.status == 0);
            if (c.type != kFetchUnknown || c.status == 0) {
                EXPECT_EQ(context_.type, c.type);
            }
            if (c.width != 0) {
                EXPECT_EQ(context_.width, c.width);
            }
            if (c.height != 0) {
                EXPECT_EQ(context_.height, c.height);
            }
            if (c.mostDelivered != 0) {
                EXPECT_LE(server_->delivered, c.mostDelivered);
            }
            if (!body) continue;
            ASSERT_EQ(static_cast<std::size_t>(context_.length), c.answer.body.size());
            EXPECT_TRUE(std::equal(c.answer.body.begin(), c.answer.body.end(), body.get()));
            EXPECT_EQ(body.get()[context_.length], 0);
        }
    }
}

TEST_F(Fetch, FollowsRedirectsAndOneRefreshPage) {
    const auto page = [](const std::string& target, std::size_t size) {
        std::string text = "<html><head><meta http-equiv=\"refresh\" content=\"0;url=" + target + "\">";
        text.resize(std::max(text.size(), size), ' ');
        return text;
    };
    const std::string pageUrl = "http://host/a/page";
    const struct {
        const char* name;
        std::string url, page;
        int status;
        std::vector<std::string> requested;
    } cases[] = {
        {"short page", pageUrl, page("./pic.gif", 0), 0, {"host:80/a/page", "host:80/a/pic.gif"}},
        {"long page", pageUrl, page("../pic.gif", 400), 0, {"host:80/a/page", "host:80/pic.gif"}},
        {"absolute target",
         pageUrl,
         page("http://other:8080/x/pic.gif", 0),
         0,
         {"host:80/a/page", "other:8080/x/pic.gif"}},
        {"page forwarding to a page",
         pageUrl,
         page("/a/page", 0),
         kFetchReadFailed,
         {"host:80/a/page", "host:80/a/page"}},
        {"long page forwarding to itself",
         pageUrl,
         page("page", 300),
         kFetchNotAPicture,
         {"host:80/a/page", "host:80/a/page"}},
        {"tag beyond the first bytes",
         pageUrl,
         std::string(600, ' ') + page("pic.gif", 0),
         kFetchNotAPicture,
         {"host:80/a/page"}},
        {"page behind a redirect, resolved where the redirect ended",
         "https://host/a/redir",
         page("pic.gif", 0),
         0,
         {"host:443/a/redir", "host:443/b/page", "host:443/b/pic.gif"}},
        {"redirect from https to http",
         "https://host/a/to-http",
         "",
         kFetchSendFailed,
         {"host:443/a/to-http"}},
        {"endless redirects", "http://host/loop", "", kFetchSendFailed,
         std::vector<std::string>(11, "host:80/loop")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server_->answers = {{"/a/page", {Text(c.page)}},
                            {"/b/page", {Text(c.page)}},
                            {"/a/redir", Redirect("https://host/b/page")},
                            {"/a/to-http", Redirect("http://host/a/pic.gif")},
                            {"/loop", Redirect("http://host/loop")},
                            {"/a/pic.gif", {Gif(20, 20)}},
                            {"/b/pic.gif", {Gif(20, 20)}},
                            {"/pic.gif", {Gif(20, 20)}},
                            {"/x/pic.gif", {Gif(20, 20)}}};
        server_->requested.clear();
        const FetchedBody body = Get(c.url);
        EXPECT_EQ(context_.status, c.status);
        EXPECT_EQ(server_->requested, c.requested);
        if (c.status == 0) {
            EXPECT_EQ(context_.type, FetchTypeOf(OutputFormat::kGif));
        }
    }
}

TEST_F(Fetch, EndsAtAQuitRequestOrTheTimeLimit) {
    server_->answers["/pic"] = {Gif(10, 10, 2000), std::nullopt, true};
    server_->largestRead = 10;
    server_->msPerRead = 100;
    context_.timeLimitMs = 5000;
    EXPECT_FALSE(Get("http://host/pic"));
    EXPECT_EQ(context_.status, kFetchReadFailed);
    EXPECT_LE(server_->delivered, 10u * 52);

    server_->msPerRead = 0;
    server_->quit = true;
    EXPECT_FALSE(Get("http://host/pic"));
    EXPECT_EQ(context_.status, kFetchCancelled);
    server_->quit = false;
    EXPECT_FALSE(Get("http://host/pic"));
    EXPECT_EQ(context_.status, kFetchCancelled) << "the flag stays set";
    g_fetchCancelled = 0;

    // Redirects, each answered after a second, share the one limit.
    server_->answers["/loop"] = Redirect("http://host/loop");
    server_->msPerSend = 1000;
    server_->requested.clear();
    EXPECT_FALSE(Get("http://host/loop"));
    EXPECT_EQ(context_.status, kFetchReadFailed);
    EXPECT_EQ(server_->requested.size(), 5u);
}

TEST_F(Fetch, RefusesAddressesItCannotUse) {
    server_->answers["/"] = {Gif(10, 10)};
    for (const char* url : {"http://host", "ftp://host/", "http://host:0/", "http://host:70000/"}) {
        EXPECT_FALSE(Get(url));
        EXPECT_EQ(context_.status, kFetchBadUrl) << url;
    }
    EXPECT_TRUE(Get("http://host/"));
    EXPECT_TRUE(server_->requested == std::vector<std::string>{"host:80/"});
}
