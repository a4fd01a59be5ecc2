// pakomo-profile: writes the authoring program's first settings into the machine's registry,
// creating the machine folder on first use, and never overwriting a setting that exists.
//   pakomo-profile <data source name> <help folder>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Machine.h"
#include "platform/Registry.h"

namespace {

constexpr const char* kRoot = "Software\\RUX\\Pakomo 1.0e";

// Sets a string value unless it is there already; false on a failure.
bool set_when_missing(platform::Registry& registry, const std::string& key, const char* name, const std::string& text) {
    if (registry.queryValue(platform::RegRoot::CurrentUser, key, name).ok()) {
        std::printf("kept %s\\%s\n", key.c_str(), name);
        return true;
    }
    if (!registry.createKey(platform::RegRoot::CurrentUser, key).ok() ||
        !registry.setString(platform::RegRoot::CurrentUser, key, name, text).ok()) {
        std::fprintf(stderr, "pakomo-profile: cannot write %s\\%s\n", key.c_str(), name);
        return false;
    }
    std::printf("set %s\\%s = %s\n", key.c_str(), name, text.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pakomo-profile <data source name> <help folder>\n");
        return 2;
    }
    auto machine = platform::Machine::open();
    if (!machine.ok()) {
        std::fprintf(stderr, "pakomo-profile: cannot open the machine folder: %s\n", machine.error().text.c_str());
        return 1;
    }
    platform::Registry registry(machine.value());
    const std::string help = machine.value().windowsPath(std::filesystem::absolute(argv[2]));
    bool ok = set_when_missing(registry, std::string(kRoot) + "\\Db", "Dsn", argv[1]);
    ok = set_when_missing(registry, std::string(kRoot) + "\\Help", "Path", help) && ok;
    return ok ? 0 : 1;
}
