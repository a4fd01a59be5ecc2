// The registry browser over the test's own machine registry: the separator between tree and
// detail area, the key tree filled as keys are opened, the value list filled through the
// registry-reading library, and the values pasted into the window that opened the browser.
#include <QCoreApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/windows/uo_registry_view.h"
#include "authoring/windows/uo_tv_master_detail.h"
#include "authoring/windows/w_mdi_frame.h"
#include "authoring/windows/w_registry_view.h"
#include "core/CoreFixture.h"
#include "platform/Registry.h"
#include "runtime/core/Dispatch.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/Services.h"
#include "standard/register_standard.h"
#include "standard/w_a.h"
#include "support/TestEnvironment.h"
#include "support/runtime/WidgetChecks.h"

namespace {

namespace fs = std::filesystem;
namespace rt = platform::regtype;
using platform::RegRoot;
using runtime::Args;
using Navigation = runtime::TreeView::Navigation;
using runtime::Value;

using Bytes = std::vector<uint8_t>;

std::vector<uint8_t> text(std::string_view s) {
    std::vector<uint8_t> out(s.begin(), s.end());
    out.push_back(0);
    return out;
}

class RegistryBrowserTest : public core_test::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        pakomo::register_standard();
        pakomo::registerCoreLayouts();
        pakomo::register_windows();
        application().gnv_win32api = runtime::createByName("nv_winapi");

        machine_.emplace(std::move(platform::Machine::open().value()));
        platform::Registry reg(*machine_);
        // Created out of order; Beta alone has a subkey of its own.
        for (const char* key :
             {"Software\\RegBrowse\\Gamma", "Software\\RegBrowse\\Beta\\Inner", "Software\\RegBrowse\\Delta"})
            ASSERT_TRUE(reg.createKey(RegRoot::CurrentUser, key).ok());
        // Values in the file's order, which is not the order of their names.
        const std::string beta = "Software\\RegBrowse\\Beta";
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, beta, "btext", rt::Sz, text("b c")).ok());
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, beta, "aword", rt::Dword, Bytes{4, 0, 0, 0}).ok());
        ASSERT_TRUE(
            reg.setValue(RegRoot::CurrentUser, beta, "cquad", 11, Bytes{1, 0, 0, 0, 0, 0, 0, 0}).ok());
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, beta, "dpath", rt::ExpandSz, text("%TEMP%")).ok());
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, beta, "ebin", rt::Binary, Bytes{0xab, 0x01}).ok());
        ASSERT_TRUE(reg.setValue(RegRoot::CurrentUser, "", "rootvalue", rt::Sz, text("r")).ok());
        ASSERT_TRUE(reg.createKey(RegRoot::LocalMachine, "Software\\RegBrowse\\Deep").ok());
        ASSERT_TRUE(
            reg.setValue(RegRoot::LocalMachine, "Software\\RegBrowse\\Deep", "v", rt::Sz, text("x")).ok());
        tempBefore_ = tempFiles();
    }
    void TearDown() override {
        if (host_) host_->close();
        if (application().gnv_win32api) runtime::destroy(application().gnv_win32api);
        CoreFixture::TearDown();
    }

    std::set<std::string> tempFiles() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(*machine_->hostPath(machine_->tempFolder())))
            names.insert(e.path().filename().string());
        return names;
    }

    // A window holding the control, with the list's columns as the browser adds them; it records
    // what the list reports.
    pakomo::uo_registry_view& openView() {
        host_ = runtime::create<pakomo::w_a>("w_host");
        host_->resize(3191, 1660);
        view_ = host_->addControl<pakomo::uo_registry_view>("uo_1");
        host_->on("ue_items_selected", [this](Args a) {
            reported_.push_back(a[0].toBool());
            return Value();
        });
        host_->open();
        core_test::settle();
        view_->lv_1->addColumn("Naam", runtime::Alignment::Left, 512);
        view_->lv_1->addColumn("Gegevens", runtime::Alignment::Left, 1024);
        return *view_;
    }

    static std::vector<std::string> childLabels(runtime::TreeView& tree, long parent) {
        std::vector<std::string> labels;
        runtime::TreeViewItem item;
        for (long h = tree.findItem(Navigation::Child, parent); h >= 1;
             h = tree.findItem(Navigation::Next, h)) {
            tree.getItem(h, item);
            labels.push_back(item.label);
        }
        return labels;
    }
    static long child(runtime::TreeView& tree, long parent, const std::string& label) {
        runtime::TreeViewItem item;
        for (long h = tree.findItem(Navigation::Child, parent); h >= 1;
             h = tree.findItem(Navigation::Next, h))
            if (tree.getItem(h, item) == 1 && item.label == label) return h;
        ADD_FAILURE() << "no item " << label;
        return -1;
    }
    // Opens the keys of the path one after the other, as the user does; answers the last item.
    static long open(runtime::TreeView& tree, const std::vector<std::string>& path) {
        long h = 0;
        for (const std::string& label : path) {
            h = child(tree, h, label);
            tree.expandItem(h);
        }
        return h;
    }
    static void select(pakomo::uo_registry_view& view, long handle) {
        view.tv_1->selectItem(handle);
        core_test::settle();
    }
    // Selects list items as the user does (a click with Ctrl).
    static void selectItems(runtime::ListView& list, const std::vector<int>& positions) {
        for (int p : positions) list.tree()->topLevelItem(p - 1)->setSelected(true);
        core_test::settle();
    }
    struct Row {
        std::string label, data;
        int picture;
        long row;
    };
    static std::vector<Row> listed(pakomo::uo_registry_view& view) {
        std::vector<Row> rows;
        for (int i = 1; i <= view.lv_1->totalItems(); ++i) {
            runtime::ListViewItem item;
            view.lv_1->getItem(i, item);
            std::string data;
            view.lv_1->getItem(i, 2, data);
            rows.push_back({item.label, data, item.pictureIndex, view.fu_get_row(i)});
        }
        return rows;
    }

    std::optional<platform::Machine> machine_;
    std::set<std::string> tempBefore_;
    runtime::Ref<pakomo::w_a> host_;
    runtime::Ref<pakomo::uo_registry_view> view_;
    std::vector<bool> reported_;
};

