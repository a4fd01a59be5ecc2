#pragma once
// The outside libraries against a real project database: a fresh SQLite data source from the
// schema script, the settings service, a project service that stands in for the real one, a
// wait window that records what it shows, and products written into the database row by row.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "authoring/core/nv_registry_create_setup.h"
#include "core/CoreFixture.h"
#include "platform/Machine.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Window.h"
#include "support/ProjectDatabase.h"
#include "support/TempFolder.h"

namespace library_test {

namespace fs = std::filesystem;

// What every wait window showed, in order, and how often one opened and closed.
struct WaitLog {
    std::vector<std::string> texts;
    int opens = 0, closes = 0;
};
inline WaitLog& waitLog() {
    static WaitLog log;
    return log;
}

class RecordingText : public runtime::StaticText {
public:
    void setText(std::string_view text) override {
        waitLog().texts.emplace_back(text);
        StaticText::setText(text);
    }
};

class RecordingWaitWindow : public runtime::Window {
public:
    RecordingWaitWindow() : runtime::Window("w_moment_aub", runtime::WindowKind::Popup) {
        st_1 = addControl<RecordingText>("st_1");
        on("open", [this](runtime::Args) {
            ++waitLog().opens;
            st_1->setText("Please wait a moment...");
            return runtime::Value();
        });
        on("close", [](runtime::Args) {
            ++waitLog().closes;
            return runtime::Value();
        });
    }
    runtime::Ref<RecordingText> st_1;
};

// Answers the full product name of the product it was last asked to load.
class ProjectService : public core_test::StandInProjectService {
public:
    ProjectService() {
        on("fnv_retrieve_product_stringtable", [this](runtime::Args args) {
            loaded.push_back(args[0].toInt());
            auto it = names.find(args[0].toInt());
            fullprodname = it == names.end() ? std::string() : it->second;
            return runtime::Value(it == names.end() ? 0 : 1);
        });
    }
    std::map<int64_t, std::string> names;  // product id -> full product name
    std::vector<int64_t> loaded;
};

class LibraryFixture : public core_test::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        connectProjectDatabase();
        if (IsSkipped() || HasFatalFailure()) return;
        runtime::registerClass<RecordingWaitWindow>("w_moment_aub");
        waitLog() = {};
        application().g_str_pass.full_appname = "Pakomo 1.0e";
        project = runtime::create<ProjectService>();
        application().gnv_create_setup = project;
        application().gnv_registry = runtime::create<pakomo::nv_registry_create_setup>();
    }
    void TearDown() override {
        if (application().gnv_registry) runtime::destroy(application().gnv_registry);
        runtime::destroy(project);
        CoreFixture::TearDown();
    }

    pakomo::nv_registry_create_setup& settings() { return *application().gnv_registry; }

    // Settings of a product are read for the product the project service holds.
    void hold(int64_t id, const std::string& fullName) {
        project->names[id] = fullName;
        project->fullprodname = fullName;
    }

    // A source file of the machine (a Windows path) with the given bytes.
    std::string source(const std::string& windowsPath, const std::string& content) {
        fs::path host = machine.hostPath(windowsPath).value();
        fs::create_directories(host.parent_path());
        testing_support::writeFile(host, content);
        return windowsPath;
    }

    // A text as an SQL literal.
    static std::string lit(const std::string& s) {
        std::string out = "'";
        for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    }

    // Rows of every product table for product `id`, with the given page texts: the full set that
    // a product made in the program has.
    std::vector<std::string> pageRows(int id, const std::string& title = "Setup of ^PRODUCTNAME^") {
        const std::string p = std::to_string(id);
        return {
            "INSERT INTO WINDOWS VALUES (" + p + ", 1, 1, 0, 1, 1)",
            "INSERT INTO WMAIN VALUES (" + p + ", " + lit(title) + ", 8421376)",
            "INSERT INTO MAINTEXT VALUES (1, " + p +
                ", 'Welcome to ^PRODUCTNAME^', 500, 700, 24, 1, 0, 1, 16777215, 'Arial')",
            "INSERT INTO MAINTEXT VALUES (2, " + p +
                ", 'Version ^PRODUCTVERSION^', 500, 1500, 12, 0, 1, 0, 255, 'Times New Roman')",
            "INSERT INTO WWELCOME VALUES (" + p + ", 1)",
            "INSERT INTO WLICAGR VALUES (" + p + ", 'You may use ^PRODUCTNAME^.\r\nNothing else.')",
            "INSERT INTO WUSER VALUES (" + p + ", 'Maker\\^PRODUCTNAME^', 'Who are you?')",
            "INSERT INTO WFINISH VALUES (" + p + ", 'All done.', 1, 'Restart now', 'Restart later')",
            "INSERT INTO WCREGRP VALUES (" + p + ", '^PRODUCTNAME^', 'Choose a group.')",
            "INSERT INTO README VALUES (" + p + ", 2, 'Show the readme file')",
            "INSERT INTO PROGRESS VALUES (" + p + ", 'Installing ^PRODUCTNAME^ ...', 1)",
        };
    }

    platform::Machine machine = platform::Machine::open().value();
    runtime::Ref<ProjectService> project;
};

// The same on each database system the program supports.
class LibraryDatabaseFixture : public LibraryFixture,
                               public ::testing::WithParamInterface<testing_support::DatabaseSystem> {
protected:
    testing_support::DatabaseSystem databaseSystem() const override { return GetParam(); }
};

}  // namespace library_test
