#include "web/url_parts.h"

#include <cstring>

#include "web/ascii_text.h"

namespace {

// The length of the scheme with its "://", or 0 when the text is no web address.
std::size_t SchemeLength(const char* text) {
    if (StartsWithNoCase(text, "http://")) return 7;
    if (StartsWithNoCase(text, "https://")) return 8;
    return 0;
}

// A port number of 1 to 65535 written in decimal digits only.
std::optional<int> ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

}  // namespace

bool IsWebAddress(const char* text) {
    return SchemeLength(text) != 0;
}

std::optional<UrlParts> SplitUrl(const char* url) {
    const std::size_t scheme = SchemeLength(url);
    if (scheme == 0) return std::nullopt;
    // Control characters would end the request line and start headers of the address's making.
    for (const char* c = url; *c != '\0'; ++c) {
        if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) return std::nullopt;
    }
    const char* hostText = url + scheme;
    const char* slash = std::strchr(hostText, '/');
    if (slash == nullptr || static_cast<std::size_t>(slash - hostText) > kMaxHostText) return std::nullopt;

    UrlParts parts;
    parts.secure = scheme == 8;
    parts.port = parts.secure ? 443 : 80;
    const std::string host(hostText, slash);
    std::size_t nameEnd = host.size();
    std::size_t portStart = std::string::npos;
    if (!host.empty() && host[0] == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos) return std::nullopt;
        parts.host = host.substr(1, close - 1);
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') return std::nullopt;
            portStart = close + 2;
        }
    } else {
        nameEnd = host.find(':');
        parts.host = host.substr(0, nameEnd);
        if (nameEnd != std::string::npos) portStart = nameEnd + 1;
    }
    if (parts.host.empty()) return std::nullopt;
    if (portStart != std::string::npos) {
        std::optional<int> port = ParsePort(host.substr(portStart));
        if (!port) return std::nullopt;
        parts.port = *port;
    }
    parts.object.assign(slash, std::strcspn(slash, "#"));
    return parts;
}
