// The operating system as Windows shows it.
#include "os.h"

#include <windows.h>

#include <sys/stat.h>

const char* executable_path(const char* argv0)
{
    static char path[32768];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n > 0 && n < sizeof path) {
        return path;
    }
    return argv0 != nullptr && argv0[0] != '\0' ? argv0 : "pngprobe";
}

FILE* open_input(char** argv, int index)
{
    FILE* file = fopen(argv[index], "rb");
    struct stat st {};
    if (file != nullptr && fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        fclose(file);
        return nullptr;
    }
    return file;
}
