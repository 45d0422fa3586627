// Following a page that forwards to another address with a meta refresh tag.
#pragma once

#include <optional>
#include <string>

// Longest forwarding target taken, and the limit on the current address and target together.
constexpr std::size_t kMaxRefreshTarget = 64;
constexpr std::size_t kMaxForwardingUrl = 1024;

// The address that `text` (searched up to its first zero byte) forwards to, made absolute
// against `currentUrl`, the address the text came from; none when the text does not forward.
std::optional<std::string> ResolveRefreshUrl(const char* text, const std::string& currentUrl);
