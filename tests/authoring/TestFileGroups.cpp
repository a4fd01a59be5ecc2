// The file-group service on a product's rows: new ids, deleting files and groups under the
// caller's filter, saving the groups, adding files through the open-file dialog, and the search
// for files named more than once.
#include <gtest/gtest.h>

#include <algorithm>

#include "authoring/FilesFixture.h"
#include "authoring/project/u_ds_duplicate_files.h"
#include "authoring/windows/w_handle_duplicate_files.h"

using namespace pakomo;
using runtime::Buffer;
using runtime::Value;

namespace authoring_test {
namespace {

class FileGroups : public FilesFixture {};

TEST_F(FileGroups, NewIdsFollowTheHighestIdHeldEvenHiddenOrDeleted) {
    nv_filegrp& s = load(
        {groupRow(1, "A"), groupRow(2, "B"), groupRow(7, "C")},
        {fileRow(1, 1, "C:\\a"), fileRow(2, 2, "C:\\b"), fileRow(8, 2, "C:\\c"), fileRow(9, 7, "C:\\c")});
    // A deleted row keeps its id taken until the deletion is saved; so do rows the caller's
    // filter hides.
    ASSERT_TRUE(s.fnv_delete_file(9));
    files->fu_set_filter("filegrpid = 1");
    long row = s.fnv_insert_file(" C:\\New Path.TXT", 1);
    EXPECT_EQ(files->getItem(row, "id").toInt(), 10);
    EXPECT_EQ(files->getItem(row, "prodid").toInt(), 1);
    EXPECT_EQ(files->getItem(row, "filegrpid").toInt(), 1);
    EXPECT_EQ(files->getItemString(row, "path"), " C:\\New Path.TXT") << "the path is stored as given";
    EXPECT_EQ(files->getItem(row, "readme").toInt(), 0);
    EXPECT_EQ(files->getItem(s.fnv_insert_file("C:\\d", 1), "id").toInt(), 11);
    files->fu_restore_filter();

    long g = s.fnv_insert_filegrp("Docs");
    EXPECT_EQ(groups->getItem(g, "id").toInt(), 8);
    EXPECT_EQ(groups->getItemString(g, "name"), "Docs");
    EXPECT_EQ(groups->getItem(g, "prodid").toInt(), 1);
    long g2 = s.fnv_insert_filegrp("Help", 3);
    EXPECT_EQ(groups->getItem(g2, "id").toInt(), 9);
    EXPECT_EQ(groups->getItem(g2, "proggrpid").toInt(), 3);
}

TEST_F(FileGroups, TheFirstIdsOfAnEmptyProductAreOne) {
    nv_filegrp& s = load({}, {});
    EXPECT_EQ(groups->getItem(s.fnv_insert_filegrp("A"), "id").toInt(), 1);
    EXPECT_EQ(files->getItem(s.fnv_insert_file("C:\\x", 1), "id").toInt(), 1);
    EXPECT_EQ(files->getItem(s.fnv_insert_file("C:\\y", 1), "id").toInt(), 2);
}

TEST_F(FileGroups, APathLongerThanTheColumnIsNotInserted) {
    nv_filegrp& s = load({groupRow(1, "A")}, {});
    EXPECT_EQ(s.fnv_insert_file("C:\\" + std::string(252, 'x'), 1), -1);
    EXPECT_EQ(files->rowCount() + files->deletedCount(), 0);
    EXPECT_EQ(s.fnv_insert_file("C:\\" + std::string(251, 'x'), 1), 1);
}

TEST_F(FileGroups, FindingAndDeletingAFileThatIsNotLoaded) {
    nv_filegrp& s = load({groupRow(1, "A")}, {fileRow(4, 1, "C:\\a")});
    EXPECT_EQ(s.fnv_find_file_row(4), 1);
    EXPECT_EQ(s.fnv_find_file_row(5), 0);
    EXPECT_FALSE(s.fnv_delete_file(5));
    EXPECT_EQ(files->deletedCount(), 0);
    EXPECT_TRUE(s.fnv_delete_file(4));
    EXPECT_EQ(files->deletedCount(), 1);
}

TEST_F(FileGroups, DeletingAGroupDeletesItsFilesAndKeepsTheCallersFilter) {
    nv_filegrp& s = load(
        {groupRow(1, "A"), groupRow(2, "B"), groupRow(3, "Empty")},
        {fileRow(1, 1, "C:\\a"), fileRow(2, 2, "C:\\b"), fileRow(3, 1, "C:\\c"), fileRow(4, 1, "C:\\d")});
    files->fu_set_filter("filegrpid = 2");
    ASSERT_TRUE(s.fnv_delete_filegrp(1));
    EXPECT_EQ(groups->deletedCount(), 1);
    EXPECT_EQ(files->deletedCount(), 3);
    EXPECT_EQ(files->fu_get_filter(), "filegrpid = 2");
    EXPECT_EQ(ids(*files), (std::vector<long>{2}));

    ASSERT_TRUE(s.fnv_delete_filegrp(3));
    EXPECT_EQ(groups->deletedCount(), 2);
    EXPECT_EQ(files->deletedCount(), 3) << "a group without files deletes only itself";

    EXPECT_FALSE(s.fnv_delete_filegrp(5));
    EXPECT_EQ(groups->deletedCount(), 2);
    files->fu_restore_filter();

    // Saved, the database holds what the row sets hold.
    EXPECT_EQ(files->update(), 1);
    EXPECT_EQ(s.fnv_update_filegrp(), 1);
    ASSERT_EQ(application().sqlca.commit(), 0);
    EXPECT_EQ(count("FILE"), 1);
    EXPECT_EQ(count("FILEGRP"), 1);
}

TEST_F(FileGroups, AGroupWhoseFileHasNoIdIsDeletedWithoutHanging) {
    nv_filegrp& s = load({groupRow(1, "A")}, {fileRow(1, 1, "C:\\a")});
    long row = files->insertRow(0);
    files->setItem(row, "filegrpid", 1);
    ASSERT_TRUE(s.fnv_delete_filegrp(1));
    EXPECT_EQ(files->rowCount(), 0);
}

TEST_F(FileGroups, SavingTheGroupsLeavesTheFilesUnsaved) {
    nv_filegrp& s = load({}, {});
    settings().fnv_set_compiled(1);
    long g = s.fnv_insert_filegrp("A");
    s.fnv_insert_file("C:\\a", groups->getItem(g, "id").toInt());
    EXPECT_EQ(s.fnv_update_filegrp(), 1);
    EXPECT_EQ(settings().fnv_get_compiled(7), 0u) << "the product must be built again";
    ASSERT_EQ(application().sqlca.commit(), 0);
    EXPECT_EQ(count("FILEGRP"), 1);
    EXPECT_EQ(count("FILE"), 0);
    EXPECT_EQ(files->modifiedCount(), 1);
}

TEST_F(FileGroups, UsingTheServiceBeforeItHasRowsIsARuntimeError) {
    auto s = runtime::create<nv_filegrp>();
    EXPECT_ANY_THROW(s->fnv_find_file_row(1));
    EXPECT_ANY_THROW(s->fnv_insert_filegrp("A"));
    runtime::destroy(s);
}

struct AddCase {
    const char* name;
    std::string folder;
    std::vector<std::string> names;
    std::vector<std::string> paths;
};

void PrintTo(const AddCase& c, std::ostream* os) { *os << c.name; }

class AddingFiles : public FilesFixture, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddingFiles, TheChosenNamesJoinTheirFolderInOrderAndTheFolderIsKept) {
    nv_filegrp& s = load({groupRow(3, "A")}, {});
    const AddCase& c = GetParam();
    fileDialogs.answer({1, c.folder, c.names});
    ASSERT_TRUE(s.fnv_add_file(0, 3));
    std::vector<runtime::FileOpenRequest> requests = fileDialogs.take();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Select files");
    EXPECT_EQ(requests[0].filter, "All files (*.*),*.*");
    EXPECT_EQ(requests[0].folder, ".");
    EXPECT_TRUE(requests[0].multiple);
    // Ids follow the order of the names.
    std::vector<std::string> paths(static_cast<size_t>(files->rowCount()));
    for (long row = 1; row <= files->rowCount(); ++row) {
        EXPECT_EQ(files->getItem(row, "filegrpid").toInt(), 3);
        paths.at(static_cast<size_t>(files->getItem(row, "id").toInt() - 1)) =
            files->getItemString(row, "path");
    }
    EXPECT_EQ(paths, c.paths);
    EXPECT_EQ(settings().fnv_get_selectfiles_path("."), c.folder);
    // The next dialog of the product opens where the last one ended.
    fileDialogs.answer({0, "", {}});
    EXPECT_FALSE(s.fnv_add_file(0, 3));
    EXPECT_EQ(fileDialogs.take().at(0).folder, c.folder);
}

std::vector<std::string> names(int n) {
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i) out.push_back("f" + std::to_string(i));
    return out;
}

