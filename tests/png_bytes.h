// PNG bytes built in memory, in the chunk layout of src/png/png_chunk.h: the
// one builder of the programs that test, fuzz or time the scanner (the unit
// tests, the fuzzer's seeds and the benchmark). Not installed.
#ifndef PNGPROBE_PNG_BYTES_H
#define PNGPROBE_PNG_BYTES_H

#include <cstdint>
#include <string>
#include <vector>

#include "png_chunk.h"
#include "png_header.h"

namespace png_bytes {

using Bytes = std::vector<unsigned char>;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes be32(std::uint32_t v)
{
    return {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
}

inline Bytes signature()
{
    return Bytes(pngprobe::kPngSignature, pngprobe::kPngSignature + sizeof pngprobe::kPngSignature);
}

// A chunk with the given length field, type and data; the CRC is filler,
// since the scanner never reads it.
inline Bytes chunk(std::uint32_t length_field, const std::string& type, const Bytes& data)
{
    static_assert(pngprobe::kChunkFraming == 4 + 4 + 4, "length, type and CRC");
    return be32(length_field) + Bytes(type.begin(), type.end()) + data + be32(0xDEADBEEF);
}

}  // namespace png_bytes

#endif
