#include "cli/binary_streams.h"

// POSIX streams carry bytes unchanged.
void UseBinaryStandardStreams() {}
