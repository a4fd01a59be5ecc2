#pragma once
// A fresh home and machine folder, made as the run command makes them: the default profile script,
// then the program as its own process with the profile's environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

namespace e2e_test {

inline std::string textOf(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProfileScript : public ::testing::Test {
protected:
    using path = std::filesystem::path;

    int runScript() {
        const path source = std::getenv("RUX_SOURCE_DIR");
        const path bin = path(std::getenv("RUX_BUILD_DIR")) / "bin";
        std::string command = "env -u ODBCINI -u XDG_DATA_HOME HOME='" + home.string() + "' RUX_MACHINE='" +
                              machine.string() + "' bash '" +
                              (source / "scripts" / "setup-profile.sh").string() + "' '" + bin.string() +
                              "' > '" + (folder / "log.txt").string() + "' 2>&1";
        return std::system(command.c_str());
    }
    std::string setting(const char* key, const char* value) {
        platform::Registry registry(platform::Machine::openAt(machine).value());
        auto v = registry.queryValue(platform::RegRoot::CurrentUser,
                                     std::string("Software\\RUX\\Pakomo 1.0e\\") + key, value);
        if (!v.ok()) return "<missing>";
        std::string text(v.value().data.begin(), v.value().data.end());
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }

    std::vector<std::string> programEnvironment(const std::string& display) {
        return {"DISPLAY=" + display,
                "QT_QPA_PLATFORM=xcb",
                "HOME=" + home.string(),
                "RUX_MACHINE=" + machine.string(),
                "ODBCINI=" + (home / ".odbc.ini").string(),
                "XDG_DATA_HOME=" + (home / ".local" / "share").string()};
    }

    testing_support::TempFolder folder{"profile"};
    path home = folder / "home";
    path machine = folder / "machine";
};

}  // namespace e2e_test
