// The uninstaller's question before it removes a product and its closing box, and the switch
// that keeps a scripted run silent: its real message boxes, answered as they open.
#include "ProcessDriver.h"
#include "SetupProducts.h"

#include "libraries/uninstaller/UninstallBoxes.h"
#include "libraries/uninstaller/UninstallRecord.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>

namespace fs = std::filesystem;
using platform::RegRoot;
using namespace setup_test;

namespace {

constexpr const char* RecordPath = "C:\\Windows\\UninstTool10.RUX";
const std::string Registration = std::string(uninstaller::UninstallKey) + "\\Tool 1.0";

// Answers every message box as it opens: the question with `answer`, any other with OK; notes
// what each said.
struct BoxAnswerer {
    struct Seen {
        std::string name, text, informative;
    };
    QMessageBox::StandardButton answer;
    std::vector<Seen> seen;
    QTimer timer;

    explicit BoxAnswerer(QMessageBox::StandardButton a) : answer(a) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible() || box->property("answered").toBool()) continue;
                box->setProperty("answered", true);
                seen.push_back({box->objectName().toStdString(), box->text().toStdString(),
                                box->informativeText().toStdString()});
                const bool question = box->objectName() == QLatin1String("question");
                if (auto* button = box->button(question ? answer : QMessageBox::Ok)) button->click();
            }
        });
        timer.start();
    }
};

struct Installed {
    platform::Machine m = openMachine();
    platform::Files files{m};
    platform::Registry reg{m};

