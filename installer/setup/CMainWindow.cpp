#include "installer/setup/CMainWindow.h"

#include "installer/setup/SetupResources.h"

#include <QCloseEvent>
#include <QPainter>
#include <cmath>

namespace setup {

QColor colourOf(uint32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

int CMainWindow::FontHeight(uint16_t pointSize, int screenWidth) {
    const int base = -(pointSize + pointSize / 3);
    return static_cast<int>(std::trunc(double(screenWidth) * base / 851.0 + 0.5));
}

int CMainWindow::TextPosition(uint32_t edge, int clientLength) {
    return static_cast<uint16_t>(static_cast<long long>(std::trunc(double(edge) * clientLength / 10000.0 + 0.5)));
}

CMainWindow::CMainWindow(CSetupApp& app, int screenWidth) : QWidget(nullptr), app_(app) {
    setObjectName(QStringLiteral("CMainWindow"));
    for (const auto& text : app.info().backgroundTexts) {
        // The face name of a font description holds 31 characters.
        QFont font(QString::fromLocal8Bit(text.faceName.substr(0, 31).c_str()));
        font.setPixelSize(std::max(1, std::abs(FontHeight(text.pointSize, screenWidth))));
        font.setWeight(text.bold ? QFont::Bold : QFont::Normal);
        font.setItalic(text.italic != 0);
        font.setUnderline(text.underline != 0);
        fonts_.push_back(font);
    }
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setWindowIcon(LoadSetupIcon(ProgramIconId));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

uint32_t CMainWindow::SetBackgroundColour(uint32_t colour) {
    uint32_t previous = colour_;
    colour_ = colour;
    repaint();
    return previous;
}

void CMainWindow::closeEvent(QCloseEvent* event) {
    // The run closes it; the user cannot.
    event->ignore();
}

void CMainWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colourOf(colour_));
    if (!attached_ || !app_.setupInfo) return;
    const auto& texts = app_.info().backgroundTexts;
    for (std::size_t i = 0; i < texts.size() && i < fonts_.size(); ++i) {
        p.setFont(fonts_[i]);
        p.setPen(colourOf(texts[i].colour));
        const int x = TextPosition(texts[i].left, width());
        const int y = TextPosition(texts[i].top, height());
        const QString text = QString::fromLocal8Bit(app_.ExpandVariables(texts[i].text).c_str());
        p.drawText(x, y + p.fontMetrics().ascent(), text);
    }
}

}  // namespace setup
