#include "web/fetch_url.h"

#include <chrono>
#include <limits>
#include <optional>

#include "web/picture_sniff.h"
#include "web/refresh_url.h"

std::atomic<std::int32_t> g_fetchCancelled{0};

namespace {

// Pieces the body is read in, before and after the type is known.
constexpr int kFirstPiece = 256;
constexpr int kPiece = 1024;

// One request of a fetch: the first bytes, the type, then the rest of the body.
class FetchPass final : public ArrivingBytes {
  public:
    FetchPass(FetchContext& context, std::int64_t deadline)
        : context_(context),
          deadline_(deadline),
          body_(static_cast<std::size_t>(context.maximumSize) + kPiece) {}

    // The body, or null with the status set; `forwardUrl`, when given, receives the address
    // a page forwards to, and the result is then null with status 0.
    FetchedBody Run(const std::string& url, std::optional<std::string>* forwardUrl);

    const std::uint8_t* data() const override { return body_.data(); }
    std::size_t size() const override { return body_.size(); }
    bool Ensure(std::size_t count) override {
        while (body_.size() < count) {
            if (ReadPiece(kPiece) <= 0) return false;
        }
        return true;
    }

  private:
    FetchedBody Fail(int status) {
        context_.status = status;
        return nullptr;
    }
    int FailRead(int status) {
        context_.status = status;
        return -1;
    }
    // A page that forwards when no forwarding has been followed yet; `status` otherwise.
    FetchedBody ForwardOrFail(const std::string& url, std::optional<std::string>* forwardUrl, int status);
    // Bytes read, 0 at the end of the body, -1 on failure with the status set.
    int ReadPiece(int pieceSize);
    FetchedBody ReadRest();
    bool AnnouncedTooLarge() const { return contentLength_ && *contentLength_ > context_.maximumSize; }

    FetchContext& context_;
    const std::int64_t deadline_;
    std::unique_ptr<FetchRequest> request_;
    BodyBuffer body_;
    std::optional<std::int64_t> contentLength_;
    bool ended_ = false;
};

int FetchPass::ReadPiece(int pieceSize) {
    if (ended_) return 0;
    if (context_.session->QuitRequested()) g_fetchCancelled = 1;
    if (g_fetchCancelled != 0) return FailRead(kFetchCancelled);
    if (context_.session->NowMs() > deadline_) return FailRead(kFetchReadFailed);
    if (!body_.Reserve(static_cast<std::size_t>(pieceSize))) return FailRead(kFetchOutOfMemory);
    const int read = request_->Read(body_.end(), pieceSize);
    if (read < 0 || read > pieceSize) return FailRead(kFetchReadFailed);
    if (read == 0) {
        ended_ = true;
        return 0;
    }
    body_.Grow(static_cast<std::size_t>(read));
    // Whatever the server announced, the body never grows past the maximum by more than a piece.
    if (body_.size() > static_cast<std::size_t>(context_.maximumSize)) return FailRead(kFetchTooLarge);
    if (contentLength_ && body_.size() > static_cast<std::uint64_t>(*contentLength_)) {
        return FailRead(kFetchLengthMismatch);
    }
    return read;
}

FetchedBody FetchPass::ForwardOrFail(const std::string& url, std::optional<std::string>* forwardUrl,
                                     int status) {
    body_.Terminate();
    if (forwardUrl != nullptr) {
        *forwardUrl = ResolveRefreshUrl(reinterpret_cast<const char*>(body_.data()), url);
        if (*forwardUrl) return nullptr;
    }
    return Fail(status);
}

FetchedBody FetchPass::ReadRest() {
    if (AnnouncedTooLarge()) return Fail(kFetchTooLarge);
    for (;;) {
        const int read = ReadPiece(kPiece);
        if (read < 0) return nullptr;
        if (read == 0) break;
    }
    if (contentLength_ && *contentLength_ != static_cast<std::int64_t>(body_.size())) {
        return Fail(kFetchLengthMismatch);
    }
    context_.length = static_cast<std::int32_t>(body_.size());
    FetchedBody body = body_.Release();
    return body ? std::move(body) : Fail(kFetchOutOfMemory);
}

FetchedBody FetchPass::Run(const std::string& url, std::optional<std::string>* forwardUrl) {
    context_.status = kFetchOk;
    context_.type = kFetchUnknown;
    context_.length = 0;
    const std::optional<UrlParts> parts = SplitUrl(url.c_str());
    if (!parts) return Fail(kFetchBadUrl);
    if (!context_.session) return Fail(kFetchConnectFailed);
    int status = kFetchSendFailed;
    request_ = context_.session->Send(*parts, context_.referrer, &status);
    if (!request_) return Fail(status);
    if (std::optional<std::string> length = request_->ContentLength()) {
        contentLength_ = ParseContentLength(*length);
        if (*contentLength_ < 1) return Fail(kFetchEmptyLength);
    }

    while (body_.size() < kSniffBytes) {
        const int read = ReadPiece(kFirstPiece);
        if (read < 0) return nullptr;
        if (read == 0) return ForwardOrFail(url, forwardUrl, kFetchReadFailed);
    }
    const PictureHeader header = SniffPicture(*this);
    if (context_.status != kFetchOk) return nullptr;
    switch (header.kind) {
        case PictureHeader::kPlaced:
            context_.type = header.type;
            context_.width = header.width;
            context_.height = header.height;
            if (AnnouncedTooLarge()) return Fail(kFetchTooLarge);
            if (header.width < context_.minimumSide || header.height < context_.minimumSide) {
                return Fail(kFetchTooSmall);
            }
            return ReadRest();
        case PictureHeader::kUnplaced:
            return ReadRest();
        case PictureHeader::kTooLarge:
            return Fail(kFetchTooLarge);
        case PictureHeader::kNoPicture:
            break;
    }
    return ForwardOrFail(url, forwardUrl, kFetchNotAPicture);
}

}  // namespace

std::int64_t ParseContentLength(const std::string& text) {
    std::size_t at = text.find_first_not_of(" \t\r\n\v\f");
    if (at == std::string::npos) return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '+' || text[at] == '-') ++at;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10;
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value >= kLimit) {
            value = std::numeric_limits<std::int64_t>::max();
            break;
        }
        value = value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FetchedBody FetchUrl(const char* url, FetchContext& context) {
    const std::int64_t deadline = context.session ? context.session->NowMs() + context.timeLimitMs : 0;
    std::string current = url;
    bool forwarded = false;
    for (;;) {
        std::optional<std::string> forwardUrl;
        FetchPass pass(context, deadline);
        FetchedBody body = pass.Run(current, forwarded ? nullptr : &forwardUrl);
        if (body || !forwardUrl) return body;
        current = std::move(*forwardUrl);
        forwarded = true;
    }
}
