// Decoding base64 text back to bytes, to check what the conversion produced.
#pragma once

#include <string>

#include "tests/support/files.h"

// The bytes of standard base64 text with "=" padding; stops at the first other character.
Bytes Base64Decode(const std::string& text);

// The payload of an <img src="data:MIME;base64,..."> element, or nothing when the element
// does not have that form or its type is not `mime`.
Bytes DataUriPayload(const std::string& element, const std::string& mime);
