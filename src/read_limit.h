// How much of the input the tool reads: at most its first million bytes
// (decimal, not 1 MiB), the size of the driver's one static buffer. The
// fuzzer and the benchmark take their longest input from here too.
#ifndef PNGPROBE_READ_LIMIT_H
#define PNGPROBE_READ_LIMIT_H

#include <stddef.h>

constexpr size_t kReadLimit = 1000000;

#endif
