// The dialogue's paths besides a plain install: going back, cancelling, a failing folder, test
// mode and the first disc prompt.
#include "SetupAnswerer.h"
#include "SetupProducts.h"

#include "installer/logic/StringTable.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <QListWidget>
#include <algorithm>
#include <map>

namespace fs = std::filesystem;
using namespace setup_test;
using A = SetupAnswerer;
using setup::ids::ConfirmCancel;
using setup::ids::InstallationNotCompleted;
using setup::ids::ReadyToInstall;

namespace {

// Tab goes through the page's own controls first, then "<< Previous", "Next >>" and "Cancel".
A::Action buttonsLastInTabOrder() {
    return A::custom([](QDialog* d) {
        std::vector<std::string> order;
        for (QWidget* w = d->nextInFocusChain(); w && w != d; w = w->nextInFocusChain())
            if (w->isVisibleTo(d) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                order.push_back(w->objectName().toStdString());
        const auto isButton = [](const std::string& id) { return id == "1004" || id == "1" || id == "2"; };
        const auto firstButton = std::find_if(order.begin(), order.end(), isButton);
        EXPECT_NE(firstButton, order.begin()) << d->windowTitle().toStdString() << ": a button comes first";
        EXPECT_TRUE(std::all_of(firstButton, order.end(), isButton))
            << d->windowTitle().toStdString() << ": " << ::testing::PrintToString(order);
        std::vector<std::string> buttons(firstButton, order.end());
        EXPECT_TRUE(std::is_sorted(buttons.begin(), buttons.end(), [](const std::string& a, const std::string& b) {
            auto rank = [](const std::string& id) { return id == "1004" ? 0 : id == "1" ? 1 : 2; };
            return rank(a) < rank(b);
        })) << ::testing::PrintToString(buttons);
    });
}

// Every file below the machine folder with its bytes, but the journal and lock files.
std::map<std::string, std::string> snapshot(const platform::Machine& machine) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(machine.root())) {
        auto rel = fs::relative(e.path(), machine.root()).generic_string();
        if (rel == "journal.log" || rel.ends_with(".lock")) continue;
        out[rel] = e.is_directory() ? std::string("<dir>") : testing_support::readFile(e.path());
    }
    return out;
}

bool exists(const platform::Machine& machine, const std::string& windowsPath) {
    return platform::Files(machine).exists(windowsPath);
}

