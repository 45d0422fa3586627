// The HTTP connection under a fetch: WinINet in the Windows build, libcurl elsewhere.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "web/url_parts.h"

// Milliseconds of a steady clock.
inline std::int64_t SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One GET request whose response headers have arrived; closed with its connection when destroyed.
class FetchRequest {
  public:
    virtual ~FetchRequest() = default;
    // The answer's HTTP status code; 0 when it cannot be told.
    virtual int StatusCode() = 0;
    // The Content-Length header as the server wrote it; none when it is absent or when the body
    // arrives decoded from a content encoding, so that the length counts other bytes.
    virtual std::optional<std::string> ContentLength() = 0;
    // The absolute address a redirect (301, 302, 303, 307 or 308 with a Location) points to;
    // none for any other answer.
    virtual std::optional<std::string> RedirectTarget() = 0;
    // Reads up to `size` body bytes: the count read, 0 at the end of the body, -1 on failure
    // (a time-out included). Never waits beyond the deadline the request was sent with.
    virtual int Read(std::uint8_t* buffer, int size) = 0;
};

// The open internet handle of a fetch, with its time-outs set.
class FetchSession {
  public:
    virtual ~FetchSession() = default;
    // Connects and sends one GET, without following redirects, and waits for the answer's
    // headers, but not beyond `deadlineMs` of NowMs(); on failure null, with `status` set to
    // 2 (connect), 3 (open request) or 4 (send).
    virtual std::unique_ptr<FetchRequest> Send(const UrlParts& url, const char* referrer,
                                               std::int64_t deadlineMs, int* status) = 0;
    // Whether the program has been asked to quit while the fetch runs.
    virtual bool QuitRequested() { return false; }
    // The clock the fetch's time limit is measured by.
    virtual std::int64_t NowMs() { return SteadyMilliseconds(); }
    // What went wrong with the last failed request, for messages; empty when no request has
    // failed in the transport.
    const std::string& failure() const { return failure_; }
    void NoteFailure(std::string failure) { failure_ = std::move(failure); }

  protected:
    std::string failure_;
};

// Every wait of a fetch (connect, send, receive) in which nothing arrives ends after this long.
constexpr int kFetchTimeoutMs = 10000;

// The user agent sent when the system names none.
constexpr char kDefaultUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// A new session of the build's transport; null when it cannot be opened.
std::unique_ptr<FetchSession> OpenTransportSession();
