// The file list as the file-group service fills and serves it: items, sizes and times, the
// pictures of the flags, sorting by each column, the totals line, renaming in place, and the
// file actions on the selected items.
#include <gtest/gtest.h>
#include <utime.h>

#include <QTreeWidget>
#include <algorithm>

#include "authoring/FilesFixture.h"
#include "authoring/windows/w_handle_duplicate_files.h"
#include "standard/str_listviewsort.h"

using namespace pakomo;
using runtime::Value;

namespace authoring_test {
namespace {

class FileList : public FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        window = runtime::create<w_a>();
        lv = window->addControl<u_lv_fileview_a>("lv_1");
        st = window->addControl<runtime::StaticText>("st_1");
        window->open();
        lv->fu_set_columns(1096, 256, 528);
    }
    void TearDown() override {
        if (window) window->close();
        FilesFixture::TearDown();
    }
    // A file of the machine with `size` bytes written at `seconds` after 1970.
    void disk(const std::string& path, size_t size, long seconds) {
        writeMachineFile(path, std::string(size, 'x'));
        utimbuf times{seconds, seconds};
        ASSERT_EQ(utime(machine.hostPath(path).value().c_str(), &times), 0);
    }
    void show(long group) {
        lv->inv_filegrp = runtime::Ref<nv_a>(service_.get());
        lv->deleteItems();
        service_->fnv_populate_fileview(*lv, group);
    }
    runtime::ListViewItem at(int i) {
        runtime::ListViewItem item;
        lv->getItem(i, item);
        return item;
    }
    std::string column(int i, int c) {
        std::string text;
        lv->getItem(i, c, text);
        return text;
    }
    std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (int i = 1; i <= lv->totalItems(); ++i) out.push_back(at(i).label);
        return out;
    }
    void selectOnly(std::initializer_list<int> indexes) {
        for (int i = 1; i <= lv->totalItems(); ++i) {
            runtime::ListViewItem item = at(i);
            item.selected = std::find(indexes.begin(), indexes.end(), i) != indexes.end();
            lv->setItem(i, item);
        }
    }
    runtime::Ref<w_a> window;
    runtime::Ref<u_lv_fileview_a> lv;
    runtime::Ref<runtime::StaticText> st;
};

TEST_F(FileList, FillingShowsOneGroupsFilesWithSizeTimeAndSortKeys) {
    disk("C:\\Data\\a.txt", 1000, 1000000000);
    disk("C:\\Data\\b.txt", 2000, 1100000000);
    disk("C:\\Data\\c.txt", 500, 900000000);
    load(
        {groupRow(1, "A"), groupRow(2, "B")},
        {fileRow(1, 1, "C:\\Data\\a.txt"), fileRow(2, 1, "C:\\Data\\b.txt"), fileRow(3, 2, "C:\\Data\\x.txt"),
         fileRow(4, 1, "C:\\Data\\c.txt"), fileRow(5, 1, "C:\\Data\\gone.txt")});
    files->fu_set_filter("filegrpid = 2");
    show(1);
    EXPECT_EQ(files->fu_get_filter(), "filegrpid = 2") << "the caller's filter is back";
    EXPECT_EQ(labels(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "gone.txt"}));
    EXPECT_EQ(column(1, 2), "1000");
    EXPECT_EQ(column(3, 2), "500");
    EXPECT_EQ(column(4, 2), "0");
    EXPECT_EQ(column(4, 3), "<Unknown>");
    EXPECT_NE(column(1, 3), "<Unknown>");
    const str_listviewsort* r = at(2).data.toRecord<str_listviewsort>();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->l_id, 2u);
    EXPECT_EQ(r->sort1, "0000002000");
    EXPECT_EQ(r->sort2.size(), 14u);
    EXPECT_EQ(at(4).data.toRecord<str_listviewsort>()->sort2, "");

    service_->fnv_show_file_info(*lv, *st);
    EXPECT_EQ(st->text(), "4 files, 3,500 bytes.");

    struct Order {
        int column;
        std::vector<std::string> up;
    };
    for (const Order& o : {Order{2, {"gone", "c", "a", "b"}}, Order{3, {"gone", "c", "a", "b"}},
                           Order{1, {"a", "b", "c", "gone"}}}) {
        lv->trigger("columnclick", {o.column});
        std::vector<std::string> want;
        for (const std::string& n : o.up) want.push_back(n + ".txt");
        EXPECT_EQ(labels(), want) << "column " << o.column << " ascending";
        lv->trigger("columnclick", {o.column});
        std::reverse(want.begin(), want.end());
        EXPECT_EQ(labels(), want) << "column " << o.column << " descending";
    }
}

