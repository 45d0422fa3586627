// Global memory blocks: movable blocks addressed by a handle, usable only while locked.
#pragma once

#include "platform/stand_in/win_types.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Returns the block's address and counts the lock; null for a null or freed handle.
LPVOID GlobalLock(HGLOBAL block);
// Returns TRUE while the block stays locked, FALSE once the count reaches zero or was zero.
BOOL GlobalUnlock(HGLOBAL block);
// Returns null on success, the handle itself when it is not a live block.
HGLOBAL GlobalFree(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
