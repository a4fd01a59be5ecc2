// The control-positioning service: the entry table (identity, append-only, deregistration), the
// side-margin setters clearing the opposite margin and the centre flag through the 16-bit
// Ex_And, and alignment through the real MoveControl in entry order.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "runtime/services/System.h"
#include "runtime/ui/Controls.h"
#include "standard/nv_control_position.h"
#include "standard/w_a.h"

using namespace pakomo;
using runtime::Ref;

namespace {

class ControlPosition : public framework_test::FrameworkFixture {
protected:
    void SetUp() override {
        FrameworkFixture::SetUp();
        w = runtime::create<w_a>();
        for (const char* name : {"a", "b", "c", "d"}) c.push_back(w->addControl<runtime::StaticText>(name));
        w->open();
    }
    runtime::Control& ctl(size_t i) { return *c[i]; }
    Ref<w_a> w;
    std::vector<Ref<runtime::StaticText>> c;
    nv_control_position p;
};

struct MarginCase {
    const char* name;
    std::function<void(nv_control_position&, runtime::Control&)> steps;
    uint32_t flags;
    int16_t left, right, top, bottom, width, height;
};

void PrintTo(const MarginCase& m, std::ostream* os) { *os << m.name; }

class MarginSetters : public ControlPosition, public ::testing::WithParamInterface<MarginCase> {};

TEST_P(MarginSetters, LeaveOneSideMarginPerAxisAndClearItsCentreFlag) {
    const MarginCase& m = GetParam();
    m.steps(p, ctl(0));
    ASSERT_EQ(p.ii_num_position_controls, 1);
    const str_control_position& e = p.istr_control_position[0];
    EXPECT_EQ(e.l_flags, m.flags);
    EXPECT_EQ(e.i_left_marge, m.left);
    EXPECT_EQ(e.i_right_marge, m.right);
    EXPECT_EQ(e.i_top_marge, m.top);
    EXPECT_EQ(e.i_bottom_marge, m.bottom);
    EXPECT_EQ(e.i_resize_width_marge, m.width);
    EXPECT_EQ(e.i_resize_height_marge, m.height);
}

INSTANTIATE_TEST_SUITE_P(
    Framework, MarginSetters,
    ::testing::Values(
        MarginCase{"flags13_then_left10",
                   [](auto& p, auto& x) {
                       p.fnv_set_flags(x, 13);
                       p.fnv_set_left_marge(x, 10);
                   },
                   12, 10, 0, 0, 0, 0, 0},
        MarginCase{"flags2_then_top0",
                   [](auto& p, auto& x) {
                       p.fnv_set_flags(x, 2);
                       p.fnv_set_top_marge(x, 0);
                   },
                   0, 0, 0, 0, 0, 0, 0},
        MarginCase{"high_bits_lost_on_a_side_margin",
                   [](auto& p, auto& x) {
                       p.fnv_set_flags(x, 0x30007);
                       p.fnv_set_bottom_marge(x, 5);
                   },
                   5, 0, 0, 0, 5, 0, 0},
        MarginCase{"right8_then_left4",
                   [](auto& p, auto& x) {
                       p.fnv_set_right_marge(x, 8);
                       p.fnv_set_left_marge(x, 4);
                   },
                   0, 4, 0, 0, 0, 0, 0},
        MarginCase{"bottom_then_top",
                   [](auto& p, auto& x) {
                       p.fnv_set_bottom_marge(x, 16);
                       p.fnv_set_top_marge(x, 3);
                   },
                   0, 0, 0, 3, 0, 0, 0},
        MarginCase{"centre_after_a_margin_stays",
                   [](auto& p, auto& x) {
                       p.fnv_set_left_marge(x, 7);
                       p.fnv_set_flags(x, 1);
                   },
                   1, 7, 0, 0, 0, 0, 0},
        MarginCase{"resize_margins_touch_nothing_else",
                   [](auto& p, auto& x) {
                       p.fnv_set_flags(x, 0x10003);
                       p.fnv_set_right_marge(x, 2);
                       p.fnv_set_flags(x, 0x10003);
                       p.fnv_set_width_marge(x, 40);
                       p.fnv_set_height_marge(x, 60);
                   },
                   0x10003, 0, 2, 0, 0, 40, 60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControlPosition, EntriesAreFoundByIdentityAppendedAndNeverReused) {
    EXPECT_EQ(p.fnv_get_flags(ctl(0)), 0u);
    EXPECT_EQ(p.fnv_get_flags(ctl(0)), 0u);
    EXPECT_EQ(p.ii_num_position_controls, 1);
    EXPECT_EQ(p.fnv_get_object_index(ctl(1)), 2);
    EXPECT_EQ(p.fnv_get_object_index(ctl(2)), 3);
    p.fnv_deregister_object(ctl(0));
    EXPECT_EQ(p.fnv_get_object_index(ctl(1)), 2);
    EXPECT_EQ(p.fnv_get_object_index(ctl(2)), 3);
    EXPECT_EQ(p.fnv_get_object_index(ctl(3)), 4);
    EXPECT_EQ(p.fnv_get_object_index(ctl(0)), 5);
    EXPECT_EQ(p.ii_num_position_controls, 5);
    EXPECT_FALSE(p.istr_control_position[0].dr_object.isValid());
}

TEST_F(ControlPosition, AlignmentMovesEveryRegisteredControlButDeregisteredOnes) {
    p.fnv_align_controls(3000, 2000);  // no entries: nothing happens
    for (size_t i = 0; i < 3; ++i) {
        ctl(i).move(50, 100 + 100 * static_cast<int>(i));
        ctl(i).resize(200, 80);
        p.fnv_set_flags(ctl(i), nv_control_position::align_hresize);
        p.fnv_set_width_marge(ctl(i), 100);
    }
    p.fnv_deregister_object(ctl(1));
    int untouched = ctl(1).widget()->width();
    p.fnv_align_controls(3000, 2000);
    int expected = runtime::unitsToPixelsX(3000) - runtime::unitsToPixelsX(100);
    EXPECT_EQ(ctl(0).widget()->width(), expected);
    EXPECT_EQ(ctl(2).widget()->width(), expected);
    EXPECT_EQ(ctl(1).widget()->width(), untouched);
    EXPECT_EQ(ctl(0).widget()->x(), runtime::unitsToPixelsX(50));

    // A destroyed control's entry is passed over.
    runtime::destroy(c[2]);
    p.fnv_align_controls(2000, 2000);
    EXPECT_EQ(ctl(0).widget()->width(), runtime::unitsToPixelsX(2000) - runtime::unitsToPixelsX(100));
}

TEST_F(ControlPosition, WithoutTheSystemCallWrapperAMarginIsARuntimeError) {
    application().gnv_win32api.reset();
    EXPECT_THROW(p.fnv_set_left_marge(ctl(0), 1), runtime::RuntimeError);
}

}  // namespace
