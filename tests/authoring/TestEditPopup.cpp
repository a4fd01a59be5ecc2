// The right-click menu of text fields and of string-variable columns: when it is shown, which of
// its entries are enabled, and pasting a string-variable reference through it.
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <map>
#include <string>

#include "authoring/FilesFixture.h"
#include "authoring/windows/nv_stringvar_popup.h"
#include "authoring/windows/w_choose_stringvar.h"
#include "runtime/services/System.h"
#include "standard/u_checkbox_a.h"
#include "standard/u_dw_create_setup_a.h"
#include "standard/u_mle_a.h"
#include "standard/u_sle_a.h"
#include "standard/w_dw_a.h"

namespace {

using runtime::Value;

// What a call showed: nothing, or the menu with each entry's state by its text.
struct Shown {
    bool menu = false;
    std::map<std::string, bool> enabled;
};

class EditPopupTest : public authoring_test::FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_menus();
        startService().fnv_retrieve_product_stringtable(1);
        application().gi_prod_id = 1;
        editor = runtime::create<pakomo::w_dw_a>("w_editor");
        sle = editor->addControl<pakomo::u_sle_a>("sle_1");
        mle = editor->addControl<pakomo::u_mle_a>("mle_1");
        check = editor->addControl<pakomo::u_checkbox_a>("cbx_1");
        dw = editor->addControl<pakomo::u_dw_create_setup_a>("dw_1", "u_dw_create_setup_a", "d_file_properties");
        dw->move(0, 400);
        dw->resize(3000, 600);
        editor->open();
        core_test::settle();
        // Two rows: the shortcut text is protected on the first (no shortcut) only.
        for (int exe : {0, 1}) {
            long row = dw->store().insertRow(0);
            dw->store().setItem(row, "exe", exe);
            dw->store().setItem(row, "path", "C:\\a.txt");
        }
        dw->fu_set_protected_column("stringvar_linktext", "exe=0");
        popup = runtime::createByName("nv_stringvar_popup").as<pakomo::nv_stringvar_popup>();
        ASSERT_TRUE(popup);
    }
    void TearDown() override {
        if (popup) runtime::destroy(popup);
        // Destroyed, not closed: closing the last window would end the program for later tests.
        if (editor) runtime::destroy(editor);
        FilesFixture::TearDown();
    }

    // Runs `call`, reads the menu it shows and chooses the entry of that text (or none).
    Shown run(const std::function<bool()>& call, bool expectedResult, const std::string& choose = "") {
        Shown shown;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            shown.menu = true;
            QAction* chosen = nullptr;
            std::function<void(QMenu*)> read = [&](QMenu* m) {
                for (QAction* a : m->actions()) {
                    if (a->isSeparator()) continue;
                    shown.enabled[a->text().toStdString()] = a->isEnabled();
                    if (a->text().toStdString() == choose) chosen = a;
                    if (a->menu()) read(a->menu());
                }
            };
            read(menu);
            menu->close();
            if (chosen) chosen->trigger();
        });
        EXPECT_EQ(call(), expectedResult);
        core_test::settle();
        return shown;
    }
    bool onField(runtime::Object* control) { return popup->fnv_show_popup(*editor, control, 0, 0); }
    bool onColumn(long row, const std::string& column) {
        return popup->fnv_show_popup(*editor, *dw, 0, 0, row, pakomo::dwobject{column, "column", 10, 0});
    }

    runtime::Ref<pakomo::w_dw_a> editor;
    runtime::Ref<pakomo::u_sle_a> sle;
    runtime::Ref<pakomo::u_mle_a> mle;
    runtime::Ref<pakomo::u_checkbox_a> check;
    runtime::Ref<pakomo::u_dw_create_setup_a> dw;
    runtime::Ref<pakomo::nv_stringvar_popup> popup;
};

TEST_F(EditPopupTest, EntriesFollowTheClipboardAndTheFieldsSelection) {
    struct Case {
        const char* clipboard;
        int selected;  // characters selected from the start
        bool cutCopy, clipboardEntry;
    };
    const Case cases[] = {
        {"x", 3, true, true},
        {"", 3, true, false},
        {"x", 0, false, true},
        {"", 0, false, false},
    };
    sle->setText("abcdef");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clipboard) + " " + std::to_string(c.selected));
        runtime::setClipboardText(c.clipboard);
        sle->selectText(1, c.selected);
        Shown shown = run([&] { return onField(sle.get()); }, true);
        ASSERT_TRUE(shown.menu);
        EXPECT_EQ(shown.enabled.size(), 5u);
        EXPECT_EQ(shown.enabled["Cu&t"], c.cutCopy);
        EXPECT_EQ(shown.enabled["&Copy"], c.cutCopy);
        EXPECT_EQ(shown.enabled["C&lipboard"], c.clipboardEntry);
        EXPECT_TRUE(shown.enabled["&Paste"]);
        EXPECT_TRUE(shown.enabled["&Stringconstant..."]);
    }
}

