#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/binary_streams.h"

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}