bool hasLine(const std::vector<std::string>& lines, const std::string& part) {
    for (const auto& l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

struct Dialogue : ::testing::Test {
    testing_support::TempFolder sources{"sources"};
    build::Product product = smallProduct(sources.path());
    platform::Machine machine = openMachine();
};

}  // namespace

TEST_F(Dialogue, BackThroughEveryPageKeepsWhatWasEntered) {
    auto discs = writeDiscs(product);
    SetupAnswerer answers("back");
    answers.page(133, {A::expectHidden(1004), A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::type(1014, "Ann"), A::type(1013, "Maker Ltd"), A::click(1)})
        .page(136, {A::type(1015, "My Tools"), A::click(1)})
        .page(137, {A::check(1022), A::click(1)})
        .page(139, {A::type(1035, "C:\\Apps\\Tool"), A::click(1)})
        .page(138, {A::click(1004)})
        .page(139, {A::expectText(1035, "C:\\Apps\\Tool"), A::click(1004)})
        .page(137, {A::expectChecked(1022, true), A::check(1020), A::click(1004)})
        .page(136, {A::expectText(1015, "My Tools"), A::click(1004)})
        .page(135, {A::expectText(1014, "Ann"), A::expectText(1013, "Maker Ltd"), A::click(1004)})
        .page(134, {A::click(1004)})
        .page(133, {A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::expectText(1014, "Ann"), A::click(1)})
        .page(136, {A::expectText(1015, "My Tools"), A::click(1)})
        // Back kept the new type; only Next applies its preselection.
        .page(137, {A::expectChecked(1020, true), A::click(1)})
        .page(139, {A::expectText(1035, "C:\\Apps\\Tool"), A::click(1)})
        .box(ReadyToInstall, QMessageBox::No)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
    EXPECT_FALSE(exists(machine, "C:\\Apps\\Tool"));
}

TEST_F(Dialogue, CancelAsksFirstAndOnlyYesEndsTheRun) {
    auto discs = writeDiscs(product);
    const auto before = snapshot(machine);
    SetupAnswerer answers("cancel");
    answers.page(133, {A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::type(1014, "Ann"), A::click(2), A::key(Qt::Key_Escape), A::expectText(1014, "Ann"), A::click(2)})
        .box(ConfirmCancel, QMessageBox::No)
        .box(ConfirmCancel, QMessageBox::No)
        .box(ConfirmCancel, QMessageBox::Yes)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
    EXPECT_EQ(snapshot(machine), before);
}

// Cancel pressed by the mouse takes the focus; after "No" the keyboard is not left on it, so Enter
// goes on with the page instead of asking again. Esc keeps the focus where it was.
TEST_F(Dialogue, NoToTheCancelQuestionLeavesTheFocusOffCancel) {
    auto discs = writeDiscs(product);
    SetupAnswerer answers("cancel-focus");
    const A::Action pressCancel = A::custom([](QDialog* d) {
        auto* cancel = d->findChild<QPushButton*>(QStringLiteral("2"));
        ASSERT_TRUE(cancel);
        cancel->setFocus(Qt::MouseFocusReason);
        cancel->click();
    });
    const A::Action focusOn = A::custom([](QDialog* d) {
        ASSERT_TRUE(d->focusWidget());
        EXPECT_EQ(d->focusWidget()->objectName(), QStringLiteral("1")) << "the default button, not Cancel";
    });
    const A::Action focusInName = A::custom([](QDialog* d) {
        ASSERT_TRUE(d->focusWidget());
        EXPECT_EQ(d->focusWidget()->objectName(), QStringLiteral("1014"));
    });
    answers.page(133, {A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::type(1014, "Ann"), pressCancel, focusOn, A::custom([](QDialog* d) {
                        d->findChild<QWidget*>(QStringLiteral("1014"))->setFocus();
                    }),
                    A::key(Qt::Key_Escape), focusInName, A::click(2)})
        .box(ConfirmCancel, QMessageBox::No)
        .box(ConfirmCancel, QMessageBox::No)
        .box(ConfirmCancel, QMessageBox::Yes)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
}

TEST_F(Dialogue, RequiredNameAndGroupAreAskedFor) {
    product.protectionWarning = false;
    auto discs = writeDiscs(product);
    SetupAnswerer answers("required");
    answers.page(133, {A::expectShown(1005), A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::type(1014, ""), A::click(1), A::type(1014, " "), A::click(1)})
        .box(setup::ids::EnterName, QMessageBox::Ok)
        .page(136, {A::type(1015, ""), A::click(1), A::type(1015, "Tool"), A::click(1)})
        .box(setup::ids::EnterProgramGroup, QMessageBox::Ok)
        .page(137, {A::click(2)})
        .box(ConfirmCancel, QMessageBox::Yes)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
}

TEST_F(Dialogue, FolderThatCannotBeMadeIsAskedAgainThenCancelled) {
    product.showWelcome = product.showLicense = product.showUser = false;
    product.minimalOffered = product.customOffered = false;
    auto discs = writeDiscs(product);
    ASSERT_TRUE(platform::injectFault(machine, platform::FaultKind::CreateFolder, "C:\\Program Files\\Tool"));
    const auto before = snapshot(machine);
    std::string status;
    SetupAnswerer answers("folder-fault");
    answers.page(136, {A::click(1)})
        .page(139, {A::click(1)})
        .box(ReadyToInstall, QMessageBox::Yes)
        .progress(false, &status)
        .box(setup::ids::FailedCreateFolder, QMessageBox::Retry)
        .box(setup::ids::FailedCreateFolder, QMessageBox::Cancel)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 2);
    EXPECT_EQ(status, "Canceled.");
    // The program group made before the progress dialog is taken back with the rest.
    EXPECT_EQ(snapshot(machine), before);
    EXPECT_FALSE(hasLine(journal(machine), "notepad.exe"));
}

