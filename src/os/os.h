// What the driver needs from the operating system, one source file a
// platform: os_posix.cpp (Linux, the BSDs, macOS) and os_windows.cpp.
#ifndef PNGPROBE_OS_H
#define PNGPROBE_OS_H

#include <stdio.h>

// The absolute path of the running executable, for the usage line, whatever
// name it was started by. Falls back to argv0 as given where even that
// cannot be found, and to "pngprobe" where argv0 is null or empty (Linux
// turns an empty argument vector into an empty argument zero).
const char* executable_path(const char* argv0);

// Opens the file that argv[index] names, for reading in binary mode (no
// newline translation, no end-of-file character), sharing it with other
// processes as the C library's fopen does. Null where it cannot be opened
// and where it names a directory.
FILE* open_input(char** argv, int index);

// Readies the first `limit` bytes of `buffer` for one block read of `file`.
// Where the system can (Linux 5.14 and later), it asks the kernel up front
// for the pages that the read will fill, in one call instead of a page fault
// each: only for a regular file, and only as far as its size. Elsewhere, and
// where the kernel refuses, it does nothing; nothing is ever reported.
void prepare_read(FILE* file, unsigned char* buffer, size_t limit);

#endif
