// The data-window control ancestor and its editing window: the redraw stack with its warnings,
// row tracking under the window's and the control's locks, protected columns on exactly the
// rows where the condition holds, the click-selection rules with Shift and Ctrl, right clicks,
// acceptance and a close refused while an edit cannot be accepted; the string-variable columns.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWidget>

#include <set>
#include <vector>

#include "authoring/core/layouts/core_layouts.h"
#include "runtime/core/Dispatch.h"
#include "runtime/data/DataLayout.h"
#include "runtime/services/System.h"
#include "runtime/ui/Controls.h"
#include "standard/u_dw_a.h"
#include "standard/u_dw_create_setup_a.h"
#include "standard/u_dw_select_none.h"
#include "standard/u_ds_choose_stringvar.h"
#include "standard/uo_a.h"
#include "standard/w_dw_a.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

void registerTestLayout() {
    runtime::DataLayout l;
    l.name = "d_test_rows";
    auto column = [](std::string name, std::string type, std::string style = "edit") {
        runtime::ColumnLayout c;
        c.name = std::move(name);
        c.type = std::move(type);
        c.updatable = true;
        c.editStyle = std::move(style);
        return c;
    };
    l.columns = {column("id", "decimal(0)"), column("name", "char(10)"), column("code", "char(10)", "editmask"),
                 column("exe", "number", "checkbox"), column("stringvar_text", "char(20)"),
                 column("xstringvar_a", "char(5)"), column("stringvarx", "char(5)")};
    l.columns[3].attributes = {{"checkbox.on", "1"}, {"checkbox.off", "0"}};
    runtime::registerLayout(l);
}

// A data window that keeps its selection in a set, through the two hooks.
class u_dw_selecting : public u_dw_a {
public:
    u_dw_selecting() : u_dw_a("u_dw_selecting") {
        on("ue_selectrow", [this](Args a) {
            int32_t row = static_cast<int32_t>(a[0].toInt());
            int action = static_cast<int>(a[1].toInt());
            bool on = action == select_true || (action == select_invert && !selected.count(row));
            if (on)
                selected.insert(row);
            else
                selected.erase(row);
            return Value(on);
        });
        on("ue_isselected", [this](Args a) { return Value(selected.count(static_cast<int32_t>(a[0].toInt())) > 0); });
    }
    std::set<int32_t> selected;
};

class ScriptedKeys : public runtime::KeyStateProvider {
public:
    ScriptedKeys() { previous_ = runtime::setKeyStateProvider(this); }
    ~ScriptedKeys() override { runtime::setKeyStateProvider(previous_); }
    bool isDown(runtime::ModifierKey key) override {
        return key == runtime::ModifierKey::Shift ? shift : ctrl;
    }
    bool shift = false, ctrl = false;

private:
    runtime::KeyStateProvider* previous_;
};

class DataWindows : public framework_test::FrameworkFixture {
protected:
    void SetUp() override {
        FrameworkFixture::SetUp();
        registerTestLayout();
        w = runtime::create<w_dw_a>();
    }
    template <class T = u_dw_a>
    Ref<T> addRows(const char* name, int rows) {
        Ref<T> dw = w->addControl<T>(name);
        dw->setDataObject("d_test_rows");
        dw->resize(1500, 900);
        for (int i = 1; i <= rows; ++i) {
            long r = dw->store().insertRow(0);
            dw->store().setItem(r, "id", i);
            dw->store().setItem(r, "exe", i % 2);
        }
        return dw;
    }
    Ref<w_dw_a> w;
};

