// INI-file settings with the Windows profile semantics: section and key names compare
// case-insensitively, a missing file or key yields the default, and a write keeps every
// other line of the file.
#pragma once

#include "platform/stand_in/win_types.h"

// A null section lists the sections, a null key the keys of the section: each name
// zero-terminated, a second zero behind the last. The default loses its trailing blanks.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size,
                               LPCSTR file);
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file);
// A null value removes the key; a null key removes the whole section. The file is replaced as
// a whole, so a failed write leaves it as it was.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
