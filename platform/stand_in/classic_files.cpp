#include "platform/stand_in/classic_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Reads or writes until everything is moved, the file ends or an error occurs.
template <typename Transfer, typename Buffer>
long Repeat(Transfer transfer, int file, Buffer buffer, long bytes) {
    long done = 0;
    while (done < bytes) {
        ssize_t moved = transfer(file, buffer + done, static_cast<size_t>(bytes - done));
        if (moved < 0 && errno == EINTR) continue;
        if (moved < 0) return done == 0 ? HFILE_ERROR : done;
        if (moved == 0) break;
        done += moved;
    }
    return done;
}

}  // namespace

HFILE _lopen(LPCSTR path, int mode) {
    int access = (mode & 0x3) == OF_WRITE ? O_WRONLY : (mode & 0x3) == OF_READWRITE ? O_RDWR : O_RDONLY;
    int file = open(path, access | O_CLOEXEC);
    return file < 0 ? HFILE_ERROR : file;
}

HFILE _lcreat(LPCSTR path, int) {
    // Never through a link: a file is created where the path says or not at all.
    int file = open(path, O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    return file < 0 ? HFILE_ERROR : file;
}

long _hread(HFILE file, LPVOID buffer, long bytes) {
    return Repeat(read, file, static_cast<char*>(buffer), bytes);
}

UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
    return static_cast<UINT>(_hread(file, buffer, static_cast<long>(bytes)));
}

long _hwrite(HFILE file, LPCCH buffer, long bytes) {
    return Repeat(write, file, buffer, bytes);
}

UINT _lwrite(HFILE file, LPCCH buffer, UINT bytes) {
    return static_cast<UINT>(_hwrite(file, buffer, static_cast<long>(bytes)));
}

LONG _llseek(HFILE file, LONG offset, int origin) {
    int whence = origin == FILE_END ? SEEK_END : origin == FILE_CURRENT ? SEEK_CUR : SEEK_SET;
    off_t position = lseek(file, offset, whence);
    return position < 0 || position > 0x7FFFFFFF ? HFILE_ERROR : static_cast<LONG>(position);
}

HFILE _lclose(HFILE file) {
    return close(file) == 0 ? 0 : HFILE_ERROR;
}
