// The colour mixer: splitting and joining colours, fields, sliders and swatch kept in step
// without running in circles, and the dialog service's mixed-colour functions.
#include "dialogs/DialogsFixture.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <string>

#include "standard/nv_dialogs.h"
#include "standard/w_choose_custom_color.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

struct Split {
    const char* name;
    int32_t color;
    int16_t red, green, blue;
};
void PrintTo(const Split& s, std::ostream* os) { *os << s.name; }

class ColorSplit : public ::testing::TestWithParam<Split> {};

TEST_P(ColorSplit, SplitsIntoPartsWithinTheByteRange) {
    const Split& c = GetParam();
    int16_t r = -7, g = -7, b = -7;
    uo_choose_custom_color::split_color(c.color, r, g, b);
    EXPECT_EQ(r, c.red);
    EXPECT_EQ(g, c.green);
    EXPECT_EQ(b, c.blue);
    if (c.color >= 0 && c.color <= 16777215) {
        EXPECT_EQ(uo_choose_custom_color::rgb(r, g, b), c.color) << "joined again";
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ColorSplit,
                         ::testing::Values(Split{"black", 0, 0, 0, 0}, Split{"white", 16777215, 255, 255, 255},
                                           Split{"red", 255, 255, 0, 0}, Split{"green", 65280, 0, 255, 0},
                                           Split{"blue", 16711680, 0, 0, 255}, Split{"mixed", 8405056, 64, 64, 128},
                                           Split{"brown", 16576, 192, 64, 0},
                                           // Outside the 24 colour bits every part stays a byte.
                                           Split{"minus_one", -1, 0, 0, 0}, Split{"minus_256", -256, 0, 0, 0},
                                           Split{"above_white", 16777216 + 5, 5, 0, 255},
                                           Split{"largest", 2147483647, 255, 255, 255}),
                         [](const auto& info) { return std::string(info.param.name); });

class ColorMixer : public dialogs_test::DialogsFixture {
protected:
    // Opens the mixer through the service on `color`, lets `act` work in it, and answers the
    // service's result.
    bool mix(int32_t& color, std::function<void(w_choose_custom_color&)> act) {
        whenOpen("w_choose_custom_color", [act](runtime::Window& w) { act(dynamic_cast<w_choose_custom_color&>(w)); });
        nv_dialogs service;
        const bool ok = service.fnv_get_custom_color(color);
        EXPECT_EQ(pendingActs(), 0) << "the dialog returned before the test acted in it";
        return ok;
    }
    static void expectShows(uo_choose_custom_color& m, int red, int green, int blue) {
        EXPECT_EQ(m.em_rood->text(), std::to_string(red));
        EXPECT_EQ(m.em_groen->text(), std::to_string(green));
        EXPECT_EQ(m.em_blauw->text(), std::to_string(blue));
        EXPECT_EQ(m.uo_slider_red->fu_get_position(), red);
        EXPECT_EQ(m.uo_slider_green->fu_get_position(), green);
        EXPECT_EQ(m.uo_slider_blue->fu_get_position(), blue);
        int32_t color = red + 256 * green + 65536 * blue;
        EXPECT_EQ(m.r_result->fillcolor, color);
        EXPECT_EQ(m.st_rgb->text(), std::to_string(color));
    }
};

TEST_F(ColorMixer, OpensOnTheStartingColourAndOkGivesItBackJoined) {
    struct Case {
        int32_t color;
        int red, green, blue;
        int thumb_red;
    };
    const Case cases[] = {{16777215, 255, 255, 255, 1339 - 64}, {0, 0, 0, 0, 0}, {8405056, 64, 64, 128, 320},
                          {16576, 192, 64, 0, 960}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.color);
        int32_t color = c.color;
        bool ok = mix(color, [&](w_choose_custom_color& w) {
            expectShows(*w.uo_1, c.red, c.green, c.blue);
            EXPECT_EQ(w.uo_1->uo_slider_red->p_slider->x(), c.thumb_red);
            if (c.color == 8405056) screenshot(w, "w_choose_custom_color");
            w.cb_1->click();
        });
        EXPECT_TRUE(ok);
        EXPECT_EQ(color, c.color);
        EXPECT_EQ(application().g_str_pass.button_clicked, 1);
    }
}

