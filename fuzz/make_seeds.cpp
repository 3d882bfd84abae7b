// Writes the fuzzer's seed corpus into the directory given: whole and cut
// IHDR chunks, chunks before the IHDR, and lengths that wrap in 32 bits.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void put32(Bytes& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        b.push_back(static_cast<unsigned char>(v >> shift));
    }
}

void chunk(Bytes& b, std::uint32_t length_field, const char* type, std::size_t data_size)
{
    put32(b, length_field);
    b.insert(b.end(), type, type + 4);
    for (std::size_t i = 0; i < data_size; ++i) {
        b.push_back(static_cast<unsigned char>(i * 37U));
    }
    put32(b, 0x12345678);
}

Bytes png()
{
    return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
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

    Bytes whole = png();
    chunk(whole, 13, "IHDR", 13);
    ok &= write(dir, "ihdr", whole);
    ok &= write(dir, "ihdr_cut", Bytes(whole.begin(), whole.end() - 1));

    Bytes later = png();
    chunk(later, 4, "gAMA", 4);
    chunk(later, 0, "sRGB", 0);
    chunk(later, 14, "IHDR", 14);
    chunk(later, 13, "IHDR", 13);
    chunk(later, 0, "IEND", 0);
    ok &= write(dir, "chunks_before_ihdr", later);

    const std::uint32_t wrapping[] = {0xFFFFFFFF, 0xFFFFFFF4, 0xFFFFFFF8, 0x80000000};
    for (const std::uint32_t length : wrapping) {
        Bytes b = png();
        chunk(b, length, "tEXt", 0);
        chunk(b, 13, "IHDR", 13);
        const std::string name = "wrap_" + std::to_string(length);
        ok &= write(dir, name.c_str(), b);
    }
    return ok ? 0 : 1;
}