TEST_F(FileList, TheComparisonOfTheService) {
    load({groupRow(1, "A")}, {fileRow(1, 1, "C:\\B"), fileRow(2, 1, "C:\\a"), fileRow(3, 1, "C:\\B")});
    show(1);
    // Letter case counts; equal keys answer 1 either way round; a column beyond the third 0.
    ASSERT_EQ(labels(), (std::vector<std::string>{"a", "B", "B"}));
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 1, 2, 1, 1), 1);
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 2, 1, 1, 1), -1);
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 2, 3, 1, 1), 1);
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 3, 2, 1, 1), 1);
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 2, 3, 2, 2), -1);
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 1, 2, 1, 2), -1);
    EXPECT_EQ(service_->fnv_sort_lv(*lv, 1, 2, 4, 1), 0);
}

// A list with a fourth column shows each file's folder there, sorts by it, and keeps it current
// when a file is renamed; host paths of earlier versions show their host folder.
TEST_F(FileList, TheFolderColumnBesideTheName) {
    lv->addColumn("Folder", runtime::Alignment::Left, 1400);
    load({groupRow(1, "A")}, {fileRow(1, 1, "C:\\Source\\Bash\\NEWS.gz"), fileRow(2, 1, "C:\\a.txt"),
                              fileRow(3, 1, "Z:\\home\\u\\doc\\b.txt"), fileRow(4, 1, "/home/u/src\\old.c"),
                              fileRow(5, 1, "bare")});
    show(1);
    std::vector<std::string> shown;
    for (int i = 1; i <= lv->totalItems(); ++i) shown.push_back(at(i).label + "|" + column(i, 4));
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"NEWS.gz|C:\\Source\\Bash", "a.txt|C:\\",
                                               "b.txt|Z:\\home\\u\\doc", "bare|", "old.c|/home/u/src"}));
    lv->trigger("columnclick", {4});
    EXPECT_EQ(labels(), (std::vector<std::string>{"bare", "old.c", "a.txt", "NEWS.gz", "b.txt"}));

    runtime::ListViewItem item = at(3);
    ASSERT_EQ(item.label, "a.txt");
    service_->fnv_filename_changed(*lv, 3, "D:\\Other\\a.txt");
    EXPECT_EQ(column(3, 4), "D:\\Other");
}

TEST_F(FileList, TotalsOfOneFileAndOfNone) {
    disk("C:\\one.txt", 12, 1000000000);
    load({groupRow(1, "A"), groupRow(2, "B")}, {fileRow(1, 1, "C:\\one.txt")});
    show(1);
    service_->fnv_show_file_info(*lv, *st);
    EXPECT_EQ(st->text(), "1 file, 12 bytes.");
    show(2);
    EXPECT_EQ(lv->totalItems(), 0);
    service_->fnv_show_file_info(*lv, *st);
    EXPECT_EQ(st->text(), "0 files, 0 bytes.");
}

TEST_F(FileList, ThePictureShowsTheFlagsThatAreExactlyOne) {
    struct Flags {
        int readme, exe, shared, picture;
    };
    const std::vector<Flags> table = {{0, 0, 0, 0}, {1, 0, 0, 2}, {0, 1, 0, 1}, {1, 1, 0, 4}, {0, 0, 1, 3},
                                      {1, 0, 1, 7}, {0, 1, 1, 6}, {1, 1, 1, 5}, {2, 0, 0, 0}, {0, 2, 2, 0}};
    std::vector<std::string> rows;
    for (size_t i = 0; i < table.size(); ++i)
        rows.push_back(fileRow(static_cast<int>(i + 1), 1, "C:\\f" + std::to_string(i), table[i].readme,
                               table[i].exe, table[i].shared));
    load({groupRow(1, "A")}, rows);
    long nulls = files->insertRow(0);
    files->setItem(nulls, "id", 99);
    files->setItem(nulls, "filegrpid", 1);
    files->setItem(nulls, "path", "C:\\nulls");
    for (const char* flag : {"readme", "exe", "shared"}) files->setItem(nulls, flag, Value());
    show(1);
    ASSERT_EQ(lv->totalItems(), static_cast<int>(table.size()) + 1);
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(at(static_cast<int>(i + 1)).pictureIndex, table[i].picture) << "row " << i + 1;
    EXPECT_EQ(at(lv->totalItems()).pictureIndex, 0) << "null flags";
}

