// The operating system as Windows shows it.
#include "os.h"

#include <windows.h>

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

bool is_separator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The name to open `name` by. A name whose full path is MAX_PATH characters
// or longer opens on every Windows only in its extended-length form, which
// the system passes on without the MAX_PATH limit (and without resolving
// '.', '..' or '/', so the full path is taken from GetFullPathNameW, which
// does): \\?\C:\dir\file, and \\?\UNC\server\share\file for \\server\share\file.
// The manifest's longPathAware does the same only where the system-wide
// LongPathsEnabled switch is on (Windows 10 1607 and later, off by default).
// A name already in that form (\\?\) or a device name (\\.\), written with
// either separator (//?/C:/dir/file), is used with every '/' made '\', which
// the extended form needs; any shorter name is used as given. Null where the
// name is too long even for the extended form.
const wchar_t* name_to_open(const wchar_t* name)
{
    static wchar_t extended[kLongestName];
    if (is_separator(name[0]) && is_separator(name[1]) && (name[2] == L'?' || name[2] == L'.') &&
        is_separator(name[3])) {
        const size_t length = wcslen(name);
        if (length >= static_cast<size_t>(kLongestName)) {
            return nullptr;
        }
        for (size_t i = 0; i <= length; ++i) {
            extended[i] = name[i] == L'/' ? L'\\' : name[i];
        }
        return extended;
    }
    static wchar_t full[kLongestName];
    const DWORD length = GetFullPathNameW(name, kLongestName, full, nullptr);
    if (length == 0 || length < MAX_PATH) {
        return name;  // shorter names, and names the system cannot resolve, as given
    }
    if (length >= kLongestName) {
        return nullptr;  // the full path did not fit: `full` holds nothing
    }
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

// The narrow argv holds the command line in the ANSI code page: where the
// manifest's UTF-8 code page is not honoured (before Windows 10 1903), a
// name outside that code page arrives with '?' in it. The UTF-16 command
// line holds every name as the user gave it, so the file is opened by that.
HANDLE open_input(char** argv, int index)
{
    int argc = 0;
    wchar_t** wide_argv = nullptr;
    wchar_t** wide_env = nullptr;
    pngprobe_startupinfo info{0};
    const wchar_t* given = nullptr;
    static wchar_t narrow_given[kLongestName];
    if (__wgetmainargs(&argc, &wide_argv, &wide_env, _dowildcard, &info) >= 0 &&
        wide_argv != nullptr && index < argc) {
        given = wide_argv[index];
    } else if (MultiByteToWideChar(CP_ACP, 0, argv[index], -1, narrow_given,
                                   static_cast<int>(kLongestName)) > 0) {
        given = narrow_given;
    }
    const wchar_t* name = given != nullptr ? name_to_open(given) : nullptr;
    return name != nullptr ? open_shared(name) : INVALID_HANDLE_VALUE;
}

}  // namespace

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

namespace {

// The run's whole output in UTF-8, each line already ending in CR LF,
// written at the end in one call: runs in parallel into one pipe keep their
// lines together. The longest text is the usage line of the longest path.
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
        if (WriteConsoleW(console, next, left, &written, nullptr) == 0 || written == 0) {
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
void print(const char* text)
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

int output_complete()
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
