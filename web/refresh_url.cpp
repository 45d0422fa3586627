#include "web/refresh_url.h"

#include <cstring>

#include "web/ascii_text.h"
#include "web/url_parts.h"

namespace {

// The quoted target behind the first "url=" of a page holding "<meta " and "refresh".
std::optional<std::string> RefreshTarget(const char* text) {
    if (FindNoCase(text, "<meta ") == nullptr || FindNoCase(text, "refresh") == nullptr) return std::nullopt;
    const char* url = FindNoCase(text, "url=");
    if (url == nullptr) return std::nullopt;
    const char* start = url + 4;
    const char* quote = std::strchr(start, '"');
    if (quote == nullptr || static_cast<std::size_t>(quote - start) > kMaxRefreshTarget) return std::nullopt;
    return std::string(start, quote);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

std::optional<std::string> ResolveRefreshUrl(const char* text, const std::string& currentUrl) {
    std::optional<std::string> target = RefreshTarget(text);
    if (!target || currentUrl.size() + target->size() >= kMaxForwardingUrl) return std::nullopt;
    if (IsWebAddress(target->c_str())) return target;

    // The folder of the page: its address without query or fragment, up to the last "/";
    // an address without a path names its server's root.
    const std::string path = currentUrl.substr(0, currentUrl.find_first_of("?#"));
    const std::size_t scheme = path.find("://");
    if (scheme == std::string::npos) return std::nullopt;
    const std::size_t lastSlash = path.rfind('/');
    const std::string base = lastSlash < scheme + 3 ? path + "/" : path.substr(0, lastSlash + 1);
    const std::size_t rootSlash = base.find('/', scheme + 3);

    if (StartsWith(*target, "//")) return base.substr(0, scheme + 1) + *target;
    if (StartsWith(*target, "./")) return base + target->substr(2);
    if (StartsWith(*target, "/")) return base.substr(0, rootSlash + 1) + target->substr(1);
    if (StartsWith(*target, "../")) {
        // One folder up, but never above the server's root.
        const std::size_t folderEnd = base.size() - 1;
        const std::size_t parent = folderEnd == rootSlash ? rootSlash : base.rfind('/', folderEnd - 1);
        return base.substr(0, parent + 1) + target->substr(3);
    }
    return base + *target;
}
