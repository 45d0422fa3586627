// Where an address of a page leads, read as a browser reads a URL relative to a file: a file
// on disk, a web address, a data URI or nothing of its own.
#pragma once

#include <string>
#include <string_view>

#include "page/page_charset.h"

enum class AddressKind {
    kSelf,          // the page itself: empty, or only a query or fragment
    kData,          // a data URI
    kRemote,        // http, https or protocol-relative, or relative to such a <base>
    kUnresolvable,  // another scheme, or a path no file can have; `why` says which
    kLocal,         // a file at `path`
};

struct Address {
    AddressKind kind = AddressKind::kSelf;
    std::string path;  // kLocal: the file's path
    std::string why;   // kUnresolvable: why no file is read
};

// What the relative addresses of a page are relative to.
struct AddressBase {
    std::string folder;   // the folder of relative paths, ending in a separator or empty (here)
    std::string root;     // the folder of root-relative paths ("/img/a.png"), likewise
    bool remote = false;  // a <base> made every relative address a web address
};

// The base of a page or style sheet at `path` with root-relative paths under `root` (empty:
// the file's folder).
AddressBase FileBase(const std::string& path, const std::string& root);

// The address resolved: its blanks and line breaks dropped, the query and fragment cut off,
// "." and ".." segments taken (".." goes no higher than the root for root-relative paths), "\"
// read as "/" and percent-escapes decoded into bytes. Other bytes stay as they are, so that a
// page names its files in its own character set.
Address ResolveAddress(std::string_view url, const AddressBase& base, PageCharset charset);

// The base a <base href> gives the page.
AddressBase BaseOfHref(std::string_view href, const AddressBase& page, PageCharset charset);
