// The operating system as Windows shows it.
#include "os.h"
#include "os_windows.h"

#include <windows.h>

#include <wchar.h>

// The C runtime's own splitter of the UTF-16 command line (msvcrt.dll): the
// same rules as __getmainargs, which made the narrow argv from the ANSI
// command line, and its wildcard setting (MinGW's default, off).
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

}  // namespace

// The name to open `name` by, so that the file opened is the one that
// Windows' own reading of the name gives (the documented path formats).
// A name that starts exactly \\?\ (with backslashes), or the NT form \??\,
// is passed on untouched, as the system passes it on. Every other name,
// written with either separator (//?/C:/..., \\.\..., C:/dir/../file), is
// normalized by the system: separators made '\', '.' and '..' resolved,
// repeated separators and trailing dots and spaces dropped. Such a name is
// used as given where its full path is shorter than MAX_PATH; a longer one
// opens on every Windows only in extended-length form, which the system
// does not normalize, so it is made from the full path that
// GetFullPathNameW normalized: \\?\C:\dir\file, \\?\UNC\server\share\file
// for \\server\share\file, and a full path already \\?\ or \\.\ as it is.
// (The manifest's longPathAware lifts MAX_PATH only where the system-wide
// LongPathsEnabled switch is on: Windows 10 1607 and later, off by default.)
// Null where the name is too long even for the extended form.
const wchar_t* os_windows::name_to_open(const wchar_t* name)
{
    if (starts_with(name, L"\\\\?\\") || starts_with(name, L"\\??\\")) {
        return name;
    }
    static wchar_t full[kLongestName];
    const DWORD length = GetFullPathNameW(name, kLongestName, full, nullptr);
    if (length == 0 || length < MAX_PATH) {
        return name;  // shorter names, and names the system cannot resolve, as given
    }
    if (length >= kLongestName) {
        return nullptr;  // the full path did not fit: `full` holds nothing
    }
    if (starts_with(full, L"\\\\?\\") || starts_with(full, L"\\\\.\\")) {
        return full;  // a device path (from //?/, \\.\ and the like), normalized
    }
    const bool unc = starts_with(full, L"\\\\");
    const wchar_t* prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
    const wchar_t* rest = unc ? full + 1 : full;  // \\server\share -> \\?\UNC\server\share
    static wchar_t extended[kLongestName];
    if (wcslen(prefix) + wcslen(rest) >= static_cast<size_t>(kLongestName)) {
        return nullptr;
    }
    wcscpy(extended, prefix);
    wcscat(extended, rest);
    return extended;
}

namespace {

// A 32-bit program on 64-bit Windows has C:\Windows\System32 redirected to
// C:\Windows\SysWOW64, so it would read another file than the one the user
// named, or find none. The redirection is turned off for the open alone;
// the functions exist from Windows XP x64 and Server 2003 SP1 on, so they
// are looked up, in kernel32.dll, which every process has loaded, before
// the redirection is off: nothing else runs while it is.
using Wow64Disable = BOOL(WINAPI*)(PVOID*);
using Wow64Revert = BOOL(WINAPI*)(PVOID);

// kernel32.dll's function `name`, as type Function; null where it has none.
template <typename Function>
Function kernel32_function(const char* name)
{
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    FARPROC function = kernel32 != nullptr ? GetProcAddress(kernel32, name) : nullptr;
    // GetProcAddress gives every function as FARPROC, whatever its type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(function));
}

// Opens `name` for reading only, sharing reading, writing and deletion, as
// the POSIX open does: another program may go on writing, rename or delete
// the file while the tool reads it, and a file that another program holds
// with DELETE access opens too. A folder does not open (no
// FILE_FLAG_BACKUP_SEMANTICS); a file held without sharing reading does not.
HANDLE open_shared(const wchar_t* name)
{
    const auto disable = kernel32_function<Wow64Disable>("Wow64DisableWow64FsRedirection");
    const auto revert = kernel32_function<Wow64Revert>("Wow64RevertWow64FsRedirection");
    PVOID redirection = nullptr;
    const bool off = disable != nullptr && revert != nullptr && disable(&redirection) != 0;
    HANDLE file =
        CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (off) {
        (void)revert(redirection);
    }
    return file;
}

// The arguments as the C runtime splits the UTF-16 command line, which
// holds every name as the user gave it; a count below zero until it is
// split, and no vector where it cannot be.
int wide_count = -1;
wchar_t** wide_vector = nullptr;

wchar_t** wide_arguments()
{
    if (wide_count < 0) {
        wchar_t** env = nullptr;
        pngprobe_startupinfo info{0};
        wide_count = 0;
        if (__wgetmainargs(&wide_count, &wide_vector, &env, _dowildcard, &info) < 0) {
            wide_vector = nullptr;
        }
    }
    return wide_vector;
}

// The narrow argv holds the command line in the ANSI code page: where the
// manifest's UTF-8 code page is not honoured (before Windows 10 1903), a
// name outside that code page arrives with '?' in it. So the file is opened
// by its name in the UTF-16 command line; the narrow one only where that
// could not be split.
HANDLE open_input(char** argv, int index)
{
    const wchar_t* given = nullptr;
    static wchar_t narrow_given[kLongestName];
    if (wide_arguments() != nullptr && index < wide_count) {
        given = wide_vector[index];
    } else if (MultiByteToWideChar(CP_ACP, 0, argv[index], -1, narrow_given,
                                   static_cast<int>(kLongestName)) > 0) {
        given = narrow_given;
    }
    const wchar_t* name = given != nullptr ? os_windows::name_to_open(given) : nullptr;
    return name != nullptr ? open_shared(name) : INVALID_HANDLE_VALUE;
}

}  // namespace

