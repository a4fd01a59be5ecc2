#include "core/CoreFixture.h"

#include <QApplication>
#include <QFont>

#include <fstream>
#include <sstream>

#include "runtime/core/EventQueue.h"
#include "runtime/ui/QtRuntime.h"
#include "runtime/ui/Window.h"
#include "support/TestEnvironment.h"

namespace core_test {

QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "pakomo-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        a->setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        runtime::installQtRuntime();
        return a;
    }();
    return *app;
}

void settle() { runtime::processPendingEvents(); }

std::string schemaScriptPath() { return RUX_SCHEMA_SCRIPT; }

std::vector<std::string> scriptStatements(std::string_view script) {
    std::vector<std::string> statements;
    std::string current;
    std::istringstream in{std::string(script)};
    for (std::string line; std::getline(in, line);) {
        std::string_view view(line);
        while (!view.empty() && (view.back() == ' ' || view.back() == '\r' || view.back() == '\t'))
            view.remove_suffix(1);
        size_t first = view.find_first_not_of(" \t");
        if (first == std::string_view::npos || view.substr(first).starts_with("--")) continue;
        bool ends = view.ends_with(';');
        if (ends) view.remove_suffix(1);
        if (!current.empty()) current += '\n';
        current += view;
        if (ends) {
            statements.push_back(current);
            current.clear();
        }
    }
    if (current.find_first_not_of(" \t\n") != std::string::npos) statements.push_back(current);
    return statements;
}

testing_support::ProjectDataSource createProjectDataSource(testing_support::DatabaseSystem system) {
    testing_support::ProjectDataSource source = testing_support::addProjectDataSource(system);
    if (!source) return source;

    std::ifstream file(schemaScriptPath());
    std::stringstream script;
    script << file.rdbuf();
    runtime::Transaction t;
    t.dbms = "ODBC";
    t.dbParm = source.dbParm();
    if (t.connect() != 0) throw std::runtime_error("cannot connect to the test database: " + t.sqlErrText);
    for (const std::string& statement : scriptStatements(script.str()))
        if (t.executeImmediate(statement) != 0)
            throw std::runtime_error("schema statement failed: " + t.sqlErrText + "\n" + statement);
    t.commit();
    t.disconnect();
    return source;
}

StandInProjectService::StandInProjectService() : pakomo::nv_a("nv_create_setup") {
    on("fnv_get_fullprodname", [this](runtime::Args) { return runtime::Value(fullprodname); });
    on("fnv_set_compiled", [this](runtime::Args args) {
        compiled.push_back(args.empty() ? runtime::Value() : args[0]);
        return runtime::Value();
    });
}

void CoreFixture::SetUp() {
    qtApplication();
    // The Qt application's first start installs the real message box over the scripted one.
    runtime::setMessageBoxProvider(&boxes);
    app_ = std::make_unique<pakomo::pakomo>();
}

void CoreFixture::TearDown() {
    settle();
    EXPECT_EQ(boxes.unansweredCount(), 0u) << "answers scripted for boxes that never came";
    EXPECT_EQ(runs_.commandLines().size(), runsTaken_) << "a program was run that the test did not expect";
    EXPECT_EQ(help_.requests().size(), helpTaken_) << "help was asked that the test did not expect";
    EXPECT_TRUE(fileDialogs.requests().empty()) << "a file dialog was opened that the test did not expect";
    // Held by reference: destroying a frame destroys its sheets, which come later in the list.
    std::vector<runtime::Ref<runtime::Window>> open;
    for (runtime::Window* w : runtime::Window::openWindows()) open.emplace_back(w);
    for (runtime::Ref<runtime::Window>& w : open)
        if (w) runtime::destroy(w.get());
    settle();
    if (app_->sqlca.isConnected()) app_->sqlca.disconnect();
    app_.reset();
    runtime::EventQueue::clear();
}

void CoreFixture::connectProjectDatabase() {
    testing_support::ProjectDataSource source = createProjectDataSource(databaseSystem());
    if (!source) GTEST_SKIP() << source.unavailable;
    app_->sqlca.dbms = "ODBC";
    app_->sqlca.dbParm = source.dbParm();
    ASSERT_EQ(app_->sqlca.connect(), 0) << app_->sqlca.sqlErrText;
}

void CoreFixture::executeSql(const std::vector<std::string>& statements) {
    for (const std::string& s : statements) ASSERT_EQ(app_->sqlca.executeImmediate(s), 0) << s << ": " << app_->sqlca.sqlErrText;
    ASSERT_EQ(app_->sqlca.commit(), 0) << app_->sqlca.sqlErrText;
}

std::vector<std::string> CoreFixture::takeRuns() {
    const auto& all = runs_.commandLines();
    std::vector<std::string> out(all.begin() + static_cast<long>(runsTaken_), all.end());
    runsTaken_ = all.size();
    return out;
}

std::vector<runtime::HelpRequest> CoreFixture::takeHelp() {
    const auto& all = help_.requests();
    std::vector<runtime::HelpRequest> out(all.begin() + static_cast<long>(helpTaken_), all.end());
    helpTaken_ = all.size();
    return out;
}

}  // namespace core_test
