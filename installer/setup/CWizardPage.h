#pragma once
// The base of every wizard page: a modal dialog with the pages' common frame (side picture,
// "<< Previous", "Next >>", "Cancel", the etched separator), their Back and Cancel behaviour and
// the store of the page's values into the run's state. Every control's object name is its
// control id, the dialog's object name its template id.
#include "installer/logic/CSetupApp.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace setup {

// Page results.
namespace page {
inline constexpr int Next = 1;
inline constexpr int Cancel = 2;
inline constexpr int Back = 1004;
}  // namespace page

// Asks 16394; true for Yes.
bool ConfirmCancel(CSetupApp& app);

// Lets the user choose a folder of the machine, starting at `start` (a Windows path); its Windows
// path, or "" when none was chosen.
std::string PickFolder(CSetupApp& app, QWidget* owner, const QString& title, std::string_view start);
// After a question or a dialog that was turned down, the keyboard goes back where it was; from a
// button that only opened it (Cancel, Browse) to the default button, so Enter does not open it again.
void RestoreFocus(QWidget* dialog, QWidget* before);

class CWizardPage : public QDialog {
    Q_OBJECT
public:
    CWizardPage(CSetupApp& app, int templateId, const QString& caption, QWidget* owner, bool sidePicture = true);

    // A control of the page by its id.
    QWidget* control(int id) const;
    template <class T>
    T* control(int id) const { return qobject_cast<T*>(control(id)); }

protected:
    // Copies the page's values into the run's state (on Next and Back).
    virtual void StorePageValues() {}
    // The Next button; pages with a check of their own replace it.
    virtual void OnNext() { ValidateAndNext(true, 0, nullptr); }
    virtual void GoBack();
    void ValidateAndNext(bool ok, uint32_t messageId, QWidget* focusControl);
    void HideControl(int id);
    void reject() override;  // Cancel, Escape and the close box
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // Control makers: the control's object name is its id ("" for the unnamed labels).
    QLabel* addStatic(int id, QRect where, const QString& text);
    QPushButton* addButton(int id, QRect where, const QString& text);

    CSetupApp& app_;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* cancel_ = nullptr;

private:
    bool tabOrdered_ = false;
};

// Tab goes through a dialog's controls in the order they were made, then through `buttons`.
void PutButtonsLast(QWidget* dialog, std::initializer_list<QPushButton*> buttons);

// Draws the etched line above the buttons in `widget`.
void PaintSeparator(QWidget* widget);

}  // namespace setup