// --- The separator ------------------------------------------------------------------------------

class MasterDetail : public pakomo::uo_tv_master_detail {
public:
    MasterDetail() {
        on("ue_detail_resize", [this](Args a) {
            detail.push_back({static_cast<int>(a[0].toInt()), static_cast<int>(a[1].toInt()),
                              static_cast<int>(a[2].toInt())});
            return Value();
        });
    }
    std::vector<std::array<int, 3>> detail;
};

TEST_F(RegistryBrowserTest, TheSeparatorFollowsThePointerWithinItsLimitsAndTheTreeAndDetailFollowIt) {
    host_ = runtime::create<pakomo::w_a>("w_host");
    runtime::Ref<MasterDetail> md = host_->addControl<MasterDetail>("uo_md");
    host_->open();
    core_test::settle();
    ASSERT_EQ(md->width(), 2738);
    ASSERT_EQ(md->uo_seperator->x(), 507);
    const int treeX = md->tv_1->x();

    // Moving without a press on the separator changes nothing.
    md->trigger("mousemove", {1, 1500, 10});
    EXPECT_EQ(md->uo_seperator->x(), 507);
    EXPECT_TRUE(md->detail.empty());

    struct Case {
        int pointer, separator;
    } cases[] = {{1500, 1500}, {3, 64}, {63, 64}, {64, 64}, {2674, 2674}, {2675, 2674}, {30000, 2674}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointer);
        md->detail.clear();
        md->uo_seperator->trigger("lbuttondown", {1, 2, 10});
        EXPECT_TRUE(md->ib_dragmode);
        EXPECT_EQ(runtime::captured(), md.get()) << "the drag goes on outside the separator";
        md->trigger("mousemove", {1, c.pointer, 10});
        EXPECT_EQ(md->uo_seperator->x(), c.separator);
        EXPECT_EQ(md->tv_1->width(), c.separator - treeX - 5);
        ASSERT_EQ(md->detail.size(), 1u);
        EXPECT_EQ(md->detail[0], (std::array<int, 3>{c.separator + 36, 2738 - c.separator - 38, 0}));
        md->trigger("lbuttonup", {0, c.pointer, 10});
        EXPECT_FALSE(md->ib_dragmode);
        EXPECT_EQ(runtime::captured(), nullptr);
        EXPECT_EQ(md->uo_seperator->x(), c.separator);
        ASSERT_EQ(md->detail.size(), 2u);
        EXPECT_EQ(md->detail[1], md->detail[0]) << "the release repeats the last move's layout";
    }

    // A release without a drag applies the layout again from where the separator stands.
    md->tv_1->resize(100, md->tv_1->height());
    md->detail.clear();
    md->trigger("lbuttonup", {0, 10, 10});
    EXPECT_EQ(md->uo_seperator->x(), 2674);
    EXPECT_EQ(md->tv_1->width(), 2674 - treeX - 5);
    EXPECT_EQ(md->detail, (std::vector<std::array<int, 3>>{{2710, 26, 0}}));

    // Too narrow for both limits: the right one wins.
    md->resize(100, 1216);
    md->uo_seperator->trigger("lbuttondown", {1, 2, 10});
    md->trigger("mousemove", {1, 50, 10});
    EXPECT_EQ(md->uo_seperator->x(), 100 - 32 - 32);
    md->trigger("lbuttonup", {0, 50, 10});
}