std::vector<std::string> paths(int n) {
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i) out.push_back("D:\\f" + std::to_string(i));
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, AddingFiles,
    ::testing::Values(AddCase{"folder", "C:\\Src", {"b.txt", "a.txt"}, {"C:\\Src\\b.txt", "C:\\Src\\a.txt"}},
                      AddCase{"drive_root", "C:\\", {"a.txt"}, {"C:\\a.txt"}},
                      AddCase{"at_most_32", "D:", names(40), paths(32)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileGroups, CancellingTheDialogAddsNothingAndKeepsTheFolder) {
    nv_filegrp& s = load({groupRow(1, "A")}, {});
    settings().fnv_set_selectfiles_path("C:\\Before");
    fileDialogs.answer({0, "", {}});
    EXPECT_FALSE(s.fnv_add_file(0, 1));
    EXPECT_EQ(files->rowCount(), 0);
    EXPECT_EQ(fileDialogs.take().at(0).folder, "C:\\Before");
    EXPECT_EQ(settings().fnv_get_selectfiles_path("."), "C:\\Before");
}

TEST_F(FileGroups, AChosenFileWhosePathDoesNotFitIsLeftOutAndNamed) {
    nv_filegrp& s = load({groupRow(1, "A")}, {});
    const std::string longName(250, 'n');
    fileDialogs.answer({1, "C:\\Src", {"a.txt", longName}});
    boxes.answer(1);
    EXPECT_TRUE(s.fnv_add_file(0, 1));
    EXPECT_EQ(fileDialogs.take().size(), 1u);
    ASSERT_EQ(files->rowCount(), 1);
    EXPECT_EQ(files->getItemString(1, "path"), "C:\\Src\\a.txt");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("C:\\Src\\" + longName), std::string::npos);
}

