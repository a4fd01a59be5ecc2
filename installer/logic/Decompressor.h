#pragma once
// The decompression library's one function, ruxdecompress(stored, output): 0 when the output file
// holds the whole decompressed file. Its bounded form also takes the file's installed size and
// refuses (non-zero) stored bytes that would decompress to more.
namespace setup {

using DecompressFunction = int (*)(const char* storedPath, const char* outputPath);
using BoundedDecompressFunction = int (*)(const char* storedPath, const char* outputPath,
                                          unsigned long long maxBytes);

// Binds ruxdecompress from the library beside the running program (libruxdecompress.so, also
// under the names ruxdecompress.so and ruxdecompress.dll); nullptr when there is none.
DecompressFunction LoadDecompressorBesideProgram();
// Binds ruxdecompress_bounded from the same library; nullptr when there is none.
BoundedDecompressFunction LoadBoundedDecompressorBesideProgram();

}  // namespace setup