TEST_F(RegistryBrowserTest, ResizingTheHolderChangesOnlyHeightsAndTellsTheDetailTheWholeWidth) {
    host_ = runtime::create<pakomo::w_a>("w_host");
    runtime::Ref<MasterDetail> md = host_->addControl<MasterDetail>("uo_md");
    host_->open();
    core_test::settle();
    md->uo_seperator->move(900, md->uo_seperator->y());
    md->tv_1->resize(700, md->tv_1->height());
    md->detail.clear();
    md->trigger("ue_w_resize", {3000, 1400});
    EXPECT_EQ(md->width(), 2998);
    EXPECT_EQ(md->height(), 1398);
    EXPECT_EQ(md->uo_seperator->x(), 900);
    EXPECT_EQ(md->tv_1->width(), 700);
    EXPECT_EQ(md->tv_1->height(), 1396 - md->tv_1->y());
    EXPECT_EQ(md->uo_seperator->height(), 1396 - md->uo_seperator->y());
    EXPECT_EQ(md->uo_seperator->ln_1->endY(), 1396 - md->uo_seperator->y() - 8);
    EXPECT_EQ(md->detail, (std::vector<std::array<int, 3>>{{0, 2998, 1396}}));
}

// --- The key tree -------------------------------------------------------------------------------

