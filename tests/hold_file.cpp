// Holds a file open the way another Windows program might, so the
// end-to-end tests can run pngprobe beside it.
//
//   hold_file PATH exclusive|shared|delete SIGNAL
//
// Opens PATH for writing, sharing nothing (exclusive) or sharing reading and
// writing (shared); or for reading with DELETE access, sharing reading,
// writing and deletion (delete: a program that will rename or delete the
// file, or a temporary file opened delete-on-close). Then writes the file
// SIGNAL to say it holds it, waits until SIGNAL is deleted (at most 600 s;
// the suite ends it after 60) and closes PATH.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: hold_file PATH exclusive|shared|delete SIGNAL\n");
        return 2;
    }
    DWORD access = GENERIC_WRITE;
    DWORD share = 0;
    if (strcmp(argv[2], "shared") == 0) {
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    } else if (strcmp(argv[2], "delete") == 0) {
        access = GENERIC_READ | DELETE;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    }
    HANDLE held =
        CreateFileA(argv[1], access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
