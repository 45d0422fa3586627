// The kernel functions that portable code uses. On Windows they are the real ones; elsewhere
// this folder supplies stand-ins with the same names and behaviour.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/stand_in/bitmap_types.h"
#include "platform/stand_in/classic_files.h"
#include "platform/stand_in/code_page.h"
#include "platform/stand_in/global_memory.h"
#include "platform/stand_in/private_profile.h"
#endif
