// libFuzzer target for find_image_header. Besides crashes and sanitizer
// reports it checks the scanner's contract on every input:
//  - on 0 the out-parameters keep the values they had;
//  - on 1 the values are those of an IHDR chunk of length 13 lying wholly in
//    the range, and neither appending bytes nor changing bytes after that
//    chunk changes the answer;
//  - a range cut short before the end of that chunk gives 0 or the same
//    values.
#include "png_chunk.h"
#include "png_header.h"
#include "read_limit.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using pngprobe::find_image_header;
using pngprobe::kChunkFraming;
using pngprobe::kIhdrDataLength;
using pngprobe::kIhdrType;
using pngprobe::kPngSignature;
using pngprobe::read_be32;

struct Result {
    int found;
    std::uint32_t width, height;
    int bit_depth, color_type;
};

constexpr Result kSentinel = {0, 0xA5A5A5A5U, 0x5A5A5A5AU, -1, -2};

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Scans an exactly sized copy of the bytes, so any read past the end of the
// range is an AddressSanitizer report.
Result scan(const unsigned char* data, std::size_t size)
{
    const std::vector<unsigned char> copy(data, data + size);
    Result r = kSentinel;
    r.found = find_image_header(copy.data(), static_cast<std::uint32_t>(size), &r.width, &r.height,
                                &r.bit_depth, &r.color_type);
    require(r.found == 0 || r.found == 1);
    if (r.found == 0) {
        require(r.width == kSentinel.width && r.height == kSentinel.height &&
                r.bit_depth == kSentinel.bit_depth && r.color_type == kSentinel.color_type);
    }
    return r;
}

bool same_values(const Result& a, const Result& b)
{
    return a.width == b.width && a.height == b.height && a.bit_depth == b.bit_depth &&
           a.color_type == b.color_type;
}

// The end of the last IHDR chunk of length 13 in the range whose fields hold
// the reported values, or 0 when there is none.
std::size_t matching_chunk_end(const unsigned char* data, std::size_t size, const Result& r)
{
    constexpr std::size_t kWhole = kChunkFraming + kIhdrDataLength;
    std::size_t end = 0;
    for (std::size_t pos = sizeof kPngSignature; pos + kWhole <= size; ++pos) {
        const unsigned char* c = data + pos;
        if (read_be32(c) == kIhdrDataLength &&
            std::memcmp(c + 4, kIhdrType, sizeof kIhdrType) == 0 && read_be32(c + 8) == r.width &&
            read_be32(c + 12) == r.height && c[16] == r.bit_depth && c[17] == r.color_type) {
            end = pos + kWhole;
        }
    }
    return end;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kReadLimit) {
        return 0;
    }
    const Result r = scan(data, size);
    if (r.found == 0) {
        return 0;
    }
    require(std::memcmp(data, kPngSignature, sizeof kPngSignature) == 0);
    const std::size_t end = matching_chunk_end(data, size, r);
    require(end != 0);

    std::vector<unsigned char> longer(data, data + size);
    longer.insert(longer.end(), 64, 0xFF);
    const Result appended = scan(longer.data(), longer.size());
    require(appended.found == 1 && same_values(appended, r));

    for (std::size_t i = end; i < longer.size(); ++i) {
        longer[i] = static_cast<unsigned char>(~longer[i]);
    }
    const Result changed = scan(longer.data(), longer.size());
    require(changed.found == 1 && same_values(changed, r));

    for (const std::size_t cut : {end - 1, end / 2, std::size_t{8}}) {
        const Result shorter = scan(data, cut);
        require(shorter.found == 0 || same_values(shorter, r));
    }
    return 0;
}
