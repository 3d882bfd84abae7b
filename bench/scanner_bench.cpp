// Scanner throughput: find_image_header on a realistic PNG head and on the
// worst case the read limit allows (a million bytes of zero-length chunks),
// next to a reference pass over the same million bytes (memchr for a byte
// that is absent).
#include "png_bytes.h"
#include "read_limit.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using pngprobe::find_image_header;
using pngprobe::kChunkFraming;
using pngprobe::kPngSignature;

void append_chunk(std::vector<unsigned char>& b, const char* type, std::uint32_t length)
{
    const std::vector<unsigned char> chunk =
        png_bytes::chunk(length, type, std::vector<unsigned char>(length, 0x5A));
    b.insert(b.end(), chunk.begin(), chunk.end());  // in place: b + chunk copies all of b
}

// A head as cameras and editors write it: IHDR first.
std::vector<unsigned char> realistic_head()
{
    std::vector<unsigned char> b = png_bytes::signature();
    append_chunk(b, "IHDR", 13);
    append_chunk(b, "sRGB", 1);
    append_chunk(b, "gAMA", 4);
    append_chunk(b, "pHYs", 9);
    append_chunk(b, "IDAT", 8192);
    return b;
}

// The longest walk: 83,332 zero-length chunks and no IHDR.
std::vector<unsigned char> zero_length_chunks()
{
    std::vector<unsigned char> b = png_bytes::signature();
    while (b.size() + kChunkFraming <= kReadLimit) {
        append_chunk(b, "tEXt", 0);
    }
    b.resize(kReadLimit, 0);
    return b;
}

// Times the scan of `bytes`, which walks `chunks` chunk headers over its
// first `walked` bytes: the rate counts only those, since the scan stops at
// the header and never touches the rest.
void scan(benchmark::State& state, const std::vector<unsigned char>& bytes, std::size_t chunks,
          std::size_t walked)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bit_depth = 0;
    int color_type = 0;
    for (auto _ : state) {
        int found = find_image_header(bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                      &width, &height, &bit_depth, &color_type);
        benchmark::DoNotOptimize(found);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(walked));
    state.counters["ns_per_chunk"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(chunks) * 1e-9,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RealisticHead(benchmark::State& state)
{
    static const std::vector<unsigned char> bytes = realistic_head();
    // The signature and the IHDR chunk, its first.
    scan(state, bytes, 1, sizeof kPngSignature + kChunkFraming + pngprobe::kIhdrDataLength);
}

void BM_WorstCaseZeroLengthChunks(benchmark::State& state)
{
    static const std::vector<unsigned char> bytes = zero_length_chunks();
    scan(state, bytes, (kReadLimit - sizeof kPngSignature) / kChunkFraming, bytes.size());
}

void BM_ReferenceMemchrMillionBytes(benchmark::State& state)
{
    static const std::vector<unsigned char> bytes = zero_length_chunks();
    for (auto _ : state) {
        const void* hit = std::memchr(bytes.data(), 0xEE, bytes.size());
        benchmark::DoNotOptimize(hit);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_RealisticHead);
BENCHMARK(BM_WorstCaseZeroLengthChunks);
BENCHMARK(BM_ReferenceMemchrMillionBytes);
BENCHMARK_MAIN();
