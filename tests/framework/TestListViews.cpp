// The list-view ancestors and the file list: its three columns, sorting by each heading in both
// directions (equal keys included) through the file-group service's comparison, and renames and
// deletions handed to that service.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QTreeWidget>

#include <map>
#include <string>
#include <vector>

#include "runtime/ui/VisualObject.h"
#include "standard/str_listviewsort.h"
#include "standard/u_lv_a.h"
#include "standard/uo_a.h"
#include "standard/w_a.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

struct FileRow {
    std::string name;
    std::string size;   // the size key, ten digits
    std::string time;   // the modification-time key
};

// Stands in for the file-group service: compares as it does (-1 when the first key is smaller,
// else 1, also for equal keys; reversed for sort type 2) and records renames and deletions.
class StandInFileGroup : public nv_a {
public:
    StandInFileGroup() : nv_a("nv_filegrp") {
        on("fnv_sort_lv", [this](Args a) {
            auto* lv = dynamic_cast<runtime::ListView*>(runtime::findByHandle(static_cast<long>(a[0].toInt())));
            const FileRow& first = row(*lv, static_cast<int>(a[1].toInt()));
            const FileRow& second = row(*lv, static_cast<int>(a[2].toInt()));
            int column = static_cast<int>(a[3].toInt());
            const std::string& k1 = column == 1 ? first.name : column == 2 ? first.size : first.time;
            const std::string& k2 = column == 1 ? second.name : column == 2 ? second.size : second.time;
            long result = k1 < k2 ? -1 : 1;
            return Value(a[4].toInt() == 2 ? -result : result);
        });
        on("fnv_filename_changed", [this](Args a) {
            renamed.push_back(a[1].toText() + "=" + a[2].toText());
            return Value(answer);
        });
        on("fnv_delete_file", [this](Args a) {
            deleted.push_back(a[0].toInt());
            return Value(true);
        });
    }
    const FileRow& row(runtime::ListView& lv, int index) {
        runtime::ListViewItem item;
        lv.getItem(index, item);
        return files.at(item.data.toRecord<str_listviewsort>()->l_id);
    }
    std::map<int64_t, FileRow> files;
    std::vector<std::string> renamed;
    std::vector<int64_t> deleted;
    bool answer = true;
};

class FileList : public framework_test::FrameworkFixture {
protected:
    void SetUp() override {
        FrameworkFixture::SetUp();
        w = runtime::create<w_a>();
        Ref<uo_a> uo = w->addControl<uo_a>("uo_1");
        lv = uo->addControl<u_lv_fileview_a>("lv_1");
        w->open();
        service = runtime::create<StandInFileGroup>();
        lv->inv_filegrp = Ref<nv_a>(service.get());
        lv->fu_set_columns(1096, 256, 528);
        // Two files of equal size and two of equal time.
        service->files = {{11, {"b.txt", "0000000200", "20010305070809"}},
                          {12, {"a.exe", "0000000200", "19991231235959"}},
                          {13, {"d.dll", "0000000010", "20010305070809"}},
                          {14, {"c.hlp", "0000090000", "20200101000000"}}};
        for (const auto& [id, file] : service->files) {
            runtime::ListViewItem item;
            item.label = file.name;
            str_listviewsort sort;
            sort.l_id = static_cast<uint32_t>(id);
            item.data = Value::record(sort);
            item.pictureIndex = 1;
            lv->addItem(item);
        }
    }
    void TearDown() override {
        runtime::destroy(service);
        FrameworkFixture::TearDown();
    }
    std::vector<std::string> labels() {
        std::vector<std::string> out;
        for (int i = 1; i <= lv->totalItems(); ++i) {
            runtime::ListViewItem item;
            lv->getItem(i, item);
            out.push_back(item.label);
        }
        return out;
    }
    Ref<w_a> w;
    Ref<u_lv_fileview_a> lv;
    Ref<StandInFileGroup> service;
};

