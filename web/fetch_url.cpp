#include "web/fetch_url.h"

#include <limits>
#include <optional>

#include "web/refresh_url.h"

std::atomic<std::int32_t> g_fetchCancelled{0};

namespace {

// Pieces the body is read in, before and after the type is known.
constexpr int kFirstPiece = 256;
constexpr int kPiece = 1024;
// Redirects followed before a fetch fails.
constexpr int kMaxRedirects = 10;

// One request of a fetch: the first bytes, the type, then the rest of the body.
class FetchPass final : public ArrivingBytes {
  public:
    FetchPass(FetchContext& context, std::int64_t deadline)
        : context_(context),
          deadline_(deadline),
          body_(static_cast<std::size_t>(context.maximumSize) + kPiece) {}

    // The body, or null with the status set; `forwardUrl`, when given, receives the address
    // a page forwards to (resolved against the address the redirects ended at), and the result
    // is then null with status 0.
    FetchedBody Run(std::string url, std::optional<std::string>* forwardUrl);

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
    bool Expired() const { return context_.session->NowMs() >= deadline_; }
    // The status of a transport call that failed: its own, or the time-out once time is up.
    int TransportStatus(int status);
    // Sends the request for `url`, split into `parts`, following redirects, and leaves `url` at
    // the address that answered; false with the status set.
    bool Send(std::string& url, UrlParts parts);
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
    if (Expired()) return FailRead(TransportStatus(kFetchReadFailed));
    if (!body_.Reserve(static_cast<std::size_t>(pieceSize))) return FailRead(kFetchOutOfMemory);
    const int read = request_->Read(body_.end(), pieceSize);
    if (read < 0 || read > pieceSize) return FailRead(TransportStatus(kFetchReadFailed));
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

int FetchPass::TransportStatus(int status) {
    if (!Expired()) return status;
    context_.session->NoteFailure("the whole download took longer than " +
                                  std::to_string((context_.timeLimitMs + 999) / 1000) + " seconds");
    return kFetchReadFailed;
}

bool FetchPass::Send(std::string& url, UrlParts parts) {
    FetchSession& session = *context_.session;
    for (int redirects = 0;; ++redirects) {
        int status = kFetchSendFailed;
        request_.reset();
        if (!Expired()) request_ = session.Send(parts, context_.referrer, deadline_, &status);
        if (!request_) {
            context_.status = TransportStatus(status);
            return false;
        }
        std::optional<std::string> target = request_->RedirectTarget();
        if (!target) {
            context_.httpStatus = request_->StatusCode();
            return true;
        }
        std::optional<UrlParts> next = SplitUrl(target->c_str());
        // A picture asked for over HTTPS never travels in clear.
        const char* refusal = redirects == kMaxRedirects ? "more than 10 redirects"
                              : !next                    ? "a redirect to an address the download cannot use"
                              : parts.secure && !next->secure ? "a redirect from https:// to http://"
                                                              : nullptr;
        if (refusal != nullptr) {
            session.NoteFailure(refusal);
            context_.status = kFetchSendFailed;
            return false;
        }
        url = std::move(*target);
        parts = std::move(*next);
    }
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

FetchedBody FetchPass::Run(std::string url, std::optional<std::string>* forwardUrl) {
    context_.status = kFetchOk;
    context_.format = nullptr;
    context_.length = 0;
    context_.httpStatus = 0;
    std::optional<UrlParts> parts = SplitUrl(url.c_str());
    if (!parts) return Fail(kFetchBadUrl);
    if (!context_.session) return Fail(kFetchConnectFailed);
    if (!Send(url, std::move(*parts))) return nullptr;
    if (std::optional<std::string> length = request_->ContentLength()) {
        contentLength_ = ParseContentLength(*length);
        if (*contentLength_ < 1) return Fail(kFetchEmptyLength);
    }

    while (body_.size() < kSniffBytes) {
        const int read = ReadPiece(kFirstPiece);
        if (read < 0) return nullptr;
        if (read == 0) return ForwardOrFail(url, forwardUrl, kFetchReadFailed);
    }
    const DownloadSniff sniffed = SniffDownload(*this, context_.downloader);
    if (context_.status != kFetchOk) return nullptr;
    const PictureHeader& header = sniffed.header;
    switch (header.kind) {
        case PictureHeader::kPlaced:
            context_.format = sniffed.format;
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
        case PictureHeader::kOther:
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
