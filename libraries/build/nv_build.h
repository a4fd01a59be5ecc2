#pragma once
// The build: created by name while gi_prod_id holds a product, it builds that product's discs at
// once. It reads the product from the project database, writes its discs below the product's
// "FileDestination" setting, in a folder named after the full product name, with Setup and its
// decompression library on Disc1, and sets "UpToDate" to 1 only when every file was written.
// An empty "FileDestination" is asked for first and stored; a stored one is named in a question
// whose "No" chooses another folder, so that each build may go elsewhere. Build settings below "BuildParms":
// "Sizetype" 0 (or missing) one disc of any size, 1 discs of "Size" kilobytes;
// "CompressionLevel" 1 to 19, 3 when missing. Setup and its library are taken from the "Redist"
// folder when it is set, else from the folder of the running program.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"

namespace pakomo {

class nv_build : public nv_a {
public:
    nv_build();
    ~nv_build() override;

    // Builds product gi_prod_id: 1 built, 0 cancelled by the user, -1 failed (reported).
    int16_t fnv_build();

    int16_t ii_result = 0;  // the result of the build made at creation

private:
    int16_t report(const std::string& text);
};

// Registers the build library's classes with the runtime's class registry.
void register_build_library();

}  // namespace pakomo
