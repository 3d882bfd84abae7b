// PNG signature check and IHDR scan.
//
// A pure function over memory: it reads only the byte range it is given,
// writes nothing but its out-parameters, allocates nothing and keeps no state.
// Every name is in namespace pngprobe, so a program that links the library
// keeps its own read_be32 or find_image_header.
#ifndef PNGPROBE_PNG_HEADER_H
#define PNGPROBE_PNG_HEADER_H

#include <stdint.h>

#include "pngprobe_version.h"

namespace pngprobe {

// The eight bytes every PNG file starts with.
inline constexpr unsigned char kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// The unsigned big-endian 32-bit value of the four bytes at p, at any
// alignment and on any host byte order.
uint32_t read_be32(const unsigned char* p);

// Checks the PNG signature at data[0..8) and walks the chunks after it until
// the first whole IHDR chunk with 13 data bytes. Only data[0..length) is read.
// Returns 1 and fills width, height, bit_depth and color_type (bit depth and
// colour type zero-extended from one byte each) when such a chunk is found;
// returns 0 and leaves all four untouched otherwise.
int find_image_header(const unsigned char* data, uint32_t length, uint32_t* width, uint32_t* height,
                      int* bit_depth, int* color_type);

}  // namespace pngprobe

#endif
