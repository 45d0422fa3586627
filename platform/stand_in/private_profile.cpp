#include "platform/stand_in/private_profile.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/replace_file.h"

namespace {

constexpr char kBlanks[] = " \t\r\n";

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string TrimEnd(const std::string& text) {
    return text.substr(0, text.find_last_not_of(kBlanks) + 1);
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

    // The names of the sections, or of the keys of the section at `header`, in file order.
    std::vector<std::string> Names(const size_t* header) const {
        std::vector<std::string> names;
        const size_t begin = header ? *header + 1 : 0, end = header ? SectionEnd(*header) : lines_.size();
        for (size_t i = begin; i < end; ++i) {
            std::string name;
            if (header == nullptr && SectionName(lines_[i], &name)) names.push_back(name);
            const size_t equals = lines_[i].find('=');
            if (header != nullptr && equals != std::string::npos)
                names.push_back(Trim(lines_[i].substr(0, equals)));
        }
        return names;
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
        std::string text;
        for (const std::string& line : lines_) text += line + "\r\n";
        return ReplaceFileContents(path, text.data(), text.size());
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

// Copies zero-terminated names and a second zero behind them; what does not fit is cut, still
// ending in two zeros, and the count is then size - 2.
DWORD CopyNames(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const std::string& name : names) list.append(name).push_back('\0');
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty() && size > 1) buffer[1] = '\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = buffer[size - 1] = '\0';
    return size - 2;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size,
                               LPCSTR file) {
    if (buffer == nullptr || size == 0) return 0;
    IniLines ini(file ? file : "");
    const size_t header = section ? ini.FindSection(section) : ini.Lines().size();
    const bool hasSection = header < ini.Lines().size();
    if (section == nullptr) return CopyNames(ini.Names(nullptr), buffer, size);
    if (key == nullptr)
        return CopyNames(hasSection ? ini.Names(&header) : std::vector<std::string>{}, buffer, size);
    std::string value = fallback ? TrimEnd(fallback) : std::string();
    if (hasSection) {
        std::string stored;
        const size_t end = ini.SectionEnd(header);
        if (ini.FindKey(header, end, key, &stored) < end) value = Unquote(stored);
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