TEST_F(FileGroups, AddingAPathThatIsThereOpensTheDuplicateFilesDialog) {
    nv_filegrp& s = load({groupRow(1, "A"), groupRow(2, "B")}, {fileRow(1, 1, "C:\\Src\\App.exe")});
    int opened = 0;
    whenOpen("w_handle_duplicate_files", [&](runtime::Window& w) {
        ++opened;
        auto& d = dynamic_cast<w_handle_duplicate_files&>(w);
        EXPECT_EQ(d.lv_1->totalItems(), 2);
        d.cb_2->click();
    });
    fileDialogs.answer({1, "c:\\src", {"app.exe"}});
    EXPECT_TRUE(s.fnv_add_file(0, 2));
    core_test::settle();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(files->rowCount(), 2) << "closed without removing anything";
    // New paths only: no window, no message.
    fileDialogs.answer({1, "C:\\Other", {"x.dll"}});
    EXPECT_TRUE(s.fnv_add_file(0, 2));
    EXPECT_EQ(files->rowCount(), 3);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(fileDialogs.take().size(), 2u);
}

struct DupCase {
    const char* name;
    std::vector<std::string> groups;
    std::vector<std::string> files;
    std::vector<std::string> listed;  // "id|file|filegrp"
};

void PrintTo(const DupCase& c, std::ostream* os) { *os << c.name; }

class DuplicateSearch : public FilesFixture, public ::testing::WithParamInterface<DupCase> {};

