// The default profile script, run as the run command runs it, on a fresh home and machine folder:
// it makes the machine folder, the project database, the data source and the two settings, and a
// second run changes nothing that exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "runtime/db/Transaction.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string textOf(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProfileScript : public ::testing::Test {
protected:
    int runScript() {
        const fs::path source = std::getenv("RUX_SOURCE_DIR");
        const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
        std::string command = "env -u ODBCINI -u XDG_DATA_HOME HOME='" + home.string() + "' RUX_MACHINE='" +
                              machine.string() + "' bash '" + (source / "scripts" / "setup-profile.sh").string() +
                              "' '" + bin.string() + "' > '" + (folder / "log.txt").string() + "' 2>&1";
        return std::system(command.c_str());
    }
    std::string setting(const char* key, const char* value) {
        platform::Registry registry(platform::Machine::openAt(machine).value());
        auto v = registry.queryValue(platform::RegRoot::CurrentUser, std::string("Software\\RUX\\Pakomo 1.0e\\") + key, value);
        if (!v.ok()) return "<missing>";
        std::string text(v.value().data.begin(), v.value().data.end());
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }

    testing_support::TempFolder folder{"profile"};
    fs::path home = folder / "home";
    fs::path machine = folder / "machine";
};

TEST_F(ProfileScript, MakesTheDefaultProfileAndASecondRunKeepsWhatExists) {
    fs::create_directories(home);
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    EXPECT_TRUE(fs::is_directory(machine / "drive_c" / "Windows"));
    const fs::path database = home / ".local" / "share" / "pakomo" / "pakomo.db";
    ASSERT_TRUE(fs::exists(database));
    const std::string ini = textOf(home / ".odbc.ini");
    EXPECT_NE(ini.find("[Pakomo]\nDriver=SQLite3\nDatabase=" + database.string() + "\nNoCreat=1\n"), std::string::npos)
        << ini;
    EXPECT_EQ(setting("Db", "Dsn"), "Pakomo");
    EXPECT_TRUE(setting("Help", "Path").starts_with("Z:\\")) << setting("Help", "Path");

    // The data source reaches the database the script made.
    ::setenv("ODBCINI", (home / ".odbc.ini").c_str(), 1);
    {
        runtime::Transaction t;
        t.dbms = "ODBC";
        t.dbParm = "Connectstring='DSN=Pakomo'";
        ASSERT_EQ(t.connect(), 0) << t.sqlErrText;
        runtime::SqlRow row;
        ASSERT_EQ(t.selectInto("SELECT COUNT(*) FROM MESSAGE", {}, row), 0) << t.sqlErrText;
        EXPECT_EQ(row[0], "5");
        ASSERT_EQ(t.executeImmediate("INSERT INTO PRODUCT (ID, PRODNAME) VALUES (1, 'Kept')"), 0);
        t.commit();
        t.disconnect();
    }

    // The user's own choices survive the next run.
    platform::Registry registry(platform::Machine::openAt(machine).value());
    ASSERT_TRUE(registry.setString(platform::RegRoot::CurrentUser, "Software\\RUX\\Pakomo 1.0e\\Db", "Dsn", "Mine").ok());
    ASSERT_EQ(runScript(), 0) << textOf(folder / "log.txt");
    EXPECT_EQ(setting("Db", "Dsn"), "Mine");
    EXPECT_EQ(textOf(home / ".odbc.ini"), ini);
    runtime::Transaction t;
    t.dbms = "ODBC";
    t.dbParm = "Connectstring='DSN=Pakomo'";
    ASSERT_EQ(t.connect(), 0) << t.sqlErrText;
    runtime::SqlRow row;
    ASSERT_EQ(t.selectInto("SELECT PRODNAME FROM PRODUCT WHERE ID = 1", {}, row), 0) << t.sqlErrText;
    EXPECT_EQ(row[0], "Kept");
}

}  // namespace
