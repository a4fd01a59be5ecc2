#pragma once
// What every test process gets before its first test: its own folder with a machine folder
// (RUX_MACHINE), ODBC files (ODBCINI, ODBCSYSINI), XDG_RUNTIME_DIR and the offscreen Qt platform.
#include <filesystem>
#include <string_view>

namespace testing_support {

void setUpProcessEnvironment();
void tearDownProcessEnvironment();

// The process's own test folder.
const std::filesystem::path& processFolder();
// The machine folder that RUX_MACHINE names for this process.
std::filesystem::path machineFolder();
// Where artefacts of tests (screenshots, transcripts) go: <build>/test-artefacts/<sub>.
std::filesystem::path artefactFolder(std::string_view sub);

// Registers an ODBC data source of the SQLite3 driver over `database` in this process's ODBCINI.
void addSqliteDataSource(std::string_view name, const std::filesystem::path& database);

}  // namespace testing_support
