// The fetch's transport over WinINet.
#include <windows.h>
#include <wininet.h>

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

// Every wait on the handle ends after kFetchTimeoutMs.
void SetTimeouts(HINTERNET handle) {
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
          INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        DWORD timeout = kFetchTimeoutMs;
        InternetSetOptionA(handle, option, &timeout, sizeof timeout);
    }
}

// A header of the response as text, or none when it is absent.
std::optional<std::string> QueryHeader(HINTERNET request, DWORD header) {
    char text[256];
    DWORD size = sizeof text;
    if (!HttpQueryInfoA(request, header, text, &size, nullptr) || size >= sizeof text) return std::nullopt;
    return std::string(text, size);
}

// What WinINet said about the call that just failed.
std::string LastWinInetError() {
    return "WinINet error " + std::to_string(GetLastError());
}

class WinInetRequest final : public FetchRequest {
  public:
    // The request is declared after its connection so that it closes first. `failure` receives
    // what went wrong when a read fails.
    WinInetRequest(InternetHandle connection, HINTERNET request, std::string& failure)
        : failure_(failure), connection_(std::move(connection)), request_(request) {}

    std::optional<std::string> ContentLength() override {
        // Decoded content counts other bytes than the header announces.
        const std::optional<std::string> coding = QueryHeader(request_.get(), HTTP_QUERY_CONTENT_ENCODING);
        if (coding && !coding->empty() && lstrcmpiA(coding->c_str(), "identity") != 0) return std::nullopt;
        return QueryHeader(request_.get(), HTTP_QUERY_CONTENT_LENGTH);
    }

    int Read(std::uint8_t* buffer, int size) override {
        DWORD read = 0;
        if (!InternetReadFile(request_.get(), buffer, static_cast<DWORD>(size), &read)) {
            failure_ = LastWinInetError();
            return -1;
        }
        return static_cast<int>(read);
    }

  private:
    std::string& failure_;
    InternetHandle connection_;
    InternetHandle request_;
};

class WinInetSession final : public FetchSession {
  public:
    explicit WinInetSession(HINTERNET internet) : internet_(internet) {}

    std::unique_ptr<FetchRequest> Send(const UrlParts& url, const char* referrer, int* status) override {
        failure_.clear();
        InternetHandle connection(InternetConnectA(internet_.get(), url.host.c_str(),
                                                   static_cast<INTERNET_PORT>(url.port), nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
        if (!connection) {
            failure_ = LastWinInetError();
            *status = kFetchConnectFailed;
            return nullptr;
        }
        const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | (url.secure ? INTERNET_FLAG_SECURE : 0);
        HINTERNET request = HttpOpenRequestA(connection.get(), "GET", url.object.c_str(), nullptr, referrer,
                                             nullptr, flags, 0);
        if (request == nullptr) {
            failure_ = LastWinInetError();
            *status = kFetchOpenRequestFailed;
            return nullptr;
        }
        auto opened = std::make_unique<WinInetRequest>(std::move(connection), request, failure_);
        // Wine's WinINet does not pass the internet handle's time-outs on to its requests.
        SetTimeouts(request);
        if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
            failure_ = LastWinInetError();
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
    HINTERNET internet = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return nullptr;
    SetTimeouts(internet);
    // Bodies a server sends compressed arrive decoded.
    BOOL decode = TRUE;
    InternetSetOptionA(internet, INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
    return std::make_unique<WinInetSession>(internet);
}
