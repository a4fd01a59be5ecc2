// The open-file dialog over the machine: drive C: is the machine's drive and Z: the host's root,
// files are chosen by marking them or by typing a name or a whole path, and every answer is a
// Windows path. A file that is not there is reported and the dialog stays open.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>

#include "core/CoreFixture.h"
#include "libraries/support/MachineFileDialog.h"
#include "libraries/support/support.h"
#include "platform/Machine.h"
#include "support/runtime/WidgetChecks.h"
#include "support/TempFolder.h"
#include "support/TestEnvironment.h"

namespace {

namespace fs = std::filesystem;
using pakomo::MachineFileDialog;

class MachineFileDialogTest : public core_test::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (const char* p :
             {"C:\\Source\\Bash\\NEWS.gz", "C:\\Source\\Bash\\README", "C:\\Source\\notes.txt"})
            onC(p, p);
        testing_support::writeFile(host / "doc" / "a.txt", "a");
        testing_support::writeFile(host / "doc" / "b.dat", "b");
    }
    void onC(const std::string& path, const std::string& content) {
        fs::path h = machine.hostPath(path).value();
        fs::create_directories(h.parent_path());
        testing_support::writeFile(h, content);
    }
    std::string z(const fs::path& p) const { return machine.windowsPath(p); }

    // A dialog shown at `folder` (not modal: the test acts in it and reads its answer).
    std::unique_ptr<MachineFileDialog> dialog(const std::string& folder, bool multiple = true,
                                              const std::string& filter = "All files (*.*),*.*") {
        runtime::FileOpenRequest request;
        request.title = "Select files";
        request.folder = folder;
        request.filter = filter;
        request.multiple = multiple;
        auto d = std::make_unique<MachineFileDialog>(machine, request, nullptr);
        d->show();
        core_test::settle();
        return d;
    }
    static std::vector<std::string> listed(const MachineFileDialog& d) {
        std::vector<std::string> out;
        for (int i = 0; i < d.files()->topLevelItemCount(); ++i)
            out.push_back(d.files()->topLevelItem(i)->text(0).toStdString());
        return out;
    }
    static void screenshot(QWidget* w, const std::string& name) {
        fs::path folder = testing_support::artefactFolder("authoring");
        fs::create_directories(folder);
        EXPECT_EQ(runtime::accessKeyClashes(w), std::vector<std::string>{}) << "access keys shared on " << name;
        w->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
    }

    platform::Machine machine = platform::Machine::open().value();
    testing_support::TempFolder host{"host"};
};

struct TypedCase {
    const char* name;
    std::string start;   // the folder the dialog opens at ("host" for the host's test folder)
    std::string typed;   // "<host>" stands for the host's test folder
    std::string folder;  // answered; "" when the dialog stays open
    std::vector<std::string> files;
    std::string says;  // part of the message shown; "" for none
};

void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.name; }

class TypedNames : public MachineFileDialogTest, public ::testing::WithParamInterface<TypedCase> {
protected:
    std::string expand(std::string s) const {
        const std::string mark = "<host>";
        for (size_t at; (at = s.find(mark)) != std::string::npos;)
            s.replace(at, mark.size(), host.path().string());
        const std::string zMark = "<Z>";
        for (size_t at; (at = s.find(zMark)) != std::string::npos;)
            s.replace(at, zMark.size(), z(host.path()));
        return s;
    }
};