TEST_F(ColorMixer, CancelLeavesTheColourAndTheRecordAsTheyWere) {
    int32_t color = 255;
    bool ok = mix(color, [](w_choose_custom_color& w) {
        w.uo_1->fu_set_color(65280);
        w.cb_2->click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(color, 255);
    EXPECT_EQ(application().g_str_pass.number.get(1), 255);
    EXPECT_EQ(application().g_str_pass.button_clicked, 2);
}

TEST_F(ColorMixer, WithoutAnArgumentItStartsAtBlackAndLeavesTheColourInTheRecord) {
    application().g_str_pass.number[1] = 12345;
    whenOpen("w_choose_custom_color", [](runtime::Window& w) {
        auto& d = dynamic_cast<w_choose_custom_color&>(w);
        EXPECT_EQ(d.uo_1->fu_get_color(), 0);
        d.uo_1->fu_set_color(8421504);
        d.cb_1->click();
    });
    nv_dialogs service;
    EXPECT_TRUE(service.fnv_get_custom_color());
    EXPECT_EQ(application().g_str_pass.number.get(1), 8421504);
}

// Counts the part events of the mixer.
struct PartEvents {
    explicit PartEvents(uo_choose_custom_color& m) {
        for (const char* e : {"ue_red_changed", "ue_green_changed", "ue_blue_changed"})
            m.extend(e, [this, e](Args a) {
                seen.push_back(std::string(e) + "=" + a[0].toText());
                return Value();
            });
    }
    std::vector<std::string> seen;
};

TEST_F(ColorMixer, ATypedValueIsKeptInRangeAndReachesSliderAndSwatchOnce) {
    int32_t color = 16576;
    bool ok = mix(color, [](w_choose_custom_color& w) {
        uo_choose_custom_color& m = *w.uo_1;
        PartEvents events(m);
        struct Typed {
            const char* keys;
            const char* shown;
            int part;
        };
        for (const Typed& t : {Typed{"300", "255", 255}, Typed{"7", "7", 7}, Typed{"007", "007", 7}}) {
            SCOPED_TRACE(t.keys);
            events.seen.clear();
            QLineEdit* e = m.em_rood->lineEdit();
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, t.keys);
            QTest::keyClick(e, Qt::Key_Return);  // commits the field; the dialog stays open
            EXPECT_EQ(m.em_rood->text(), t.shown);
            EXPECT_TRUE(events.seen.empty()) << "the field queues its part event";
            core_test::settle();
            EXPECT_EQ(events.seen, std::vector<std::string>{"ue_red_changed=" + std::to_string(t.part)});
            EXPECT_EQ(m.r, t.part);
            EXPECT_EQ(m.uo_slider_red->fu_get_position(), t.part);
            EXPECT_EQ(m.fu_get_color(), t.part + 256 * 64);
            EXPECT_EQ(m.st_rgb->text(), std::to_string(t.part + 256 * 64));
        }
        EXPECT_TRUE(w.isOpen()) << "Enter in a colour field does not press OK";
        w.cb_1->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(color, 7 + 256 * 64);
}

TEST_F(ColorMixer, ASliderMoveReachesTheFieldOnceAndAMoveToTheShownValueRaisesNothing) {
    int32_t color = 230;
    mix(color, [](w_choose_custom_color& w) {
        uo_choose_custom_color& m = *w.uo_1;
        PartEvents events(m);
        m.uo_slider_red->post("ue_page", {1});
        core_test::settle();
        EXPECT_EQ(events.seen, std::vector<std::string>{"ue_red_changed=255"}) << "230 + 64 stops at 255";
        EXPECT_EQ(m.em_rood->text(), "255");
        EXPECT_EQ(m.uo_slider_red->p_slider->x(), 1339 - 64);

        events.seen.clear();
        m.uo_slider_red->trigger("ue_moved", {400});  // clamped to 255, which the field shows
        m.uo_slider_green->trigger("ue_moved", {0});
        EXPECT_TRUE(events.seen.empty());

        m.uo_slider_blue->trigger("ue_moved", {-20});
        m.uo_slider_blue->trigger("ue_moved", {100});
        EXPECT_EQ(events.seen, std::vector<std::string>{"ue_blue_changed=100"});
        EXPECT_EQ(m.em_blauw->text(), "100");
        EXPECT_EQ(m.fu_get_color(), 255 + 65536 * 100);
        w.cb_2->click();
    });
}

}  // namespace
