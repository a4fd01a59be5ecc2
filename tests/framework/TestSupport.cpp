// The support library: MoveControl's placement rule on real controls, file information, the
// multi-select file dialog, folders, the bit and number helpers and the font entries.
#include "libraries/support/support.h"

#include "platform/Machine.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Services.h"
#include "runtime/ui/Window.h"
#include "support/runtime/UiDoubles.h"
#include "support/TempFolder.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <ctime>
#include <filesystem>

using namespace pakomo;
using runtime::Ref;

namespace {

std::filesystem::path hostOf(std::string_view windowsPath) {
    auto machine = platform::Machine::open();
    EXPECT_TRUE(machine);
    auto host = machine->hostPath(windowsPath);
    EXPECT_TRUE(host);
    return *host;
}

struct MoveCase {
    const char* name;
    uint32_t flags;
    int16_t b_m, t_m, l_m, r_m, w_m, h_m;
    QRect expected;  // the control starts at 10,20 with 50 x 30 pixels; the owner is 400 x 300
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class MoveControlRule : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveControlRule, PlacesTheControlByFlagsAndMargins) {
    ui_test::application();
    const MoveCase& c = GetParam();
    Ref<runtime::Window> w = runtime::create<runtime::Window>("w_move");
    Ref<runtime::StaticText> st = w->addControl<runtime::StaticText>("st_1");
    w->open();
    st->widget()->setGeometry(10, 20, 50, 30);
    MoveControl(st->handle(), 400, 300, 10, 20, c.flags, c.b_m, c.t_m, c.l_m, c.r_m, c.w_m, c.h_m);
    EXPECT_EQ(st->widget()->geometry(), c.expected);
    w->close();
    ui_test::settle();
}

INSTANTIATE_TEST_SUITE_P(
    Support, MoveControlRule,
    ::testing::Values(
        MoveCase{"nothing_keeps_place_and_size", 0, 0, 0, 0, 0, 0, 0, QRect(10, 20, 50, 30)},
        MoveCase{"left_margin", 0, 0, 0, 7, 0, 0, 0, QRect(7, 20, 50, 30)},
        MoveCase{"right_margin_keeps_distance_to_right_edge", 0, 0, 0, 0, 8, 0, 0, QRect(342, 20, 50, 30)},
        MoveCase{"top_margin", 0, 0, 5, 0, 0, 0, 0, QRect(10, 5, 50, 30)},
        MoveCase{"bottom_margin", 0, 16, 0, 0, 0, 0, 0, QRect(10, 254, 50, 30)},
        MoveCase{"ok_button_centred_above_bottom", move_hcenter, 16, 0, 0, 0, 0, 0, QRect(175, 254, 50, 30)},
        MoveCase{"list_follows_size_with_margins", move_hresize | move_vresize, 0, 0, 0, 0, 8, 62,
                 QRect(10, 20, 392, 238)},
        MoveCase{"zoomed_centred_resized_below_top", move_hresize | move_vresize | move_hcenter, 0, 12, 0, 0, 40, 60,
                 QRect(20, 12, 360, 240)},
        MoveCase{"centre_wins_over_side_margin", move_hcenter | move_vcenter, 0, 3, 9, 0, 0, 0,
                 QRect(175, 135, 50, 30)},
        MoveCase{"resize_with_right_margin", move_hresize, 0, 0, 0, 30, 100, 0, QRect(70, 20, 300, 30)},
        MoveCase{"resize_margin_beyond_owner_gives_nothing", move_vresize, 0, 0, 0, 0, 0, 500,
                 QRect(10, 20, 50, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Support, HandlesThatNameNoControlAreLeftAlone) {
    ui_test::application();
    MoveControl(999999, 400, 300, 0, 0, move_hcenter, 1, 1, 1, 1, 1, 1);
    str_size size{7, 7};
    EXPECT_FALSE(GetWindowSize(999999, size));
    EXPECT_EQ(size.cx, 7);
    Ref<runtime::Window> w = runtime::create<runtime::Window>("w_size");
    Ref<runtime::StaticText> st = w->addControl<runtime::StaticText>("st_1");
    w->open();
    st->widget()->resize(33, 44);
    ASSERT_TRUE(GetWindowSize(st->handle(), size));
    EXPECT_EQ(size.cx, 33);
    EXPECT_EQ(size.cy, 44);
    w->close();
    ui_test::settle();
}

TEST(Support, FileInformationGivesLocalWriteTimeAndSize) {
    std::filesystem::path host = hostOf("C:\\Windows\\Temp\\info.txt");
    testing_support::writeFile(host, "twelve bytes");
    std::tm when{};
    when.tm_year = 2001 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    auto sys = std::chrono::system_clock::from_time_t(std::mktime(&when));
    std::filesystem::last_write_time(host, std::chrono::file_clock::from_sys(sys));

    std::string name = "c:\\windows\\temp\\INFO.TXT";
    str_systemtime t;
    uint32_t size = 0;
    ASSERT_TRUE(GetFileInformationByName(name, t, size));
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(t.wyear, 2001);
    EXPECT_EQ(t.wmonth, 3);
    EXPECT_EQ(t.wday, 5);
    EXPECT_EQ(t.whour, 7);
    EXPECT_EQ(t.wminute, 8);
    EXPECT_EQ(t.wsecond, 9);

    for (std::string other : {std::string("C:\\Windows\\Temp\\missing.txt"), std::string("C:\\Windows")}) {
        size = 99;
        EXPECT_FALSE(GetFileInformationByName(other, t, size)) << other;
    }
}

TEST(Support, MultiSelectDialogFillsFolderAndAtMostMaxfilesNames) {
    runtime::ScriptedFileDialog dialog;
    dialog.answer({1, "C:\\Data", {"a.txt", "b.txt", "c.txt"}});
    dialog.answer({0, {}, {}});
    std::string path(260, ' ');
    std::vector<std::string> files(32, std::string(260, ' '));
    EXPECT_EQ(GetOpenFileNameMulti(0, "Select files", path, files, 2, "", "All files (*.*),*.*", "C:\\Start"), 2);
    EXPECT_EQ(path, "C:\\Data");
    EXPECT_EQ(files[0], "a.txt");
    EXPECT_EQ(files[1], "b.txt");
    EXPECT_EQ(files[2], std::string(260, ' '));
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_TRUE(dialog.requests()[0].multiple);
    EXPECT_EQ(dialog.requests()[0].title, "Select files");
    EXPECT_EQ(dialog.requests()[0].folder, "C:\\Start");
    EXPECT_EQ(dialog.requests()[0].filter, "All files (*.*),*.*");

    EXPECT_EQ(GetOpenFileNameMulti(0, "Select files", path, files, 32, "", "All files (*.*),*.*", "C:\\"), 0);
    EXPECT_EQ(path, "C:\\Data");
}

TEST(Support, FoldersAreCreatedWithEveryLevelAndDeletedWithTheirContent) {
    std::string deep = "C:\\Work\\One\\Two";
    ASSERT_TRUE(CreateFolder(deep));
    EXPECT_TRUE(std::filesystem::is_directory(hostOf(deep)));
    testing_support::writeFile(hostOf("C:\\Work\\One\\file.txt"), "x");
    std::string top = "C:\\Work";
    EXPECT_TRUE(DeleteFolder(top, 0));
    EXPECT_FALSE(std::filesystem::exists(hostOf(top)));
    EXPECT_FALSE(DeleteFolder(top, 0));
    for (std::string root : {std::string("C:\\"), std::string("C:"), std::string("")}) {
        EXPECT_FALSE(DeleteFolder(root, 0)) << root;
    }
    EXPECT_TRUE(std::filesystem::is_directory(hostOf("C:\\Windows")));
}

TEST(Support, BitAndNumberHelpers) {
    EXPECT_EQ(Ex_And(65535, 65533), 65533);
    EXPECT_EQ(Ex_And(13, 65534), 12);
    EXPECT_EQ(Ex_Or(12, 1), 13);
    EXPECT_EQ(Ex_Xor(0xFF00, 0x0FF0), 0xF0F0);
    int16_t b0, b1, b2, b3;
    SplitLong(0x12345678, b0, b1, b2, b3);
    EXPECT_EQ((std::vector<int16_t>{b0, b1, b2, b3}), (std::vector<int16_t>{0x78, 0x56, 0x34, 0x12}));
    SplitLong(-1, b0, b1, b2, b3);
    EXPECT_EQ((std::vector<int16_t>{b0, b1, b2, b3}), (std::vector<int16_t>{255, 255, 255, 255}));
    EXPECT_EQ(Percentage(1, 3), 33u);
    EXPECT_EQ(Percentage(5, 0), 0u);
    EXPECT_EQ(Percentage(4000000000u, 4000000000u), 100u);
    EXPECT_EQ(GetPercentageFromNumber(50, 4000000000u), 2000000000u);
}

TEST(Support, FontsAreListedUntilFreedAndTextIsMeasured) {
    ui_test::application();
    int16_t count = EnumerateFonts(0);
    ASSERT_GT(count, 0);
    std::string face(40, ' ');
    bool truetype = false;
    GetFont(0, face, truetype);
    EXPECT_FALSE(face.empty());
    EXPECT_NE(face, std::string(40, ' '));
    GetFont(static_cast<uint16_t>(count), face, truetype);
    EXPECT_EQ(face, "");
    FreeFonts();
    GetFont(0, face, truetype);
    EXPECT_EQ(face, "");

    std::string family = "DejaVu Sans";
    std::string shortText = "Wi", longText = "Wide sample text";
    str_size a, b, bold;
    ASSERT_TRUE(GetTextDimensions(shortText, family, 10, false, false, false, a));
    ASSERT_TRUE(GetTextDimensions(longText, family, 10, false, false, false, b));
    ASSERT_TRUE(GetTextDimensions(longText, family, 20, true, false, false, bold));
    EXPECT_GT(a.cx, 0);
    EXPECT_GT(b.cx, a.cx);
    EXPECT_GT(bold.cy, b.cy);
    std::string none;
    EXPECT_FALSE(GetTextDimensions(longText, none, 10, false, false, false, a));
}

TEST(Support, CancelledFolderPickerLeavesNoFolder) {
    ui_test::application();
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    closer.start(10);
    std::string title = "Choose a folder";
    std::string chosen = "C:\\Old";
    BrowseForFolder(0, title, chosen);
    EXPECT_EQ(chosen, "");
}

}  // namespace