TEST_F(EditPopupTest, OnlyTheFiveEditFieldsGetTheMenu) {
    runtime::setClipboardText("x");
    EXPECT_TRUE(run([&] { return onField(mle.get()); }, true).menu);
    EXPECT_FALSE(run([&] { return onField(check.get()); }, false).menu);
    EXPECT_FALSE(run([&] { return onField(nullptr); }, false).menu);
}

TEST_F(EditPopupTest, CutFromTheMenuActsOnTheFieldItsWindowRemembers) {
    sle->setText("abcdef");
    sle->setFocus();
    sle->trigger("getfocus");
    sle->selectText(1, 3);
    runtime::setClipboardText("");
    run([&] { return onField(sle.get()); }, true, "Cu&t");
    EXPECT_EQ(sle->text(), "def");
    EXPECT_EQ(runtime::clipboardText(), "abc");
}

TEST_F(EditPopupTest, AColumnGetsTheMenuOnlyWhenRegisteredOnARowAndNotProtectedThere) {
    runtime::setClipboardText("x");
    struct Case {
        long row;
        const char* column;
        bool shown;
    };
    const Case cases[] = {
        {2, "stringvar_linktext", true},
        {1, "stringvar_linktext", false},  // protected: no shortcut on this row
        {0, "stringvar_linktext", false},  // header or below the last row
        {2, "path", false},                // not registered for string variables
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + " " + c.column);
        Shown shown = run([&] { return onColumn(c.row, c.column); }, c.shown);
        EXPECT_EQ(shown.menu, c.shown);
    }
    // Protected by a plain value, without an expression: still offered.
    ASSERT_EQ(dw->modify("stringvar_linktext.Protect=1"), "");
    EXPECT_TRUE(run([&] { return onColumn(1, "stringvar_linktext"); }, true).menu);
}

TEST_F(EditPopupTest, TheTextBeingEditedIsTakenIntoItsRowFirstEvenWithoutAMenu) {
    dw->setRow(2);
    dw->setColumn("stringvar_linktext");
    dw->setFocus();
    dw->setEditText("Start me");
    EXPECT_FALSE(run([&] { return onColumn(0, "stringvar_linktext"); }, false).menu);
    EXPECT_EQ(dw->store().getItemString(2, "stringvar_linktext"), "Start me");
}

TEST_F(EditPopupTest, TheStringconstantEntryPastesTheChosenReferenceAndCancelChangesNothing) {
    sle->resize(2000, 88);  // a field without scrolling takes no more than it can show
    sle->setText("Folder: ");
    sle->setFocus();
    sle->trigger("getfocus");
    core_test::settle();
    runtime::setClipboardText("before");
    whenOpen("w_choose_stringvar", [](runtime::Window& w) { dynamic_cast<pakomo::w_choose_stringvar&>(w).cb_2->click(); });
    run([&] { return onField(sle.get()); }, true, "&Stringconstant...");
    EXPECT_EQ(runtime::clipboardText(), "before");
    EXPECT_EQ(sle->text(), "Folder: ");

    whenOpen("w_choose_stringvar", [](runtime::Window& w) {
        auto& picker = dynamic_cast<pakomo::w_choose_stringvar&>(w);
        for (long r = 1; r <= picker.dw_1->rowCount(); ++r)
            if (picker.dw_1->store().getItemString(r, "name") == "PRODUCTNAME") {
                picker.dw_1->trigger("doubleclicked", {Value(5), Value(5), Value(r)});
                return;
            }
        ADD_FAILURE() << "PRODUCTNAME is not offered";
        picker.cb_2->click();
    });
    run([&] { return onField(sle.get()); }, true, "&Stringconstant...");
    EXPECT_EQ(runtime::clipboardText(), "^PRODUCTNAME^");
    EXPECT_EQ(sle->text(), "Folder: ^PRODUCTNAME^");
}

}  // namespace
