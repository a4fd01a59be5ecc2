// The fixed colour picker: the colour shown on itself with its text colour rule, the fixed
// list, "&RGB..." through the mixer, the owner's notifications, and the dialog service's
// fixed-colour functions.
#include "dialogs/DialogsFixture.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QComboBox>

#include "standard/layouts/standard_layouts.h"
#include "standard/nv_dialogs.h"
#include "standard/w_choose_custom_color.h"
#include "standard/w_get_color.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

class FixedColorPicker : public dialogs_test::DialogsFixture {
protected:
    bool pick(int32_t& color, std::function<void(w_get_color&)> act) {
        whenOpen("w_get_color", [act](runtime::Window& w) { act(dynamic_cast<w_get_color&>(w)); });
        nv_dialogs service;
        const bool ok = service.fnv_get_color(color);
        EXPECT_EQ(pendingActs(), 0) << "the dialog returned before the test acted in it";
        return ok;
    }
    static long attribute(uo_get_color& p, const char* name) {
        runtime::DataStore& s = p.dw_color->store();
        return static_cast<long>(s.columnAttribute(1, s.columnNumber("color"), name).toInt());
    }
};

TEST_F(FixedColorPicker, TheListHoldsTheFixedColoursWithoutBlack) {
    const auto& rows = dddw_choose_color_rows();
    ASSERT_EQ(rows.size(), 27u);
    EXPECT_EQ(rows.front(), 16777215);
    EXPECT_EQ(rows[3], 16711680);
    EXPECT_EQ(rows.back(), 12648447);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), 0), 0);
}

TEST_F(FixedColorPicker, ShowsAnyColourOnItselfWithBlackTextOnlyOnWhiteAndOkGivesItBack) {
    struct Case {
        int32_t color;
        long text;
    };
    for (const Case& c : {Case{65535, 16777215}, Case{16777215, 0}, Case{0, 16777215}, Case{1234567, 16777215}}) {
        SCOPED_TRACE(c.color);
        int32_t color = c.color;
        bool ok = pick(color, [&](w_get_color& w) {
            EXPECT_EQ(w.uo_color->fu_get_color(), c.color);
            EXPECT_EQ(w.uo_color->dw_color->getText(), std::to_string(c.color));
            EXPECT_EQ(attribute(*w.uo_color, "background.color"), c.color);
            EXPECT_EQ(attribute(*w.uo_color, "color"), c.text);
            if (c.color == 65535) {
                // The list: every fixed colour drawn on itself, black text only on white.
                auto* list = qobject_cast<QComboBox*>(w.uo_color->dw_color->editField());
                ASSERT_NE(list, nullptr);
                ASSERT_EQ(list->count(), 27);
                for (int i = 0; i < list->count(); ++i) {
                    int32_t fixed = dddw_choose_color_rows()[static_cast<size_t>(i)];
                    EXPECT_EQ(list->itemText(i).toStdString(), std::to_string(fixed));
                    QColor back = list->itemData(i, Qt::BackgroundRole).value<QColor>();
                    QColor text = list->itemData(i, Qt::ForegroundRole).value<QColor>();
                    EXPECT_EQ(back, QColor(fixed & 0xFF, (fixed >> 8) & 0xFF, (fixed >> 16) & 0xFF)) << fixed;
                    EXPECT_EQ(text, fixed == 16777215 ? QColor(Qt::black) : QColor(Qt::white)) << fixed;
                }
                screenshot(w, "w_get_color");
            }
            w.cb_1->click();
        });
        EXPECT_TRUE(ok);
        EXPECT_EQ(color, c.color);
    }
}

TEST_F(FixedColorPicker, AnEntryPickedFromTheListIsReturnedAndTheOwnerHearsAfterItWasStored) {
    int32_t color = 255;
    bool ok = pick(color, [](w_get_color& w) {
        uo_get_color& p = *w.uo_color;
        std::vector<int32_t> heard;
        p.extend("ue_selection_changed", [&heard, &p](Args) {
            heard.push_back(p.fu_get_color());
            return Value();
        });
        p.dw_color->setEditText("16711680");
        EXPECT_EQ(p.dw_color->acceptText(), 1);
        EXPECT_TRUE(heard.empty()) << "the notification is queued";
        core_test::settle();
        EXPECT_EQ(heard, std::vector<int32_t>{16711680});
        w.cb_1->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(color, 16711680);
}

TEST_F(FixedColorPicker, CancelLeavesTheColourAndTheRecord) {
    int32_t color = 8421504;
    EXPECT_FALSE(pick(color, [](w_get_color& w) {
        w.uo_color->fu_set_color(255);
        w.cb_2->click();
    }));
    EXPECT_EQ(color, 8421504);
    EXPECT_EQ(application().g_str_pass.number.get(1), 8421504);
    EXPECT_EQ(application().g_str_pass.button_clicked, 2);
}

struct RgbCase {
    const char* name;
    bool confirm;
    int32_t result;
    int notifications;
};
void PrintTo(const RgbCase& c, std::ostream* os) { *os << c.name; }

class FixedColorPickerRgb : public FixedColorPicker, public ::testing::WithParamInterface<RgbCase> {};

TEST_P(FixedColorPickerRgb, RgbMixesAColourOnlyWhenTheMixerIsConfirmed) {
    const RgbCase& c = GetParam();
    int32_t color = 65280;
    int heard = 0;
    bool ok = pick(color, [&](w_get_color& w) {
        uo_get_color& p = *w.uo_color;
        p.extend("ue_selection_changed", [&heard](Args) {
            ++heard;
            return Value();
        });
        whenOpen("w_choose_custom_color", [&](runtime::Window& mw) {
            auto& mixer = dynamic_cast<w_choose_custom_color&>(mw);
            EXPECT_EQ(mixer.uo_1->fu_get_color(), 65280) << "the mixer starts from the picker's colour";
            if (!c.confirm) {
                mixer.cb_2->click();
                return;
            }
            mixer.uo_1->fu_set_color(10 + 256 * 20 + 65536 * 30);
            screenshot(mixer, "w_choose_custom_color_from_rgb");
            mixer.cb_1->click();
        });
        p.cb_rgb->click();
        core_test::settle();
        EXPECT_EQ(p.fu_get_color(), c.result);
        EXPECT_EQ(p.dw_color->getText(), std::to_string(c.result));
        if (c.notifications == 0) {
            EXPECT_EQ(heard, 0) << "a cancelled mix queues no notification";
        } else {
            EXPECT_GE(heard, c.notifications);
        }
        w.cb_1->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(color, c.result);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, FixedColorPickerRgb,
                         ::testing::Values(RgbCase{"cancelled", false, 65280, 0},
                                           RgbCase{"confirmed", true, 10 + 256 * 20 + 65536 * 30, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FixedColorPicker, WithoutAnArgumentThePickerStartsAtBlack) {
    application().g_str_pass.number[1] = 77;
    whenOpen("w_get_color", [](runtime::Window& w) {
        auto& d = dynamic_cast<w_get_color&>(w);
        EXPECT_EQ(d.uo_color->fu_get_color(), 0);
        d.cb_1->click();
    });
    nv_dialogs service;
    EXPECT_TRUE(service.fnv_get_color());
    EXPECT_EQ(application().g_str_pass.number.get(1), 0);
}

}  // namespace
