// What a fetch is asked for and what it found, and the numbers that report its outcome.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "pipeline/picture_formats.h"
#include "web/fetch_transport.h"

// Status of a fetch; 0 on success.
enum FetchStatus {
    kFetchOk = 0,
    kFetchBadUrl = 1,  // not http:// or https://, no "/" after the host, bad host or port
    kFetchConnectFailed = 2,
    kFetchOpenRequestFailed = 3,
    kFetchSendFailed = 4,
    kFetchEmptyLength = 5,  // a Content-Length below 1
    kFetchTooLarge = 6,
    kFetchTooSmall = 7,  // a side below the minimum
    kFetchCancelled = 9,
    kFetchReadFailed = 10,  // also a short body that forwards nowhere
    kFetchOutOfMemory = 11,
    kFetchLengthMismatch = 12,  // the body's length differs from its Content-Length
    kFetchNotAPicture = 13,     // and it forwards nowhere
};

// The limits a download uses.
constexpr std::int32_t kDownloadMinimumSide = 10;
constexpr std::int32_t kDownloadMaximumSize = 5000000;
constexpr std::int64_t kDownloadTimeLimitMs = 120000;

struct FetchContext {
    std::unique_ptr<FetchSession> session;  // null when closed
    const char* referrer = nullptr;
    std::int32_t minimumSide = kDownloadMinimumSide;
    std::int32_t maximumSize = kDownloadMaximumSize;
    // A fetch that has not ended after this long fails (status 10): connecting, every redirect,
    // the headers and the body all count, so that no server can hold the program longer.
    std::int64_t timeLimitMs = kDownloadTimeLimitMs;
    Program downloader = Program::kWindow;  // whose formats are taken

    std::int32_t status = kFetchOk;
    const PictureFormat* format = nullptr;  // as the first bytes placed it; null when they did not
    int httpStatus = 0;       // the status code of the answer whose body was judged; 0 before one came
    std::int32_t length = 0;  // body bytes returned
    std::int32_t width = 0, height = 0;
};

// Set to stop running fetches; never cleared during the run.
extern std::atomic<std::int32_t> g_fetchCancelled;
