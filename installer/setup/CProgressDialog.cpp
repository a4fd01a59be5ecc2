#include "installer/setup/CProgressDialog.h"

#include "installer/setup/DialogUnits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <QPainter>

namespace setup {

namespace {
// Starts the run from the dialog's own loop once the dialog is visible.
const QEvent::Type StartRunEvent = static_cast<QEvent::Type>(QEvent::User + 1);

bool isInputEvent(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Close:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
    }
}
}  // namespace

CProgressDialog::CProgressDialog(CSetupApp& app, CInstallEngine& engine, QWidget* owner)
    : QDialog(owner), app_(app), engine_(engine) {
    setObjectName(QStringLiteral("141"));
    setWindowTitle(QStringLiteral("Progress"));
    setFont(dialogFont());
    setFixedSize(dluSize(350, 95));
    setWindowFlags(DialogFlags);
    PlaceDialog(this);
    status_ = new QLabel(QString::fromLocal8Bit(app.ExpandVariables(app.info().progress.text).c_str()), this);
    status_->setObjectName(QStringLiteral("1042"));
    status_->setTextFormat(Qt::PlainText);
    status_->setGeometry(dlu(10, 8, 330, 20));
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    file_ = new QLabel(this);
    file_->setObjectName(QStringLiteral("1043"));
    file_->setTextFormat(Qt::PlainText);
    file_->setGeometry(dlu(10, 32, 330, 20));
    file_->setWordWrap(true);
    file_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (!app.info().progress.showFileName) file_->hide();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("2"));
    cancel_->setGeometry(dlu(150, 76, 50, 14));
    // Enter never reaches Cancel as a click: only the run's end makes Enter close the dialog.
    cancel_->setAutoDefault(false);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("1046"));
    ok_->setGeometry(cancel_->geometry());
    ok_->setAutoDefault(false);
    ok_->hide();
    connect(cancel_, &QPushButton::clicked, this, &CProgressDialog::reject);
    connect(ok_, &QPushButton::clicked, this, &CProgressDialog::accept);
}

void CProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QCoreApplication::postEvent(this, new QEvent(StartRunEvent));
    }
}

void CProgressDialog::customEvent(QEvent* event) {
    if (event->type() != StartRunEvent) return QDialog::customEvent(event);
    result_ = engine_.RunInstallation();
    status_->setText(result_ == 0 ? QStringLiteral("Complete.") : QStringLiteral("Canceled."));
    cancel_->hide();
    ok_->show();
    ok_->setDefault(true);
    ok_->setFocus();
    file_->hide();
    finished_ = true;
}

void CProgressDialog::ShowFile(std::string_view destination) {
    file_->setText(QString::fromLocal8Bit(destination.data(), qsizetype(destination.size())));
}

void CProgressDialog::AdvanceProgress(uint64_t done, uint64_t total) {
    done_ = done;
    total_ = total;
    // A dialog that closed over this one during the file leaves its image behind until the
    // exposure is handled. A click on Cancel meanwhile only sets the flag, which the run looks at
    // in its next file pass.
    DeliverCancelInput();
    repaint(BarRect);
}

void CProgressDialog::DeliverCancelInput() {
    // Input for any other window than Cancel is not acted on while the run lasts.
    qApp->installEventFilter(this);
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
}

bool CProgressDialog::PumpCancelMessages() {
    DeliverCancelInput();
    bool pressed = cancelPressed_;
    cancelPressed_ = false;
    return pressed;
}

bool CProgressDialog::eventFilter(QObject* watched, QEvent* event) {
    if (!isInputEvent(event->type())) return false;
    return !ReachesCancel(watched, event);
}

bool CProgressDialog::ReachesCancel(QObject* watched, QEvent* event) const {
    if (watched == cancel_) return true;
    if (!cancel_->isVisible() || (watched != this && watched != windowHandle())) return false;
    // Input from the window system comes to the dialog's window first and is passed on from
    // there: a click over Cancel, or a key while Cancel has the focus (Escape, the space bar).
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            return cancel_->geometry().contains(at);
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride: return focusWidget() == cancel_;
        default: return false;
    }
}

void CProgressDialog::reject() {
    // Never closes: the run looks at the flag between files.
    cancelPressed_ = true;
}

void CProgressDialog::accept() {
    if (finished_) done(1);
}

void CProgressDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CProgressDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    DrawProgressBar(painter);
}

void CProgressDialog::DrawProgressBar(QPainter& p) {
    if (total_ == 0) return;
    const unsigned percent = CInstallEngine::ProgressPercent(done_, total_);
    const int left = 16, top = 96, right = 504, bottom = 116;
    const int w = right - left + 1, h = bottom - top + 1;
    // The 3-D frame: black above and left, white below and right.
    p.setPen(Qt::black);
    p.drawLine(left, top, right - 2, top);
    p.drawLine(left, top, left, bottom - 2);
    p.setPen(Qt::white);
    p.drawLine(left, bottom - 1, right - 1, bottom - 1);
    p.drawLine(right - 1, top, right - 1, bottom - 1);
    p.fillRect(left + 1, top + 1, w - 4, h - 4, Qt::white);
    p.setPen(QColor(0, 0, 255));
    p.drawText(QRect(left, top, right - left, bottom - top), Qt::AlignCenter, QStringLiteral("%1%").arg(percent));
    // Yellow over white gives blue; over the blue digits, white.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QColor(255, 255, 0));
    const int end = left + int(CInstallEngine::ProgressBarWidth(unsigned(w), percent)) - 3;
    for (int y = top + 1; y <= top + h - 4; ++y)
        if (end - 1 >= left + 1) p.drawLine(left + 1, y, end - 1, y);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace setup
