// The control ancestors: the five text-entry kinds report focus and selection on key and
// button releases, the simple controls report focus, all of them find the window through
// composite controls; the composite ancestor's help, identifier and re-layout; the splitter.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <functional>
#include <vector>

#include "runtime/ui/Controls.h"
#include "standard/u_checkbox_a.h"
#include "standard/u_ddlb_a.h"
#include "standard/u_ddplb_a.h"
#include "standard/u_em_a.h"
#include "standard/u_gb_a.h"
#include "standard/u_mle_a.h"
#include "standard/u_p_a.h"
#include "standard/u_rb_a.h"
#include "standard/u_sle_a.h"
#include "standard/u_st_a.h"
#include "standard/uo_a.h"
#include "standard/uo_line_seperator.h"
#include "standard/w_mdi.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

class w_reports : public w_a {
public:
    w_reports() : w_a("w_reports") {
        on("ue_menu_clipboard", [this](Args a) {
            hook.push_back(a[0].toBool());
            return Value();
        });
    }
    std::vector<bool> hook;
};

class ControlAncestors : public framework_test::FrameworkFixture {
protected:
    void SetUp() override {
        FrameworkFixture::SetUp();
        w = runtime::create<w_reports>();
        uo = w->addControl<uo_a>("uo_1");
    }
    Ref<w_reports> w;
    Ref<uo_a> uo;
};

struct EntryCase {
    const char* kind;
    std::function<Ref<runtime::TextControl>(uo_a&)> make;
    std::function<Ref<w_a>(runtime::Control&)> parent;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.kind; }

class TextEntry : public ControlAncestors, public ::testing::WithParamInterface<EntryCase> {};

template <class T>
EntryCase entry(const char* kind, std::function<void(T&)> setup = {}) {
    return {kind,
            [setup](uo_a& holder) {
                Ref<T> c = holder.addControl<T>("c_1");
                if (setup) setup(*c);
                return Ref<runtime::TextControl>(c);
            },
            [](runtime::Control& c) { return dynamic_cast<T&>(c).fu_get_parent_window(); }};
}

TEST_P(TextEntry, ReportsFocusAndSelectionOnEveryReleaseToTheWindowBeyondTheComposite) {
    const EntryCase& c = GetParam();
    Ref<runtime::TextControl> t = c.make(*uo);
    w->open();
    EXPECT_EQ(c.parent(*t).get(), w.get());

    t->trigger("getfocus");
    EXPECT_EQ(w->ipo_focus.get(), t.get());

    t->setText("hello world");
    t->selectText(1, 5);
    // Releasing Shift reports the selection as it is.
    t->trigger("keyup", {16, 1});
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, "hello");
    EXPECT_EQ(w->i_str_selected_text.control.get(), t.get());

    t->selectText(7, 5);
    t->trigger("lbuttonup", {0, 3, 3});
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, "world");
    t->trigger("lbuttonup", {0, 3, 3});  // an unchanged selection is reported again

    t->selectText(1, 0);
    t->trigger("keyup", {65, 0});
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, "world") << "an empty report keeps the last one";
    EXPECT_EQ(w->hook, (std::vector<bool>{true, true, true, false}));
}

INSTANTIATE_TEST_SUITE_P(
    Framework, TextEntry,
    ::testing::Values(entry<u_sle_a>("u_sle_a"), entry<u_mle_a>("u_mle_a"), entry<u_em_a>("u_em_a"),
                      entry<u_ddlb_a>("u_ddlb_a", [](u_ddlb_a& d) { d.setAllowEdit(true); }),
                      entry<u_ddplb_a>("u_ddplb_a", [](u_ddplb_a& d) { d.setAllowEdit(true); })),
    [](const auto& info) { return std::string(info.param.kind); });

