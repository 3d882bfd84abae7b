// What the driver needs from the operating system, one source file a
// platform: os_posix.cpp (Linux) and os_windows.cpp.
#ifndef PNGPROBE_OS_H
#define PNGPROBE_OS_H

#include <stddef.h>

// The absolute path of the running executable, for the usage line, whatever
// name it was started by. Falls back to argv0 as given where even that
// cannot be found, and to "pngprobe" where argv0 is null or empty (Linux
// turns an empty argument vector into an empty argument zero).
const char* executable_path(const char* argv0);

// The number of arguments the tool was started with, its own name included,
// counted in the command line that read_input takes the name from: argc on
// POSIX; on Windows the UTF-16 command line, whatever the narrow argv holds.
int argument_count(int argc);

// Opens the file that argument `index` names for reading in binary mode (no
// newline translation, no end-of-file character), sharing it with other
// processes, reads at most `limit` bytes of it into `buffer` and closes it.
// Returns 1 and stores the number of bytes read in *count; returns 0, with
// *count untouched, where the file cannot be opened or is a directory. A
// read error ends the read with the bytes received so far.
int read_input(char** argv, int index, unsigned char* buffer, size_t limit, size_t* count);

// Adds `text` to the run's output: UTF-8, with '\n' as the line end, which
// becomes the platform's own. Nothing is written yet. A text longer than
// any the system can give (a path, an argument) is cut, and the output then
// counts as not written.
void append_output(const char* text);

// Writes the run's output to standard output in one write, repeated only
// for a short write or an interrupted call: runs in parallel into one pipe
// keep their lines together. On Windows a console is written in UTF-16, so
// every character shows whatever the console's code page, in pieces of at
// most 8192 units that every console takes; a file or a pipe gets the UTF-8
// bytes, with CR LF. Returns 1 where everything printed was
// written, 0 where some of it could not be (a full disk, a closed
// descriptor, a console that refused it).
int write_output();

#endif
