#include "png_header.h"

#include <string.h>

#include "png_chunk.h"

namespace pngprobe {

uint32_t read_be32(const unsigned char* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

int find_image_header(const unsigned char* data, uint32_t length, uint32_t* width, uint32_t* height,
                      int* bit_depth, int* color_type)
{
    if (length < sizeof kPngSignature || memcmp(data, kPngSignature, sizeof kPngSignature) != 0) {
        return 0;
    }

    uint32_t pos = sizeof kPngSignature;
    while (pos < length) {
        // Everything is measured against what remains, so no sum can wrap,
        // whatever the declared length and however wide size_t is.
        const uint32_t remaining = length - pos;
        if (remaining < kChunkFraming) {
            return 0;
        }
        const unsigned char* chunk = data + pos;
        const uint32_t chunk_length = read_be32(chunk);
        if (chunk_length > remaining - kChunkFraming) {
            return 0;  // the chunk runs past the end of the range
        }
        if (chunk_length == kIhdrDataLength &&
            memcmp(chunk + 4, kIhdrType, sizeof kIhdrType) == 0) {
            *width = read_be32(chunk + 8);
            *height = read_be32(chunk + 12);
            *bit_depth = chunk[16];
            *color_type = chunk[17];
            return 1;
        }
        pos += kChunkFraming + chunk_length;  // at most length: no wrap
    }
    return 0;
}

}  // namespace pngprobe
