#include "libraries/uninstaller/UninstallPlan.h"

#include "libraries/uninstaller/UninstallRecord.h"
#include "libraries/uninstaller/Uninstaller.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <unordered_set>

namespace uninstaller {

namespace {
bool equalNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}
// A path without regard to case or to the kind of separator: "C:/A\\b" and "c:\\a\\B" fold alike.
std::string foldPath(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
        else if (c == '/') c = '\\';
    }
    return out;
}
}  // namespace

Arguments parseArguments(int argc, char** argv) {
    Arguments arguments;
    int first = 1;
    if (argc > 1 && equalNoCase(argv[1], "/S")) {
        arguments.silent = true;
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
        if (i > first) arguments.recordPath += ' ';
        arguments.recordPath += argv[i];
    }
    return arguments;
}

std::optional<Plan> planUninstall(const platform::Machine& machine, std::string_view recordPath, std::string& why) {
    auto host = machine.hostPath(recordPath);
    std::ifstream in;
    if (host) in.open(*host, std::ios::binary);
    if (!host || !in.is_open()) {
        why = "Cannot read the uninstall record " + std::string(recordPath) + ": " +
              (host ? platform::systemErrorText(platform::err::FileNotFound) : host.error().text);
        return std::nullopt;
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    auto record = parseUninstallRecord(bytes, error);
    if (!record) {
        why = "The uninstall record " + std::string(recordPath) + " is damaged (" + error + "); nothing has been removed.";
        return std::nullopt;
    }
    Plan plan{record->displayName, {}, 0};
    // A path listed again (by a repeated installation, perhaps in another case or with other
    // separators) is shown once: each path's folded form is looked up, never compared pairwise.
    std::unordered_set<std::string> listed;
    listed.reserve(record->entries.size());
    for (auto it = record->entries.rbegin(); it != record->entries.rend(); ++it) {
        if (it->type != record::File && it->type != record::Folder) {
            ++plan.registryEntries;
            continue;
        }
        if (listed.insert(foldPath(it->name)).second) plan.paths.push_back(it->name);
    }
    return plan;
}

}  // namespace uninstaller