TEST_P(DuplicateSearch, ListsEveryCopyGroupedByPath) {
    nv_filegrp& s = load(GetParam().groups, GetParam().files);
    auto dups = runtime::create<u_ds_duplicate_files>();
    long n = s.fnv_get_duplicate_files(*dups);
    std::vector<std::string> listed;
    for (long r = 1; r <= dups->rowCount(); ++r)
        listed.push_back(dups->getItemString(r, "name_1") + "|" + dups->getItemString(r, "file") + "|" +
                         dups->getItemString(r, "filegrp"));
    EXPECT_EQ(n, static_cast<long>(listed.size()));
    EXPECT_EQ(listed, GetParam().listed);
    runtime::destroy(dups);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DuplicateSearch,
    ::testing::Values(DupCase{"case_and_blanks_across_groups",
                              {groupRow(1, "A"), groupRow(2, "B")},
                              {fileRow(1, 1, "C:\\App\\Main.EXE"), fileRow(2, 2, "  c:\\app\\main.exe "),
                               fileRow(3, 1, "C:\\x")},
                              {"1|C:\\App\\Main.EXE|A", "2|c:\\app\\main.exe|B"}},
                      DupCase{"three_in_one_group",
                              {groupRow(1, "A")},
                              {fileRow(5, 1, "C:\\a"), fileRow(6, 1, "C:\\a"), fileRow(7, 1, "C:\\a")},
                              {"5|C:\\a|A", "6|C:\\a|A", "7|C:\\a|A"}},
                      DupCase{"two_runs_between_others",
                              {groupRow(1, "A")},
                              {fileRow(1, 1, "C:\\z"), fileRow(2, 1, "C:\\b"), fileRow(3, 1, "C:\\m"),
                               fileRow(4, 1, "C:\\b"), fileRow(5, 1, "C:\\z"), fileRow(6, 1, "C:\\a")},
                              {"2|C:\\b|A", "4|C:\\b|A", "1|C:\\z|A", "5|C:\\z|A"}},
                      DupCase{"one_file_two_spellings",
                              {groupRow(1, "A")},
                              {fileRow(1, 1, "C:\\dir\\a"), fileRow(2, 1, "C:/dir/a"),
                               fileRow(3, 1, "C:\\dir\\..\\dir\\a")},
                              {}},
                      DupCase{"group_not_loaded_is_left_out",
                              {groupRow(1, "A")},
                              {fileRow(1, 1, "C:\\a"), fileRow(2, 9, "C:\\a")},
                              {"1|C:\\a|A"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The ids of the rows that another row shares its path with, by comparing every pair: what the
// search must find, however the rows got there.
std::vector<long> duplicatedIds(runtime::DataStore& rows) {
    auto key = [&](long r) {
        return rows.getItem(r, "path").isNull()
                   ? std::string("\x01null") + std::to_string(r)
                   : runtime::lower(runtime::trim(rows.getItemString(r, "path")));
    };
    std::vector<long> out;
    for (long a = 1; a <= rows.rowCount(); ++a)
        for (long b = 1; b <= rows.rowCount(); ++b)
            if (a != b && key(a) == key(b)) {
                out.push_back(static_cast<long>(rows.getItem(a, "id").toInt()));
                break;
            }
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(FileGroups, TheSearchSeesEveryChangeSinceTheLastOne) {
    nv_filegrp& s = load({groupRow(1, "A"), groupRow(2, "B")},
                         {fileRow(1, 1, "C:\\a"), fileRow(2, 2, "C:\\b"), fileRow(3, 1, "C:\\c")});
    auto found = [&] {
        auto dups = runtime::create<u_ds_duplicate_files>();
        s.fnv_get_duplicate_files(*dups);
        std::vector<long> ids;
        for (long r = 1; r <= dups->rowCount(); ++r)
            ids.push_back(static_cast<long>(dups->getItem(r, "name_1").toInt()));
        runtime::destroy(dups);
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    int dialogs = 0;
    auto closeDialogs = [&] {
        whenOpen("w_handle_duplicate_files", [&](runtime::Window& w) {
            ++dialogs;
            dynamic_cast<w_handle_duplicate_files&>(w).cb_2->click();
        });
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<long> expected;
    };
    const std::vector<Step> steps = {
        {"none", [] {}, {}},
        {"new paths through the dialog",
         [&] {
             fileDialogs.answer({1, "C:\\New", {"x", "y"}});
             s.fnv_add_file(0, 1);
         },
         {}},
        {"one already there, in other letters, through the dialog",
         [&] {
             closeDialogs();
             fileDialogs.answer({1, "c:", {"B "}});
             s.fnv_add_file(0, 1);
             core_test::settle();
         },
         {2, 6}},
        {"the copy deleted", [&] { s.fnv_delete_file(6); }, {}},
        {"two alike in one answer",
         [&] {
             closeDialogs();
             fileDialogs.answer({1, "C:\\Twice", {"t", "T"}});
             s.fnv_add_file(0, 2);
             core_test::settle();
         },
         {6, 7}},  // the copy never was saved, so its id is free again
        {"one of them renamed",
         [&] { files->setItem(s.fnv_find_file_row(7), "path", Value("C:\\c")); },
         {3, 7}},
        {"one of the pair hidden", [&] { files->fu_set_filter("id <> 3"); }, {}},
        {"shown again", [&] { files->fu_restore_filter(); }, {3, 7}},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(duplicatedIds(*files), step.expected) << step.what;
        EXPECT_EQ(found(), step.expected) << step.what;
    }
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(fileDialogs.take().size(), 3u);
}

TEST_F(FileGroups, NullPathsAreNeverDuplicates) {
    nv_filegrp& s = load({groupRow(1, "A")}, {});
    for (int i = 0; i < 2; ++i) files->setItem(files->insertRow(0), "filegrpid", 1);
    auto dups = runtime::create<u_ds_duplicate_files>();
    EXPECT_EQ(s.fnv_get_duplicate_files(*dups), 0);
    runtime::destroy(dups);
}

TEST_F(FileGroups, NoDuplicatesSaysSoOnlyWhenAskedFromTheMenu) {
    nv_filegrp& s = load({groupRow(1, "A")}, {fileRow(1, 1, "C:\\a"), fileRow(2, 1, "C:\\b")});
    EXPECT_FALSE(s.fnv_handle_duplicate_files(false));
    EXPECT_TRUE(boxes.shown().empty());
    boxes.answer(1);
    EXPECT_FALSE(s.fnv_handle_duplicate_files(true));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Hello 1.00.00");
    EXPECT_EQ(boxes.shown()[0].text, "No duplicate files.");
    EXPECT_EQ(boxes.shown()[0].icon, runtime::MessageIcon::Information);
    EXPECT_EQ(boxes.shown()[0].buttons, runtime::MessageButtons::Ok);
}

}  // namespace
}  // namespace authoring_test