TEST_F(DataWindows, RedrawStackNestsAndWarnsAboutUnmatchedRestores) {
    Ref<u_dw_a> dw = addRows("dw_1", 1);
    w->open();
    EXPECT_TRUE(dw->fu_get_redraw());
    boxes.answer(1);
    dw->fu_restore_redraw();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "System warning");
    EXPECT_EQ(boxes.shown()[0].text, "No matching set_redraw");
    EXPECT_TRUE(dw->fu_get_redraw());

    dw->fu_set_redraw(false);
    dw->fu_set_redraw(false);
    dw->fu_restore_redraw();
    EXPECT_FALSE(dw->widget()->updatesEnabled());
    dw->fu_restore_redraw();
    EXPECT_TRUE(dw->widget()->updatesEnabled());
    boxes.answer(1);
    dw->fu_restore_redraw();
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(dw->fu_get_redraw());

    dw->fu_set_redraw(false);
    dw->fu_set_redraw(true);
    dw->fu_restore_redraw();
    EXPECT_FALSE(dw->fu_get_redraw());
    EXPECT_FALSE(dw->widget()->updatesEnabled());
    // Destroyed before its restore: one warning.
    boxes.answer(1);
    runtime::destroy(dw);
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[2].text, "Missing restore_redraw");
}

TEST_F(DataWindows, RowTrackingFollowsTheLocksAndReplacesADeletedCurrentRow) {
    Ref<u_dw_a> first = addRows("dw_1", 6);
    Ref<u_dw_a> dw = addRows("dw_2", 6);
    w->open();
    EXPECT_EQ(w->fw_get_active_datawindow().get(), dw.get()) << "the one constructed last";
    dw->setRow(2);
    EXPECT_EQ(dw->fu_get_current_row(), 0) << "the window's switch is off until ue_init";
    core_test::settle();
    EXPECT_EQ(dw->fu_set_current_row(5, true), 5);
    EXPECT_EQ(dw->fu_set_current_row(4, false), 4);
    EXPECT_EQ(dw->fu_get_previous_row(), 5);

    w->fw_set_changerowallowed(false);
    EXPECT_EQ(dw->fu_set_current_row(6, false), 4);
    EXPECT_EQ(dw->fu_get_previous_row(), 4);
    EXPECT_EQ(dw->getRow(), 6);
    w->fw_set_changerowallowed(true);

    w->trigger("ue_pre_delete", {dw->handle()});
    dw->fu_set_current_row(1, false);
    EXPECT_EQ(dw->fu_get_current_row(), 4);
    dw->store().deleteRow(6);
    dw->store().deleteRow(5);
    dw->store().deleteRow(4);
    dw->fu_set_current_row(2, false);
    EXPECT_EQ(dw->fu_get_current_row(), 2) << "the remembered row is gone: replaced though locked";
    w->trigger("ue_post_delete", {dw->handle()});
    EXPECT_TRUE(dw->fu_get_changerowallowed());

    dw->ib_select_range_in_progress = true;
    dw->fu_set_current_row(3, false);
    EXPECT_EQ(dw->fu_get_current_row(), 2);
    EXPECT_EQ(dw->fu_get_previous_row(), 4);
    dw->ib_select_range_in_progress = false;
    EXPECT_EQ(first->fu_get_parent_window().get(), w.get());
}

TEST_F(DataWindows, AProtectedColumnIsLockedAndGreyExactlyWhereTheConditionHolds) {
    Ref<u_dw_a> dw = addRows("dw_1", 4);
    w->open();
    dw->fu_set_protected_column("stringvar_text", "exe=0");
    dw->fu_set_protected_column("exe", "id = 3");
    int text = dw->store().columnNumber("stringvar_text");
    int exe = dw->store().columnNumber("exe");
    for (long row = 1; row <= 4; ++row) {
        EXPECT_EQ(dw->isEditable(row, text), row % 2 == 1) << row;
        EXPECT_EQ(dw->isEditable(row, exe), row != 3) << row;
    }
    EXPECT_NE(dw->describe("stringvar_text.background.color").find("12632256"), std::string::npos);
    EXPECT_EQ(dw->describe("exe.background.color").find("if("), std::string::npos) << "no background for a check box";
    EXPECT_NE(dw->describe("exe.color").find("8421504"), std::string::npos);
    // An edit-mask column takes the background too.
    dw->fu_set_protected_column("code", "id=1");
    EXPECT_NE(dw->describe("code.background.color").find("12632256"), std::string::npos);
    EXPECT_FALSE(dw->isEditable(1, dw->store().columnNumber("code")));
    // A bad column changes nothing and reports nothing.
    dw->fu_set_protected_column("nothing", "id=1");
}

