#include "png_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using png_bytes::be32;
using png_bytes::Bytes;
using png_bytes::chunk;
using png_bytes::signature;
using png_bytes::operator+;
using pngprobe::find_image_header;
using pngprobe::read_be32;

Bytes ihdr_data(std::uint32_t width, std::uint32_t height, unsigned char bit_depth,
                unsigned char color_type)
{
    return be32(width) + be32(height) + Bytes{bit_depth, color_type, 0, 0, 0};
}

Bytes ihdr(std::uint32_t width, std::uint32_t height, unsigned char bit_depth,
           unsigned char color_type)
{
    return chunk(13, "IHDR", ihdr_data(width, height, bit_depth, color_type));
}

Bytes cut(Bytes b, std::size_t size)
{
    b.resize(size);
    return b;
}

const Bytes kMinimal = signature() + ihdr(640, 480, 8, 2);  // 33 bytes

struct Expect {
    int found;
    std::uint32_t width, height;
    int bit_depth, color_type;
};

constexpr Expect kNotFound = {0, 0, 0, 0, 0};

struct Case {
    const char* name;
    Bytes bytes;
    Expect expect;
};

Bytes changed(Bytes b, std::size_t at, unsigned char value)
{
    b[at] = value;
    return b;
}

Bytes zero_length_chunks(std::size_t count)
{
    Bytes b;
    for (std::size_t i = 0; i < count; ++i) {
        b = b + chunk(0, "tEXt", {});
    }
    return b;
}

const Case kCases[] = {
    {"empty range", {}, kNotFound},
    {"seven bytes of signature", cut(signature(), 7), kNotFound},
    {"bare signature", signature(), kNotFound},
    {"signature with CR LF turned into LF",
     Bytes{0x89, 'P', 'N', 'G', 0x0A, 0x1A, 0x0A} + ihdr(1, 1, 8, 0), kNotFound},
    {"first signature byte changed", changed(kMinimal, 0, 0x88), kNotFound},
    {"last signature byte changed", changed(kMinimal, 7, 0x0D), kNotFound},
    {"signature and whole IHDR", kMinimal, {1, 640, 480, 8, 2}},
    {"IHDR missing the last CRC byte", cut(kMinimal, 32), kNotFound},
    {"IHDR missing its CRC and last data byte", cut(kMinimal, 28), kNotFound},
    {"signature and an IHDR length field only", cut(kMinimal, 12), kNotFound},
    {"fewer than 12 bytes after the signature", cut(kMinimal, 19), kNotFound},
    {"other chunk first, IHDR at offset 24",
     signature() + chunk(4, "gAMA", {0, 0, 0xB1, 0x8F}) + ihdr(3, 5, 16, 6),
     {1, 3, 5, 16, 6}},
    {"IHDR of length 14 passed over for the one of 13",
     signature() + chunk(14, "IHDR", ihdr_data(1, 2, 1, 0) + Bytes{0}) + ihdr(7, 9, 4, 3),
     {1, 7, 9, 4, 3}},
    {"IHDR of length 12 passed over",
     signature() + chunk(12, "IHDR", cut(ihdr_data(1, 2, 1, 0), 12)) + ihdr(2, 2, 2, 0),
     {1, 2, 2, 2, 0}},
    {"lower-case ihdr not matched", signature() + chunk(13, "ihdr", ihdr_data(1, 1, 8, 2)),
     kNotFound},
    {"IHDx, the last type byte off, not matched then IHDR",
     signature() + chunk(13, "IHDx", ihdr_data(1, 1, 8, 2)) + ihdr(5, 5, 8, 0),
     {1, 5, 5, 8, 0}},
    {"mixed-case IHdR not matched then IHDR",
     signature() + chunk(13, "IHdR", ihdr_data(1, 1, 8, 2)) + ihdr(4, 4, 8, 4),
     {1, 4, 4, 8, 4}},
    {"first IHDR wins", signature() + ihdr(1, 2, 8, 0) + ihdr(3, 4, 8, 2), {1, 1, 2, 8, 0}},
    {"IEND does not stop the scan",
     signature() + chunk(0, "IEND", {}) + ihdr(8, 8, 8, 6),
     {1, 8, 8, 8, 6}},
    {"zero-length chunks stepped over 12 bytes at a time",
     signature() + zero_length_chunks(1000) + ihdr(10, 20, 1, 0),
     {1, 10, 20, 1, 0}},
    {"chunks ending exactly at the end of the range", signature() + zero_length_chunks(3),
     kNotFound},
    {"chunk running one byte past the end", signature() + cut(chunk(4, "tEXt", {1, 2, 3, 4}), 15),
     kNotFound},
    // Declared lengths near 2^32: pos + 12 + length wraps in 32 bits to
    // pos (FFFFFFF4), behind pos (FFFFFFF8) or just ahead of it.
    {"length FFFFFFFF", signature() + chunk(0xFFFFFFFF, "tEXt", {}) + ihdr(1, 1, 8, 0), kNotFound},
    {"length FFFFFFF4 would wrap to the same chunk",
     signature() + chunk(0xFFFFFFF4, "tEXt", {}) + ihdr(1, 1, 8, 0), kNotFound},
    {"length FFFFFFF8 would wrap into the signature",
     signature() + chunk(0xFFFFFFF8, "tEXt", {}) + ihdr(1, 1, 8, 0), kNotFound},
    {"length FFFFFFF0 would wrap to offset 4",
     signature() + chunk(0xFFFFFFF0, "IHDR", ihdr_data(1, 1, 8, 0)), kNotFound},
    {"length 80000000", signature() + chunk(0x80000000, "IDAT", {}) + ihdr(1, 1, 8, 0), kNotFound},
    {"IHDR chunk with length FFFFFFFF",
     signature() + chunk(0xFFFFFFFF, "IHDR", ihdr_data(1, 1, 8, 0)), kNotFound},
    {"extreme values returned unsigned",
     signature() + ihdr(0xFFFFFFFF, 0x80000000, 255, 255),
     {1, 4294967295U, 2147483648U, 255, 255}},
    {"zero and out-of-range values, and methods, not validated",
     signature() + chunk(13, "IHDR", be32(0) + be32(0) + Bytes{3, 7, 9, 9, 9}),
     {1, 0, 0, 3, 7}},
    {"damage after the IHDR ignored",
     kMinimal + chunk(0xFFFFFFFF, "IDAT", {}) + Bytes{0x00},
     {1, 640, 480, 8, 2}},
};

