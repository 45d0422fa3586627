// Splitting a web address into what a connection and a request need.
#pragma once

#include <optional>
#include <string>

struct UrlParts {
    bool secure = false;  // https
    std::string host;     // the server name, without brackets around an IPv6 address
    int port = 80;
    std::string object;  // from the "/" behind the host on, query included, fragment dropped
};

// Longest host text (name and port) an address may have.
constexpr std::size_t kMaxHostText = 128;

// Whether the text starts with "http://" or "https://", in any case.
bool IsWebAddress(const char* text);

// The parts of an http:// or https:// address with a "/" behind the host; none for any other
// text, a host text longer than kMaxHostText, an empty host, a port other than 1 to 65535, or
// a control character anywhere.
std::optional<UrlParts> SplitUrl(const char* url);
