// The operating system as POSIX shows it. Built and tested on Linux only;
// the way without /proc, which other POSIX systems would take, is tested
// there by a build that does not read /proc.
#include "os.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/mman.h>
// Linux 5.14's advice to populate pages writable, 23 on every processor
// (the kernel's generic mman-common.h); musl's headers do not name it yet.
#if !defined(MADV_POPULATE_WRITE)
#define MADV_POPULATE_WRITE 23
#endif
#endif

#if !defined(PATH_MAX)
#define PATH_MAX 4096
#endif

namespace {

// The absolute, symlink-free path of the program the shell started under the
// name argv0: a name with a slash is taken from the working directory, one
// without is looked up in PATH as the shell did. Null where it cannot be
// found.
const char* resolve_argv0(const char* argv0)
{
    static char resolved[PATH_MAX];
    if (strchr(argv0, '/') != nullptr) {
        return realpath(argv0, resolved);
    }
    static char candidate[PATH_MAX];
    const char* dirs = getenv("PATH");
    while (dirs != nullptr) {
        const char* end = strchr(dirs, ':');
        const size_t length = end != nullptr ? static_cast<size_t>(end - dirs) : strlen(dirs);
        // An empty entry in PATH stands for the working directory.
        const int n = length == 0 ? snprintf(candidate, sizeof candidate, "%s", argv0)
                                  : snprintf(candidate, sizeof candidate, "%.*s/%s",
                                             static_cast<int>(length), dirs, argv0);
        struct stat st {};
        if (n > 0 && static_cast<size_t>(n) < sizeof candidate && stat(candidate, &st) == 0 &&
            S_ISREG(st.st_mode) && access(candidate, X_OK) == 0) {
            return realpath(candidate, resolved);
        }
        dirs = end != nullptr ? end + 1 : nullptr;
    }
    return nullptr;
}

}  // namespace

const char* executable_path(const char* argv0)
{
    if (argv0 != nullptr && argv0[0] == '\0') {
        argv0 = nullptr;
    }
#if defined(__linux__) && !defined(PNGPROBE_NO_PROC)
    static char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0 && static_cast<size_t>(n) < sizeof path - 1) {
        path[n] = '\0';
        return path;
    }
#endif
    // No /proc (a chroot without it, a system that has none): from argument zero.
    if (argv0 != nullptr) {
        const char* resolved = resolve_argv0(argv0);
        if (resolved != nullptr) {
            return resolved;
        }
    }
    return argv0 != nullptr ? argv0 : "pngprobe";
}

int argument_count(int argc)
{
    return argc;
}

namespace {

// The buffer's pages are first touched by the read, each with a page fault,
// which on a virtual machine can trap to the host at microseconds a page;
// populating them in one call costs a fraction of that. Only a regular file
// asks, and only for the pages its first `size` bytes fill; an older kernel
// refuses the advice (EINVAL) and the read faults the pages in as before.
void populate(unsigned char* buffer, size_t size)  // NOLINT(readability-non-const-parameter)
{
#if defined(__linux__)
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) {
        const uintptr_t mask = static_cast<uintptr_t>(page) - 1;
        const uintptr_t first = reinterpret_cast<uintptr_t>(buffer) & ~mask;
        const uintptr_t end = (reinterpret_cast<uintptr_t>(buffer) + size + mask) & ~mask;
        // madvise takes a page-aligned address, which only an integer can be
        // rounded to.
        void* const pages = reinterpret_cast<void*>(first);  // NOLINT(performance-no-int-to-ptr)
        (void)madvise(pages, end - first, MADV_POPULATE_WRITE);
    }
#else
    (void)buffer;
    (void)size;
#endif
}

}  // namespace

// The file is read with the system's own calls, not through a C library
// stream: a stream allocates itself and its buffer (changes of the address
// space, dear on a virtual machine), reads past the limit into that buffer
// and seeks back at close. Here it is one open, one fstat (for the
// directory test and the size), one read straight into the buffer, one
// close. The build asks for 64-bit file offsets (_FILE_OFFSET_BITS=64), so a
// 32-bit C library opens a file of any size instead of refusing one over
// 2 GiB.
int read_input(char** argv, int index, unsigned char* buffer, size_t limit, size_t* count)
{
    const int fd = open(argv[index], O_RDONLY | O_NOCTTY);
    if (fd < 0) {
        return 0;
    }
    struct stat st {};
    const bool known = fstat(fd, &st) == 0;
    if (known && S_ISDIR(st.st_mode)) {
        (void)close(fd);
        return 0;
    }
    // A regular file ends where fstat said; anything else (a pipe, a
    // device), and a file that shows a size of 0 though it may have
    // content (Linux's /proc), only where a read returns nothing.
    size_t end = 0;
    if (known && S_ISREG(st.st_mode) && st.st_size > 0) {
        end = static_cast<uintmax_t>(st.st_size) < limit ? static_cast<size_t>(st.st_size) : limit;
        populate(buffer, end);
    }
    // One read, repeated only where the system returns less than is left
    // before the end (a pipe gives what its writer has written so far), or
    // was interrupted before any byte arrived.
    size_t total = 0;
    while (total < limit && (end == 0 || total < end)) {
        const ssize_t n = read(fd, buffer + total, limit - total);
        if (n > 0) {
            total += static_cast<size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            break;  // the end of the file, or a read error: the bytes so far
        }
    }
    (void)close(fd);
    *count = total;
    return 1;
}

namespace {

// A run's whole output, gathered so that it goes out in one write, whatever
// its length. Into a pipe, a write of at most PIPE_BUF bytes (4096 on Linux)
// is never interleaved with another writer's, so runs in parallel into one
// pipe keep their lines together; every output for a file is far shorter.
// A usage line of a path longer than that is still one write, but another
// writer's bytes may then come between its parts. The longest text is the
// executable's path, which argument zero can give: Linux holds no argument
// longer than 32 of its pages (MAX_ARG_STRLEN), which are 64 KiB at most on
// the processors the release ships for (arm64 kernels have 4, 16 or 64);
// other systems none longer than ARG_MAX where they name it. Only the bytes
// written are ever touched.
#if defined(__linux__)
constexpr size_t kLongestText = size_t{32} * 65536;
#elif defined(ARG_MAX)
constexpr size_t kLongestText = ARG_MAX;
#else
constexpr size_t kLongestText = PATH_MAX;
#endif
char output[kLongestText + 256];
size_t output_used = 0;
bool output_failed = false;

// Writes all `size` bytes to standard output, as many calls as a short write
// or an interrupted call takes.
void write_all(const char* bytes, size_t size)
{
    while (size > 0 && !output_failed) {
        const ssize_t n = write(STDOUT_FILENO, bytes, size);
        if (n > 0) {
            bytes += n;
            size -= static_cast<size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            output_failed = true;  // a full disk, a closed descriptor, ...
        }
    }
}

}  // namespace

void append_output(const char* text)
{
    const size_t size = strlen(text);
    const size_t room = sizeof output - output_used;
    const size_t kept = size < room ? size : room;
    // The output is counted bytes, never read as a C string: no terminator.
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
    memcpy(output + output_used, text, kept);
    output_used += kept;
    // Longer than any text the system can give: what is left out is lost.
    output_failed = output_failed || kept < size;
}

int write_output()
{
    write_all(output, output_used);
    output_used = 0;
    return output_failed ? 0 : 1;
}
