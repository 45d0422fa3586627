#include <malloc.h>

#include "cli/freed_memory.h"

void ReturnFreedMemoryAtOnce() {
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
}
