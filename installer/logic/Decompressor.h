#pragma once
// The decompression library's one function, ruxdecompress(stored, output): 0 when the output file
// holds the whole decompressed file.
namespace setup {

using DecompressFunction = int (*)(const char* storedPath, const char* outputPath);

// Binds ruxdecompress from the library beside the running program (libruxdecompress.so, also
// under the names ruxdecompress.so and ruxdecompress.dll); nullptr when there is none.
DecompressFunction LoadDecompressorBesideProgram();

}  // namespace setup
