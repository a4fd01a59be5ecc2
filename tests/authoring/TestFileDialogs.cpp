// The duplicate-files dialog (numbering, removing entries, Close and Cancel) and the
// file-properties dialog as the file action opens it (title, shortcut text, Cancel, the one
// readme file of a product).
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>

#include "authoring/FilesFixture.h"
#include "authoring/windows/w_file_properties.h"
#include "authoring/windows/w_handle_duplicate_files.h"
#include "runtime/ui/Units.h"
#include "support/TestEnvironment.h"
#include "support/runtime/WidgetChecks.h"
#include <filesystem>
#include "standard/str_listviewsort.h"

using namespace pakomo;
using runtime::Value;

namespace authoring_test {
namespace {

class DuplicateFilesDialog : public FilesFixture {
protected:
    // Two paths named twice each (one in two spellings), and a single one.
    nv_filegrp& loadDuplicates() {
        return load({groupRow(1, "Programs"), groupRow(2, "Extra")},
                    {fileRow(1, 1, "C:\\App\\Main.exe"), fileRow(2, 2, "c:\\app\\MAIN.EXE"),
                     fileRow(3, 1, "C:\\b.dll"), fileRow(4, 2, "C:\\b.dll"), fileRow(5, 1, "C:\\c.hlp")});
    }
    // Opens the dialog through the service and acts in it; answers what the service reports.
    bool inDialog(nv_filegrp& s, std::function<void(w_handle_duplicate_files&)> act) {
        bool opened = false;
        whenOpen("w_handle_duplicate_files", [&](runtime::Window& w) {
            opened = true;
            act(dynamic_cast<w_handle_duplicate_files&>(w));
        });
        bool changed = s.fnv_handle_duplicate_files(false);
        EXPECT_TRUE(opened);
        return changed;
    }
    static void select(w_handle_duplicate_files& d, std::initializer_list<int> indexes) {
        for (int i : indexes) d.lv_1->tree()->topLevelItem(i - 1)->setSelected(true);
        core_test::settle();
    }
    static std::vector<std::string> labels(runtime::ListView& lv) {
        std::vector<std::string> out;
        for (int i = 1; i <= lv.totalItems(); ++i) {
            runtime::ListViewItem item;
            lv.getItem(i, item);
            std::string group;
            lv.getItem(i, 2, group);
            out.push_back(item.label + "|" + group + "|" + std::to_string(item.pictureIndex));
        }
        return out;
    }
};

TEST_F(DuplicateFilesDialog, NumbersTheCopiesOfEachPathAndMarksAllButTheFirst) {
    nv_filegrp& s = loadDuplicates();
    bool changed = inDialog(s, [](w_handle_duplicate_files& d) {
        EXPECT_EQ(d.title(), "Duplicate files");
        EXPECT_EQ(runtime::clippedTexts(d.widget()), std::vector<std::string>{});
        EXPECT_EQ(runtime::accessKeyClashes(d.widget()), std::vector<std::string>{});
        std::filesystem::path folder = testing_support::artefactFolder("authoring");
        std::filesystem::create_directories(folder);
        d.widget()->grab().save(QString::fromStdString((folder / "w_handle_duplicate_files.png").string()));
        EXPECT_EQ(labels(*d.lv_1),
                  (std::vector<std::string>{"1. C:\\App\\Main.exe|Programs|0", "2. c:\\app\\MAIN.EXE|Extra|1",
                                            "1. C:\\b.dll|Programs|0", "2. C:\\b.dll|Extra|1"}));
        EXPECT_FALSE(d.cb_delete->enabled());
        EXPECT_EQ(app().g_str_pass.button_clicked, 1);
        d.cb_2->click();
    });
    EXPECT_FALSE(changed) << "closed without removing anything";
    EXPECT_EQ(files->deletedCount(), 0);
}

TEST_F(DuplicateFilesDialog, RemovedEntriesAreDeletedWhenClosedAndOnlyThose) {
    nv_filegrp& s = loadDuplicates();
    bool changed = inDialog(s, [](w_handle_duplicate_files& d) {
        select(d, {1, 2});
        EXPECT_TRUE(d.cb_delete->enabled());
        d.cb_delete->click();
        core_test::settle();
        EXPECT_EQ(d.lv_1->totalItems(), 2) << "both neighbours go in one pass";
        EXPECT_FALSE(d.cb_delete->enabled());
        // The Del key removes too.
        select(d, {2});
        QTest::keyClick(d.lv_1->tree(), Qt::Key_Delete);
        EXPECT_EQ(d.lv_1->totalItems(), 1);
        d.cb_2->click();
    });
    EXPECT_TRUE(changed);
    EXPECT_EQ(files->deletedCount(), 3);
    std::vector<long> left = ids(*files);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<long>{3, 5})) << "every copy the user removed goes, the last entry stays";
}