TEST_F(RegistryBrowserTest, TheTreeStartsWithTheFourRootsAndOpensKeysOneLevelAtATime) {
    pakomo::uo_registry_view& view = openView();
    runtime::TreeView& tree = *view.tv_1;
    EXPECT_EQ(childLabels(tree, 0), (std::vector<std::string>{"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                              "HKEY_LOCAL_MACHINE", "HKEY_USERS"}));
    runtime::TreeViewItem item;
    for (long h = tree.findItem(Navigation::Child, 0); h >= 1; h = tree.findItem(Navigation::Next, h)) {
        tree.getItem(h, item);
        EXPECT_TRUE(item.children) << item.label;
        EXPECT_FALSE(item.expandedOnce) << item.label;
        EXPECT_EQ(item.pictureIndex, 1);
        EXPECT_EQ(tree.findItem(Navigation::Child, h), -1) << item.label;
    }

    const int hourglasses = runtime::Pointer::hourglassCount();
    const long regBrowse = open(tree, {"HKEY_CURRENT_USER", "Software", "RegBrowse"});
    EXPECT_GT(runtime::Pointer::hourglassCount(), hourglasses) << "while subkeys are read";
    EXPECT_EQ(childLabels(tree, regBrowse), (std::vector<std::string>{"Beta", "Delta", "Gamma"}));
    for (const auto& [label, expandable] :
         std::vector<std::pair<std::string, bool>>{{"Beta", true}, {"Delta", false}, {"Gamma", false}}) {
        tree.getItem(child(tree, regBrowse, label), item);
        EXPECT_EQ(item.children, expandable) << label;
        EXPECT_EQ(item.pictureIndex, 1) << label;
    }
    const long beta = child(tree, regBrowse, "Beta");
    EXPECT_EQ(view.fu_get_full_key(beta), "HKEY_CURRENT_USER\\Software\\RegBrowse\\Beta");
    EXPECT_EQ(view.fu_get_full_key(child(tree, 0, "HKEY_USERS")), "HKEY_USERS");

    // Opened again, a key shows what it got the first time, even when the registry changed since.
    ASSERT_TRUE(
        platform::Registry(*machine_).createKey(RegRoot::CurrentUser, "Software\\RegBrowse\\Alpha").ok());
    tree.collapseItem(regBrowse);
    tree.expandItem(regBrowse);
    EXPECT_EQ(childLabels(tree, regBrowse), (std::vector<std::string>{"Beta", "Delta", "Gamma"}));
    EXPECT_EQ(view.fu_populate_subkey("HKEY_CURRENT_USER\\Software\\NoSuchKey", beta), 0);
    EXPECT_EQ(childLabels(tree, beta), std::vector<std::string>{});
}

// --- The value list -----------------------------------------------------------------------------

TEST_F(RegistryBrowserTest, SelectingAKeyListsItsValuesSortedByNameWithTheirPictures) {
    pakomo::uo_registry_view& view = openView();
    runtime::TreeView& tree = *view.tv_1;
    const long regBrowse = open(tree, {"HKEY_CURRENT_USER", "Software", "RegBrowse"});
    select(view, child(tree, regBrowse, "Beta"));

    EXPECT_EQ(view.is_full_key, "HKEY_CURRENT_USER\\Software\\RegBrowse\\Beta");
    // Rows keep the file's order; each item knows its row.
    ASSERT_EQ(view.ids_reg_values->rowCount(), 5);
    EXPECT_EQ(view.ids_reg_values->getItemString(1, "as_name"), "btext");
    const std::vector<Row> rows = listed(view);
    ASSERT_EQ(rows.size(), 5u);
    const Row expected[] = {{"aword", "0x00000004", 1, 2},
                            {"btext", "\"b c\"", 2, 1},
                            {"cquad", "01,00,00,00,00,00,00,00", 2, 3},
                            {"dpath", "\"%TEMP%\"", 2, 4},
                            {"ebin", "ab,01", 1, 5}};
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].label, expected[i].label);
        EXPECT_EQ(rows[i].data, expected[i].data);
        EXPECT_EQ(rows[i].picture, expected[i].picture);
        EXPECT_EQ(rows[i].row, expected[i].row);
    }
    EXPECT_EQ(tempFiles(), tempBefore_) << "neither the library's file nor its .txt copy is left";

    // A key without values; then one deleted since the tree was filled (the library fails).
    select(view, child(tree, regBrowse, "Gamma"));
    EXPECT_EQ(view.lv_1->totalItems(), 0);
    EXPECT_EQ(view.ids_reg_values->rowCount(), 0);
    select(view, child(tree, regBrowse, "Beta"));
    ASSERT_EQ(view.lv_1->totalItems(), 5);
    ASSERT_TRUE(
        platform::Registry(*machine_).deleteKey(RegRoot::CurrentUser, "Software\\RegBrowse\\Delta").ok());
    select(view, child(tree, regBrowse, "Delta"));
    EXPECT_EQ(view.is_full_key, "HKEY_CURRENT_USER\\Software\\RegBrowse\\Delta");
    EXPECT_EQ(view.lv_1->totalItems(), 0);
    EXPECT_EQ(tempFiles(), tempBefore_);
}

TEST_F(RegistryBrowserTest, TheListReportsItsSelectionAndGivesTheSelectedPositions) {
    pakomo::uo_registry_view& view = openView();
    runtime::TreeView& tree = *view.tv_1;
    select(view, open(tree, {"HKEY_CURRENT_USER", "Software", "RegBrowse", "Beta"}));
    ASSERT_EQ(view.lv_1->totalItems(), 5);

    pakomo::unbounded_array<int32_t> rows;
    rows[1] = 99;
    EXPECT_EQ(view.fu_get_selected_values(rows), 0);
    EXPECT_EQ(rows.get(1), 99);
    EXPECT_EQ(rows.upperbound(), 1);

    reported_.clear();
    selectItems(*view.lv_1, {2, 5});
    EXPECT_EQ(reported_, (std::vector<bool>{true, true}));
    rows[3] = 7;
    EXPECT_EQ(view.fu_get_selected_values(rows), 2);
    EXPECT_EQ(rows.get(1), 2);
    EXPECT_EQ(rows.get(2), 5);
    EXPECT_EQ(rows.get(3), 7) << "elements beyond the count are left alone";

    reported_.clear();
    view.lv_1->tree()->clearSelection();
    core_test::settle();
    EXPECT_EQ(reported_, (std::vector<bool>{false, false})) << "every change is reported";
}

