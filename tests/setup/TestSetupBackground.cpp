// The background window's texts: font heights follow the screen's width, positions the window's
// client size.
#include "installer/setup/CMainWindow.h"

#include <gtest/gtest.h>

using setup::CMainWindow;

TEST(BackgroundWindow, FontHeightFollowsTheScreenWidth) {
    struct Case {
        uint16_t points;
        int width, height;
    } cases[] = {{12, 851, -15}, {12, 1024, -18}, {12, 1702, -31}, {10, 851, -12}, {10, 1024, -15},
                 {0, 1024, 0},   {1, 851, 0},     {72, 1920, -216}};
    for (const auto& c : cases)
        EXPECT_EQ(CMainWindow::FontHeight(c.points, c.width), c.height) << c.points << " pt at " << c.width;
}

TEST(BackgroundWindow, TextsArePlacedInTenThousandthsOfTheClientArea) {
    struct Case {
        uint32_t edge;
        int length, position;
    } cases[] = {{0, 1024, 0}, {5000, 1024, 512}, {5000, 767, 384}, {10000, 768, 768}, {1, 5000, 1},
                 // Taken as an unsigned 16-bit number, as the window's painting does.
                 {20000, 40000, 14464}};
    for (const auto& c : cases)
        EXPECT_EQ(CMainWindow::TextPosition(c.edge, c.length), c.position) << c.edge << " of " << c.length;
}
