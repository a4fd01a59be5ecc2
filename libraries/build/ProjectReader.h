#pragma once
// One product of the project database, read into the build writer's description of a product:
// its PRODUCT row, the wizard-page tables, background texts, registry entries, string variables,
// components and files (each file placed in the component of its file group).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "libraries/build/SetupWriter.h"

namespace platform {
class Machine;
}
namespace runtime {
class Transaction;
}

namespace pakomo {

struct ProjectProduct {
    build::Product product;
    std::string fullName;  // name, version and label, joined by blanks and trimmed
    std::string error;     // the first reason it cannot be built, naming the file or field
    // What belongs to no component and so is left out of the build, one line each: file groups
    // (with their number of files), then registry entries.
    std::vector<std::string> leftOut;
    bool ok() const { return error.empty(); }
};

// Reads product `prodId` over `sqlca`. Source paths (FILE.PATH, Windows or host paths) are found
// through `machine`; a file that cannot be read is an error that names it, its file group and its
// component. File groups that belong to no component, with their files, and registry entries of
// no component are left out (the installer could not place them) and listed in `leftOut`.
ProjectProduct read_project_product(runtime::Transaction& sqlca, int16_t prodId,
                                    const platform::Machine& machine);

// The three parts joined by one blank each and trimmed of blanks at both ends after each join.
std::string full_product_name(std::string_view name, std::string_view version, std::string_view label);

}  // namespace pakomo
