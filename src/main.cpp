// pngprobe: prints the byte count, then the width, height, bit depth and
// colour type of a PNG file, or "invalid png".
//
//   pngprobe FILE
//
// Reads at most the first kReadLimit bytes of FILE in one block read into a
// static buffer. Exit status 1 for a wrong argument count, a file that cannot
// be opened, or output that could not be written; 0 otherwise, whatever the
// file holds.
//
// Only the C library is used (its own headers, no C++ runtime), so the tool
// links against any libc, musl included.
#include <stdint.h>
#include <stdio.h>

#include <sys/stat.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#endif

#include "png/png_header.h"

namespace {

constexpr size_t kReadLimit = 1000000;

unsigned char input[kReadLimit];

#if !defined(_WIN32)
#if !defined(PATH_MAX)
#define PATH_MAX 4096
#endif

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
        const int n = length == 0
                          ? snprintf(candidate, sizeof candidate, "%s", argv0)
                          : snprintf(candidate, sizeof candidate, "%.*s/%s",
                                     static_cast<int>(length), dirs, argv0);
        struct stat st {};
        if (n > 0 && static_cast<size_t>(n) < sizeof candidate &&
            stat(candidate, &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate, X_OK) == 0) {
            return realpath(candidate, resolved);
        }
        dirs = end != nullptr ? end + 1 : nullptr;
    }
    return nullptr;
}
#endif

// The absolute path of the running executable for the usage line, whatever
// name it was started by; argument zero as given where even that cannot be
// found, and a plain name where there is not even that (Linux turns an empty
// argument vector into an empty argument zero).
const char* executable_path(const char* argv0)
{
    if (argv0 != nullptr && argv0[0] == '\0') {
        argv0 = nullptr;
    }
#if defined(_WIN32)
    static char path[32768];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n > 0 && n < sizeof path) {
        return path;
    }
#else
#if defined(__linux__) && !defined(PNGPROBE_NO_PROC)
    static char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0 && static_cast<size_t>(n) < sizeof path - 1) {
        path[n] = '\0';
        return path;
    }
#endif
    // No /proc (macOS, the BSDs, a chroot without it): from argument zero.
    if (argv0 != nullptr) {
        const char* resolved = resolve_argv0(argv0);
        if (resolved != nullptr) {
            return resolved;
        }
    }
#endif
    return argv0 != nullptr ? argv0 : "pngprobe";
}

bool is_directory(FILE* file)
{
    struct stat st {};
    return fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode);
}

// Standard output is the tool's only channel, so a line that could not be
// written (a full disk, a closed descriptor) turns the status into 1.
int finish(int status)
{
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        printf("Usage: %s <png file>\n", executable_path(argc > 0 ? argv[0] : nullptr));
        return finish(1);
    }

    FILE* file = fopen(argv[1], "rb");
    if (file != nullptr && is_directory(file)) {
        fclose(file);
        file = nullptr;
    }
    if (file == nullptr) {
        printf("Cannot open file\n");
        return finish(1);
    }

    const size_t count = fread(input, 1, kReadLimit, file);
    printf("%d\n", static_cast<int>(count));
    fclose(file);

    uint32_t width = 0;
    uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    if (find_image_header(input, static_cast<uint32_t>(count), &width, &height, &bit_depth,
                          &color_type) != 0) {
        printf("width: %u px, height: %u px\n", width, height);
        printf("bit_depth: %d, color_type: %d\n", bit_depth, color_type);
    } else {
        printf("invalid png\n");
    }
    return finish(0);
}
