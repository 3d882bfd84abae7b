// What the Windows layer decides by itself: how a console write is cut, the
// name a file is opened by at the MAX_PATH boundary, and where the argument
// count comes from. ctest starts this program with the one argument
// "x＂ y.png" (U+FF02 FULLWIDTH QUOTATION MARK), which the ANSI command line
// would split in two.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <stdlib.h>

#include <string>

#include "os/os.h"
#include "os/os_windows.h"

namespace {

using os_windows::kConsolePiece;

TEST(ConsolePiece, AtMost8192UnitsAndNeverHalfASurrogatePair)
{
    struct Case {
        DWORD left;
        DWORD high_surrogate_at;  // where a pair starts; past the text for none
        DWORD want;
    };
    const Case cases[] = {
        {1, 70000, 1},
        {kConsolePiece, 70000, kConsolePiece},
        {kConsolePiece + 1, 70000, kConsolePiece},
        {60000, 70000, kConsolePiece},
        {60000, kConsolePiece - 1, kConsolePiece - 1},      // the pair would be parted
        {60000, kConsolePiece - 2, kConsolePiece},          // the pair goes whole
        {kConsolePiece, kConsolePiece - 1, kConsolePiece},  // the text's end: all of it
    };
    for (const Case& c : cases) {
        std::wstring text(c.left, L'x');
        if (c.high_surrogate_at + 1 < c.left) {
            text[c.high_surrogate_at] = 0xD83D;  // U+1F600, a pair
            text[c.high_surrogate_at + 1] = 0xDE00;
        }
        EXPECT_EQ(os_windows::console_piece(text.c_str(), c.left), c.want)
            << "left " << c.left << ", pair at " << c.high_surrogate_at;
    }
}

// A full path of `length` characters: C:\ and folders of 100 characters.
std::wstring full_path(size_t length)
{
    std::wstring path = L"C:\\";
    while (path.size() + 101 < length) {
        path += std::wstring(100, L'd') + L"\\";
    }
    return path + std::wstring(length - path.size(), L'f');
}

TEST(NameToOpen, FromMaxPathOnTheExtendedForm)
{
    // MAX_PATH (260) counts the terminating null: 259 characters is the
    // longest full path that opens as given on every Windows.
    for (const size_t length : {size_t{259}, size_t{260}, size_t{261}}) {
        const std::wstring name = full_path(length);
        ASSERT_EQ(name.size(), length);
        const std::wstring want = length < MAX_PATH ? name : L"\\\\?\\" + name;
        const wchar_t* got = os_windows::name_to_open(name.c_str());
        ASSERT_NE(got, nullptr) << length;
        EXPECT_EQ(std::wstring(got), want) << length;
    }
}

TEST(ArgumentCount, FromTheUtf16CommandLine)
{
    // shell32's own split of the UTF-16 command line, as the oracle.
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    ASSERT_NE(words, nullptr);
    ASSERT_EQ(count, 2) << "ctest passes one argument";
    EXPECT_EQ(std::wstring(words[1]), L"x\uFF02 y.png");
    (void)LocalFree(words);
    // However many the narrow argv holds (an ANSI command line split at the
    // mapped quote holds one more), the count is the UTF-16 one.
    EXPECT_EQ(argument_count(__argc + 1), count);
    EXPECT_EQ(argument_count(__argc), count);
}

}  // namespace