TEST_P(TypedNames, AnswerWindowsPathsOrSayWhyNot) {
    const TypedCase& c = GetParam();
    auto d = dialog(expand(c.start));
    d->fileName()->setText(QString::fromStdString(expand(c.typed)));
    if (!c.says.empty()) boxes.answer(1);
    d->openButton()->click();
    core_test::settle();
    if (c.folder.empty()) {
        EXPECT_NE(d->result(), QDialog::Accepted);
        EXPECT_TRUE(d->isVisible()) << "the dialog stays open";
        EXPECT_EQ(d->answer().result, 0);
    } else {
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(d->answer().result, 1);
        EXPECT_EQ(d->answer().folder, expand(c.folder));
        EXPECT_EQ(d->answer().files, c.files);
    }
    if (c.says.empty()) {
        EXPECT_TRUE(boxes.shown().empty());
    } else {
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].title, "Select files");
        EXPECT_NE(boxes.shown()[0].text.find(expand(c.says)), std::string::npos) << boxes.shown()[0].text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, TypedNames,
    ::testing::Values(
        TypedCase{
            "name_in_the_folder_shown", "C:\\Source\\Bash", "NEWS.gz", "C:\\Source\\Bash", {"NEWS.gz"}, ""},
        TypedCase{"whole_C_path_in_other_letter_case",
                  "<Z>",
                  "c:\\source\\BASH\\news.gz",
                  "C:\\Source\\Bash",
                  {"NEWS.gz"},
                  ""},
        TypedCase{"Z_path", "C:\\", "<Z>\\doc\\a.txt", "<Z>\\doc", {"a.txt"}, ""},
        TypedCase{"host_path", "C:\\", "<host>/doc/a.txt", "<Z>\\doc", {"a.txt"}, ""},
        TypedCase{"path_from_the_root_of_the_drive_shown",
                  "C:\\Source\\Bash",
                  "\\Source\\notes.txt",
                  "C:\\Source",
                  {"notes.txt"},
                  ""},
        TypedCase{"several_names_in_quotes",
                  "C:\\Source\\Bash",
                  "\"README\" \"NEWS.gz\"",
                  "C:\\Source\\Bash",
                  {"README", "NEWS.gz"},
                  ""},
        TypedCase{"missing_file",
                  "C:\\Source",
                  "C:\\Source\\NEWS.gz",
                  "",
                  {},
                  "C:\\Source\\NEWS.gz\nFile not found."},
        TypedCase{"missing_name_in_quotes",
                  "C:\\Source\\Bash",
                  "\"README\" \"gone\"",
                  "",
                  {},
                  "C:\\Source\\Bash\\gone\nFile not found."},
        TypedCase{"drive_the_machine_has_not", "C:\\", "D:\\a.txt", "", {}, "D:\\a.txt"},
        TypedCase{"a_folder", "C:\\", "C:\\Source\\Bash", "", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MachineFileDialogTest, ATypedFolderIsOpenedAndItsFilesListed) {
    auto d = dialog("C:\\");
    d->fileName()->setText("c:\\source");
    d->openButton()->click();
    EXPECT_EQ(d->folder(), "C:\\Source");
    EXPECT_TRUE(d->fileName()->text().isEmpty());
    EXPECT_EQ(listed(*d), (std::vector<std::string>{"Bash", "notes.txt"})) << "folders first";
    EXPECT_EQ(d->folders()->currentItem()->text(0), "Source");
}

TEST_F(MachineFileDialogTest, BrowsesDrivesCAndZAndAnswersTheMarkedFiles) {
    auto d = dialog(z(host.path() / "doc"), true, "Text files,*.txt,All files (*.*),*.*");
    ASSERT_EQ(d->folders()->topLevelItemCount(), 2);
    EXPECT_EQ(d->folders()->topLevelItem(0)->text(0), "C:\\");
    EXPECT_EQ(d->folders()->topLevelItem(1)->text(0), "Z:\\");
    EXPECT_EQ(d->folder(), z(host.path() / "doc"));
    EXPECT_EQ(listed(*d), std::vector<std::string>{"a.txt"}) << "only the type chosen";
    d->fileTypes()->setCurrentIndex(1);
    EXPECT_EQ(listed(*d), (std::vector<std::string>{"a.txt", "b.dat"}));

    // A folder chosen in the tree is listed; marking files names them in the name field.
    QTreeWidgetItem* c = d->folders()->topLevelItem(0);
    c->setExpanded(true);
    QTreeWidgetItem* source = nullptr;
    for (int i = 0; i < c->childCount(); ++i)
        if (c->child(i)->text(0) == "Source") source = c->child(i);
    ASSERT_NE(source, nullptr);
    source->setExpanded(true);
    d->folders()->setCurrentItem(source->child(0));
    EXPECT_EQ(d->folder(), "C:\\Source\\Bash");
    EXPECT_EQ(listed(*d), (std::vector<std::string>{"NEWS.gz", "README"}));
    d->files()->topLevelItem(0)->setSelected(true);
    d->files()->topLevelItem(1)->setSelected(true);
    EXPECT_EQ(d->fileName()->text().toStdString(), "\"NEWS.gz\" \"README\"");
    screenshot(d.get(), "machine_file_dialog");
    d->openButton()->click();
    EXPECT_EQ(d->answer().folder, "C:\\Source\\Bash");
    EXPECT_EQ(d->answer().files, (std::vector<std::string>{"NEWS.gz", "README"}));
}

// A folder deeper than the 260 characters of a Windows path buffer is answered whole: whether a
// path fits is for the caller to say.
TEST_F(MachineFileDialogTest, ALongFolderIsAnsweredWhole) {
    std::string folder = "C:\\Source";
    while (folder.size() < 300) folder += "\\" + std::string(40, 'd');
    onC(folder + "\\long.txt", "long");
    auto d = dialog(folder);
    EXPECT_EQ(d->folder(), folder);
    EXPECT_EQ(listed(*d), std::vector<std::string>{"long.txt"});
    d->files()->topLevelItem(0)->setSelected(true);
    d->fileName()->clear();
    d->openButton()->click();
    EXPECT_EQ(d->answer().folder, folder);
    EXPECT_EQ(d->answer().files, std::vector<std::string>{"long.txt"});
}

TEST_F(MachineFileDialogTest, OpensAtTheNearestFolderThatIsThereAndChoosesFolders) {
    auto d = dialog("C:\\Source\\Gone\\Deeper");
    EXPECT_EQ(d->folder(), "C:\\Source");
    auto e = dialog("Q:\\nowhere");
    EXPECT_EQ(e->folder(), "C:\\");

    runtime::FileOpenRequest request;
    request.title = "Choose folder";
    request.folder = "C:\\Source\\Bash";
    request.folderOnly = true;
    MachineFileDialog f(machine, request, nullptr);
    f.show();
    EXPECT_FALSE(f.files()->isVisible());
    f.openButton()->click();
    EXPECT_EQ(f.answer().result, 1);
    EXPECT_EQ(f.answer().folder, "C:\\Source\\Bash");
    EXPECT_TRUE(f.answer().files.empty());
}

// Whatever dialog answers, the support library hands Windows paths on: a host folder is the
// host's root as Z:.
TEST_F(MachineFileDialogTest, TheSupportLibraryAnswersWindowsPaths) {
    fileDialogs.answer({1, (host.path() / "doc").string(), {"a.txt"}});
    std::string path(260, ' ');
    std::vector<std::string> files(32, std::string(260, ' '));
    ASSERT_EQ(
        pakomo::GetOpenFileNameMulti(0, "Select files", path, files, 32, "", "All files (*.*),*.*", "."), 1);
    EXPECT_EQ(path, z(host.path() / "doc"));
    fileDialogs.answer({1, (host.path() / "doc").string(), {}});
    std::string title = "Choose", chosen;
    pakomo::BrowseForFolder(0, title, chosen);
    EXPECT_EQ(chosen, z(host.path() / "doc"));
    EXPECT_TRUE(fileDialogs.take().at(1).folderOnly);
}

}  // namespace
