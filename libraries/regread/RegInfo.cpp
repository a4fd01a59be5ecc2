#include <cstdio>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "libraries/regread/ruxreg.h"
#include "platform/Files.h"
#include "platform/Registry.h"

namespace pakomo {
namespace {

namespace rt = platform::regtype;

constexpr uint32_t kNoTextForm = 255;
constexpr std::size_t kMaxFileName = 255;

std::string hexPairs(const std::vector<uint8_t>& data) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", data[i]);
        if (i > 0) out += ',';
        out += pair;
    }
    return out;
}

bool fitsOnOneLine(std::string_view text) { return text.find_first_of("\t\r\n") == std::string_view::npos; }

// The line of one value, or nothing when the value cannot be written on one line.
std::optional<std::string> lineOf(const platform::RegValue& value) {
    if (!fitsOnOneLine(value.name) || value.name.find('\0') != std::string::npos) return std::nullopt;
    uint32_t type = value.type;
    std::string data;
    switch (type) {
        case rt::Sz:
        case rt::ExpandSz: {
            data.assign(value.data.begin(), value.data.end());
            // Stored with its closing NUL; the text ends at the first one.
            if (std::size_t nul = data.find('\0'); nul != std::string::npos) data.resize(nul);
            if (!fitsOnOneLine(data)) return std::nullopt;
            break;
        }
        case rt::Dword:
        case rt::DwordBigEndian:
            if (value.data.size() == 4) {
                const auto& d = value.data;
                // The digits give the number; a big-endian double word keeps its bytes in order.
                const bool little = type == rt::Dword;
                char text[16];
                std::snprintf(text, sizeof text, "0x%02x%02x%02x%02x", d[little ? 3 : 0], d[little ? 2 : 1],
                              d[little ? 1 : 2], d[little ? 0 : 3]);
                data = text;
            } else {
                data = hexPairs(value.data);
            }
            break;
        default:
            if (type > rt::ResourceRequirementsList) type = kNoTextForm;
            data = hexPairs(value.data);
            break;
    }
    return value.name + '\t' + std::to_string(type) + '\t' + data + "\r\n";
}

std::string tempFolderOf(const platform::Machine& machine) {
    for (const char* name : {"TMP", "TEMP"})
        if (std::optional<std::string> folder = machine.environment(name); folder && !folder->empty())
            return *folder;
    return machine.tempFolder();
}

// A new empty file whose name with ".txt" in place of its extension is free as well, since the
// browser moves the file to that name.
std::optional<std::string> newValueFile(const platform::Files& files) {
    const std::string folder = tempFolderOf(files.machine());
    std::vector<std::string> taken;
    std::optional<std::string> chosen;
    for (int attempt = 0; attempt < 16 && !chosen; ++attempt) {
        platform::Result<std::string> name = files.tempFileName(folder, "reg");
        if (!name) break;
        if (name->size() <= kMaxFileName && !files.exists(name->substr(0, name->size() - 4) + ".txt"))
            chosen = *name;
        else
            taken.push_back(*name);
    }
    for (const std::string& name : taken) (void)files.remove(name);
    return chosen;
}

}  // namespace

bool RegInfo(std::string& key, std::string& file) {
    platform::Result<platform::Machine> machine = platform::Machine::open();
    if (!machine) return false;

    const std::size_t slash = key.find('\\');
    std::optional<platform::RegRoot> root = platform::parseRootName(std::string_view(key).substr(0, slash));
    if (!root) return false;
    const std::string below = slash == std::string::npos ? std::string() : key.substr(slash + 1);

    platform::Registry registry(*machine);
    platform::Result<std::vector<platform::RegValue>> values = registry.values(*root, below);
    if (!values) return false;

    std::string text;
    for (const platform::RegValue& value : *values)
        if (std::optional<std::string> line = lineOf(value)) text += *line;

    platform::Files files(*machine);
    std::optional<std::string> name = newValueFile(files);
    if (!name) return false;
    bool written = false;
    if (platform::Result<std::filesystem::path> host = files.openForWrite(*name)) {
        std::ofstream out(*host, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        written = static_cast<bool>(out);
    }
    if (!written) {
        (void)files.remove(*name);
        return false;
    }
    file = *name;
    return true;
}

}  // namespace pakomo
