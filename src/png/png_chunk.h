// The PNG chunk layout as the scanner walks it, for the scanner and for
// tests/png_bytes.h, which builds chunks for the unit tests, the fuzzer's
// seeds and the benchmark (not installed).
#ifndef PNGPROBE_PNG_CHUNK_H
#define PNGPROBE_PNG_CHUNK_H

#include <stdint.h>

namespace pngprobe {

// Every chunk is framed by a 4-byte length, a 4-byte type and a 4-byte CRC;
// its data lies between the type and the CRC.
inline constexpr uint32_t kChunkFraming = 12;
// The one chunk sought: type "IHDR" with exactly 13 data bytes.
inline constexpr unsigned char kIhdrType[4] = {'I', 'H', 'D', 'R'};
inline constexpr uint32_t kIhdrDataLength = 13;

}  // namespace pngprobe

#endif