TEST_F(Dialogue, TestModeRunsTheWholeDialogueAndChangesNothing) {
    product.minimalOffered = false;
    auto discs = writeDiscs(product);
    const auto before = snapshot(machine);
    const std::string readme = machine.windowsPath(sources / "notes.txt");
    std::string status;
    SetupAnswerer answers("test-mode");
    answers.page(133, {A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::type(1014, "Ann"), A::click(1)})
        .page(136, {A::click(1)})
        .page(137, {A::expectHidden(1020), A::expectHidden(1023), A::expectChecked(1021, true), A::click(1)})
        .page(139, {A::click(1)})
        .box(ReadyToInstall, QMessageBox::Yes)
        .progress(false, &status)
        .page(142, {A::click(1)})
        .page(140, {A::expectChecked(1039, true), A::click(1)});
    EXPECT_EQ(runSetup(*discs, {"Test", readme}), 0);
    EXPECT_EQ(status, "Complete.");
    EXPECT_EQ(snapshot(machine), before);
    auto lines = journal(machine);
    ASSERT_EQ(lines.size(), 1u) << "only the readme is shown: no group folder, no restart";
    EXPECT_NE(lines[0].find("notepad.exe"), std::string::npos);
    EXPECT_NE(lines[0].find(readme), std::string::npos);
}

TEST_F(Dialogue, LowerCaseTestInstallsForReal) {
    product.showWelcome = product.showLicense = product.showUser = product.showFinished = false;
    product.useProgramGroup = false;
    product.minimalOffered = product.customOffered = false;
    auto discs = writeDiscs(product);
    SetupAnswerer answers("lower-case-test");
    // Back on the only page shows it again.
    answers.page(139, {A::click(1004)})
        .page(139, {A::click(1)})
        .box(ReadyToInstall, QMessageBox::Yes)
        .progress(false)
        .page(142, {A::click(1)});
    EXPECT_EQ(runSetup(*discs, {"test", "C:\\elsewhere.txt"}), 0);
    EXPECT_TRUE(exists(machine, "C:\\Program Files\\Tool\\tool.exe"));
    EXPECT_TRUE(hasLine(journal(machine), "C:\\Program Files\\Tool\\readme.txt"));
}

TEST_F(Dialogue, CancellingTheFirstDiscPromptShowsNothingElse) {
    auto discs = writeDiscs(product);
    fs::remove(discs->disc(1) / "Disc.lbl");
    SetupAnswerer answers("first-disc");
    answers.page(102, {A::expectText(1000, machine.windowsPath(discs->disc(1)) + "\\"), A::click(2)})
        .box(ConfirmCancel, QMessageBox::Yes);
    EXPECT_EQ(runSetup(*discs), 1);
    EXPECT_EQ(answers.windowsSeen(), 2) << answers.transcriptText();
}

TEST_F(Dialogue, ProgressCancelStopsBeforeTheNextFile) {
    product.showWelcome = product.showLicense = product.showUser = product.showFinished = false;
    product.minimalOffered = product.customOffered = false;
    auto discs = writeDiscs(product);
    const auto before = snapshot(machine);
    std::string status;
    SetupAnswerer answers("progress-cancel");
    answers.page(136, {A::click(1)})
        .page(139, {A::click(1)})
        .box(ReadyToInstall, QMessageBox::Yes)
        .progress(true, &status)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
    EXPECT_EQ(status, "Canceled.");
    EXPECT_EQ(snapshot(machine), before);
}

TEST_F(Dialogue, UnreadableSetupInformationShowsTheSystemErrorAndNoWindow) {
    auto discs = writeDiscs(product);
    fs::remove(discs->disc(1) / "SetupInfo.RUX");
    SetupAnswerer answers("no-setup-info");
    answers.systemBox("SetupInfo.RUX").box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
    EXPECT_EQ(answers.windowsSeen(), 2) << "no background window";
}

namespace {
struct AfterCase {
    const char* name;
    uint8_t readmeMode;
    SetupAnswerer::Action readme;  // on the readme dialog, when it comes
    SetupAnswerer::Action finished;
    bool finishedCancelled;
    bool readmeShown;
    bool restart;
};
void PrintTo(const AfterCase& c, std::ostream* out) { *out << c.name; }
class AfterInstall : public ::testing::TestWithParam<AfterCase> {};
}  // namespace

