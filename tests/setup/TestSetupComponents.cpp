// The Custom setup type: the component page with its check list, required components, Options
// dialog and component folders, installed from three discs.
#include "SetupAnswerer.h"
#include "SetupProducts.h"

#include "installer/logic/StringTable.h"
#include "installer/setup/CComponentsPage.h"
#include "installer/setup/CSortedListItem.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

namespace fs = std::filesystem;
using namespace setup_test;
using A = SetupAnswerer;

namespace {

std::string hostText(const platform::Machine& machine, const std::string& windowsPath) {
    auto host = machine.hostPath(windowsPath);
    if (!host || !fs::exists(*host)) return "<missing>";
    return testing_support::readFile(*host);
}

}  // namespace

TEST(ComponentPage, CustomInstallFromThreeDiscs) {
    testing_support::TempFolder sources("sources");
    auto product = smallProduct(sources.path());
    auto& p = product;
    p.components.push_back({.id = 2, .name = "Docs", .setupTypes = 0, .requiredId = 3,
                            .description = "Manuals for ^PRODUCTNAME^.", .destination = "^SETUPPATH^\\Docs",
                            .folderChangeable = true});
    p.components.push_back({.id = 3, .name = "Help", .setupTypes = 0, .destination = "^SETUPPATH^\\Help"});
    p.components.push_back({.id = 4, .name = "Extras", .setupTypes = 1, .destination = "^SETUPPATH^\\Extras"});
    p.components.push_back({.id = 5, .parentId = 4, .name = "Samples", .setupTypes = 1,
                            .destination = "^SETUPPATH^\\Samples"});
    p.components.push_back({.id = 6, .name = "Runtime", .visible = false, .setupTypes = 1,
                            .destination = "^SETUPPATH^\\Runtime"});
    const std::string guide = noise(30000, 2), help = noise(30000, 3), extras = noise(10000, 4),
                      samples = noise(20000, 5), runtime = noise(5000, 6), tool = noise(30000, 1);
    p.files.clear();
    addFile(p, sources.path(), 1, "tool.exe", tool);
    addFile(p, sources.path(), 1, "readme.txt", "Read me first.");
    p.files.back().readme = true;
    addFile(p, sources.path(), 2, "guide.txt", guide);
    addFile(p, sources.path(), 3, "help.txt", help);
    addFile(p, sources.path(), 4, "extras.dat", extras);
    addFile(p, sources.path(), 5, "sample.dat", samples);
    addFile(p, sources.path(), 6, "runtime.dll", runtime);
    auto discs = writeDiscs(product, 60000);
    ASSERT_EQ(discs->result.archiveSizes.size(), 3u);
    auto machine = openMachine();

    // Main, Docs, Help, Extras without Samples, and the hidden Runtime.
    const uint64_t chosen = tool.size() + 14 + guide.size() + help.size() + extras.size() + runtime.size();
    const std::string disc2 = machine.windowsPath(discs->disc(2));
    const std::string disc3 = machine.windowsPath(discs->disc(3));
    SetupAnswerer answers("custom");
    answers.page(133, {A::click(1)})
        .page(134, {A::click(1)})
        .page(135, {A::type(1014, "Ann"), A::click(1)})
        .page(136, {A::click(1)})
        .page(137, {A::check(1022), A::click(1)})
        .page(139, {A::type(1035, "C:\\Apps\\Tool"), A::click(1)})
        .page(138, {A::expectLine("Main", Qt::Checked), A::expectLine("Docs", Qt::Unchecked),
                    A::expectLine("Others", Qt::Checked, false), A::expectLine("Extras", Qt::Checked),
                    A::expectNoLine("Runtime"), A::expectNoLine("Samples"),
                    // Docs needs Help: asked, then both are checked.
                    A::toggleLine("Docs"), A::expectLine("Docs", Qt::Checked), A::expectLine("Help", Qt::Checked),
                    A::expectText(1032, "Manuals for Tool."), A::expectText(1033, "C:\\Apps\\Tool\\Docs"),
                    A::type(1033, "C:\\Manuals"),
                    // Unchecking Help would drop Docs: declined, nothing changes.
                    A::toggleLine("Help"), A::expectLine("Help", Qt::Checked),
                    A::selectLine("Extras"), A::click(1030),
                    A::expectLine("Extras", Qt::PartiallyChecked),
                    A::selectLine("Docs"), A::expectText(1033, "C:\\Manuals"),
                    A::expectText(1034, setup::CComponentsPage::FormatSizeK(chosen)), A::click(1)})
        .box(setup::ids::InstallAlsoRequired, QMessageBox::Yes)
        .box(setup::ids::SkipAlsoDependent, QMessageBox::No)
        .page(138, {A::expectLine("Extras", Qt::Checked, false), A::expectHidden(1004), A::expectText(1, "OK"),
                    A::clickCheckBox("Samples"), A::expectLine("Samples", Qt::Unchecked), A::click(1)})
        .box(setup::ids::ReadyToInstall, QMessageBox::Yes)
        .progress(false)
        .page(102, {A::type(1000, disc2), A::click(1)})
        // The picker opens at the disc named in the field, and hands back a folder without "\".
        .page(102, {A::click(1047), A::expectText(1000, disc3), A::click(1)})
        .picker(disc3, disc2)
        .page(142, {A::click(1)})
        .page(140, {A::check(1040), A::click(1)});
    EXPECT_EQ(runSetup(*discs), 0);

    EXPECT_EQ(hostText(machine, "C:\\Apps\\Tool\\tool.exe"), tool);
    EXPECT_EQ(hostText(machine, "C:\\Manuals\\guide.txt"), guide);
    EXPECT_EQ(hostText(machine, "C:\\Apps\\Tool\\Help\\help.txt"), help);
    EXPECT_EQ(hostText(machine, "C:\\Apps\\Tool\\Extras\\extras.dat"), extras);
    EXPECT_EQ(hostText(machine, "C:\\Apps\\Tool\\Samples\\sample.dat"), "<missing>");
    EXPECT_EQ(hostText(machine, "C:\\Apps\\Tool\\Runtime\\runtime.dll"), runtime);
    platform::Registry registry(machine);
    auto path = registry.queryValue(platform::RegRoot::CurrentUser, "Software\\Maker\\Tool", "Path");
    ASSERT_TRUE(path);
    EXPECT_EQ(std::string(path->data.begin(), path->data.end()), std::string("C:\\Apps\\Tool\0", 13));
    EXPECT_TRUE(registry.keyExists(platform::RegRoot::LocalMachine,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool 1.0")
                    .valueOr(false));
}

TEST(ComponentPage, SizesInWholeUnitsOf1024Bytes) {
    struct Case {
        uint64_t bytes;
        const char* text;
    } cases[] = {{0, "0 K"}, {1, "1 K"}, {300, "1 K"}, {511, "1 K"}, {512, "1 K"}, {1535, "1 K"}, {1536, "2 K"},
                 {10 * 1024 * 1024, "10240 K"}, {uint64_t(5) << 32, "20971520 K"}};
    for (const auto& c : cases) EXPECT_EQ(setup::CComponentsPage::FormatSizeK(c.bytes), c.text) << c.bytes;
}

namespace {

build::Product treeProduct(const fs::path& sources) {
    auto p = smallProduct(sources);
    p.showWelcome = p.showLicense = p.showUser = false;
    p.useProgramGroup = false;
    p.minimalOffered = p.normalOffered = false;  // Custom only: no setup-type page
    p.readmeMode = 0;
    p.components.push_back({.id = 4, .name = "Extras", .setupTypes = 1, .destination = "^SETUPPATH^\\Extras"});
    p.components.push_back({.id = 5, .parentId = 4, .name = "Samples", .setupTypes = 1,
                            .destination = "^SETUPPATH^\\Samples"});
    p.components.push_back({.id = 6, .name = "Runtime", .visible = false, .setupTypes = 1,
                            .destination = "^SETUPPATH^\\Runtime"});
    addFile(p, sources, 4, "extras.dat", "extras");
    addFile(p, sources, 5, "sample.dat", "sample");
    addFile(p, sources, 6, "runtime.dll", "runtime");
    return p;
}

}  // namespace

TEST(ComponentPage, OptionsCancelDropsChangesAndAnIndeterminateBoxClears) {
    testing_support::TempFolder sources("sources");
    auto discs = writeDiscs(treeProduct(sources.path()));
    SetupAnswerer answers("tree");
    answers.page(139, {A::click(1)})
        .page(138, {A::expectText(1034, "1 K"), A::selectLine("Extras"), A::click(1030),
                    A::expectLine("Extras", Qt::Checked), A::click(1030), A::expectLine("Extras", Qt::PartiallyChecked),
                    // A click on the indeterminate box clears Extras and everything below it.
                    A::toggleLine("Extras"), A::expectLine("Extras", Qt::Unchecked),
                    // The hidden components' line cannot become the current line, not even by the keyboard.
                    A::expectLine("Others", Qt::Checked, false),
                    A::custom([](QDialog* d) {
                        auto* list = d->findChild<QListWidget*>(QStringLiteral("999"));
                        list->setFocus();
                        QTest::keyClick(list, Qt::Key_End);
                        ASSERT_TRUE(list->currentItem());
                        EXPECT_FALSE(list->currentItem()->text().startsWith(QStringLiteral("Others")))
                            << list->currentItem()->text().toStdString();
                    }),
                    A::click(1)})
        .page(138, {A::toggleLine("Samples"), A::expectLine("Samples", Qt::Unchecked), A::click(2)})
        .page(138, {A::expectLine("Samples", Qt::Checked), A::toggleLine("Samples"), A::click(1)})
        .box(setup::ids::ReadyToInstall, QMessageBox::Yes)
        .progress(false)
        .page(140, {A::click(1)});
    EXPECT_EQ(runSetup(*discs), 0);
    auto machine = openMachine();
    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\tool.exe"), "program bytes");
    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\Runtime\\runtime.dll"), "runtime");
    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\Extras\\extras.dat"), "<missing>");
    EXPECT_EQ(hostText(machine, "C:\\Program Files\\Tool\\Samples\\sample.dat"), "<missing>");
}

TEST(ComponentPage, LookingAtAComponentDoesNotFixItsFolder) {
    testing_support::TempFolder sources("sources");
    auto discs = writeDiscs(treeProduct(sources.path()));
    SetupAnswerer answers("folder-follows-destination");
    answers.page(139, {A::click(1)})
        .page(138, {A::selectLine("Main"), A::expectText(1033, "C:\\Program Files\\Tool"), A::click(1004)})
        .page(139, {A::type(1035, "C:\\Elsewhere"), A::click(1)})
        .page(138, {A::selectLine("Main"), A::expectText(1033, "C:\\Elsewhere"), A::click(1)})
        .box(setup::ids::ReadyToInstall, QMessageBox::Yes)
        .progress(false)
        .page(140, {A::click(1)});
    EXPECT_EQ(runSetup(*discs), 0);
    EXPECT_EQ(hostText(openMachine(), "C:\\Elsewhere\\tool.exe"), "program bytes");
}

TEST(ComponentPage, SortedListsIgnoreCase) {
    application();
    QListWidget list;
    list.setSortingEnabled(true);
    for (const char* text : {"Zeta", "database", "Others", "tools", "Alpha"})
        list.addItem(new setup::CSortedListItem(QString::fromLatin1(text)));
    QStringList order;
    for (int i = 0; i < list.count(); ++i) order << list.item(i)->text();
    EXPECT_EQ(order.join(','), QStringLiteral("Alpha,database,Others,tools,Zeta"));
}