struct Click {
    int32_t row;
    bool shift, ctrl;
};

struct SelectionCase {
    const char* name;
    int16_t allow;
    int32_t rows;
    std::vector<Click> clicks;
    std::set<int32_t> selected;
    int32_t anchor;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << c.name; }

class ClickSelection : public DataWindows, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(ClickSelection, SelectsByModeAndKeysAndPutsTheRowsBack) {
    const SelectionCase& c = GetParam();
    Ref<u_dw_selecting> dw = addRows<u_dw_selecting>("dw_1", c.rows);
    w->open();
    core_test::settle();
    dw->fu_set_current_row(2, false);
    dw->fu_set_current_row(3, false);
    dw->fu_set_select_allow(c.allow);
    ScriptedKeys keys;
    int hourglasses = runtime::Pointer::hourglassCount();
    for (const Click& k : c.clicks) {
        keys.shift = k.shift;
        keys.ctrl = k.ctrl;
        w->trigger("ue_select", {dw->handle(), k.row});
    }
    EXPECT_EQ(dw->selected, c.selected);
    EXPECT_EQ(dw->il_anchor_row, c.anchor);
    EXPECT_EQ(dw->fu_get_current_row(), 3);
    EXPECT_EQ(dw->fu_get_previous_row(), 2);
    EXPECT_EQ(dw->fu_get_redraw(), true);
    if (c.allow < 1) {
        EXPECT_EQ(runtime::Pointer::hourglassCount(), hourglasses) << "not even the hourglass";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Framework, ClickSelection,
    ::testing::Values(
        SelectionCase{"off", 0, 3, {{1, false, false}}, {}, 0},
        SelectionCase{"one_row_click", 1, 3, {{2, false, false}, {1, false, false}}, {1}, 0},
        SelectionCase{"one_row_ctrl_on_selected_clears_all", 1, 3, {{1, false, false}, {1, false, true}}, {}, 0},
        SelectionCase{"one_row_shift_ignored", 1, 4, {{1, false, false}, {4, true, false}}, {4}, 0},
        SelectionCase{"several_click_then_shift", 2, 6, {{2, false, false}, {5, true, false}}, {2, 3, 4, 5}, 2},
        SelectionCase{"shift_back_past_anchor", 2, 6, {{2, false, false}, {5, true, false}, {1, true, false}},
                      {1, 2}, 2},
        SelectionCase{"ctrl_then_ctrl_shift", 2, 10, {{2, false, true}, {7, false, true}, {9, true, true}},
                      {2, 7, 8, 9}, 7},
        SelectionCase{"ctrl_toggles_off_and_range_follows", 2, 10,
                      {{7, false, false}, {7, false, true}, {9, true, true}}, {}, 7},
        SelectionCase{"shift_without_anchor_selects_none", 2, 5, {{3, false, true}, {3, false, true}, {4, true, false}},
                      {}, 3},
        SelectionCase{"first_shift_click_sets_anchor", 2, 5, {{4, true, false}}, {}, 4},
        SelectionCase{"ctrl_shift_without_anchor_is_ctrl", 2, 5, {{4, true, true}}, {4}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataWindows, RangesOutsideTheRowsAndAnAnchorBeyondTheLastRowDoNothing) {
    Ref<u_dw_selecting> dw = addRows<u_dw_selecting>("dw_1", 6);
    w->open();
    dw->fu_select_range(5, 2, u_dw_a::select_true);
    EXPECT_EQ(dw->selected, (std::set<int32_t>{2, 3, 4, 5}));
    dw->fu_select_range(0, 3, u_dw_a::select_false);
    dw->fu_select_range(1, 7, u_dw_a::select_false);
    EXPECT_EQ(dw->selected.size(), 4u);
    EXPECT_TRUE(dw->fu_is_selected(3));

    dw->fu_set_select_allow(2);
    ScriptedKeys keys;
    w->trigger("ue_select", {dw->handle(), 6});  // anchor 6
    dw->store().deleteRow(6);
    dw->store().deleteRow(5);
    dw->selected = {1, 2};
    keys.shift = keys.ctrl = true;
    w->trigger("ue_select", {dw->handle(), 2});
    EXPECT_EQ(dw->selected, (std::set<int32_t>{1, 2})) << "Ctrl and Shift with a lost anchor change nothing";
    keys.ctrl = false;
    w->trigger("ue_select", {dw->handle(), 2});
    EXPECT_TRUE(dw->selected.empty()) << "Shift deselects all; the range from the lost anchor does nothing";
}

TEST_F(DataWindows, ClicksReachTheWindowQueuedAndRightClicksFillTheParameterRecord) {
    Ref<u_dw_a> dw = addRows("dw_1", 4);
    w->open();
    core_test::settle();
    dw->modify("code.protect='1'");
    dw->modify("id.tabsequence='0'");
    dw->setColumn("name");
    struct Row {
        const char* dwo;
        int32_t row;
        int32_t expectedRow;
        const char* expectedColumn;
    } rows[] = {{"stringvar_text", 3, 3, "stringvar_text"},
                {"code", 2, 2, "stringvar_text"},
                {"id", 1, 1, "stringvar_text"},
                {"datawindow", 0, 1, "stringvar_text"}};
    for (const Row& r : rows) {
        runtime::DataWindowObject hit;
        hit.name = r.dwo;
        hit.type = std::string(r.dwo) == "datawindow" ? "datawindow" : "column";
        hit.row = r.row;
        int column = dw->store().columnNumber(r.dwo);
        hit.tabSequence = column > 0 ? std::string(r.dwo) == "id" ? 0 : 10 : 0;
        hit.protect = std::string(r.dwo) == "code" ? 1 : 0;
        w->post("ue_rbuttondown", click_arguments(*dw, std::vector<Value>{10, 20, r.row}, hit));
        core_test::settle();
        EXPECT_EQ(dw->getRow(), r.expectedRow) << r.dwo;
        EXPECT_EQ(dw->getColumnName(), r.expectedColumn) << r.dwo;
        s_pass& pass = application().g_str_pass;
        EXPECT_EQ(pass.window.get(1).get(), w.get());
        EXPECT_EQ(pass.datawindow.get(1).get(), dw.get());
        EXPECT_EQ(pass.number.get(1), r.row);
    }
    // A click on row 0 changes nothing; a click on a row makes it current.
    w->trigger("ue_clicked", {dw->handle(), 1, 1, 0, "datawindow"});
    EXPECT_EQ(dw->getRow(), 1);
    // The control's own click reaches the window only once its event has ended.
    std::vector<int32_t> seen;
    w->extend("ue_clicked", [&](Args a) {
        seen.push_back(static_cast<int32_t>(a[3].toInt()));
        return Value();
    });
    dw->trigger("clicked", {5, 5, 4, "name"});
    EXPECT_TRUE(seen.empty());
    core_test::settle();
    EXPECT_EQ(seen, (std::vector<int32_t>{4}));
    EXPECT_EQ(dw->getRow(), 4);
}

TEST_F(DataWindows, AcceptanceSaveAndACloseRefusedWhileTheEditCannotBeAccepted) {
    Ref<u_dw_a> dw = addRows("dw_1", 2);
    w->open();
    core_test::settle();
    dw->setRow(1);
    dw->setColumn("name");
    EXPECT_EQ(w->trigger("ue_pre_save", {dw->handle()}).toInt(), 1);
    ASSERT_EQ(dw->setEditText("far too long for ten"), 1);
    EXPECT_FALSE(w->ue_accept(*dw));
    EXPECT_EQ(w->trigger("ue_pre_save", {dw->handle()}).toInt(), -1);

    EXPECT_EQ(w->close(), -1) << "the pending edit would be lost";
    ASSERT_TRUE(w.isValid());
    EXPECT_EQ(w->il_closequery_retval, 1);
    EXPECT_TRUE(w->fw_get_changerowallowed());
    EXPECT_EQ(dw->getText(), "far too long for ten");

    dw->setEditText("short");
    EXPECT_EQ(w->close(), 1);
    EXPECT_FALSE(w.isValid());
}

TEST_F(DataWindows, FocusAndEditSelectionAreReportedToTheWindow) {
    Ref<u_dw_a> dw = addRows("dw_1", 2);
    w->open();
    core_test::settle();
    dw->setRow(1);
    dw->setColumn("name");
    dw->setEditText("abcdef");
    dw->trigger("getfocus");
    EXPECT_EQ(w->ipo_focus.get(), dw.get());
    // The edit field's selection reaches the window whenever the field repaints, and cut, copy
    // and paste act on the data window as on the other text kinds.
    auto* edit = qobject_cast<QLineEdit*>(dw->editField());
    ASSERT_NE(edit, nullptr);
    edit->setSelection(2, 3);
    dw->trigger("editpainted");
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, "cde");
    EXPECT_EQ(w->i_str_selected_text.control.get(), dw.get());
    edit->setSelection(0, 2);
    w->fw_copy();
    EXPECT_EQ(runtime::clipboardText(), "ab");
    w->fw_cut();
    EXPECT_EQ(dw->getText(), "cdef");
    runtime::setClipboardText("XY");
    w->fw_paste();
    EXPECT_EQ(dw->getText(), "XYcdef");
    std::vector<Value> accepts;
    w->extend("ue_accept", [&](Args a) {
        accepts.push_back(a[0]);
        return Value(true);
    });
    dw->trigger("losefocus");
    EXPECT_TRUE(accepts.empty());
    core_test::settle();
    EXPECT_EQ(accepts, (std::vector<Value>{dw->handle()}));
    dw->trigger("itemfocuschanged", {1, "name"});
    EXPECT_EQ(dw->fu_get_fieldvalue(), dw->getText());
}

// Stands in for the object-privilege register: records what is added.
class StandInRegister : public nv_a {
public:
    StandInRegister() : nv_a("nv_regobjects") {
        on("fnv_add_privilege", [this](Args a) {
            added.push_back(a[0].toText() + "|" + a[1].toText() + "|" + a[2].toText());
            return Value();
        });
    }
    std::vector<std::string> added;
};

TEST_F(DataWindows, OnlyStringVariableColumnsAreRegisteredAndSelectionIsOff) {
    Ref<StandInRegister> reg = runtime::create<StandInRegister>();
    application().gnv_regobjects = Ref<nv_a>(reg.get());
    Ref<u_dw_create_setup_a> a = w->addControl<u_dw_create_setup_a>("dw_a", "u_dw_create_setup_a", "d_test_rows");
    Ref<u_dw_create_setup_a> none = w->addControl<u_dw_create_setup_a>("dw_none");
    Ref<u_dw_select_none> plain = w->addControl<u_dw_select_none>("dw_plain");
    w->open();
    EXPECT_EQ(reg->added, (std::vector<std::string>{"stringvar_text|d_test_rows|1"}));
    EXPECT_EQ(a->fu_get_select_allow(), 0);
    EXPECT_EQ(plain->fu_get_select_allow(), 0);
    int hourglasses = runtime::Pointer::hourglassCount();
    plain->fu_select(1);
    EXPECT_EQ(runtime::Pointer::hourglassCount(), hourglasses);
    EXPECT_TRUE(none->dataObject().empty());
    runtime::destroy(reg);
}

TEST_F(DataWindows, TheStringVariablePickersRowsHaveNameAndValue) {
    registerCoreLayouts();
    Ref<u_ds_choose_stringvar> ds = runtime::create<u_ds_choose_stringvar>();
    EXPECT_EQ(ds->dataObject(), "d_choose_stringvar");
    EXPECT_GT(ds->columnNumber("name"), 0);
    EXPECT_GT(ds->columnNumber("value"), 0);
    EXPECT_EQ(ds->describe("name_t.text"), "Name");
    EXPECT_EQ(ds->describe("value_t.text"), "Value");
    runtime::destroy(ds);
}

}  // namespace
