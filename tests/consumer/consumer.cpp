// A program outside the project that links the installed scanner beside
// helpers of its own with the library's names: read_be32 and
// find_image_header here are the consumer's, at global scope, and must not
// collide with the library's. Prints "640x480 8 2 VERSION" when the scanner
// finds the header it is given and nothing in a range cut short, and the
// consumer's own functions still answer as they were written.
#include <pngprobe/png_header.h>

#include <cstdint>
#include <cstdio>

// The consumer's own little-endian helper under the library's name.
std::uint32_t read_be32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// And a function of its own with the scanner's name and signature.
int find_image_header(const unsigned char*, std::uint32_t, std::uint32_t*, std::uint32_t*, int*,
                      int*)
{
    return 42;
}

int main()
{
    const unsigned char png[33] = {0x89, 'P',  'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,    0,    0,
                                   13,   'I',  'H', 'D', 'R',  0,    0,    2,    0x80, 0,    0,
                                   1,    0xE0, 8,   2,   0,    0,    0,    0xBA, 0xB3, 0x4B, 0xB3};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    if (pngprobe::find_image_header(png, 32, &width, &height, &bit_depth, &color_type) != 0 ||
        pngprobe::find_image_header(png, 33, &width, &height, &bit_depth, &color_type) != 1) {
        return 1;
    }
    if (pngprobe::read_be32(png + 16) != 640 || read_be32(png + 16) != 0x80020000U ||
        find_image_header(png, 33, &width, &height, &bit_depth, &color_type) != 42) {
        return 2;
    }
    std::printf("%ux%u %d %d %s\n", width, height, bit_depth, color_type, PNGPROBE_VERSION);
    return 0;
}