TEST_F(FileList, RenamingStoresThePathAndLooksForDuplicates) {
    disk("C:\\New\\big.bin", 4096, 1000000000);
    load({groupRow(1, "A")}, {fileRow(1, 1, "C:\\Old\\a.bin"), fileRow(2, 1, "C:\\Keep\\b.bin")});
    show(1);
    auto rename = [this](long id, const char* name) {
        for (int i = 1; i <= lv->totalItems(); ++i)
            if (at(i).data.toRecord<str_listviewsort>()->l_id == id) {
                lv->tree()->topLevelItem(i - 1)->setText(0, name);
                core_test::settle();
                return i;
            }
        return 0;
    };
    auto path = [this](long id) {
        return files->getItemString(files->find("id = " + std::to_string(id), 1, files->rowCount()), "path");
    };
    // A name typed keeps the file's folder.
    int i = rename(2, "c.bin");
    EXPECT_EQ(at(i).label, "c.bin");
    EXPECT_EQ(path(2), "C:\\Keep\\c.bin");
    rename(2, "b.bin");
    // A whole path typed is the new path; the label shows its name.
    i = rename(1, "C:\\New\\big.bin");
    EXPECT_EQ(at(i).label, "big.bin");
    EXPECT_EQ(column(i, 2), "4096");
    EXPECT_EQ(at(i).data.toRecord<str_listviewsort>()->sort1, "0000004096");
    EXPECT_EQ(path(1), "C:\\New\\big.bin");
    EXPECT_FALSE(lv->ib_update_view);

    // A path another file has: the dialog comes, and what it did is reported.
    whenOpen("w_handle_duplicate_files", [](runtime::Window& w) {
        auto& d = dynamic_cast<w_handle_duplicate_files&>(w);
        ASSERT_EQ(d.lv_1->totalItems(), 2);
        d.lv_1->tree()->topLevelItem(1)->setSelected(true);
        d.cb_delete->click();
        core_test::settle();
        d.cb_2->click();
    });
    rename(1, "c:\\keep\\B.BIN");
    EXPECT_TRUE(lv->ib_update_view);
    EXPECT_EQ(files->deletedCount(), 1);

    // An item whose file has no row changes, and nothing else does.
    runtime::ListViewItem orphan;
    str_listviewsort sort;
    sort.l_id = 77;
    orphan.data = Value::record(sort);
    orphan.label = "C:\\x";
    int o = lv->addItem(orphan);
    const long modified = files->modifiedCount();
    EXPECT_FALSE(service_->fnv_filename_changed(*lv, static_cast<int16_t>(o), "C:\\New\\big.bin"));
    EXPECT_EQ(column(o, 2), "4096");
    EXPECT_EQ(files->modifiedCount(), modified);
}

TEST_F(FileList, ActionsOnTheSelectedItems) {
    std::vector<std::string> rows;
    for (int i = 1; i <= 6; ++i) rows.push_back(fileRow(i, 1, "C:\\f" + std::to_string(i), 0, 0, i % 2));
    load({groupRow(1, "A"), groupRow(2, "B")}, rows);
    show(1);

    selectOnly({2, 3, 5});
    service_->fnv_file_action(*lv, nv_filegrp::action_delete, 0);
    EXPECT_EQ(labels(), (std::vector<std::string>{"f1", "f4", "f6"}));
    EXPECT_EQ(files->deletedCount(), 0) << "the rows are the caller's to delete";

    selectOnly({1, 2, 3});
    service_->fnv_file_action(*lv, nv_filegrp::action_all_shared, 0);
    for (long id : {1, 4, 6})
        EXPECT_EQ(files->getItem(files->find("id = " + std::to_string(id), 1, 6), "shared").toInt(), 1);
    EXPECT_EQ(at(2).pictureIndex, 3);
    selectOnly({2});
    service_->fnv_file_action(*lv, nv_filegrp::action_all_not_shared, 0);
    EXPECT_EQ(files->getItem(files->find("id = 4", 1, 6), "shared").toInt(), 0);
    EXPECT_EQ(at(2).pictureIndex, 0);

    selectOnly({1, 3});
    service_->fnv_file_action(*lv, nv_filegrp::action_dragdrop, 2);
    EXPECT_EQ(files->getItem(files->find("id = 1", 1, 6), "filegrpid").toInt(), 2);
    EXPECT_EQ(files->getItem(files->find("id = 6", 1, 6), "filegrpid").toInt(), 2);
    EXPECT_EQ(files->getItem(files->find("id = 4", 1, 6), "filegrpid").toInt(), 1);
    EXPECT_EQ(lv->totalItems(), 3) << "moved items stay in this list";

    // Under the caller's group filter the moved items have no row: they are passed by.
    files->fu_set_filter("filegrpid = 1");
    selectOnly({1, 2, 3});
    service_->fnv_file_action(*lv, nv_filegrp::action_all_shared, 0);
    EXPECT_EQ(files->getItem(files->find("id = 4", 1, files->rowCount()), "shared").toInt(), 1);
    files->fu_restore_filter();

    // Nothing selected: only the pictures are set afresh.
    selectOnly({});
    files->setItem(files->find("id = 4", 1, 6), "exe", 1);
    service_->fnv_file_action(*lv, 9, 0);
    EXPECT_EQ(at(2).pictureIndex, 6);
}

}  // namespace
}  // namespace authoring_test