// Counted in the UTF-16 command line, where the name is taken from. The
// narrow argv is split from the ANSI command line, in which Windows' best-fit
// mapping turns characters outside the code page into ASCII look-alikes:
// U+FF02 FULLWIDTH QUOTATION MARK becomes '"', so "x＂ y.png" would count
// as two arguments there.
int argument_count(int argc)
{
    return wide_arguments() != nullptr ? wide_count : argc;
}

// The file is read with the system's own calls, as on POSIX: one open, one
// ReadFile straight into the buffer for a file on disk (as far as its size,
// at most `limit`), repeated for a pipe or a console until it ends or the
// limit is reached; a read error ends the read with the bytes so far.
int read_input(char** argv, int index, unsigned char* buffer, size_t limit, size_t* count)
{
    HANDLE file = open_input(argv, index);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    size_t end = limit;
    LARGE_INTEGER size{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) != 0 &&
        size.QuadPart > 0 && static_cast<unsigned long long>(size.QuadPart) < limit) {
        end = static_cast<size_t>(size.QuadPart);
    }
    size_t total = 0;
    while (total < end) {
        DWORD got = 0;
        if (ReadFile(file, buffer + total, static_cast<DWORD>(end - total), &got, nullptr) == 0 ||
            got == 0) {
            break;  // the end (a pipe's writer gone), or a read error: the bytes so far
        }
        total += got;
    }
    (void)CloseHandle(file);
    *count = total;
    return 1;
}

// A console before Windows 8 fails one write near 64 KB
// (ERROR_NOT_ENOUGH_MEMORY), so it is written in pieces, as Rust's standard
// library and libuv write it.
DWORD os_windows::console_piece(const wchar_t* text, DWORD left)
{
    if (left <= kConsolePiece) {
        return left;
    }
    return IS_HIGH_SURROGATE(text[kConsolePiece - 1]) ? kConsolePiece - 1 : kConsolePiece;
}

namespace {

// The run's whole output in UTF-8, each line already ending in CR LF,
// written at the end: to a file or a pipe in one call, so runs in parallel
// into one pipe keep their lines together; to a console in pieces. The
// longest text is the usage line of the longest path.
constexpr size_t kOutputSize = kLongestUtf8 + 256;
char output[kOutputSize];
size_t output_used = 0;
bool output_failed = false;

// A console shows bytes in its own code page (an OEM one: 437, 850, 866,
// 932, ...), which is neither the ANSI code page nor the manifest's UTF-8,
// so a character outside it cannot arrive as bytes. The console's own
// UTF-16 function shows every character whatever its code page, on every
// Windows NT version, and leaves the code page as the user set it.
void write_console(HANDLE console)
{
    // Every UTF-8 byte makes at most one UTF-16 unit.
    static wchar_t wide[kOutputSize];
    const int units = MultiByteToWideChar(CP_UTF8, 0, output, static_cast<int>(output_used), wide,
                                          static_cast<int>(kOutputSize));
    if (units <= 0) {
        output_failed = true;
        return;
    }
    const wchar_t* next = wide;
    auto left = static_cast<DWORD>(units);
    while (left > 0) {
        DWORD written = 0;
        if (WriteConsoleW(console, next, os_windows::console_piece(next, left), &written,
                          nullptr) == 0 ||
            written == 0) {
            output_failed = true;
            return;
        }
        next += written;
        left -= written;
    }
}

// A file or a pipe gets the UTF-8 bytes as they are.
void write_bytes(HANDLE handle)
{
    const char* next = output;
    auto left = static_cast<DWORD>(output_used);
    while (left > 0) {
        DWORD written = 0;
        if (WriteFile(handle, next, left, &written, nullptr) == 0 || written == 0) {
            output_failed = true;  // a full disk, a closed pipe, no standard output
            return;
        }
        next += written;
        left -= written;
    }
}

}  // namespace

// Each '\n' is stored as CR LF, the line end of a Windows console, file and
// pipe alike.
void append_output(const char* text)
{
    for (const char* c = text; *c != '\0'; ++c) {
        if (output_used + 2 > kOutputSize) {
            output_failed = true;  // longer than any line the tool prints
            return;
        }
        if (*c == '\n') {
            output[output_used++] = '\r';
        }
        output[output_used++] = *c;
    }
}

int write_output()
{
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (output_used > 0) {
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
            output_failed = true;
        } else if (GetConsoleMode(handle, &mode) != 0) {
            write_console(handle);
        } else {
            write_bytes(handle);
        }
    }
    output_used = 0;
    return output_failed ? 0 : 1;
}
