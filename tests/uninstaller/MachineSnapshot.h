#pragma once
// What a machine folder holds, file by file and registry value by value, to compare a machine
// before and after a change.
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct MachineSnapshot {
    std::map<std::string, std::string> files;     // drive_c path -> contents ("<folder>" for folders)
    std::map<std::string, std::string> registry;  // key or key\[value] -> type and bytes
};

inline void snapshotKey(const platform::Registry& reg, platform::RegRoot root, const std::string& key,
                        std::map<std::string, std::string>& out) {
    const std::string where = std::string(platform::rootName(root)) + (key.empty() ? "" : "\\" + key);
    out[where] = "<key>";
    if (auto values = reg.values(root, key)) {
        for (const auto& v : *values) {
            std::ostringstream s;
            s << v.type << ':';
            for (uint8_t b : v.data) s << ' ' << int(b);
            out[where + "\\[" + v.name + "]"] = s.str();
        }
    }
    if (auto subkeys = reg.subkeys(root, key)) {
        for (const auto& k : *subkeys) snapshotKey(reg, root, key.empty() ? k : key + "\\" + k, out);
    }
}

inline MachineSnapshot snapshotMachine(const platform::Machine& machine) {
    namespace fs = std::filesystem;
    MachineSnapshot s;
    const fs::path drive = machine.root() / "drive_c";
    for (auto it = fs::recursive_directory_iterator(drive); it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = fs::relative(it->path(), drive).generic_string();
        if (it->is_directory()) {
            s.files[rel] = "<folder>";
        } else if (it->file_size() > (1u << 20)) {
            // Programs (the uninstaller) by size and time: reading them for every snapshot is slow.
            s.files[rel] = std::to_string(it->file_size()) + "@" +
                           std::to_string(it->last_write_time().time_since_epoch().count());
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            s.files[rel] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    platform::Registry reg(machine);
    for (auto root : {platform::RegRoot::ClassesRoot, platform::RegRoot::CurrentUser,
                      platform::RegRoot::LocalMachine, platform::RegRoot::Users})
        snapshotKey(reg, root, "", s.registry);
    return s;
}

// The names that differ between two snapshot maps, for a readable failure.
inline std::vector<std::string> differences(const std::map<std::string, std::string>& a,
                                            const std::map<std::string, std::string>& b) {
    std::vector<std::string> out;
    for (const auto& [k, v] : a) {
        auto it = b.find(k);
        if (it == b.end()) out.push_back("- " + k);
        else if (it->second != v) out.push_back("~ " + k);
    }
    for (const auto& [k, v] : b)
        if (!a.count(k)) out.push_back("+ " + k);
    return out;
}

}  // namespace testing_support
