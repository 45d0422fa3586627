// Paths here are UTF-8, where no byte of a multi-byte character can be taken for "." or "/".
#pragma once

#include "platform/stand_in/win_types.h"

inline BOOL IsDBCSLeadByte(BYTE) {
    return FALSE;
}
