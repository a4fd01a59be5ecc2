#include "libraries/uninstaller/UninstallPlan.h"

#include "libraries/uninstaller/UninstallRecord.h"
#include "libraries/uninstaller/Uninstaller.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace uninstaller {

namespace {
bool equalNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
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
    for (auto it = record->entries.rbegin(); it != record->entries.rend(); ++it) {
        if (it->type != record::File && it->type != record::Folder) {
            ++plan.registryEntries;
            continue;
        }
        if (std::none_of(plan.paths.begin(), plan.paths.end(), [&](const std::string& p) { return equalNoCase(p, it->name); }))
            plan.paths.push_back(it->name);
    }
    return plan;
}

}  // namespace uninstaller