TEST_P(AfterInstall, ReadmeAndRestartAsChosen) {
    const AfterCase& c = GetParam();
    testing_support::TempFolder sources("sources");
    auto product = smallProduct(sources.path());
    product.showWelcome = product.showLicense = product.showUser = false;
    product.useProgramGroup = false;
    product.minimalOffered = product.customOffered = false;
    product.readmeMode = c.readmeMode;
    auto discs = writeDiscs(product);
    auto machine = openMachine();
    SetupAnswerer answers(std::string("after-") + c.name);
    answers.page(139, {A::click(1)}).box(ReadyToInstall, QMessageBox::Yes).progress(false);
    if (c.readme) answers.page(142, {A::expectChecked(1045, true), c.readme});
    answers.page(140, {A::expectText(1038, "Tool has been installed."), A::expectChecked(1039, true), c.finished});
    if (c.finishedCancelled) answers.box(ConfirmCancel, QMessageBox::Yes);
    EXPECT_EQ(runSetup(*discs), 0);
    auto lines = journal(machine);
    EXPECT_EQ(hasLine(lines, "notepad.exe\tC:\\Program Files\\Tool\\readme.txt"), c.readmeShown) << ::testing::PrintToString(lines);
    EXPECT_EQ(hasLine(lines, "restart"), c.restart);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, AfterInstall,
    ::testing::Values(AfterCase{"ReadmeAskedAndTaken", 2, A::click(1), A::click(1), false, true, true},
                      AfterCase{"ReadmeAskedAndUnticked", 2, [](QWidget* w) { A::check(1045)(w); A::click(1)(w); },
                                A::click(1), false, false, true},
                      AfterCase{"ReadmeDialogEscaped", 2, A::key(Qt::Key_Escape), A::click(1), false, false, true},
                      AfterCase{"ReadmeWithoutAsking", 1, nullptr, [](QWidget* w) { A::check(1040)(w); A::click(1)(w); },
                                false, true, false},
                      AfterCase{"NoReadmeFinishedEscaped", 0, nullptr, A::key(Qt::Key_Escape), true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dialogue, ExistingProgramGroupsAreListedAndThePickerFillsTheDestinationAndTabEndsOnTheButtons) {
    auto programs = machine.hostPath(machine.programsFolder() + "\\Games");
    ASSERT_TRUE(programs);
    fs::create_directories(*programs);
    testing_support::writeFile(programs->parent_path() / "loose.lnk", "not a group");
    auto discs = writeDiscs(product);
    auto chosen = machine.hostPath("C:\\Chosen");
    fs::create_directories(*chosen);
    SetupAnswerer answers("group-and-picker");
    answers.page(133, {A::click(1)})
        .page(134, {buttonsLastInTabOrder(), A::click(1)})
        .page(135, {buttonsLastInTabOrder(), A::type(1014, "Ann"), A::click(1)})
        .page(136, {buttonsLastInTabOrder(), A::custom([](QDialog* d) {
                        auto* list = d->findChild<QListWidget*>(QStringLiteral("1015.list"));
                        ASSERT_TRUE(list);
                        ASSERT_EQ(list->count(), 1);
                        EXPECT_EQ(list->item(0)->text().toStdString(), "Games");
                        list->setCurrentRow(0);
                    }),
                    A::expectText(1015, "Games"), A::click(1)})
        .page(137, {buttonsLastInTabOrder(), A::click(1)})
        .page(139, {buttonsLastInTabOrder(), A::click(1037), A::expectText(1035, "C:\\Chosen"), A::click(1)})
        // It opens at the field's folder, or at the part of it that is there.
        .picker("C:\\Chosen", "C:\\Program Files")
        .box(ReadyToInstall, QMessageBox::No)
        .box(InstallationNotCompleted, QMessageBox::Ok);
    EXPECT_EQ(runSetup(*discs), 1);
}

TEST_F(Dialogue, TestModeRefusesAReadmePathTooLongForItsField) {
    product.showWelcome = product.showLicense = product.showUser = product.showFinished = false;
    product.useProgramGroup = false;
    product.minimalOffered = product.customOffered = false;
    auto discs = writeDiscs(product);
    SetupAnswerer answers("long-readme");
    answers.page(139, {A::click(1)})
        .box(ReadyToInstall, QMessageBox::Yes)
        .progress(false)
        .page(142, {A::click(1)})
        .systemBox(std::string(20, 'x'));
    EXPECT_EQ(runSetup(*discs, {"Test", "C:\\" + std::string(300, 'x')}), 0);
    EXPECT_FALSE(hasLine(journal(machine), "notepad.exe"));
}
