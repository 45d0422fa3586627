// Fetching a picture by its web address: the body when it is a picture of a known type and an
// accepted size, following one meta refresh page.
#pragma once

#include <cstdint>
#include <string>

#include "web/body_buffer.h"
#include "web/fetch_context.h"

// Replaces the context's session by a new one of the build's transport; false when none opens.
// Defined with the transports.
bool OpenFetchSession(FetchContext& context);

// The body with a zero byte behind it, its length, type, width and height in the context; null
// on failure, with the status set. The session stays open for further fetches.
FetchedBody FetchUrl(const char* url, FetchContext& context);

// A Content-Length header as a number the way atoi reads it (blanks, a sign, the digits up to
// the first other character), held within the 64-bit range.
std::int64_t ParseContentLength(const std::string& text);
