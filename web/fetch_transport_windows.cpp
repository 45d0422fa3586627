// The fetch's transport over WinINet. The handles are asynchronous so that every wait can end
// at the fetch's deadline: a synchronous call cannot be stopped from outside under Wine (closing
// its handle from another thread does not end a blocked call), and a server that drips its
// headers or body never lets WinINet's own time-outs expire.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "web/fetch_context.h"
#include "web/fetch_transport.h"
#include "web/user_agent.h"

namespace {

class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    InternetHandle(InternetHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (handle_ != nullptr) InternetCloseHandle(handle_);
    }
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HINTERNET handle_;
};

// What WinINet's callback reports about one request, and everything an operation of it writes
// into. It belongs to WinINet once the request is open and is freed when WinINet reports the
// request handle closing, so that an operation the fetch gave up at its deadline, still running
// inside WinINet, never writes into freed memory.
struct PendingCall {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD succeeded = 0, error = 0;
    DWORD available = 0, read = 0;
    std::uint8_t buffer[1024];

    ~PendingCall() {
        if (done != nullptr) CloseHandle(done);
    }
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, void* information, DWORD) {
    auto* call = reinterpret_cast<PendingCall*>(context);
    if (call == nullptr) return;
    if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
        const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(information);
        call->succeeded = static_cast<DWORD>(result->dwResult);
        call->error = result->dwError;
        SetEvent(call->done);
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        delete call;
    }
}

// Every wait on the handle in which nothing arrives ends after kFetchTimeoutMs.
void SetTimeouts(HINTERNET handle) {
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
          INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        DWORD timeout = kFetchTimeoutMs;
        InternetSetOptionA(handle, option, &timeout, sizeof timeout);
    }
}

// A header of the response as text, or none when it is absent or longer than `room` bytes.
template <std::size_t room = 256>
std::optional<std::string> QueryHeader(HINTERNET request, DWORD header) {
    char text[room];
    DWORD size = sizeof text;
    if (!HttpQueryInfoA(request, header, text, &size, nullptr) || size >= sizeof text) return std::nullopt;
    return std::string(text, size);
}

std::string WinInetError(DWORD error) {
    return "WinINet error " + std::to_string(error);
}

class WinInetRequest final : public FetchRequest {
  public:
    // The request is declared after its connection so that it closes first.
    WinInetRequest(InternetHandle connection, HINTERNET request, PendingCall* call, std::int64_t deadline,
                   std::string& failure)
        : failure_(failure),
          deadline_(deadline),
          connection_(std::move(connection)),
          request_(request),
          call_(call) {}

    // Sends the GET and waits for the answer's headers.
    bool Send() {
        ResetEvent(call_->done);
        return Finish(HttpSendRequestA(request_.get(), nullptr, 0, nullptr, 0));
    }

    std::optional<std::string> ContentLength() override {
        // Decoded content counts other bytes than the header announces.
        const std::optional<std::string> coding = QueryHeader(request_.get(), HTTP_QUERY_CONTENT_ENCODING);
        if (coding && !coding->empty() && lstrcmpiA(coding->c_str(), "identity") != 0) return std::nullopt;
        return QueryHeader(request_.get(), HTTP_QUERY_CONTENT_LENGTH);
    }

