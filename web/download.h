// A picture downloaded into a work file, as korvi-cli and the download dialog run it.
#pragma once

#include <functional>
#include <string>

struct DownloadOutcome {
    std::string path;               // the written file, on success
    const char* message = nullptr;  // the message to show, on failure
    int status = 0;                 // the fetch status when the fetch failed
    std::string detail;             // what the transport said about that failure, if anything
};

// Fetches `url` with the download's limits and writes the picture to `folder` (with its
// trailing separator) + "$korvi2" + the type's extension. `sessionOpened` runs once the session
// is open.
DownloadOutcome DownloadToFolder(const char* url, const std::string& folder,
                                 const std::function<void()>& sessionOpened = {});

// What a failed fetch status means, in a few English words.
const char* FetchStatusText(int status);
