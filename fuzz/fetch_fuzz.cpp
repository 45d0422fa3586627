// Feeds arbitrary answers to the fetch: the input's first line is the page's own address, the
// rest the body a server sends for every request, in small pieces. Covers the address split,
// the type sniffing with the marker walk, the refresh resolution and the body limits.
#include <algorithm>
#include <cstring>
#include <string>

#include "web/fetch_url.h"
#include "web/refresh_url.h"
#include "web/user_agent.h"

namespace {

class FuzzRequest final : public FetchRequest {
  public:
    FuzzRequest(const std::uint8_t* body, std::size_t size) : body_(body), size_(size) {}
    std::optional<std::string> ContentLength() override { return std::nullopt; }
    std::optional<std::string> RedirectTarget() override { return std::nullopt; }
    int StatusCode() override { return 200; }
    int Read(std::uint8_t* buffer, int size) override {
        const std::size_t count = std::min<std::size_t>({static_cast<std::size_t>(size), 97, size_ - at_});
        std::memcpy(buffer, body_ + at_, count);
        at_ += count;
        return static_cast<int>(count);
    }

  private:
    const std::uint8_t* body_;
    std::size_t size_, at_ = 0;
};

class FuzzSession final : public FetchSession {
  public:
    FuzzSession(const std::uint8_t* body, std::size_t size) : body_(body), size_(size) {}
    std::unique_ptr<FetchRequest> Send(const UrlParts&, const char*, std::int64_t, int*) override {
        return std::make_unique<FuzzRequest>(body_, size_);
    }

  private:
    const std::uint8_t* body_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* newline = static_cast<const std::uint8_t*>(std::memchr(data, '\n', size));
    const std::size_t lineEnd = newline != nullptr ? static_cast<std::size_t>(newline - data) : 0;
    const std::string url(reinterpret_cast<const char*>(data), lineEnd);
    const std::uint8_t* body = newline != nullptr ? newline + 1 : data;
    const std::size_t bodySize = size - static_cast<std::size_t>(body - data);

    SplitUrl(url.c_str());
    ParseContentLength(url);
    ChooseUserAgent(true, true, reinterpret_cast<const char*>(data),
                    std::min<std::size_t>(size, kUserAgentRoom));
    const std::string text(reinterpret_cast<const char*>(body), bodySize);
    ResolveRefreshUrl(text.c_str(), url);

    FetchContext context;
    context.session = std::make_unique<FuzzSession>(body, bodySize);
    context.maximumSize = 200000;
    context.downloader = Program::kCli;  // every format the window takes, and more
    const FetchedBody fetched = FetchUrl(url.c_str(), context);
    if (fetched && fetched.get()[context.length] != 0) __builtin_trap();
    return 0;
}
