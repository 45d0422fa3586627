// Memory a picture no longer needs goes back to the system at once.
#pragma once

// Where the C library keeps freed blocks for later (glibc's heap grows its threshold for
// mapping blocks of their own, and each thread's heap keeps what it freed), makes it map every
// block of 1 MB or more on its own, so that freeing it gives it back: -f auto's trials then hold
// no more at a time than one conversion does, while the smaller blocks of its trials are used
// again rather than mapped afresh. Nothing to do where the heap already does so.
void ReturnFreedMemoryAtOnce();
