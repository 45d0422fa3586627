// Replacing a file's contents so that a failure never leaves it half written: the new contents
// go into a file beside it, which then takes its place in one step.
#pragma once

#include <cstddef>

// True once `path` holds exactly the bytes. On failure the old file is as it was and nothing
// of the attempt remains. A path naming something other than a plain file (a device, a pipe)
// is written directly.
bool ReplaceFileContents(const char* path, const void* data, std::size_t size);
