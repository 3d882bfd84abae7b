// What the Windows layer decides by itself, apart from the system's answers:
// declared here for its unit test (tests/os_windows_test.cpp).
#ifndef PNGPROBE_OS_WINDOWS_H
#define PNGPROBE_OS_WINDOWS_H

#include <windows.h>

namespace os_windows {

// The most UTF-16 units that one console write is given.
constexpr DWORD kConsolePiece = 8192;

// How many of the `left` units at `text` (left > 0) the next console write
// takes: all of them up to kConsolePiece, else kConsolePiece, one fewer where
// that would part a surrogate pair.
DWORD console_piece(const wchar_t* text, DWORD left);

// The name that CreateFileW is given for the name the user gave: that name,
// or its full path in extended-length form (\\?\...) where the full path is
// MAX_PATH characters or longer. Null where even that form cannot hold it.
const wchar_t* name_to_open(const wchar_t* name);

}  // namespace os_windows

#endif
