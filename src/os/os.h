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

#endif