TEST_F(ControlAncestors, RealKeysAndClicksReachTheWindowAsReports) {
    Ref<u_sle_a> sle = uo->addControl<u_sle_a>("sle_1");
    Ref<u_sle_a> other = w->addControl<u_sle_a>("sle_2");
    w->open();
    w->widget()->activateWindow();
    QApplication::setActiveWindow(w->widget());
    sle->setText("abc def");
    sle->setFocus();
    core_test::settle();
    EXPECT_EQ(w->ipo_focus.get(), sle.get());
    sle->selectText(5, 3);
    QTest::keyClick(sle->widget(), Qt::Key_Shift);
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, "def");
    other->setFocus();
    core_test::settle();
    EXPECT_EQ(w->ipo_focus.get(), other.get());

    // A selection dragged with the mouse is reported once, when the button is released.
    other->setText("drag across me");
    QWidget* edit = other->lineEdit();
    size_t before = w->hook.size();
    QTest::mousePress(edit, Qt::LeftButton, {}, QPoint(4, edit->height() / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(edit->width() - 4, edit->height() / 2),
                     edit->mapToGlobal(QPointF(edit->width() - 4, edit->height() / 2)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(edit, &move);
    EXPECT_EQ(w->hook.size(), before);
    QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(edit->width() - 4, edit->height() / 2));
    ASSERT_EQ(w->hook.size(), before + 1);
    EXPECT_TRUE(w->hook.back());
    EXPECT_FALSE(w->i_str_selected_text.s_selected_text.empty());
    EXPECT_EQ(w->i_str_selected_text.s_selected_text, other->selectedText());
}

TEST_F(ControlAncestors, ASingleLineEditTakesNoMoreThanFitsUnlessItScrolls) {
    Ref<u_sle_a> sle = w->addControl<u_sle_a>("sle_1");
    Ref<u_sle_a> scrolling = w->addControl<u_sle_a>("sle_2");
    scrolling->set_autohscroll(true);
    w->open();
    const std::string typed(80, 'W');
    for (u_sle_a* edit : {sle.get(), scrolling.get()}) {
        edit->setFocus();
        QTest::keyClicks(edit->lineEdit(), QString::fromStdString(typed));
    }
    EXPECT_GT(sle->text().size(), 0u);
    EXPECT_LT(sle->text().size(), typed.size());
    EXPECT_EQ(scrolling->text(), typed);
    // Text set by program is not cut.
    sle->setText(typed);
    EXPECT_EQ(sle->text(), typed);
}

TEST_F(ControlAncestors, SimpleControlsFindTheirWindowAndReportFocusOnly) {
    Ref<u_st_a> st = uo->addControl<u_st_a>("st_1");
    Ref<u_checkbox_a> cbx = uo->addControl<u_checkbox_a>("cbx_1");
    Ref<u_rb_a> rb = uo->addControl<u_rb_a>("rb_1");
    Ref<u_p_a> p = w->addControl<u_p_a>("p_1");
    Ref<u_gb_a> gb = w->addControl<u_gb_a>("gb_1");
    w->open();
    EXPECT_EQ(rb->fu_get_parent_window().get(), w.get()) << "the window, not the composite";
    EXPECT_EQ(st->fu_get_parent_window().get(), w.get());
    EXPECT_EQ(p->fu_get_parent_window().get(), w.get());
    EXPECT_FALSE(st->enabled());
    EXPECT_EQ(st->text(), "Text");
    EXPECT_EQ(runtime::typeOf(gb.get()), "groupbox");
    Ref<u_ddplb_a> ddplb = w->addControl<u_ddplb_a>("ddplb_1");
    ddplb->addItem("with picture", 1);
    EXPECT_FALSE(ddplb->comboBox()->itemIcon(0).isNull());
    for (runtime::Control* c : std::vector<runtime::Control*>{cbx.get(), rb.get(), p.get(), st.get()}) {
        c->trigger("getfocus");
        EXPECT_EQ(w->ipo_focus.get(), c);
    }
    // Tabbing from an edit onto a check box makes the check box the focused control.
    Ref<u_sle_a> sle = w->addControl<u_sle_a>("sle_1");
    sle->trigger("getfocus");
    cbx->trigger("getfocus");
    EXPECT_EQ(w->ipo_focus.get(), cbx.get());
    runtime::setClipboardText("clip");
    w->fw_paste();
    w->fw_copy();
    EXPECT_EQ(runtime::clipboardText(), "clip");
}

TEST_F(ControlAncestors, CompositeControlsHelpIdentifierAndRelayout) {
    std::vector<std::string> log;
    uo->on("ue_post_constructor", [&](Args) {
        log.push_back("ue_post_constructor");
        return Value();
    });
    Ref<runtime::StaticText> inner = uo->addControl<runtime::StaticText>("st_inner");
    w->open();
    EXPECT_TRUE(log.empty()) << "queued by the constructor";
    core_test::settle();
    EXPECT_EQ(log, (std::vector<std::string>{"ue_post_constructor"}));
    EXPECT_TRUE(uo->fu_get_microhelp());
    EXPECT_EQ(uo->fu_get_microhelptext(), "Holvane");
    EXPECT_EQ(uo->fu_get_id(), "");

    Ref<w_mdi> frame = runtime::create<w_mdi>();
    frame->open();
    core_test::settle();
    uo->fu_set_microhelptext("Pick a colour");
    uo->trigger("mousemove", {0, 1, 1});
    EXPECT_EQ(frame->microHelp(), "Pick a colour");
    uo->fu_set_microhelp(false);
    frame->setMicroHelp("Kept");
    uo->trigger("mousemove", {0, 1, 1});
    EXPECT_EQ(frame->microHelp(), "Kept");

    EXPECT_EQ(uo->fu_position_get_flags(*inner), 0);
    uo->fu_position_set_flags(*inner, 0x18001);
    EXPECT_EQ(uo->fu_position_get_flags(*inner), static_cast<int16_t>(0x8001));
    uo->fu_position_set_flags(*inner, uo_a::align_hresize);
    uo->fu_position_set_width_marge(*inner, 64);
    uo->trigger("ue_size", {0, 1029, 584});
    EXPECT_EQ(inner->widget()->width(), runtime::unitsToPixelsX(1029) - runtime::unitsToPixelsX(64));
    // A real size change of the composite takes the same way.
    uo->resize(2000, 584);
    core_test::settle();
    int reported = runtime::pixelsToUnitsX(uo->widget()->width());  // the size the event reports
    EXPECT_EQ(inner->widget()->width(), runtime::unitsToPixelsX(reported) - runtime::unitsToPixelsX(64));
    EXPECT_TRUE(uo->widget()->updatesEnabled());
}

// The tree-and-detail control's part that the splitter relies on.
class uo_master_detail : public uo_a {
public:
    uo_master_detail() : uo_a("uo_tv_master_detail") {
        uo_seperator = addControl<uo_line_seperator>("uo_seperator");
        on("ue_start_separator_drag", [this](Args) {
            ++drags;
            return Value();
        });
    }
    Ref<uo_line_seperator> uo_seperator;
    int drags = 0;
};

TEST_F(ControlAncestors, SplitterFollowsItsOwnersHeightAndStartsTheOwnersDragAtOnce) {
    Ref<uo_master_detail> md = w->addControl<uo_master_detail>("uo_md");
    w->open();
    uo_line_seperator& bar = *md->uo_seperator;
    EXPECT_EQ(bar.iuo_parent.get(), md.get());
    EXPECT_TRUE(bar.fu_get_microhelp());
    EXPECT_EQ(bar.fu_get_microhelptext(), "Holvane");
    EXPECT_EQ(bar.width(), 83);
    struct Row {
        int height, endY;
    } rows[] = {{400, 392}, {8, 0}};
    for (const Row& r : rows) {
        bar.trigger("ue_resize", {r.height});
        EXPECT_EQ(bar.height(), r.height);
        EXPECT_EQ(bar.ln_1->endY(), r.endY);
        EXPECT_EQ(bar.ln_1->beginY(), 5);
    }
    bar.trigger("ue_resize", {400});
    QTest::mousePress(bar.widget(), Qt::LeftButton, {}, QPoint(bar.widget()->width() - 2, 50));
    EXPECT_EQ(md->drags, 1) << "triggered, not queued";
    QTest::mouseRelease(bar.widget(), Qt::LeftButton, {}, QPoint(bar.widget()->width() - 2, 50));
}

}  // namespace
