// Paths between the file system's characters and a page's: a UTF-8 page names its files in
// UTF-8, a Shift_JIS page in Shift_JIS (code page 932), and on Windows korvi-cli's paths are in
// the ANSI code page. Elsewhere a name is its bytes, and both are the path as it is.
#pragma once

#include <optional>
#include <string>

#include "page/page_charset.h"

// The file system's path in the page's characters, so that the page's addresses resolve against
// it; as it is where they cannot write it.
std::string PathInPage(const std::string& path, PageCharset charset);

// The path in the file system's characters; nothing where they cannot name it.
std::optional<std::string> PageFileName(const std::string& path, PageCharset charset);
