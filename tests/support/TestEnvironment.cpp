#include "support/TestEnvironment.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testing_support {
namespace {
fs::path g_folder;

void setEnv(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
}  // namespace

void setUpProcessEnvironment() {
    if (!g_folder.empty()) return;
    std::string pattern = (fs::temp_directory_path() / "rux-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create the test folder");
    g_folder = pattern;

    fs::create_directories(g_folder / "odbcsys");
    fs::create_directories(g_folder / "xdg");
    fs::permissions(g_folder / "xdg", fs::perms::owner_all, fs::perm_options::replace);

    // unixODBC reads its drivers from ODBCSYSINI/odbcinst.ini: copy the machine's list so that
    // the SQLite3 driver is known, and keep the user's data sources in a file of our own.
    std::error_code ec;
    // Drivers stay loaded until the process ends, so that the leak checker of sanitizer runs can
    // name the driver's own allocations.
    {
        std::ifstream machineList("/etc/odbcinst.ini");
        std::ofstream list(g_folder / "odbcsys" / "odbcinst.ini");
        for (std::string line; std::getline(machineList, line);) {
            list << line << "\n";
            if (line.starts_with('[') && line != "[ODBC]") list << "DontDLClose=1\n";
        }
    }
    std::ofstream(g_folder / "odbcsys" / "odbc.ini");
    std::ofstream(g_folder / "odbc.ini");

    setEnv("RUX_MACHINE", (g_folder / "machine").string());
    setEnv("ODBCSYSINI", (g_folder / "odbcsys").string());
    setEnv("ODBCINI", (g_folder / "odbc.ini").string());
    setEnv("XDG_RUNTIME_DIR", (g_folder / "xdg").string());
    setEnv("XDG_DATA_HOME", (g_folder / "data").string());
    setEnv("XDG_CONFIG_HOME", (g_folder / "config").string());
    setEnv("QT_QPA_PLATFORM", "offscreen");
    // CTest's discovered tests get only the first of several ENVIRONMENT entries, so the build and
    // source folders are also compiled in.
    if (!std::getenv("RUX_BUILD_DIR")) setEnv("RUX_BUILD_DIR", RUX_TEST_BUILD_DIR);
    if (!std::getenv("RUX_SOURCE_DIR")) setEnv("RUX_SOURCE_DIR", RUX_TEST_SOURCE_DIR);
    // A test's machine is seeded like one that the built programs create (the uninstaller in the
    // Windows folder), although the test executables do not live beside the seed.
    if (const char* build = std::getenv("RUX_BUILD_DIR"); build && !std::getenv("RUX_MACHINE_SEED"))
        setEnv("RUX_MACHINE_SEED", (fs::path(build) / "bin" / "machine-seed").string());
}

void tearDownProcessEnvironment() {
    if (g_folder.empty()) return;
    if (!std::getenv("RUX_KEEP_TEST_FOLDERS")) {
        std::error_code ec;
        fs::remove_all(g_folder, ec);
    }
}

const fs::path& processFolder() { return g_folder; }

fs::path machineFolder() { return g_folder / "machine"; }

fs::path artefactFolder(std::string_view sub) {
    const char* build = std::getenv("RUX_BUILD_DIR");
    fs::path base = build ? fs::path(build) / "test-artefacts" : g_folder / "artefacts";
    fs::path folder = base / sub;
    fs::create_directories(folder);
    return folder;
}

void addSqliteDataSource(std::string_view name, const fs::path& database) {
    std::ofstream ini(g_folder / "odbc.ini", std::ios::app);
    ini << "[" << name << "]\n"
        << "Driver=SQLite3\n"
        << "Database=" << database.string() << "\n"
        << "NoCreat=1\n"
        << "Timeout=2000\n\n";  // a lock held by another connection fails in seconds, not minutes
}

std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), n);
    return out;
}

std::string pdfText(const std::filesystem::path& pdf, std::string_view mode) {
    return commandOutput("pdftotext " + std::string(mode) + " '" + pdf.string() + "' - 2>/dev/null");
}

}  // namespace testing_support