TEST_F(RegistryBrowserTest, TheListIsPlacedWhereTheDetailAreaLies) {
    pakomo::uo_registry_view& view = openView();
    runtime::ListView& list = *view.lv_1;
    list.move(1029, 0);
    list.resize(1563, 1204);
    view.trigger("ue_detail_resize", {0, 2000, 0});
    EXPECT_EQ(list.x(), 1029);
    EXPECT_EQ(list.width(), 971);
    EXPECT_EQ(list.height(), 1204);
    view.trigger("ue_detail_resize", {1100, 900, 1000});
    EXPECT_EQ(list.x(), 1100);
    EXPECT_EQ(list.width(), 900);
    EXPECT_EQ(list.height(), 1000);
}

// --- The browser --------------------------------------------------------------------------------

struct Pasted {
    int root;
    std::string key, name, data;
    int type;
    bool first;
    friend bool operator==(const Pasted&, const Pasted&) = default;
};
std::ostream& operator<<(std::ostream& out, const Pasted& p) {
    return out << "{" << p.root << ", " << p.key << ", " << p.name << ", " << p.data << ", " << p.type << ", "
               << p.first << "}";
}

// A window that edits registry entries: it opens the browser and receives the values.
class Opener : public pakomo::w_a {
public:
    explicit Opener(bool receives = true) : w_a("w_regkey_editor") {
        if (!receives) return;
        on("ue_paste_from_regview", [this](Args a) {
            pasted.push_back({static_cast<int>(a[0].toInt()), a[1].toText(), a[2].toText(), a[3].toText(),
                              static_cast<int>(a[4].toInt()), a[5].toBool()});
            return Value();
        });
    }
    std::vector<Pasted> pasted;
};

class BrowserTest : public RegistryBrowserTest {
protected:
    // Opens the browser by name from `opener`, acts in it once it is up, and answers after it closed.
    void browse(Opener& opener, std::function<void(pakomo::w_registry_view&)> act) {
        application().g_str_pass.window[1] = runtime::Ref<runtime::Window>(&opener);
        bool acted = false;
        auto* timer = new QTimer(QCoreApplication::instance());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, act, &acted] {
            if (runtime::EventQueue::pendingCount() > 0) return;
            for (runtime::Window* w : runtime::Window::openWindows()) {
                if (w->className() != "w_registry_view" || !w->isOpen()) continue;
                timer->stop();
                timer->deleteLater();
                acted = true;
                act(dynamic_cast<pakomo::w_registry_view&>(*w));
                return;
            }
        });
        timer->start();
        runtime::Ref<runtime::Object> browser = runtime::createByName("w_registry_view");
        ASSERT_TRUE(browser);
        dynamic_cast<runtime::Window&>(*browser).open();
        EXPECT_TRUE(acted);
    }
    // Opens the keys, selects the last one and the list items at the positions.
    static void choose(pakomo::w_registry_view& w, const std::vector<std::string>& path,
                       const std::vector<int>& items) {
        select(*w.uo_1, open(*w.uo_1->tv_1, path));
        selectItems(*w.uo_1->lv_1, items);
    }
    static void paste(pakomo::w_registry_view& w) {
        EXPECT_TRUE(w.cb_1->enabled());
        w.cb_1->click();
    }
};

TEST_F(BrowserTest, PasteHandsTheSelectedValuesToTheOpenerInListOrder) {
    runtime::Ref<Opener> opener = runtime::create<Opener>();
    opener->open();
    runtime::Ref<pakomo::u_ds_registry_values> values;
    browse(*opener, [&values](pakomo::w_registry_view& w) {
        values = w.uo_1->ids_reg_values;
        EXPECT_EQ(w.title(), "Registry");
        EXPECT_EQ(w.fw_get_helptopic(), 30);
        EXPECT_EQ(w.cb_1->text(), "&Paste");
        EXPECT_FALSE(w.cb_1->enabled());
        EXPECT_EQ(w.uo_1->lv_1->totalColumns(), 2);
        EXPECT_EQ(w.uo_1->width(), w.ii_resize_width - 2) << "laid out when it was shown";
        EXPECT_EQ(w.uo_1->height(), w.ii_resize_height - 100 - 2);
        EXPECT_EQ(runtime::clippedTexts(w.widget()), std::vector<std::string>{});
        EXPECT_EQ(runtime::accessKeyClashes(w.widget()), std::vector<std::string>{});
        choose(w, {"HKEY_CURRENT_USER", "Software", "RegBrowse", "Beta"}, {1, 2, 3, 4});
        fs::path artefacts = testing_support::artefactFolder("authoring");
        fs::create_directories(artefacts);
        w.widget()->grab().save(QString::fromStdString((artefacts / "registry-browser.png").string()));
        paste(w);
    });
    EXPECT_EQ(application().g_str_pass.button_clicked, 1);
    EXPECT_FALSE(values) << "the values' row set goes with the browser";
    // The value of type 255 (cquad) is not pasted; the data comes without the list's quotes.
    EXPECT_EQ(opener->pasted,
              (std::vector<Pasted>{{2, "Software\\RegBrowse\\Beta", "aword", "0x00000004", 4, true},
                                   {2, "Software\\RegBrowse\\Beta", "btext", "b c", 1, false},
                                   {2, "Software\\RegBrowse\\Beta", "dpath", "%TEMP%", 2, false}}));
    opener->close();
}

