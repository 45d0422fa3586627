// The HTML standard's named character references: each name as written after "&" (those of
// the legacy forms also without their ";"), and its text in UTF-8.
#pragma once

#include <cstddef>

struct NamedReference {
    const char* name;
    const char* text;
};

// Sorted by name, byte for byte.
extern const NamedReference kNamedReferences[2231];
