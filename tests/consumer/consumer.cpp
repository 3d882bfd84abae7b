// Prints "640x480 8 2" when the installed scanner finds the header it is
// given and nothing in a range cut short.
#include <pngprobe/png_header.h>

#include <cstdint>
#include <cstdio>

int main()
{
    const unsigned char png[33] = {
        0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
        0, 0, 2, 0x80, 0, 0, 1, 0xE0, 8, 2, 0, 0, 0, 0xBA, 0xB3, 0x4B, 0xB3};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    if (find_image_header(png, 32, &width, &height, &bit_depth, &color_type) != 0 ||
        find_image_header(png, 33, &width, &height, &bit_depth, &color_type) != 1) {
        return 1;
    }
    std::printf("%ux%u %d %d\n", width, height, bit_depth, color_type);
    return 0;
}