TEST_F(BrowserTest, RootsGiveTheirCodeAndTheKeyBelowThemAndTheFirstPastedValueCarriesTrue) {
    runtime::Ref<Opener> opener = runtime::create<Opener>();
    opener->open();
    struct Case {
        std::vector<std::string> path;
        std::vector<int> items;
        std::vector<Pasted> expected;
    };
    const std::vector<Case> cases = {
        {{"HKEY_CURRENT_USER"}, {1}, {{2, "", "rootvalue", "r", 1, true}}},
        {{"HKEY_LOCAL_MACHINE", "Software", "RegBrowse", "Deep"},
         {1},
         {{3, "Software\\RegBrowse\\Deep", "v", "x", 1, true}}},
        // A value that is never pasted comes first: the next one is still the first pasted.
        {{"HKEY_CURRENT_USER", "Software", "RegBrowse", "Beta"},
         {3, 5},
         {{2, "Software\\RegBrowse\\Beta", "ebin", "ab,01", 3, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.back());
        opener->pasted.clear();
        browse(*opener, [&](pakomo::w_registry_view& w) {
            choose(w, c.path, c.items);
            paste(w);
        });
        EXPECT_EQ(opener->pasted, c.expected);
    }
    opener->close();
}

TEST_F(BrowserTest, NothingIsPastedOnCancelWithoutAKeyOrToAnOpenerWithoutTheEvent) {
    runtime::Ref<Opener> opener = runtime::create<Opener>();
    opener->open();
    browse(*opener, [](pakomo::w_registry_view& w) {
        choose(w, {"HKEY_CURRENT_USER", "Software", "RegBrowse", "Beta"}, {1});
        w.cb_2->click();
    });
    EXPECT_EQ(application().g_str_pass.button_clicked, 2);
    browse(*opener, [](pakomo::w_registry_view& w) { w.trigger("ue_ok"); });
    EXPECT_EQ(application().g_str_pass.button_clicked, 1);
    EXPECT_TRUE(opener->pasted.empty());

    runtime::Ref<Opener> deaf = runtime::create<Opener>(false);
    deaf->open();
    browse(*deaf, [](pakomo::w_registry_view& w) {
        choose(w, {"HKEY_CURRENT_USER", "Software", "RegBrowse", "Beta"}, {1, 2});
        paste(w);
    });
    EXPECT_EQ(application().g_str_pass.button_clicked, 1);
    deaf->close();
    opener->close();
}

TEST_F(BrowserTest, PasteFollowsTheListsReportedSelection) {
    runtime::Ref<Opener> opener = runtime::create<Opener>();
    opener->open();
    browse(*opener, [](pakomo::w_registry_view& w) {
        runtime::ListView& list = *w.uo_1->lv_1;
        choose(w, {"HKEY_CURRENT_USER", "Software", "RegBrowse", "Beta"}, {});
        EXPECT_FALSE(w.cb_1->enabled());
        selectItems(list, {2});
        EXPECT_TRUE(w.cb_1->enabled());
        selectItems(list, {4});
        EXPECT_TRUE(w.cb_1->enabled());
        list.tree()->clearSelection();
        core_test::settle();
        EXPECT_FALSE(w.cb_1->enabled());
        // Another key's values replace the selected ones.
        selectItems(list, {1});
        EXPECT_TRUE(w.cb_1->enabled());
        const long beta = w.uo_1->tv_1->findItem(Navigation::Current, 0);
        select(*w.uo_1, w.uo_1->tv_1->findItem(Navigation::Parent, beta));
        EXPECT_FALSE(w.cb_1->enabled());
        w.cb_2->click();
    });
    opener->close();
}

}  // namespace
