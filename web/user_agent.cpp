#include "web/user_agent.h"

#include <cstring>

#include "web/fetch_transport.h"

std::string ChooseUserAgent(bool found, bool isString, const char* data, std::size_t size) {
    if (!found || !isString || size > kUserAgentRoom) return kDefaultUserAgent;
    // A stored string need not carry its terminator.
    const void* zero = std::memchr(data, '\0', size);
    const std::size_t length =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : size;
    if (length == 0 || length >= kUserAgentRoom) return kDefaultUserAgent;
    return std::string(data, length);
}
