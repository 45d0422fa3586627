#include <malloc.h>

#include "cli/freed_memory.h"

void ReturnFreedMemoryAtOnce() {
    // A picture's planes, codec buffers and whole pictures start at a few MB; a score's rows and
    // a 430-wide picture's planes stay below 1 MB and are used again by the next trial, as are
    // up to 4 MB left free at the top of a heap, instead of being faulted in afresh each time.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
}