class FindImageHeader : public testing::TestWithParam<Case> {};

TEST_P(FindImageHeader, AnswersAndValues)
{
    const Case& c = GetParam();
    // An exactly sized heap copy, so a read past the range is caught by the
    // sanitizers; an empty range is passed as a null pointer.
    const Bytes range = c.bytes;
    std::uint32_t width = 111;
    std::uint32_t height = 222;
    int bit_depth = 333;
    int color_type = 444;
    const int found = find_image_header(range.empty() ? nullptr : range.data(),
                                        static_cast<std::uint32_t>(range.size()), &width, &height,
                                        &bit_depth, &color_type);
    ASSERT_EQ(found, c.expect.found);
    if (found == 1) {
        EXPECT_EQ(width, c.expect.width);
        EXPECT_EQ(height, c.expect.height);
        EXPECT_EQ(bit_depth, c.expect.bit_depth);
        EXPECT_EQ(color_type, c.expect.color_type);
    } else {
        EXPECT_EQ(width, 111U);
        EXPECT_EQ(height, 222U);
        EXPECT_EQ(bit_depth, 333);
        EXPECT_EQ(color_type, 444);
    }
}

std::string case_name(const testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (const char* p = info.param.name; *p != '\0'; ++p) {
        const char ch = *p;
        const bool alnum =
            (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
        name += alnum ? ch : '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, FindImageHeader, testing::ValuesIn(kCases), case_name);

TEST(FindImageHeader, EveryCutBeforeTheIhdrEndIsNotFound)
{
    for (std::size_t size = 0; size < kMinimal.size(); ++size) {
        const Bytes range = cut(kMinimal, size);
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        int bit_depth = 0;
        int color_type = 0;
        EXPECT_EQ(find_image_header(range.data(), static_cast<std::uint32_t>(size), &width, &height,
                                    &bit_depth, &color_type),
                  0)
            << "cut to " << size << " bytes";
    }
}

TEST(FindImageHeader, BytesPastTheLengthAreNotConsulted)
{
    // The whole file is in memory, but the range ends one byte short.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    EXPECT_EQ(find_image_header(kMinimal.data(), 32, &width, &height, &bit_depth, &color_type), 0);
    EXPECT_EQ(find_image_header(kMinimal.data(), 33, &width, &height, &bit_depth, &color_type), 1);
}

TEST(ReadBe32, MostSignificantByteFirstAtAnyAlignment)
{
    const Bytes bytes = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(read_be32(&bytes[0]), 0x00123456U);
    EXPECT_EQ(read_be32(&bytes[1]), 0x12345678U);
    EXPECT_EQ(read_be32(&bytes[3]), 0x56789AFFU);
    EXPECT_EQ(read_be32(&bytes[6]), 0xFFFFFFFFU);
    const Bytes width = {0x00, 0x00, 0x02, 0x80};
    EXPECT_EQ(read_be32(width.data()), 640U);
}

}  // namespace
