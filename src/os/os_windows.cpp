// The operating system as Windows shows it.
#include "os.h"

#include <windows.h>

#include <sys/stat.h>
#include <wchar.h>

// The C runtime's own splitter of the UTF-16 command line (msvcrt.dll), the
// one that made the narrow argv, and its wildcard setting (MinGW's default,
// off).
extern "C" {
struct pngprobe_startupinfo {
    int newmode;  // cppcheck-suppress unusedStructMember ; read by the C runtime
};
int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env, int expand_wildcards,
                   pngprobe_startupinfo* info);
extern int _dowildcard;
}

const char* executable_path(const char* argv0)
{
    static char path[32768];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n > 0 && n < sizeof path) {
        return path;
    }
    return argv0 != nullptr && argv0[0] != '\0' ? argv0 : "pngprobe";
}

// The narrow argv holds the command line in the ANSI code page: where the
// manifest's UTF-8 code page is not honoured (before Windows 10 1903), a
// name outside that code page arrives with '?' in it. The UTF-16 command
// line holds every name as the user gave it, so the file is opened by that.
FILE* open_input(char** argv, int index)
{
    int argc = 0;
    wchar_t** wide_argv = nullptr;
    wchar_t** wide_env = nullptr;
    pngprobe_startupinfo info{0};
    FILE* file = nullptr;
    if (__wgetmainargs(&argc, &wide_argv, &wide_env, _dowildcard, &info) >= 0 &&
        wide_argv != nullptr && index < argc) {
        file = _wfopen(wide_argv[index], L"rb");
    } else {
        file = fopen(argv[index], "rb");
    }
    struct stat st {};
    if (file != nullptr && fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        fclose(file);
        return nullptr;
    }
    return file;
}
