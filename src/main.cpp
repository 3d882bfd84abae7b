// pngprobe: prints the byte count, then the width, height, bit depth and
// colour type of a PNG file, or "invalid png".
//
//   pngprobe FILE
//
// Reads at most the first kReadLimit bytes of FILE into a static buffer.
// Exit status 1 for a wrong argument count, a file that cannot be opened, or
// output that could not be written; 0 otherwise, whatever the file holds.
//
// Only the C library is used (its own headers, no C++ runtime), so the tool
// links against any libc, musl included. What differs between systems (the
// executable's own path, reading a file by name) is in os/.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "os/os.h"
#include "png/png_header.h"
#include "read_limit.h"

namespace {

unsigned char input[kReadLimit];

// Standard output is the tool's only channel, so a line that could not be
// written (a full disk, a closed descriptor) turns the status into 1.
int finish(int status)
{
    return write_output() != 0 ? status : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argument_count(argc) != 2) {
        append_output("Usage: ");
        append_output(executable_path(argc > 0 ? argv[0] : nullptr));
        append_output(" <png file>\n");
        return finish(1);
    }

    size_t count = 0;
    if (read_input(argv, 1, input, kReadLimit, &count) == 0) {
        append_output("Cannot open file\n");
        return finish(1);
    }
    char line[64];  // the longest line, with two 10-digit numbers, is 44 bytes
    (void)snprintf(line, sizeof line, "%d\n", static_cast<int>(count));
    append_output(line);

    uint32_t width = 0;
    uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    if (pngprobe::find_image_header(input, static_cast<uint32_t>(count), &width, &height,
                                    &bit_depth, &color_type) != 0) {
        (void)snprintf(line, sizeof line, "width: %u px, height: %u px\n", width, height);
        append_output(line);
        (void)snprintf(line, sizeof line, "bit_depth: %d, color_type: %d\n", bit_depth, color_type);
        append_output(line);
    } else {
        append_output("invalid png\n");
    }
    return finish(0);
}
