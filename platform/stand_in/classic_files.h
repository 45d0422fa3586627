// The classic 16-bit-era file calls over POSIX descriptors.
#pragma once

#include "platform/stand_in/win_types.h"

constexpr HFILE HFILE_ERROR = -1;
constexpr int OF_READ = 0x0000;
constexpr int OF_WRITE = 0x0001;
constexpr int OF_READWRITE = 0x0002;
constexpr int OF_SHARE_COMPAT = 0x0000;
constexpr int OF_SHARE_EXCLUSIVE = 0x0010;
constexpr int OF_SHARE_DENY_WRITE = 0x0020;
constexpr int OF_SHARE_DENY_READ = 0x0030;
constexpr int OF_SHARE_DENY_NONE = 0x0040;
constexpr int FILE_BEGIN = 0;
constexpr int FILE_CURRENT = 1;
constexpr int FILE_END = 2;

HFILE _lopen(LPCSTR path, int mode);
// Creates or truncates; the attribute argument is accepted and ignored. A path that names a
// symbolic link is refused.
HFILE _lcreat(LPCSTR path, int attribute);
UINT _lread(HFILE file, LPVOID buffer, UINT bytes);
long _hread(HFILE file, LPVOID buffer, long bytes);
UINT _lwrite(HFILE file, LPCCH buffer, UINT bytes);
long _hwrite(HFILE file, LPCCH buffer, long bytes);
LONG _llseek(HFILE file, LONG offset, int origin);
HFILE _lclose(HFILE file);