TEST_F(DuplicateFilesDialog, CancelDiscardsTheRemovals) {
    nv_filegrp& s = loadDuplicates();
    bool changed = inDialog(s, [](w_handle_duplicate_files& d) {
        select(d, {3});
        d.cb_delete->click();
        core_test::settle();
        d.cb_1->click();
    });
    EXPECT_FALSE(changed);
    EXPECT_EQ(files->deletedCount(), 0);
    EXPECT_EQ(app().g_str_pass.button_clicked, 2);
}

TEST_F(DuplicateFilesDialog, HelpOpensItsTopic) {
    nv_filegrp& s = loadDuplicates();
    inDialog(s, [](w_handle_duplicate_files& d) {
        d.cb_3->click();
        core_test::settle();
        d.cb_2->click();
    });
    std::vector<runtime::HelpRequest> help = takeHelp();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].topic, 29);
}

class FileProperties : public FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        load(
            {groupRow(1, "A"), groupRow(2, "B")},
            {fileRow(1, 1, "C:\\Data\\App.exe"), fileRow(2, 1, "C:\\Data\\Read.txt", 1),
             fileRow(3, 2, "C:\\Other\\Old.txt", 1), fileRow(4, 1, "C:\\Data\\Lib.dll", 0, 1, 1, "Library")});
        window = runtime::create<w_a>();
        lv = window->addControl<u_lv_fileview_a>("lv_1");
        window->open();
        lv->inv_filegrp = runtime::Ref<nv_a>(service_.get());
        lv->fu_set_columns(1096, 256, 528);
        service_->fnv_populate_fileview(*lv, 1);
    }
    void TearDown() override {
        if (window) window->close();
        FilesFixture::TearDown();
    }
    int indexOf(long id) {
        for (int i = 1; i <= lv->totalItems(); ++i) {
            runtime::ListViewItem item;
            lv->getItem(i, item);
            if (item.data.toRecord<str_listviewsort>()->l_id == id) return i;
        }
        return 0;
    }
    // Opens the dialog for one file through the file action.
    void properties(long id, std::function<void(w_file_properties&)> act) {
        runtime::ListViewItem item;
        for (int i = 1; i <= lv->totalItems(); ++i) {
            lv->getItem(i, item);
            item.selected = i == indexOf(id);
            lv->setItem(i, item);
        }
        bool opened = false;
        whenOpen("w_file_properties", [&](runtime::Window& w) {
            opened = true;
            act(dynamic_cast<w_file_properties&>(w));
        });
        service_->fnv_file_action(*lv, nv_filegrp::action_properties, 0);
        EXPECT_TRUE(opened);
    }
    // A value of a file's row (the caller's rows are all shown again afterwards).
    Value item(long id, const char* column) {
        return files->getItem(files->find("id = " + std::to_string(id), 1, files->rowCount()), column);
    }
    int picture(long id) {
        runtime::ListViewItem it;
        lv->getItem(indexOf(id), it);
        return it.pictureIndex;
    }
    runtime::Ref<w_a> window;
    runtime::Ref<u_lv_fileview_a> lv;
};

TEST_F(FileProperties, AShortcutNeedsItsTextAndTheTitleNamesThePath) {
    properties(1, [this](w_file_properties& w) {
        EXPECT_EQ(w.title(), "Properties of C:\\Data\\App.exe");
        runtime::DataStore& ds = w.dw_1->store();
        EXPECT_EQ(ds.rowCount(), 1) << "the dialog shows the caller's one row";
        EXPECT_EQ(files->rowCount(), 1);
        EXPECT_EQ(ds.getItemString(1, "path"), "C:\\Data\\App.exe");
        EXPECT_EQ(ds.columnAttribute(1, ds.columnNumber("stringvar_linktext"), "protect").toInt(), 1)
            << "no shortcut: its text is protected";
        ds.setItem(1, "exe", 1);
        EXPECT_EQ(ds.columnAttribute(1, ds.columnNumber("stringvar_linktext"), "protect").toInt(), 0);
        ds.setItem(1, "stringvar_linktext", "   ");
        boxes.answer(1);
        w.cb_2->click();
        core_test::settle();
        ASSERT_EQ(boxes.shown().size(), 1u) << "message 14";
        EXPECT_TRUE(w.isOpen());
        ds.setItem(1, "stringvar_linktext", "My App");
        w.cb_3->click();
        core_test::settle();
        w.cb_2->click();
    });
    std::vector<runtime::HelpRequest> help = takeHelp();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].topic, 27);
    EXPECT_EQ(item(1, "exe").toInt(), 1);
    EXPECT_EQ(item(1, "linktext").toText(), "My App");
    EXPECT_EQ(picture(1), 1) << "l.bmp";
    EXPECT_EQ(files->fu_get_filter(), "") << "the caller's filter is back";
}

TEST_F(FileProperties, CancelPutsBackWhatTheDialogFound) {
    properties(4, [](w_file_properties& w) {
        runtime::DataStore& ds = w.dw_1->store();
        ds.setItem(1, "readme", 1);
        ds.setItem(1, "exe", 0);
        ds.setItem(1, "stringvar_linktext", "Other");
        ds.setItem(1, "shared", 0);
        w.cb_1->click();
    });
    EXPECT_EQ(item(4, "readme").toInt(), 0);
    EXPECT_EQ(item(4, "exe").toInt(), 1);
    EXPECT_EQ(item(4, "linktext").toText(), "Library");
    EXPECT_EQ(item(4, "shared").toInt(), 1);
    EXPECT_EQ(item(2, "readme").toInt(), 1) << "no other file was touched";
    EXPECT_EQ(item(3, "readme").toInt(), 1);
}

