#include "tests/support/base64_decode.h"

#include <cstring>

Bytes Base64Decode(const std::string& text) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    Bytes bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const char* at = c ? std::strchr(alphabet, c) : nullptr;
        if (at == nullptr) break;
        bits = bits << 6 | static_cast<std::uint32_t>(at - alphabet);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return bytes;
}

Bytes DataUriPayload(const std::string& element, const std::string& mime) {
    const std::string opening = "<img src=\"data:" + mime + ";base64,", closing = "\">";
    if (element.size() < opening.size() + closing.size() ||
        element.compare(0, opening.size(), opening) != 0 ||
        element.compare(element.size() - closing.size(), closing.size(), closing) != 0) {
        return {};
    }
    return Base64Decode(element.substr(opening.size(), element.size() - opening.size() - closing.size()));
}
