#pragma once
// The installer's decompression library.

#ifdef __cplusplus
extern "C" {
#endif

// Turns the stored bytes of one file (one zstd frame, nothing before or after it) into the file.
// Returns 0 only when `output` holds the whole decompressed file; any damage, truncation, trailing
// bytes or I/O failure gives a non-zero result. Memory use does not depend on the file's size.
__attribute__((visibility("default"))) int ruxdecompress(const char* stored, const char* output);

// The same, for a file that may not grow beyond `maxBytes`: stored bytes that decompress to more
// are refused (non-zero) and no more than `maxBytes` bytes are ever written to `output`.
__attribute__((visibility("default"))) int ruxdecompress_bounded(const char* stored, const char* output,
                                                                 unsigned long long maxBytes);

#ifdef __cplusplus
}
#endif
