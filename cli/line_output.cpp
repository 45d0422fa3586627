#include "cli/line_output.h"

#include <cstdio>

bool WriteToStandardOutput(const char* text, std::size_t size) {
    std::fwrite(text, 1, size, stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

LineOutput::LineOutput(const std::string& path) {
    if (!path.empty() && path != "-") file_ = std::make_unique<FileReplacement>(path.c_str());
}
