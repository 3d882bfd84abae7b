// The operating system as Windows shows it.
#include "os.h"

#include <windows.h>

#include <stdio.h>
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

namespace {

// The longest name the system takes, in its extended-length form (\\?\),
// with room for the terminating null.
constexpr DWORD kLongestName = 32768;

bool starts_with(const wchar_t* name, const wchar_t* prefix)
{
    return wcsncmp(name, prefix, wcslen(prefix)) == 0;
}

// The name to open `name` by. A name whose full path is MAX_PATH characters
// or longer opens on every Windows only in its extended-length form, which
// the system passes on without the MAX_PATH limit (and without resolving
// '.', '..' or '/', so the full path is taken from GetFullPathNameW, which
// does): \\?\C:\dir\file, and \\?\UNC\server\share\file for \\server\share\file.
// The manifest's longPathAware does the same only where the system-wide
// LongPathsEnabled switch is on (Windows 10 1607 and later, off by default).
// A name already in that form (\\?\) or a device name (\\.\), and any
// shorter name, is used as given. Null where the name is too long even for
// the extended form.
const wchar_t* name_to_open(const wchar_t* name)
{
    if (starts_with(name, L"\\\\?\\") || starts_with(name, L"\\\\.\\")) {
        return name;
    }
    static wchar_t full[kLongestName];
    const DWORD length = GetFullPathNameW(name, kLongestName, full, nullptr);
    if (length == 0 || length < MAX_PATH) {
        return name;  // shorter names, and names the system cannot resolve, as today
    }
    if (length >= kLongestName) {
        return nullptr;  // the full path did not fit: `full` holds nothing
    }
    static wchar_t extended[kLongestName];
    const bool unc = starts_with(full, L"\\\\");
    const wchar_t* prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
    const wchar_t* rest = unc ? full + 1 : full;  // \\server\share -> \\?\UNC\server\share
    if (wcslen(prefix) + wcslen(rest) >= static_cast<size_t>(kLongestName)) {
        return nullptr;
    }
    wcscpy(extended, prefix);
    wcscat(extended, rest);
    return extended;
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
        const wchar_t* name = name_to_open(wide_argv[index]);
        if (name == nullptr) {
            return nullptr;
        }
        file = _wfopen(name, L"rb");
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

}  // namespace

// One block read through the C runtime's stream; nothing here can measure
// whether the system's own calls would be faster on Windows.
int read_input(char** argv, int index, unsigned char* buffer, size_t limit, size_t* count)
{
    FILE* file = open_input(argv, index);
    if (file == nullptr) {
        return 0;
    }
    *count = fread(buffer, 1, limit, file);
    fclose(file);
    return 1;
}
