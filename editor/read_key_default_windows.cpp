#include "editor/read_key_default.h"

#include <vector>

#include "editor/editor_command.h"

static_assert(kRegistryText == REG_SZ && kRegistryExpandText == REG_EXPAND_SZ);

std::string ReadKeyDefault(HKEY key) {
    if (key == nullptr) return {};
    std::vector<char> bytes(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(bytes.size());
        const LONG status =
            RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        // A longer value is read again whole, up to what a command line can hold.
        if (status == ERROR_MORE_DATA && size > bytes.size() && size <= kCommandLineLimit) {
            bytes.resize(size);
            continue;
        }
        if (status != ERROR_SUCCESS || size > bytes.size()) return {};
        return RegistryText(type, bytes.data(), size, EnvironmentValue);
    }
}

std::optional<std::string> EnvironmentValue(const std::string& name) {
    std::string value(256, '\0');
    for (;;) {
        const DWORD length =
            GetEnvironmentVariableA(name.c_str(), &value[0], static_cast<DWORD>(value.size()));
        if (length == 0) return std::nullopt;
        // A value that does not fit reports the size it needs, its terminator included.
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);
    }
}
