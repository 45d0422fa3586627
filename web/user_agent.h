// The user agent a fetch sends: the system's own when its settings name one.
#pragma once

#include <cstddef>
#include <string>

// Room for the registry value "User Agent", terminator included.
constexpr std::size_t kUserAgentRoom = 128;

// The agent from the registry value as read into kUserAgentRoom bytes: `found` when the read
// succeeded, `isString` for REG_SZ, `size` the bytes it filled. A value that is no string,
// does not fit or is empty gives the default agent.
std::string ChooseUserAgent(bool found, bool isString, const char* data, std::size_t size);
