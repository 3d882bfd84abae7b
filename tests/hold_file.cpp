// Holds a file open for writing the way another Windows program might, so
// the end-to-end tests can run pngprobe beside it.
//
//   hold_file PATH exclusive|shared SIGNAL
//
// Opens PATH for writing, sharing nothing (exclusive) or sharing reading and
// writing (shared), writes the file SIGNAL to say it holds it, then waits
// until SIGNAL is deleted (at most 600 s, longer than ctest allows the suite) and closes PATH.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: hold_file PATH exclusive|shared SIGNAL\n");
        return 2;
    }
    const DWORD share = strcmp(argv[2], "shared") == 0 ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    HANDLE held = CreateFileA(argv[1], GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "hold_file: cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    HANDLE signal = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (signal == INVALID_HANDLE_VALUE) {
        CloseHandle(held);
        return 1;
    }
    CloseHandle(signal);
    for (int waited = 0; waited < 30000; ++waited) {
        if (GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES) {
            break;
        }
        Sleep(20);
    }
    CloseHandle(held);
    return 0;
}