    int StatusCode() override {
        DWORD code = 0;
        DWORD size = sizeof code;
        if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size,
                            nullptr)) {
            return 0;
        }
        return static_cast<int>(code);
    }

    std::optional<std::string> RedirectTarget() override {
        const int code = StatusCode();
        if (code != 301 && code != 302 && code != 303 && code != 307 && code != 308) return std::nullopt;
        const std::optional<std::string> location =
            QueryHeader<INTERNET_MAX_URL_LENGTH>(request_.get(), HTTP_QUERY_LOCATION);
        char base[INTERNET_MAX_URL_LENGTH];
        DWORD baseSize = sizeof base;
        if (!location || !InternetQueryOptionA(request_.get(), INTERNET_OPTION_URL, base, &baseSize)) {
            return std::nullopt;
        }
        char target[INTERNET_MAX_URL_LENGTH];
        DWORD targetSize = sizeof target;
        if (!InternetCombineUrlA(base, location->c_str(), target, &targetSize, 0)) return std::nullopt;
        return std::string(target, targetSize);
    }

    // Reads only what has arrived, so that no read waits for a whole piece.
    int Read(std::uint8_t* buffer, int size) override {
        for (;;) {
            ResetEvent(call_->done);
            const BOOL known = InternetQueryDataAvailable(request_.get(), &call_->available, 0, 0);
            if (!Finish(known)) return -1;
            // Completed later: asked again, it is answered from what has arrived.
            if (known) break;
        }
        if (call_->available == 0) return 0;
        const DWORD wanted =
            std::min<DWORD>({call_->available, static_cast<DWORD>(size), sizeof call_->buffer});
        ResetEvent(call_->done);
        if (!Finish(InternetReadFile(request_.get(), call_->buffer, wanted, &call_->read))) return -1;
        const DWORD read = std::min(call_->read, wanted);
        std::memcpy(buffer, call_->buffer, read);
        return static_cast<int>(read);
    }

  private:
    // Whether a call that returned `started` has succeeded, waiting for its completion until the
    // deadline when it is pending; records the failure otherwise.
    bool Finish(BOOL started) {
        if (started) return true;
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            const std::int64_t left = std::max<std::int64_t>(0, deadline_ - SteadyMilliseconds());
            if (WaitForSingleObject(call_->done, static_cast<DWORD>(std::min<std::int64_t>(
                                                     left, INFINITE - 1))) != WAIT_OBJECT_0) {
                failure_ = "no answer before the deadline";
                return false;
            }
            if (call_->succeeded) return true;
            error = call_->error;
        }
        failure_ = WinInetError(error);
        return false;
    }

    std::string& failure_;
    const std::int64_t deadline_;
    InternetHandle connection_;
    InternetHandle request_;
    PendingCall* call_;  // WinINet's once the request is open
};

class WinInetSession final : public FetchSession {
  public:
    explicit WinInetSession(InternetHandle internet) : internet_(std::move(internet)) {}

    std::unique_ptr<FetchRequest> Send(const UrlParts& url, const char* referrer, std::int64_t deadlineMs,
                                       int* status) override {
        failure_.clear();
        InternetHandle connection(InternetConnectA(internet_.get(), url.host.c_str(),
                                                   static_cast<INTERNET_PORT>(url.port), nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) {
            failure_ = WinInetError(GetLastError());
            *status = kFetchConnectFailed;
            return nullptr;
        }
        // Redirects are the fetch's to follow, so that it can refuse one from HTTPS to HTTP.
        const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                            (url.secure ? INTERNET_FLAG_SECURE : 0);
        auto* call = new PendingCall;
        HINTERNET request =
            call->done == nullptr
                ? nullptr
                : HttpOpenRequestA(connection.get(), "GET", url.object.c_str(), nullptr, referrer, nullptr,
                                   flags, reinterpret_cast<DWORD_PTR>(call));
        if (request == nullptr) {
            failure_ = WinInetError(GetLastError());
            delete call;
            *status = kFetchOpenRequestFailed;
            return nullptr;
        }
        auto opened =
            std::make_unique<WinInetRequest>(std::move(connection), request, call, deadlineMs, failure_);
        // Wine's WinINet does not pass the internet handle's time-outs on to its requests.
        SetTimeouts(request);
        if (!opened->Send()) {
            *status = kFetchSendFailed;
            return nullptr;
        }
        return opened;
    }

    bool QuitRequested() override {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    }

  private:
    InternetHandle internet_;
};

std::string SystemUserAgent() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                        0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return kDefaultUserAgent;
    }
    char value[kUserAgentRoom];
    DWORD type = 0;
    DWORD size = sizeof value;
    const bool found = RegQueryValueExA(key, "User Agent", nullptr, &type, reinterpret_cast<BYTE*>(value),
                                        &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ChooseUserAgent(found, type == REG_SZ, value, size);
}

}  // namespace

std::unique_ptr<FetchSession> OpenTransportSession() {
    const std::string agent = SystemUserAgent();
    InternetHandle internet(
        InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    if (!internet ||
        InternetSetStatusCallbackA(internet.get(), OnStatus) == INTERNET_INVALID_STATUS_CALLBACK) {
        return nullptr;
    }
    SetTimeouts(internet.get());
    // Bodies a server sends compressed arrive decoded.
    BOOL decode = TRUE;
    InternetSetOptionA(internet.get(), INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
    return std::make_unique<WinInetSession>(std::move(internet));
}
