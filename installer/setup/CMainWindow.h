#pragma once
// The background window: full screen behind the pages, with the product's caption, colour and
// background texts. It only paints.
#include "installer/logic/CSetupApp.h"

#include <QFont>
#include <QWidget>
#include <vector>

namespace setup {

class CMainWindow : public QWidget {
    Q_OBJECT
public:
    // Makes one font per background text for a screen `screenWidth` pixels wide.
    CMainWindow(CSetupApp& app, int screenWidth);

    // Stores the colour and repaints at once; returns the previous colour.
    uint32_t SetBackgroundColour(uint32_t colour);
    // Stops painting from the setup information, which the run is about to release.
    void DetachSetupInfo() { attached_ = false; }

    // Height in pixels (negative: character height) for a point size on a screen this wide.
    static int FontHeight(uint16_t pointSize, int screenWidth);
    // Position along one side of the client area, in ten-thousandths of its length.
    static int TextPosition(uint32_t edge, int clientLength);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CSetupApp& app_;
    uint32_t colour_ = 192 + 256 * 192 + 65536 * 192;
    std::vector<QFont> fonts_;
    bool attached_ = true;
};

QColor colourOf(uint32_t value);

}  // namespace setup
