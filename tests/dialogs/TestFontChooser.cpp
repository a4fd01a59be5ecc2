// The font dialogs: the machine's fonts in the face list with their TrueType mark, the caller's
// choice shown and gathered by one selection pass, the sample's height rule, sizes typed by
// hand, OK writing what the last pass gathered, Cancel writing nothing; the variant with a
// text measured in the chosen font.
#include "dialogs/DialogsFixture.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>

#include <string>

#include "libraries/support/support.h"
#include "runtime/services/System.h"
#include "standard/nv_dialogs.h"
#include "standard/w_choose_font.h"
#include "standard/w_choose_font_with_text.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

const std::string kFace = "DejaVu Serif";

class FontChooser : public dialogs_test::DialogsFixture {
protected:
    void SetUp() override {
        DialogsFixture::SetUp();
        if (!QFontDatabase::families().contains(QString::fromStdString(kFace))) GTEST_SKIP() << kFace << " is not installed";
        s_pass& p = application().g_str_pass;
        p.string[1] = "  " + kFace + " ";
        p.number[1] = 12;
        p.number[2] = 255;
        p.boolean[1] = false;
        p.boolean[2] = false;
        p.boolean[3] = false;
    }
    template <class W>
    bool choose(std::function<void(W&)> act, const char* className) {
        whenOpen(className, [act](runtime::Window& w) { act(dynamic_cast<W&>(w)); });
        nv_dialogs service;
        return std::string(className) == "w_choose_font" ? service.fnv_get_font() : service.fnv_get_font_with_text();
    }
    bool choose_font(std::function<void(w_choose_font&)> act) { return choose<w_choose_font>(act, "w_choose_font"); }
};

TEST_F(FontChooser, TheFaceListHoldsTheMachinesFontsWithTheMarkOnlyBeforeTrueTypeOnes) {
    choose_font([](w_choose_font& w) {
        QComboBox* list = w.ddplb_font->comboBox();
        int16_t n = EnumerateFonts(0);
        ASSERT_GT(n, 0);
        EXPECT_EQ(list->count(), n);
        for (uint16_t k = 0; k < static_cast<uint16_t>(n); ++k) {
            std::string face(40, ' ');
            bool truetype = false;
            GetFont(k, face, truetype);
            EXPECT_LE(face.size(), 40u);
            int i = list->findText(QString::fromStdString(face));
            ASSERT_GE(i, 0) << face;
            EXPECT_EQ(!list->itemIcon(i).isNull(), truetype) << face;
        }
        FreeFonts();
        std::string after = "x";
        bool truetype = true;
        GetFont(0, after, truetype);
        EXPECT_EQ(after, "") << "the list is gone after FreeFonts";
        for (int i = 1; i < list->count(); ++i)
            EXPECT_LE(list->itemText(i - 1).compare(list->itemText(i), Qt::CaseInsensitive), 0) << "sorted";
        w.cb_2->click();
    });
}

TEST_F(FontChooser, OpensOnTheCallersChoiceAndOkWritesWhatTheFirstPassGathered) {
    bool ok = choose_font([](w_choose_font& w) {
        EXPECT_EQ(w.ddplb_font->text(), kFace);
        EXPECT_EQ(w.ddlb_size->text(), "12");
        EXPECT_EQ(w.uo_color->fu_get_color(), 255);
        EXPECT_FALSE(w.uo_effects->cbx_bold->checked());
        EXPECT_EQ(w.is_facename, kFace) << "the colour picker's notification ran the first pass";
        EXPECT_EQ(w.ii_pointsize, 12);
        EXPECT_EQ(w.il_color, 255);
        EXPECT_EQ(w.uo_example->facename, kFace);
        EXPECT_EQ(w.uo_example->textsize, -12);
        EXPECT_EQ(w.uo_example->textcolor, 255);
        EXPECT_EQ(w.uo_example->weight, 400);
        EXPECT_EQ(w.uo_example->backcolor, 12632256) << "two numbers leave the sample's background";
        EXPECT_EQ(w.uo_example->st_1->widget()->font().family().toStdString(), kFace);
        screenshot(w, "w_choose_font");
        w.cb_1->click();
    });
    EXPECT_TRUE(ok);
    const s_pass& p = application().g_str_pass;
    EXPECT_EQ(p.string.get(1), kFace) << "as the list shows it";
    EXPECT_EQ(p.number.get(1), 12);
    EXPECT_EQ(p.number.get(2), 255);
    EXPECT_FALSE(p.boolean.get(1));
    EXPECT_EQ(p.number.upperbound(), 2);
}

