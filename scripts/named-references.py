#!/usr/bin/python3
"""named-references.py > page/named_references.cpp: writes the HTML standard's table of named
character references (which Python carries as html.entities.html5) as a sorted C++ array, the
texts in UTF-8 as hexadecimal escapes so that no build's character set changes them."""
import html.entities


def escaped(text):
    return "".join(f"\\x{b:02X}" for b in text.encode("utf-8"))


def main():
    entries = sorted(html.entities.html5.items(), key=lambda item: item[0].encode())
    print("// Written by scripts/named-references.py from the HTML standard's table; do not edit.")
    print('#include "page/named_references.h"')
    print()
    print("// clang-format off")
    print(f"const NamedReference kNamedReferences[{len(entries)}] = {{")
    line = "   "
    for name, text in entries:
        item = f' {{"{name}", "{escaped(text)}"}},'
        if len(line) + len(item) > 110:
            print(line)
            line = "   "
        line += item
    print(line)
    print("};")
    print("// clang-format on")


if __name__ == "__main__":
    main()
