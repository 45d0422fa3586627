#include "cli/page_file_name.h"

std::string PathInPage(const std::string& path, PageCharset) {
    return path;
}

std::optional<std::string> PageFileName(const std::string& path, PageCharset) {
    return path;
}
