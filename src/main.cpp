// pngprobe: prints the byte count, then the width, height, bit depth and
// colour type of a PNG file, or "invalid png".
//
//   pngprobe FILE
//
// Reads at most the first kReadLimit bytes of FILE in one block read into a
// static buffer. Exit status 1 for a wrong argument count, a file that cannot
// be opened, or output that could not be written; 0 otherwise, whatever the
// file holds.
#include <cstdint>
#include <cstdio>

#include <sys/stat.h>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <unistd.h>
#endif

#include "png/png_header.h"

namespace {

constexpr std::size_t kReadLimit = 1000000;

unsigned char input[kReadLimit];

// The absolute path of the running executable for the usage line, whatever
// name it was started by; argument zero as given where the platform cannot
// tell, and a plain name where there is not even that.
const char* executable_path(const char* argv0)
{
#if defined(_WIN32)
    static char path[32768];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n > 0 && n < sizeof path) {
        return path;
    }
#elif defined(__linux__)
    static char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof path - 1) {
        path[n] = '\0';
        return path;
    }
#endif
    return argv0 != nullptr ? argv0 : "pngprobe";
}

bool is_directory(std::FILE* file)
{
    struct stat st {};
    return fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode);
}

// Standard output is the tool's only channel, so a line that could not be
// written (a full disk, a closed descriptor) turns the status into 1.
int finish(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("Usage: %s <png file>\n",
                    executable_path(argc > 0 ? argv[0] : nullptr));
        return finish(1);
    }

    std::FILE* file = std::fopen(argv[1], "rb");
    if (file != nullptr && is_directory(file)) {
        std::fclose(file);
        file = nullptr;
    }
    if (file == nullptr) {
        std::printf("Cannot open file\n");
        return finish(1);
    }

    const std::size_t count = std::fread(input, 1, kReadLimit, file);
    std::printf("%d\n", static_cast<int>(count));
    std::fclose(file);

    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    if (find_image_header(input, static_cast<std::uint32_t>(count), &width,
                          &height, &bit_depth, &color_type) != 0) {
        std::printf("width: %u px, height: %u px\n", width, height);
        std::printf("bit_depth: %d, color_type: %d\n", bit_depth, color_type);
    } else {
        std::printf("invalid png\n");
    }
    return finish(0);
}
