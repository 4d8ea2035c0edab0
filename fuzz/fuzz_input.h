// What the fuzz targets share. The parsers read files by path through the platform layer,
// so each input is written into one memory-backed file per process and handed over by its
// /proc/self/fd path: no disk, no leftovers, and the readers run unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

// The input as a file; the path stays valid (and the file holds exactly these bytes) until
// the next call. Aborts when no memory-backed file can be had, as no run could go on.
const wchar_t *FuzzInputPath(const uint8_t *data, size_t size);

// Every target starts (LLVMFuzzerInitialize, defined with FuzzInputPath) by installing log
// receivers that read each line to its end, so that a line without a terminator or with a
// dangling pointer shows up under AddressSanitizer.

// Stops the run as a crash (so that libFuzzer keeps the input) with a short reason, for
// results that break what callers rely on rather than memory safety.
[[noreturn]] void FuzzFail(const char *reason);

// Length of a wide text held in a buffer of capacity characters; fails the run when the
// buffer holds no terminator.
size_t FuzzTextLength(const wchar_t *text, size_t capacity, const char *what);
