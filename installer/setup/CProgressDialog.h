#pragma once
// "Progress": the modal dialog inside which the installation runs. While the run lasts only the
// Cancel button's input is let through between files; the bar shows the stored bytes read. It is
// owned by the background window, so it stays in front of it.
#include "installer/logic/CInstallEngine.h"
#include "installer/logic/CSetupApp.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace setup {

class CProgressDialog : public QDialog {
    Q_OBJECT
public:
    CProgressDialog(CSetupApp& app, CInstallEngine& engine, QWidget* owner = nullptr);

    int Result() const { return result_; }
    void ShowFile(std::string_view destination);
    // Repaints the bar at once, and whatever was uncovered meanwhile; input stays queued.
    void AdvanceProgress(uint64_t done, uint64_t total);
    // Delivers what is pending for the Cancel button only; true when it was pressed since.
    bool PumpCancelMessages();

    static constexpr QRect BarRect{QPoint(16, 96), QPoint(503, 115)};  // left 16, top 96, right 504, bottom 116

protected:
    void showEvent(QShowEvent* event) override;
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;  // Cancel and Escape set the cancel flag only
    void accept() override;  // OK, once the run has ended
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawProgressBar(QPainter& painter);
    bool ReachesCancel(QObject* watched, QEvent* event) const;
    // Handles what is pending: painting and Cancel's input; other input is dropped.
    void DeliverCancelInput();

    CSetupApp& app_;
    CInstallEngine& engine_;
    QLabel* status_;
    QLabel* file_;
    QPushButton* cancel_;
    QPushButton* ok_;
    uint64_t done_ = 0;
    uint64_t total_ = 0;
    bool cancelPressed_ = false;
    bool started_ = false;
    bool finished_ = false;
    int result_ = 2;
};

}  // namespace setup
