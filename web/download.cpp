#include "web/download.h"

#include <cstdlib>

#include "core/classic_file.h"
#include "core/messages.h"
#include "web/fetch_url.h"

namespace {

// The limit of a whole download: the product's, or a shorter one that the download tests set.
std::int64_t DownloadTimeLimitMs() {
    const char* setting = std::getenv("KORVI_FETCH_TIME_LIMIT_MS");
    const long long limit = setting != nullptr ? std::atoll(setting) : 0;
    return limit > 0 && limit < kDownloadTimeLimitMs ? limit : kDownloadTimeLimitMs;
}

}  // namespace

DownloadOutcome DownloadToFolder(const char* url, const std::string& folder,
                                 const std::function<void()>& sessionOpened) {
    DownloadOutcome outcome;
    FetchContext context;
    context.timeLimitMs = DownloadTimeLimitMs();
    if (!OpenFetchSession(context)) {
        outcome.message = kMsgCannotConnect;
        return outcome;
    }
    if (sessionOpened) sessionOpened();
    const FetchedBody body = FetchUrl(url, context);
    if (!body) {
        outcome.message = kMsgDownloadFailed;
        outcome.status = context.status;
        outcome.detail = context.session->failure();
        return outcome;
    }
    const PictureFormat* format = FormatForFetchType(context.type);
    if (format == nullptr) {
        outcome.message = kMsgUnknownFormat;
        return outcome;
    }
    const std::string path = TempOutputPath(folder, format->id);
    ClassicFile file = ClassicFile::Create(path.c_str());
    if (!file.is_open() || !file.WriteExactly(body.get(), context.length) || !file.Close()) {
        outcome.message = kMsgCannotWriteFile;
        return outcome;
    }
    outcome.path = path;
    return outcome;
}

const char* FetchStatusText(int status) {
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
            return "the answer is no JPEG, GIF, PNG or BMP picture";
        default:
            return "unknown failure";
    }
}