TEST_F(FontChooser, AThirdNumberColoursTheSampleAndCancelWritesNothing) {
    s_pass& p = application().g_str_pass;
    p.number[3] = 65535;
    bool ok = choose_font([](w_choose_font& w) {
        EXPECT_EQ(w.uo_example->backcolor, 65535);
        w.uo_effects->cbx_bold->setChecked(true);
        w.uo_effects->cbx_bold->trigger("clicked");
        w.ddlb_size->setText("20");
        w.ddlb_size->trigger("modified");
        core_test::settle();
        EXPECT_EQ(w.ii_pointsize, 20);
        EXPECT_TRUE(w.ib_bold);
        w.cb_2->click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(p.button_clicked, 2);
    EXPECT_EQ(p.string.get(1), "  " + kFace + " ");
    EXPECT_EQ(p.number.get(1), 12);
    EXPECT_FALSE(p.boolean.get(1));
    EXPECT_EQ(p.number.get(3), 65535);
}

struct Typed {
    const char* name;
    const char* typed;
    int16_t size;
    int pixels;  // trunc(p + p x 2 / 3)
    bool bold, italic, underlined;
};
void PrintTo(const Typed& c, std::ostream* os) { *os << c.name; }

class FontChooserTyped : public FontChooser, public ::testing::WithParamInterface<Typed> {};

TEST_P(FontChooserTyped, TypedSizesAndEffectsReachTheSampleWithItsHeightRule) {
    const Typed& c = GetParam();
    bool ok = choose_font([&](w_choose_font& w) {
        w.ddlb_size->setText(c.typed);
        w.ddlb_size->trigger("modified");
        w.uo_effects->cbx_bold->setChecked(c.bold);
        w.uo_effects->cbx_italic->setChecked(c.italic);
        w.uo_effects->cbx_underlined->setChecked(c.underlined);
        w.uo_effects->cbx_italic->trigger("clicked");
        core_test::settle();
        uo_choose_font_example& e = *w.uo_example;
        EXPECT_EQ(e.textsize, -c.size);
        EXPECT_EQ(e.st_1->height(), runtime::pixelsToUnitsY(c.pixels));
        EXPECT_EQ(e.weight, c.bold ? 700 : 400);
        EXPECT_EQ(e.italic, c.italic);
        EXPECT_EQ(e.underline, c.underlined);
        int centre = e.st_1->y() + e.st_1->height() / 2;
        EXPECT_NEAR(centre, e.height() / 2, 4) << "the label stays centred in the box";
        if (c.size == 72) screenshot(w, "w_choose_font_72");
        // A change not yet committed is not what OK writes.
        w.ddlb_size->setText("99");
        w.cb_1->click();
    });
    EXPECT_TRUE(ok);
    const s_pass& p = application().g_str_pass;
    EXPECT_EQ(p.number.get(1), c.size);
    EXPECT_EQ(p.boolean.get(1), c.bold);
    EXPECT_EQ(p.boolean.get(2), c.italic);
    EXPECT_EQ(p.boolean.get(3), c.underlined);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, FontChooserTyped,
                         ::testing::Values(Typed{"ten_bold", "10", 10, 16, true, false, false},
                                           Typed{"twelve_italic", "12", 12, 20, false, true, false},
                                           Typed{"seventy_two_underlined", "72", 72, 120, false, false, true},
                                           Typed{"eleven_not_in_list", "11", 11, 18, true, true, true},
                                           Typed{"letters_give_zero", "abc", 0, 0, false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

class FontChooserWithText : public FontChooser {
protected:
    bool choose_with_text(std::function<void(w_choose_font_with_text&)> act) {
        return choose<w_choose_font_with_text>(act, "w_choose_font_with_text");
    }
    static str_size measured(const std::string& text, int points, bool bold, bool italic, bool underline) {
        QFont font(QString::fromStdString(kFace));
        font.setPointSize(points);
        font.setBold(bold);
        font.setItalic(italic);
        font.setUnderline(underline);
        QRect box = QFontMetrics(font).boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop,
                                                     QString::fromStdString(text));
        return {box.width(), box.height()};
    }
};

TEST_F(FontChooserWithText, OpensWithTheTextSelectedAndOkReturnsItTrimmedWithItsMeasuredSize) {
    s_pass& p = application().g_str_pass;
    p.string[2] = "  Setup  ";
    p.boolean[1] = true;
    bool ok = choose_with_text([](w_choose_font_with_text& w) {
        EXPECT_EQ(w.sle_text->text(), "  Setup  ");
        EXPECT_EQ(w.sle_text->selectedText(), "  Setup  ");
        EXPECT_EQ(w.ddplb_font->y(), 308);
        EXPECT_EQ(w.cb_1->y(), 1384);
        screenshot(w, "w_choose_font_with_text");
        w.cb_1->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(p.string.get(2), "Setup");
    str_size expected = measured("Setup", 12, true, false, false);
    EXPECT_GT(expected.cx, 0);
    EXPECT_EQ(p.number.get(3), expected.cx);
    EXPECT_EQ(p.number.get(4), expected.cy);
    EXPECT_GT(p.number.get(3), measured("Set", 12, true, false, false).cx) << "measured in the chosen font";
    EXPECT_LT(measured("Setup", 12, false, false, false).cx, measured("Setup", 24, false, false, false).cx);
}

TEST_F(FontChooserWithText, AnEmptyTextIsMeasuredAsEmpty) {
    s_pass& p = application().g_str_pass;
    EXPECT_TRUE(choose_with_text([](w_choose_font_with_text& w) { w.cb_1->click(); }));
    EXPECT_EQ(p.string.get(2), "");
    str_size empty = measured("", 12, false, false, false);
    EXPECT_EQ(p.number.get(3), empty.cx);
    EXPECT_EQ(p.number.get(4), empty.cy);
}

TEST_F(FontChooserWithText, CancelWritesNothingAndAThirdNumberLeftThereColoursTheSample) {
    s_pass& p = application().g_str_pass;
    p.string[2] = "kept";
    p.number[3] = 11;
    p.number[4] = 22;
    EXPECT_FALSE(choose_with_text([](w_choose_font_with_text& w) {
        EXPECT_EQ(w.uo_example->backcolor, 11) << "a third number is the sample's background";
        w.sle_text->setText("changed");
        w.cb_2->click();
    }));
    EXPECT_EQ(p.string.get(2), "kept");
    EXPECT_EQ(p.number.get(3), 11);
    EXPECT_EQ(p.number.get(4), 22);
    EXPECT_EQ(p.button_clicked, 2);
}

}  // namespace