    Installed() {
        application();
        uninstaller::UninstallRecord record{.displayName = "Tool 1.0", .entries = {}};
        EXPECT_TRUE(files.createFolder("C:\\Program Files\\Tool").ok());
        record.entries.push_back({1, "C:\\Program Files\\Tool", ""});
        for (const char* name : {"C:\\Program Files\\Tool\\tool.exe", "C:\\Program Files\\Tool\\readme.txt"}) {
            std::ofstream(*m.hostPath(name)) << "bytes";
            record.entries.push_back({0, name, ""});
        }
        EXPECT_TRUE(reg.createKey(RegRoot::LocalMachine, "Software\\Tool").ok());
        EXPECT_TRUE(reg.setString(RegRoot::LocalMachine, "Software\\Tool", "Path", "C:\\Program Files\\Tool").ok());
        record.entries.push_back({4, "Software\\Tool", ""});
        record.entries.push_back({4, "Software\\Tool", "Path"});
        EXPECT_TRUE(reg.createKey(RegRoot::LocalMachine, Registration).ok());
        EXPECT_TRUE(reg.setString(RegRoot::LocalMachine, Registration, "DisplayName", "Tool 1.0").ok());
        const auto bytes = uninstaller::encodeUninstallRecord(record);
        std::ofstream(*m.hostPath(RecordPath), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    bool removed() const {
        return !files.exists("C:\\Program Files\\Tool\\tool.exe") && !files.exists(RecordPath) &&
               !reg.keyExists(RegRoot::LocalMachine, "Software\\Tool").valueOr(true);
    }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(UninstallBoxes, AsksFirstAndSaysWhatItDidOrWhatItKeptAndWhy) {
    struct Case {
        const char* name;
        QMessageBox::StandardButton answer;
        std::function<void(Installed&)> prepare;
        int code;
        std::vector<std::string> outcomeParts;  // none: no closing box
        bool removed;
    };
    const std::string denied = platform::systemErrorText(platform::err::AccessDenied);
    const std::vector<Case> cases = {
        {"No removes nothing", QMessageBox::No, nullptr, 1, {}, false},
        {"Yes removes it all", QMessageBox::Yes, nullptr, 0, {"Tool 1.0 has been removed."}, true},
        {"a file the user added is named",
         QMessageBox::Yes,
         [](Installed& i) { std::ofstream(*i.m.hostPath("C:\\Program Files\\Tool\\notes.txt")) << "mine"; },
         0,
         {"Tool 1.0 has been removed.", "kept", "C:\\Program Files\\Tool: notes.txt"},
         true},
        {"what could not be removed, and why",
         QMessageBox::Yes,
         [](Installed& i) {
             ASSERT_TRUE(platform::injectFault(i.m, platform::FaultKind::RegistryWrite,
                                               "HKEY_LOCAL_MACHINE\\Software\\Tool").ok());
         },
         2,
         {"could not be removed completely", "HKEY_LOCAL_MACHINE\\Software\\Tool", denied},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Installed installed;
        if (c.prepare) c.prepare(installed);
        const auto before = folderContents(installed.m.root());
        BoxAnswerer boxes(c.answer);
        EXPECT_EQ(uninstaller::runUninstaller(installed.m, {false, RecordPath}), c.code);
        ASSERT_GE(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].name, "question");
        EXPECT_EQ(boxes.seen[0].text, "Do you want to remove Tool 1.0 and all of its components?");
        EXPECT_TRUE(has(boxes.seen[0].informative, "C:\\Program Files\\Tool\\tool.exe")) << boxes.seen[0].informative;
        EXPECT_TRUE(has(boxes.seen[0].informative, "2 registry entries")) << boxes.seen[0].informative;
        if (c.outcomeParts.empty()) {
            EXPECT_EQ(boxes.seen.size(), 1u);
            EXPECT_EQ(folderContents(installed.m.root()), before);
        } else {
            ASSERT_EQ(boxes.seen.size(), 2u);
            for (const auto& part : c.outcomeParts) EXPECT_TRUE(has(boxes.seen[1].text, part)) << boxes.seen[1].text;
        }
        EXPECT_EQ(installed.removed(), c.removed);
        ASSERT_TRUE(platform::clearFaults(installed.m).ok());
        std::error_code ec;
        fs::remove_all(*installed.m.hostPath("C:\\Program Files\\Tool"), ec);
        fs::remove(*installed.m.hostPath(RecordPath), ec);
    }
}

TEST(UninstallBoxes, ADamagedRecordIsReportedInABoxOrSilentlyWithTheSwitch) {
    Installed installed;
    std::ofstream(*installed.m.hostPath(RecordPath), std::ios::binary | std::ios::trunc) << "not a record";
    const auto before = folderContents(installed.m.root());
    {
        BoxAnswerer boxes(QMessageBox::Yes);
        EXPECT_EQ(uninstaller::runUninstaller(installed.m, {false, RecordPath}), 1);
        ASSERT_EQ(boxes.seen.size(), 1u) << "no question for a record that cannot be used";
        EXPECT_EQ(boxes.seen[0].name, "outcome");
        EXPECT_TRUE(has(boxes.seen[0].text, "damaged")) << boxes.seen[0].text;
    }
    BoxAnswerer boxes(QMessageBox::Yes);
    EXPECT_EQ(uninstaller::runUninstaller(installed.m, {true, RecordPath}), 1);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_EQ(folderContents(installed.m.root()), before);
}

TEST(UninstallBoxes, TheSilentSwitchRemovesWithoutAQuestionOrBox) {
    Installed installed;
    std::ofstream(*installed.m.hostPath("C:\\Program Files\\Tool\\notes.txt")) << "mine";
    BoxAnswerer boxes(QMessageBox::No);
    EXPECT_EQ(uninstaller::runUninstaller(installed.m, {true, RecordPath}), 0);
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_TRUE(installed.removed());
    EXPECT_TRUE(installed.files.exists("C:\\Program Files\\Tool\\notes.txt"));

    // The switch comes before the record's path, which may hold blanks; any case.
    char program[] = "RUXUninst", silent[] = "/s", first[] = "C:\\My", second[] = "Record.RUX";
    char* argv[] = {program, silent, first, second, nullptr};
    const auto arguments = uninstaller::parseArguments(4, argv);
    EXPECT_TRUE(arguments.silent);
    EXPECT_EQ(arguments.recordPath, "C:\\My Record.RUX");
    char* plain[] = {program, first, second, nullptr};
    EXPECT_FALSE(uninstaller::parseArguments(3, plain).silent);
    EXPECT_EQ(uninstaller::parseArguments(3, plain).recordPath, "C:\\My Record.RUX");
}
