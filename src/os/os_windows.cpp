// The operating system as Windows shows it.
#include "os.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <wchar.h>

// The C runtime's own splitter of the UTF-16 command line (msvcrt.dll), the
// one that made the narrow argv, and its wildcard setting (MinGW's default,
// off).
extern "C" {
struct pngprobe_startupinfo {
    int newmode;  // cppcheck-suppress unusedStructMember ; read by the C runtime
};
// The C runtime's own name, reserved because it is the runtime's.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env, int expand_wildcards,
                   pngprobe_startupinfo* info);
extern int _dowildcard;
}

namespace {

// The longest path the system takes, in UTF-16 units with the terminating
// null, and the most UTF-8 bytes it can take (three a unit at most: a
// surrogate pair's two units make four).
constexpr DWORD kLongestName = 32768;
constexpr int kLongestUtf8 = 3 * static_cast<int>(kLongestName);

}  // namespace

// The path as Windows holds it, in UTF-16, turned into UTF-8: the narrow
// function would put '?' for every character outside the ANSI code page.
const char* executable_path(const char* argv0)
{
    static wchar_t wide[kLongestName];
    static char path[kLongestUtf8];
    const DWORD n = GetModuleFileNameW(nullptr, wide, kLongestName);
    if (n > 0 && n < kLongestName &&
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, path, kLongestUtf8, nullptr, nullptr) > 0) {
        return path;
    }
    return argv0 != nullptr && argv0[0] != '\0' ? argv0 : "pngprobe";
}

namespace {

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
        (void)fclose(file);
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
    (void)fclose(file);
    return 1;
}

namespace {

// Standard output, where it is a console: its handle, else null.
HANDLE console_output()
{
    static HANDLE console = INVALID_HANDLE_VALUE;
    if (console == INVALID_HANDLE_VALUE) {
        HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
        DWORD mode = 0;
        console = handle != nullptr && handle != INVALID_HANDLE_VALUE &&
                          GetConsoleMode(handle, &mode) != 0
                      ? handle
                      : nullptr;
    }
    return console;
}

bool console_failed = false;

// Writes `units` UTF-16 units to the console, as many calls as it takes.
void write_console(HANDLE console, const wchar_t* text, DWORD units)
{
    while (units > 0 && !console_failed) {
        DWORD written = 0;
        if (WriteConsoleW(console, text, units, &written, nullptr) == 0 || written == 0) {
            console_failed = true;
            return;
        }
        text += written;
        units -= written;
    }
}

}  // namespace

// A console shows bytes in its own code page (an OEM one: 437, 850, 866,
// 932, ...), which is neither the ANSI code page nor the manifest's UTF-8,
// so a character outside it cannot arrive as bytes. The console's own
// UTF-16 function shows every character whatever its code page, on every
// Windows NT version, and leaves the code page as the user set it. A file
// or a pipe gets the UTF-8 bytes through the C runtime, whose text mode
// makes each '\n' CR LF.
void print(const char* text)
{
    HANDLE console = console_output();
    if (console == nullptr) {
        (void)fputs(text, stdout);
        return;
    }
    // A line's UTF-16 units are never more than its UTF-8 bytes, and no line
    // is longer than the longest path; where one were, the conversion fails.
    static wchar_t wide[kLongestUtf8];
    // Line by line, each '\n' written as CR LF as in a file.
    const char* line = text;
    while (*line != '\0' && !console_failed) {
        const char* newline = strchr(line, '\n');
        const size_t bytes =
            newline != nullptr ? static_cast<size_t>(newline - line) : strlen(line);
        if (bytes > 0) {
            const int units =
                MultiByteToWideChar(CP_UTF8, 0, line, static_cast<int>(bytes), wide, kLongestUtf8);
            if (units <= 0) {
                console_failed = true;
                return;
            }
            write_console(console, wide, static_cast<DWORD>(units));
        }
        if (newline == nullptr) {
            break;
        }
        write_console(console, L"\r\n", 2);
        line = newline + 1;
    }
}

int output_complete()
{
    return !console_failed && fflush(stdout) == 0 && ferror(stdout) == 0 ? 1 : 0;
}
