#include "installer/logic/Decompressor.h"

#include "platform/Process.h"

#include <dlfcn.h>

namespace setup {

namespace {

void* BindBesideProgram(const char* symbolName) {
    std::error_code ec;
    auto folder = platform::ownExecutablePath().parent_path();
    for (const char* name : {"libruxdecompress.so", "ruxdecompress.so", "ruxdecompress.dll"}) {
        auto path = folder / name;
        if (!std::filesystem::exists(path, ec)) continue;
        // Kept loaded for the rest of the program, as a library bound at load time would be.
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) continue;
        if (void* symbol = dlsym(library, symbolName)) return symbol;
        dlclose(library);
    }
    return nullptr;
}

}  // namespace

DecompressFunction LoadDecompressorBesideProgram() {
    return reinterpret_cast<DecompressFunction>(BindBesideProgram("ruxdecompress"));
}

BoundedDecompressFunction LoadBoundedDecompressorBesideProgram() {
    return reinterpret_cast<BoundedDecompressFunction>(BindBesideProgram("ruxdecompress_bounded"));
}

}  // namespace setup
