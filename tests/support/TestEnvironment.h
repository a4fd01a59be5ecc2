#pragma once
// What every test process gets before its first test: its own folder with a machine folder
// (RUX_MACHINE), ODBC files (ODBCINI, ODBCSYSINI), XDG_RUNTIME_DIR and the offscreen Qt platform.
#include <filesystem>
#include <string>
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

// What a shell command writes to its standard output; empty when it cannot run.
std::string commandOutput(const std::string& command);
// The text of a PDF file through poppler's pdftotext with `mode` ("-layout" or "-raw"); empty when
// it cannot be read.
std::string pdfText(const std::filesystem::path& pdf, std::string_view mode = "-layout");

}  // namespace testing_support
