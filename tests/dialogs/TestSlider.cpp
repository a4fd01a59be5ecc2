// The slider: placement of the thumb across its range, the 16-bit reading of the position,
// paging by queued events, the drag loop that follows the pointer until the thumb's button-up,
// and the owner's ue_moved.
#include "dialogs/DialogsFixture.h"

#include <gtest/gtest.h>

#include <QCursor>

#include <functional>
#include <vector>

#include "runtime/core/EventQueue.h"
#include "runtime/ui/Units.h"
#include "standard/uo_slider.h"
#include "standard/w_a.h"

using namespace pakomo;
using runtime::Args;
using runtime::Ref;
using runtime::Value;

namespace {

class w_owner : public w_a {
public:
    w_owner() : w_a("w_owner") {
        resize(1400, 600);
        uo_1 = addControl<uo_slider>("uo_1");
        uo_1->move(40, 40);
        uo_1->extend("ue_moved", [this](Args a) {
            moved.push_back(a[0].toInt());
            positions.push_back(uo_1->fu_get_position());
            if (on_moved) on_moved();
            return Value();
        });
    }
    Ref<uo_slider> uo_1;
    std::vector<int64_t> moved;
    std::vector<int> positions;
    std::function<void()> on_moved;
};

class Slider : public dialogs_test::DialogsFixture {
protected:
    void SetUp() override {
        DialogsFixture::SetUp();
        w = runtime::create<w_owner>();
        w->open();
        s = w->uo_1;
    }
    void TearDown() override {
        runtime::destroy(w);
        DialogsFixture::TearDown();
    }
    Ref<w_owner> w;
    Ref<uo_slider> s;
};

TEST_F(Slider, ANewSliderShowsItsDefaultsWithTheMaximumLabelEndingWithTheBar) {
    EXPECT_EQ(s->st_min->text(), "0");
    EXPECT_EQ(s->st_max->text(), "100");
    EXPECT_EQ(s->fu_get_position(), 0);
    EXPECT_EQ(s->ii_pagesize, 25);
    EXPECT_EQ(s->p_slider->x(), 0);
    EXPECT_EQ(s->st_bar->width(), 1047 - 64);
    EXPECT_EQ(s->st_max->x() + s->st_max->width(), s->st_bar->x() + s->st_bar->width());
    screenshot(*w, "slider");
}

struct Placement {
    const char* name;
    int width;
    int32_t minimum, maximum, requested;
    int32_t stored;
    int16_t read;  // fu_get_position
    int thumb;
};
void PrintTo(const Placement& p, std::ostream* os) { *os << p.name; }

class SliderPlacement : public Slider, public ::testing::WithParamInterface<Placement> {};

TEST_P(SliderPlacement, ClampsStoresAndPlacesTheThumb) {
    const Placement& c = GetParam();
    s->resize(c.width, s->height());
    s->st_bar->resize(c.width - 64, s->st_bar->height());
    s->fu_set_minposition(c.minimum);
    s->fu_set_maxposition(c.maximum);
    s->fu_set_position(c.requested);
    EXPECT_EQ(s->il_position, c.stored);
    EXPECT_EQ(s->fu_get_position(), c.read);
    EXPECT_EQ(s->p_slider->x(), c.thumb);
    EXPECT_EQ(s->st_min->text(), std::to_string(c.minimum));
    EXPECT_EQ(s->st_max->text(), std::to_string(c.maximum));
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, SliderPlacement,
    ::testing::Values(
        // Int(128 / 255 x 983 + 0.5) = 493
        Placement{"middle", 1047, 0, 255, 128, 128, 128, 493},
        Placement{"above_maximum", 1047, 0, 255, 300, 255, 255, 983},
        Placement{"below_minimum", 1047, 0, 255, -1, 0, 0, 0},
        Placement{"half_goes_up", 1047, 0, 1966, 1, 1, 1, 1},  // 983 / 1966 = exactly 0.5
        // A maximum below the minimum: the minimum always, thumb at the bar's start.
        Placement{"maximum_below_minimum", 1047, 10, 5, 7, 10, 10, 0},
        // A range below 0 keeps the thumb on the bar (measured from the minimum).
        Placement{"negative_minimum", 1047, -100, 100, -100, -100, -100, 0},
        Placement{"negative_middle", 1047, -100, 100, 1, 1, 1, 496},
        // The position reads back as a 16-bit integer: 40000 wraps.
        Placement{"position_wraps_at_16_bits", 1047, 0, 50000, 40000, 40000, -25536, 786},
        // A thumb x beyond 16 bits gives 0.
        Placement{"thumb_x_beyond_16_bits", 40000, 0, 100, 100, 100, 100, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Slider, TheSamePositionOrANewMaximumLeavesTheThumbWhereItIs) {
    s->fu_set_maxposition(255);
    s->fu_set_position(128);
    ASSERT_EQ(s->p_slider->x(), 493);
    s->p_slider->move(7, 0);
    s->fu_set_position(128);
    EXPECT_EQ(s->p_slider->x(), 7) << "setting the position it has moves nothing";

    s->fu_set_maxposition(50);
    EXPECT_EQ(s->st_max->text(), "50");
    EXPECT_EQ(s->il_position, 128) << "only the next fu_set_position clamps";
    EXPECT_EQ(s->p_slider->x(), 7);
    s->fu_set_position(128);
    EXPECT_EQ(s->il_position, 50);
    EXPECT_EQ(s->p_slider->x(), 983);
}

struct Paging {
    const char* name;
    int32_t maximum, page, start;
    int dx;  // ue_page's argument
    std::vector<int64_t> moved;
    int position;
};
void PrintTo(const Paging& p, std::ostream* os) { *os << p.name; }

class SliderPaging : public Slider, public ::testing::WithParamInterface<Paging> {};

TEST_P(SliderPaging, APostedPageRequestsOnePageAndTheClampStopsAtTheEnds) {
    const Paging& c = GetParam();
    s->fu_set_maxposition(c.maximum);
    s->fu_set_pagesize(c.page);
    s->fu_set_position(c.start);
    s->post("ue_page", {c.dx});
    EXPECT_TRUE(w->moved.empty()) << "paging queues its move";
    core_test::settle();
    EXPECT_EQ(w->moved, c.moved);
    EXPECT_EQ(s->fu_get_position(), c.position);
    if (!c.moved.empty()) {
        EXPECT_EQ(w->positions.back(), c.position) << "the thumb moved before the owner heard";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, SliderPaging,
    ::testing::Values(Paging{"up_past_minimum", 100, 25, 10, -3, {-15}, 0},
                      Paging{"down_past_maximum", 255, 64, 230, 40, {294}, 255},
                      Paging{"down_one_page", 255, 64, 100, 1, {164}, 164},
                      Paging{"up_one_page", 255, 64, 100, -200, {36}, 36},
                      Paging{"zero_does_nothing", 255, 64, 100, 0, {}, 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Slider, AClickOnTheSurfacePagesOnlyBesideTheThumbsRows) {
    s->fu_set_maxposition(255);
    s->fu_set_pagesize(64);
    s->fu_set_position(128);  // thumb at 493
    struct Click {
        int x, y;
        std::vector<int64_t> moved;
    };
    for (const Click& c : {Click{900, 40, {192}}, Click{100, 92, {64}}, Click{900, 93, {}}, Click{100, 140, {}}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        s->fu_set_position(128);
        w->moved.clear();
        s->trigger("ue_clicked", {0, c.x, c.y});
        core_test::settle();
        EXPECT_EQ(w->moved, c.moved);
    }
}

TEST(SliderSteps, HalfAStepRoundsUpAndOverflowGivesNoStep) {
    struct Case {
        int32_t dx;
        double units_per_step;
        int16_t steps;
    };
    for (const Case& c : {Case{2, 4.0, 1}, Case{-2, 4.0, 0}, Case{-3, 4.0, -1}, Case{1, 4.0, 0}, Case{6, 4.0, 2},
                          Case{40000, 1.0, 0}, Case{-40000, 1.0, 0}, Case{32767, 1.0, 32767}, Case{32768, 1.0, 0}}) {
        EXPECT_EQ(uo_slider::drag_steps(c.dx, c.units_per_step), c.steps) << c.dx << " / " << c.units_per_step;
    }
}

TEST_F(Slider, TheDragFollowsThePointerUntilTheButtonGoesUpOverTheThumb) {
    s->fu_set_maxposition(255);
    s->fu_set_position(100);
    QWidget* frame = w->widget();
    const int startPx = 200;
    QCursor::setPos(frame->mapToGlobal(QPoint(startPx, 50)));
    ASSERT_EQ(w->pointerX(), runtime::units::toUnitsX(startPx)) << "the platform moves the pointer";
    // Pixels to the right of the start, one per pass; the button goes up over the bar (ignored)
    // and then over the thumb.
    std::vector<int> path = {0, 10, 10, -40, 500};
    size_t pass = 0;
    w->on_moved = [&] {
        ++pass;
        if (pass < path.size()) QCursor::setPos(frame->mapToGlobal(QPoint(startPx + path[pass], 50)));
        if (pass == 3) s->st_bar->trigger("lbuttonup", {1, 5, 5});
        if (pass == path.size()) s->p_slider->trigger("lbuttonup", {1, 5, 5});
    };
    s->p_slider->trigger("lbuttondown", {1, 5, 5});
    EXPECT_FALSE(s->ib_sliding) << "the loop starts after the button-down script";
    core_test::settle();
    EXPECT_FALSE(s->ib_sliding);
    double ups = 983.0 / 255.0;
    std::vector<int64_t> expected;
    for (int px : path) {
        int dx = runtime::units::toUnitsX(startPx + px) - runtime::units::toUnitsX(startPx);
        expected.push_back(100 + uo_slider::drag_steps(dx, ups));
    }
    EXPECT_EQ(w->moved, expected);
    EXPECT_EQ(w->moved.front(), 100) << "the first pass requests the start position";
    EXPECT_EQ(s->fu_get_position(), 255) << "a drag beyond the bar's end stops at the maximum";
    EXPECT_EQ(w->positions[3], 100 + uo_slider::drag_steps(runtime::units::toUnitsX(startPx - 40) -
                                                               runtime::units::toUnitsX(startPx), ups));
}

TEST_F(Slider, ClosingTheWindowDuringADragEndsTheLoop) {
    s->fu_set_maxposition(255);
    int passes = 0;
    w->on_moved = [&] {
        if (++passes == 2) w->post("ue_close");
    };
    s->post("ue_start_slide", {0});
    core_test::settle();
    EXPECT_FALSE(w.isValid());
    EXPECT_EQ(passes, 2);
}

}  // namespace
