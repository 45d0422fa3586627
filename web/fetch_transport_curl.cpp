// The fetch's transport over libcurl: one transfer per request, driven by the caller's reads
// through a multi handle, paused while the caller has enough bytes waiting.
#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "web/ascii_text.h"
#include "web/fetch_context.h"
#include "web/fetch_transport.h"

namespace {

// Body bytes held for the reader before the transfer pauses.
constexpr std::size_t kBufferedBody = 64 * 1024;

// The address curl is given: bytes it would refuse in a path are percent-encoded.
std::string CurlUrl(const UrlParts& url) {
    std::string text = url.secure ? "https://" : "http://";
    text += url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
    text += ":" + std::to_string(url.port);
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : url.object) {
        if (c <= 0x20 || c >= 0x7F) {
            text += '%';
            text += kHex[c >> 4];
            text += kHex[c & 15];
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string HeaderValue(const char* line, std::size_t length, std::size_t nameLength) {
    std::string value(line + nameLength, length - nameLength);
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

class CurlRequest final : public FetchRequest {
  public:
    // `failure` receives what went wrong when the request fails; no wait lasts beyond `deadline`.
    CurlRequest(std::string& failure, std::int64_t deadline)
        : failure_(failure), deadline_(deadline), multi_(curl_multi_init()), easy_(curl_easy_init()) {}
    ~CurlRequest() override {
        if (multi_ != nullptr && easy_ != nullptr) curl_multi_remove_handle(multi_, easy_);
        if (easy_ != nullptr) curl_easy_cleanup(easy_);
        if (multi_ != nullptr) curl_multi_cleanup(multi_);
        if (headers_ != nullptr) curl_slist_free_all(headers_);
    }

    // Sends the GET and waits for the response headers; the fetch status, 0 when they came.
    int Start(const std::string& url, const char* referrer, const std::string& agent, const char* caFile);
    int StatusCode() override { return static_cast<int>(responseCode_); }
    std::optional<std::string> ContentLength() override { return encoded_ ? std::nullopt : contentLength_; }
    std::optional<std::string> RedirectTarget() override;
    int Read(std::uint8_t* buffer, int size) override;

  private:
    static std::size_t OnHeader(char* line, std::size_t, std::size_t length, void* self);
    static std::size_t OnBody(char* bytes, std::size_t, std::size_t length, void* self);
    // Runs the transfer until `ready` holds or it ends; false after a wait of kFetchTimeoutMs
    // in which nothing arrived, or at the deadline.
    bool Pump(const std::function<bool()>& ready);
    std::size_t Waiting() const { return pending_.size() - taken_; }
    // Records why the transfer failed; `timedOut` when it waited too long.
    void NoteFailure(bool timedOut);

    std::string& failure_;
    const std::int64_t deadline_;
    char errorText_[CURL_ERROR_SIZE] = {};
    CURLM* multi_;
    CURL* easy_;
    curl_slist* headers_ = nullptr;
    long responseCode_ = 0;
    bool headersDone_ = false;
    std::optional<std::string> contentLength_;
    bool encoded_ = false;
    std::vector<std::uint8_t> pending_;
    std::size_t taken_ = 0;
    bool paused_ = false;
    std::size_t arrived_ = 0;  // header and body bytes, to see progress
    bool finished_ = false;
    CURLcode result_ = CURLE_OK;
};

std::size_t CurlRequest::OnHeader(char* line, std::size_t, std::size_t length, void* self) {
    CurlRequest& request = *static_cast<CurlRequest*>(self);
    request.arrived_ += length;
    const std::string text(line, length);
    if (StartsWithNoCase(text.c_str(), "http/")) {
        // A new response (an interim one, or the next after a redirect) starts over.
        request.responseCode_ = std::atol(text.c_str() + text.find(' ') + 1);
        request.contentLength_.reset();
        request.encoded_ = false;
    } else if (StartsWithNoCase(text.c_str(), "content-length:")) {
        request.contentLength_ = HeaderValue(line, length, 15);
    } else if (StartsWithNoCase(text.c_str(), "content-encoding:")) {
        const std::string coding = HeaderValue(line, length, 17);
        request.encoded_ = !coding.empty() && !StartsWithNoCase(coding.c_str(), "identity");
    } else if (text == "\r\n" || text == "\n") {
        if (request.responseCode_ >= 200) request.headersDone_ = true;
    }
    return length;
}

std::size_t CurlRequest::OnBody(char* bytes, std::size_t, std::size_t length, void* self) {
    CurlRequest& request = *static_cast<CurlRequest*>(self);
    if (request.Waiting() >= kBufferedBody) {
        request.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    request.arrived_ += length;
    if (request.taken_ > 0 && request.taken_ == request.pending_.size()) {
        request.pending_.clear();
        request.taken_ = 0;
    }
    request.pending_.insert(request.pending_.end(), bytes, bytes + length);
    return length;
}

void CurlRequest::NoteFailure(bool timedOut) {
    if (timedOut) {
        failure_ = "nothing arrived for " + std::to_string(kFetchTimeoutMs / 1000) + " seconds";
    } else {
        failure_ = errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(result_);
    }
}

bool CurlRequest::Pump(const std::function<bool()>& ready) {
    std::int64_t lastProgress = SteadyMilliseconds();
    std::size_t arrived = arrived_;
    while (!ready() && !finished_) {
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            finished_ = true;
            result_ = CURLE_RECV_ERROR;
            break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
            if (message->msg != CURLMSG_DONE) continue;
            finished_ = true;
            result_ = message->data.result;
        }
        if (ready() || finished_) break;
        const std::int64_t now = SteadyMilliseconds();
        if (arrived_ != arrived) {
            arrived = arrived_;
            lastProgress = now;
        } else if (now - lastProgress >= kFetchTimeoutMs) {
            return false;
        }
        if (now >= deadline_) return false;
        const std::int64_t wait =
            std::min({std::int64_t{200}, kFetchTimeoutMs - (now - lastProgress), deadline_ - now});
        curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait), nullptr);
    }
    return true;
}

int CurlRequest::Start(const std::string& url, const char* referrer, const std::string& agent,
                       const char* caFile) {
    if (multi_ == nullptr || easy_ == nullptr) return kFetchConnectFailed;
    headers_ = curl_slist_append(nullptr, "Accept-Encoding:");  // decode, but ask for nothing
    const bool set =
        headers_ != nullptr && curl_easy_setopt(easy_, CURLOPT_URL, url.c_str()) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "") == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(kFetchTimeoutMs)) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody) == CURLE_OK &&
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this) == CURLE_OK &&
        (referrer == nullptr || curl_easy_setopt(easy_, CURLOPT_REFERER, referrer) == CURLE_OK) &&
        (caFile == nullptr || curl_easy_setopt(easy_, CURLOPT_CAINFO, caFile) == CURLE_OK);
    if (!set) return kFetchOpenRequestFailed;
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return kFetchConnectFailed;
    const bool waited = Pump([this] { return headersDone_; });
    if (waited && headersDone_) return kFetchOk;
    NoteFailure(!waited);
    return kFetchSendFailed;
}

