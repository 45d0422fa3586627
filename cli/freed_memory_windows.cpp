#include "cli/freed_memory.h"

// The Windows heap gives blocks of 512 KB or more back when they are freed.
void ReturnFreedMemoryAtOnce() {}
