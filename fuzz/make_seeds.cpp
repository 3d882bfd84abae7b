// Writes the fuzzer's seed corpus into the directory given: whole and cut
// IHDR chunks, chunks before the IHDR, and lengths that wrap in 32 bits.
#include <cstdio>
#include <string>

#include "png_bytes.h"

namespace {

using png_bytes::Bytes;
using png_bytes::operator+;

// A chunk of `data_size` bytes of varied data, after the given length field.
Bytes chunk(std::uint32_t length_field, const char* type, std::size_t data_size)
{
    Bytes data(data_size);
    for (std::size_t i = 0; i < data_size; ++i) {
        data[i] = static_cast<unsigned char>(i * 37U);
    }
    return png_bytes::chunk(length_field, type, data);
}

bool write(const std::string& dir, const char* name, const Bytes& b)
{
    const std::string path = dir + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    const Bytes whole = png_bytes::signature() + chunk(13, "IHDR", 13);
    ok &= write(dir, "ihdr", whole);
    ok &= write(dir, "ihdr_cut", Bytes(whole.begin(), whole.end() - 1));

    ok &= write(dir, "chunks_before_ihdr",
                png_bytes::signature() + chunk(4, "gAMA", 4) + chunk(0, "sRGB", 0) +
                    chunk(14, "IHDR", 14) + chunk(13, "IHDR", 13) + chunk(0, "IEND", 0));

    const std::uint32_t wrapping[] = {0xFFFFFFFF, 0xFFFFFFF4, 0xFFFFFFF8, 0x80000000};
    for (const std::uint32_t length : wrapping) {
        const std::string name = "wrap_" + std::to_string(length);
        ok &= write(dir, name.c_str(),
                    png_bytes::signature() + chunk(length, "tEXt", 0) + chunk(13, "IHDR", 13));
    }
    return ok ? 0 : 1;
}