std::optional<std::string> CurlRequest::RedirectTarget() {
    switch (responseCode_) {
        case 301:
        case 302:
        case 303:
        case 307:
        case 308:
            break;
        default:
            return std::nullopt;
    }
    char* target = nullptr;
    if (curl_easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &target) != CURLE_OK || target == nullptr) {
        return std::nullopt;
    }
    return std::string(target);
}

int CurlRequest::Read(std::uint8_t* buffer, int size) {
    if (Waiting() == 0 && !finished_) {
        if (paused_) {
            paused_ = false;
            curl_easy_pause(easy_, CURLPAUSE_CONT);
        }
        if (!Pump([this] { return Waiting() > 0; })) {
            NoteFailure(true);
            return -1;
        }
    }
    if (Waiting() == 0) {
        // A body cut short of its Content-Length ends here; the fetch compares the lengths.
        if (result_ == CURLE_OK || (result_ == CURLE_PARTIAL_FILE && ContentLength())) return 0;
        NoteFailure(false);
        return -1;
    }
    const std::size_t count = std::min(Waiting(), static_cast<std::size_t>(size));
    std::memcpy(buffer, pending_.data() + taken_, count);
    taken_ += count;
    return static_cast<int>(count);
}

class CurlSession final : public FetchSession {
  public:
    std::unique_ptr<FetchRequest> Send(const UrlParts& url, const char* referrer, std::int64_t deadlineMs,
                                       int* status) override {
        // Certificates are checked against the system's store, or the bundle SSL_CERT_FILE names.
        const char* caFile = std::getenv("SSL_CERT_FILE");
        failure_.clear();
        auto request = std::make_unique<CurlRequest>(failure_, deadlineMs);
        *status = request->Start(CurlUrl(url), referrer, kDefaultUserAgent, caFile);
        return *status == kFetchOk ? std::move(request) : nullptr;
    }
};

}  // namespace

std::unique_ptr<FetchSession> OpenTransportSession() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised) return nullptr;
    return std::make_unique<CurlSession>();
}
