#include "platform/stand_in/private_profile.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool SameName(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// An INI file as lines, with the two questions a profile call asks of it.
class IniLines {
  public:
    explicit IniLines(const char* path) {
        std::ifstream in(path, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines_.push_back(line);
        }
    }

    // Index of the "[section]" line, or the line count when absent.
    size_t FindSection(const char* section) const {
        for (size_t i = 0; i < lines_.size(); ++i) {
            std::string name;
            if (SectionName(lines_[i], &name) && SameName(name, section)) return i;
        }
        return lines_.size();
    }

    // One past the last line of the section starting at `header`.
    size_t SectionEnd(size_t header) const {
        size_t i = header + 1;
        for (std::string name; i < lines_.size() && !SectionName(lines_[i], &name);) ++i;
        return i;
    }

    // Index of the key's line inside [header, end), or end when absent.
    size_t FindKey(size_t header, size_t end, const char* key, std::string* value) const {
        for (size_t i = header + 1; i < end; ++i) {
            size_t equals = lines_[i].find('=');
            if (equals == std::string::npos || !SameName(Trim(lines_[i].substr(0, equals)), key)) continue;
            if (value) *value = Trim(lines_[i].substr(equals + 1));
            return i;
        }
        return end;
    }

    std::vector<std::string>& Lines() { return lines_; }

    bool Save(const char* path) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines_) out << line << "\r\n";
        return static_cast<bool>(out.flush());
    }

  private:
    static bool SectionName(const std::string& line, std::string* name) {
        std::string trimmed = Trim(line);
        if (trimmed.size() < 2 || trimmed.front() != '[') return false;
        size_t close = trimmed.find(']');
        if (close == std::string::npos) return false;
        *name = Trim(trimmed.substr(1, close - 1));
        return true;
    }

    std::vector<std::string> lines_;
};

std::string Unquote(const std::string& value) {
    bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size,
                               LPCSTR file) {
    if (buffer == nullptr || size == 0) return 0;
    std::string value = fallback ? Trim(fallback) : std::string();
    if (section && key && file) {
        IniLines ini(file);
        size_t header = ini.FindSection(section);
        if (header < ini.Lines().size()) {
            std::string stored;
            size_t end = ini.SectionEnd(header);
            if (ini.FindKey(header, end, key, &stored) < end) value = Unquote(stored);
        }
    }
    DWORD copied = static_cast<DWORD>(std::min<size_t>(value.size(), size - 1));
    std::memcpy(buffer, value.data(), copied);
    buffer[copied] = '\0';
    return copied;
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file) {
    char text[32];
    if (GetPrivateProfileStringA(section, key, "", text, sizeof text, file) == 0)
        return static_cast<UINT>(fallback);
    return static_cast<UINT>(std::atoi(text));
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (section == nullptr || file == nullptr) return FALSE;
    IniLines ini(file);
    std::vector<std::string>& lines = ini.Lines();
    size_t header = ini.FindSection(section);
    bool hasSection = header < lines.size();
    if (key == nullptr) {
        if (hasSection) lines.erase(lines.begin() + header, lines.begin() + ini.SectionEnd(header));
        return ini.Save(file) ? TRUE : FALSE;
    }
    if (!hasSection) {
        if (value == nullptr) return TRUE;
        lines.push_back("[" + std::string(section) + "]");
        header = lines.size() - 1;
    }
    size_t end = ini.SectionEnd(header);
    size_t found = ini.FindKey(header, end, key, nullptr);
    // A new key goes behind the section's last non-blank line.
    while (found == end && end > header + 1 && Trim(lines[end - 1]).empty()) found = --end;
    if (value == nullptr) {
        if (found < end) lines.erase(lines.begin() + found);
    } else if (found < end) {
        lines[found] = Trim(lines[found].substr(0, lines[found].find('='))) + "=" + value;
    } else {
        lines.insert(lines.begin() + end, std::string(key) + "=" + value);
    }
    return ini.Save(file) ? TRUE : FALSE;
}
