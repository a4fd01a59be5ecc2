// The frame ancestor: g_w_frame after ue_init, the title, and the open-sheet counter with the
// toolbar, never below 0.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "runtime/ui/Menu.h"
#include "standard/w_mdi.h"

using namespace pakomo;
using runtime::Ref;

namespace {

class Frame : public framework_test::FrameworkFixture {};

TEST_F(Frame, BecomesTheProgramsFrameOnceOpenedAndTakesTheApplicationsName) {
    application().g_str_pass.app_name = "Pakomo";
    Ref<w_mdi> frame = runtime::create<w_mdi>();
    frame->open();
    EXPECT_FALSE(application().g_w_frame.isValid()) << "set by the queued ue_init, not during open";
    core_test::settle();
    EXPECT_EQ(application().g_w_frame.get(), frame.get());
    EXPECT_EQ(frame->title(), "Pakomo");
    EXPECT_FALSE(frame->fw_get_microhelp());
    EXPECT_EQ(frame->mdiArea()->objectName(), "mdi_1");
}

struct Step {
    const char* op;  // "inc", "dec", "fileclose"
    int16_t count;
    bool toolbar;
};

struct CounterCase {
    const char* name;
    std::vector<Step> steps;
};

void PrintTo(const CounterCase& c, std::ostream* os) { *os << c.name; }

class SheetCounter : public Frame, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(SheetCounter, HidesTheToolbarWhileSheetsAreOpen) {
    Ref<w_mdi> frame = runtime::create<w_mdi>();
    // The toolbar shows the items of the frame's menu; a menu with one button makes it real.
    Ref<runtime::Menu> menu = frame->createMenu<runtime::Menu>();
    Ref<runtime::Menu> file = menu->addItem("m_file", "&File");
    Ref<runtime::Menu> open = file->addItem("m_open", "&Open");
    open->setToolbarItemName("Open!");
    frame->open();
    core_test::settle();
    ASSERT_TRUE(frame->toolbarVisible());
    for (const Step& s : GetParam().steps) {
        std::string op = s.op;
        int16_t count = frame->ii_open_sheets;
        if (op == "inc") count = frame->fw_inc_open_sheets();
        if (op == "dec") count = frame->fw_dec_open_sheets();
        if (op == "fileclose") frame->trigger("ue_fileclose");
        EXPECT_EQ(frame->fw_number_of_open_sheets(), s.count) << op;
        if (op != "fileclose") {
            EXPECT_EQ(count, s.count);
        }
        EXPECT_EQ(frame->toolbarVisible(), s.toolbar) << op << " to " << s.count;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Framework, SheetCounter,
    ::testing::Values(CounterCase{"one_sheet", {{"inc", 1, false}, {"fileclose", 0, true}}},
                      CounterCase{"two_sheets", {{"inc", 1, false}, {"inc", 2, false}, {"fileclose", 1, false},
                                                 {"dec", 0, true}}},
                      CounterCase{"more_closes_than_opens_stay_at_zero",
                                  {{"fileclose", 0, true}, {"dec", 0, true}, {"inc", 1, false}, {"fileclose", 0, true}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