TEST_F(FileProperties, ANewReadmeFileIsTheProductsOnlyOne) {
    properties(1, [](w_file_properties& w) {
        w.dw_1->store().setItem(1, "readme", 1);
        w.cb_2->click();
    });
    EXPECT_EQ(item(1, "readme").toInt(), 1);
    EXPECT_EQ(item(2, "readme").toInt(), 0);
    EXPECT_EQ(item(3, "readme").toInt(), 0) << "also in another file group";
    EXPECT_EQ(picture(2), 0) << "the list lost its readme mark";
    EXPECT_EQ(picture(1), 2);
}

TEST_F(FileProperties, TheReadmeFileAlreadyLeavesTheOthersAlone) {
    properties(2, [](w_file_properties& w) {
        w.dw_1->store().setItem(1, "shared", 1);
        w.cb_2->click();
    });
    EXPECT_EQ(item(3, "readme").toInt(), 1);
    EXPECT_EQ(picture(2), 7) << "rs.bmp";
}

// What the user types into the shortcut text is checked by Ok and undone by Cancel.
TEST_F(FileProperties, TypedShortcutTextCountsForOkAndGoesWithCancel) {
    auto type = [](w_file_properties& w, const char* text) {
        w.dw_1->store().setItem(1, "exe", 1);
        w.dw_1->setRow(1);
        w.dw_1->setColumn("stringvar_linktext");
        EXPECT_EQ(w.dw_1->setEditText(text), 1);
    };
    properties(1, [&](w_file_properties& w) {
        type(w, "Typed");
        w.cb_1->click();
    });
    EXPECT_EQ(item(1, "exe").toInt(), 0);
    EXPECT_EQ(item(1, "linktext").toText(), "");
    properties(1, [&](w_file_properties& w) {
        type(w, "  ");
        boxes.answer(1);
        w.cb_2->click();
        core_test::settle();
        EXPECT_EQ(boxes.shown().size(), 1u) << "blanks typed are no text";
        EXPECT_TRUE(w.isOpen());
        w.dw_1->setEditText("Typed");
        w.cb_2->click();
    });
    EXPECT_EQ(item(1, "linktext").toText(), "Typed");
}

// The shortcut text keeps the line around it empty, filled and while typed into.
TEST_F(FileProperties, TheShortcutTextIsFramedWhateverItHolds) {
    properties(1, [&](w_file_properties& w) {
        std::filesystem::path folder = testing_support::artefactFolder("authoring");
        std::filesystem::create_directories(folder);
        // The field's left edge, half way down, and the grey of its line.
        auto framed = [&](const char* shot) {
            core_test::settle();
            QImage image = w.dw_1->widget()->grab().toImage();
            image.save(QString::fromStdString((folder / shot).string()));
            QPoint left(runtime::units::toPixelsX(1390), runtime::units::toPixelsY(140 + 40));
            QPoint top(runtime::units::toPixelsX(1390 + 575), runtime::units::toPixelsY(140));
            return image.pixelColor(left) == QColor(0x80, 0x80, 0x80) &&
                   image.pixelColor(top) == QColor(0x80, 0x80, 0x80);
        };
        EXPECT_TRUE(framed("w_file_properties-empty.png"));
        w.dw_1->store().setItem(1, "exe", 1);
        w.dw_1->store().setItem(1, "stringvar_linktext", "My App");
        EXPECT_TRUE(framed("w_file_properties-filled.png"));
        w.dw_1->setRow(1);
        w.dw_1->setColumn("stringvar_linktext");
        EXPECT_EQ(w.dw_1->setEditText("Typed here"), 1);
        EXPECT_TRUE(framed("w_file_properties-typing.png"));
        EXPECT_EQ(runtime::clippedTexts(w.widget()), std::vector<std::string>{});
        EXPECT_EQ(runtime::accessKeyClashes(w.widget()), std::vector<std::string>{});
        w.widget()->grab().save(QString::fromStdString((folder / "w_file_properties.png").string()));
        w.cb_1->click();
    });
}

TEST_F(FileProperties, OpensAsUsualAfterTheDuplicateFilesDialog) {
    service_->fnv_insert_file("C:\\DATA\\APP.EXE", 2);
    whenOpen("w_handle_duplicate_files",
             [](runtime::Window& w) { dynamic_cast<w_handle_duplicate_files&>(w).cb_1->click(); });
    EXPECT_FALSE(service_->fnv_handle_duplicate_files(false));
    properties(1, [](w_file_properties& w) {
        EXPECT_EQ(w.dw_1->store().rowCount(), 1);
        w.cb_1->click();
    });
}

}  // namespace
}  // namespace authoring_test
