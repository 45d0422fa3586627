#include "web/download.h"

#include <cstdlib>

#include "core/classic_file.h"
#include "core/messages.h"
#include "web/fetch_url.h"
#include "web/http_status.h"

namespace {

// The limit of a whole download: the product's, or a shorter one that the download tests set.
std::int64_t DownloadTimeLimitMs() {
    const char* setting = std::getenv("KORVI_FETCH_TIME_LIMIT_MS");
    const long long limit = setting != nullptr ? std::atoll(setting) : 0;
    return limit > 0 && limit < kDownloadTimeLimitMs ? limit : kDownloadTimeLimitMs;
}

// What a failed fetch status means, in a few English words.
std::string FetchStatusText(int status) {
    switch (status) {
        case kFetchBadUrl:
            return "not an http:// or https:// address with a host, a valid port and a path";
        case kFetchConnectFailed:
            return "cannot connect to the server";
        case kFetchOpenRequestFailed:
            return "cannot open the request";
        case kFetchSendFailed:
            return "the server cannot be reached or does not answer, or a redirect is refused";
        case kFetchEmptyLength:
            return "the server announces an empty body";
        case kFetchTooLarge:
            return "the picture is larger than 5000000 bytes or 65535 pixels a side";
        case kFetchTooSmall:
            return "the picture is smaller than 10 pixels a side";
        case kFetchCancelled:
            return "cancelled";
        case kFetchReadFailed:
            return "reading failed, timed out, or the answer is too short to be a picture";
        case kFetchOutOfMemory:
            return "out of memory";
        case kFetchLengthMismatch:
            return "the body's length differs from its Content-Length";
        case kFetchNotAPicture:
            return "the answer is no " + DownloadedFormats(Program::kCli) + " picture";
        default:
            return "unknown failure";
    }
}

// The message with what the program tells of the answer and of the fetch's failure.
std::string FailureText(const char* message, const FetchContext& context) {
    std::string text = message;
    if (IsHttpError(context.httpStatus)) text += " (" + HttpStatusText(context.httpStatus) + ")";
    if (context.downloader == Program::kCli && context.status != kFetchOk) {
        text += " (status " + std::to_string(context.status) + ": " + FetchStatusText(context.status);
        const std::string& said = context.session->failure();
        text += said.empty() ? ")" : "; " + said + ")";
    }
    return text;
}

}  // namespace

DownloadOutcome DownloadToFolder(const char* url, const std::string& folder, Program program,
                                 const std::function<void()>& sessionOpened) {
    DownloadOutcome outcome;
    FetchContext context;
    context.timeLimitMs = DownloadTimeLimitMs();
    context.downloader = program;
    if (!OpenFetchSession(context)) {
        outcome.failure = kMsgCannotConnect;
        return outcome;
    }
    if (sessionOpened) sessionOpened();
    const FetchedBody body = FetchUrl(url, context);
    if (!body) {
        outcome.failure = FailureText(kMsgDownloadFailed, context);
        return outcome;
    }
    if (context.format == nullptr) {
        outcome.failure = FailureText(kMsgUnknownFormat, context);
        return outcome;
    }
    const std::string path = TempOutputPath(folder, context.format->id);
    ClassicFile file = ClassicFile::Create(path.c_str());
    if (!file.is_open() || !file.WriteExactly(body.get(), context.length) || !file.Close()) {
        outcome.failure = kMsgCannotWriteFile;
        return outcome;
    }
    outcome.path = path;
    return outcome;
}