TEST_F(FileList, ThreeReportColumnsAndTheWindowBeyondTheComposite) {
    ASSERT_EQ(lv->totalColumns(), 3);
    QTreeWidget* t = lv->tree();
    EXPECT_EQ(t->headerItem()->text(0), "Name");
    EXPECT_EQ(t->headerItem()->text(1), "Size");
    EXPECT_EQ(t->headerItem()->text(2), "Modified");
    EXPECT_EQ(t->columnWidth(1), runtime::unitsToPixelsX(256));
    EXPECT_TRUE(t->headerItem()->textAlignment(1) & Qt::AlignRight);
    EXPECT_FALSE(t->headerItem()->textAlignment(0) & Qt::AlignRight);
    EXPECT_EQ(lv->iw_parent.get(), w.get());
}

struct SortStep {
    int column;
    int16_t sort_type;
    std::vector<std::string> order;
};

struct SortCase {
    const char* name;
    std::vector<SortStep> clicks;
};

void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class HeadingClicks : public FileList, public ::testing::WithParamInterface<SortCase> {};

TEST_P(HeadingClicks, SortByTheColumnAlternatingTheDirection) {
    for (const SortStep& s : GetParam().clicks) {
        lv->trigger("columnclick", {s.column});
        EXPECT_EQ(lv->ii_column_sort, s.column);
        EXPECT_EQ(lv->ii_sort_type, s.sort_type);
        std::vector<std::string> got = labels();
        // Equal keys may come in either order; the others must not.
        if (s.order.empty()) {
            EXPECT_EQ(got.size(), 4u);
        } else {
            EXPECT_EQ(got, s.order) << "column " << s.column << " type " << s.sort_type;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Framework, HeadingClicks,
    ::testing::Values(
        SortCase{"name_up_down_up",
                 {{1, 1, {"a.exe", "b.txt", "c.hlp", "d.dll"}},
                  {1, 2, {"d.dll", "c.hlp", "b.txt", "a.exe"}},
                  {1, 1, {"a.exe", "b.txt", "c.hlp", "d.dll"}}}},
        SortCase{"size_with_equal_keys", {{2, 1, {}}, {2, 2, {}}, {2, 1, {}}}},
        SortCase{"size_down_then_name_up",
                 {{2, 1, {}}, {2, 2, {}}, {1, 1, {"a.exe", "b.txt", "c.hlp", "d.dll"}}}},
        SortCase{"modified_then_size", {{3, 1, {}}, {3, 2, {}}, {2, 1, {}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileList, EqualKeysStayTogetherBetweenTheOthers) {
    lv->trigger("columnclick", {2});
    std::vector<std::string> up = labels();
    EXPECT_EQ(up.front(), "d.dll");
    EXPECT_EQ(up.back(), "c.hlp");
    lv->trigger("columnclick", {2});
    std::vector<std::string> down = labels();
    EXPECT_EQ(down.front(), "c.hlp");
    EXPECT_EQ(down.back(), "d.dll");
    lv->trigger("columnclick", {3});
    std::vector<std::string> byTime = labels();
    EXPECT_EQ(byTime.front(), "a.exe");
    EXPECT_EQ(byTime.back(), "c.hlp");
}

TEST_F(FileList, RenamesAndDeletionsGoToTheFileGroupService) {
    lv->trigger("endlabeledit", {2, "new.txt"});
    EXPECT_EQ(service->renamed, (std::vector<std::string>{"2=new.txt"}));
    EXPECT_TRUE(lv->ib_update_view);
    service->answer = false;
    lv->trigger("endlabeledit", {2, "other.txt"});
    EXPECT_FALSE(lv->ib_update_view);
    lv->ib_update_view = true;
    lv->trigger("endlabeledit", {3, Value()});
    EXPECT_FALSE(lv->ib_update_view) << "a cancelled edit only resets the flag";
    EXPECT_EQ(service->renamed.size(), 2u);

    lv->fu_delete_item(3);
    EXPECT_EQ(service->deleted, (std::vector<int64_t>{13}));
    EXPECT_EQ(lv->totalItems(), 4) << "the item is the owner's to remove";
    lv->fu_delete_item(9);
    EXPECT_EQ(service->deleted.size(), 1u);
}

TEST_F(FileList, TheProgramsListViewsFindTheirWindow) {
    Ref<w_a> other = runtime::create<w_a>();
    Ref<u_lv_create_setup_a> plain = other->addControl<u_lv_create_setup_a>("lv_products");
    other->open();
    EXPECT_EQ(plain->iw_parent.get(), other.get());
}

}  // namespace
