// A picture downloaded into a work file, as korvi-cli and the download dialog run it.
#pragma once

#include <functional>
#include <string>

#include "pipeline/picture_formats.h"

struct DownloadOutcome {
    std::string path;  // the written file; empty after a failure
    // After a failure, the message to show: the window's own, behind it the server's status when
    // it answered with an error ("(HTTP 404 Not Found)"), and for korvi-cli the fetch status in
    // words with what the transport said.
    std::string failure;
};

// Fetches `url` with the download's limits, taking the formats the program takes from the web,
// and writes the picture to `folder` (with its trailing separator) + "$korvi2" + the format's
// extension. `sessionOpened` runs once the session is open.
DownloadOutcome DownloadToFolder(const char* url, const std::string& folder, Program program,
                                 const std::function<void()>& sessionOpened = {});
