#include "installer/setup/CWizardPage.h"

#include "installer/logic/StringTable.h"
#include "installer/setup/CFolderPicker.h"
#include "installer/setup/DialogUnits.h"
#include "installer/setup/SetupResources.h"

#include <QPainter>

namespace setup {

bool ConfirmCancel(CSetupApp& app) {
    return app.ui().MessageBox(ids::ConfirmCancel, MsgButtons::YesNo, MsgIcon::Exclamation) == answer::Yes;
}

void RestoreFocus(QWidget* dialog, QWidget* before) {
    QWidget* target = before;
    auto* button = qobject_cast<QPushButton*>(target);
    if (!target || !target->isVisible() || !target->isEnabled() || (button && !button->isDefault())) {
        target = nullptr;
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->isDefault() && b->isVisible() && b->isEnabled()) target = b;
    }
    if (target) target->setFocus(Qt::OtherFocusReason);
}

std::string PickFolder(CSetupApp& app, QWidget* owner, const QString& title, std::string_view start) {
    QWidget* before = owner ? owner->focusWidget() : nullptr;
    CFolderPicker dialog(app.machine(), title, start, owner);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    if (owner) RestoreFocus(owner, before);
    if (!chosen) return {};
    return dialog.Folder();
}

void PaintSeparator(QWidget* widget) {
    QPainter p(widget);
    p.setPen(QColor(64, 64, 64));
    p.drawLine(7, 277, 443, 277);
    p.setPen(Qt::white);
    p.drawLine(7, 278, 443, 278);
}

CWizardPage::CWizardPage(CSetupApp& app, int templateId, const QString& caption, QWidget* owner, bool sidePicture)
    : QDialog(owner), app_(app) {
    setObjectName(QString::number(templateId));
    setWindowTitle(caption);
    setFont(dialogFont());
    setFixedSize(dluSize(303, 194));
    setWindowFlags(DialogFlags);
    PlaceDialog(this);
    if (sidePicture) {
        auto* picture = new QLabel(this);
        picture->setGeometry(dlu(3, 1, 81, 161));
        picture->setPixmap(LoadSetupBitmap(SidePictureId).scaled(picture->size()));
    }
    back_ = addButton(page::Back, dlu(135, 178, 50, 12), QStringLiteral("&<< Previous"));
    next_ = addButton(page::Next, dlu(185, 178, 50, 12), QStringLiteral("Next &>>"));
    cancel_ = addButton(page::Cancel, dlu(246, 178, 50, 12), QStringLiteral("Cancel"));
    next_->setDefault(true);
    connect(back_, &QPushButton::clicked, this, &CWizardPage::GoBack);
    connect(next_, &QPushButton::clicked, this, [this] { OnNext(); });
    connect(cancel_, &QPushButton::clicked, this, &CWizardPage::reject);
}

QWidget* CWizardPage::control(int id) const { return findChild<QWidget*>(QString::number(id)); }

QLabel* CWizardPage::addStatic(int id, QRect where, const QString& text) {
    auto* label = new QLabel(text, this);
    if (id) label->setObjectName(QString::number(id));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(where);
    label->setWordWrap(true);
    // The unnamed labels are one line each; they keep their whole text where this font is wider.
    if (!id) {
        label->setWordWrap(false);
        label->resize(std::max(where.width(), label->sizeHint().width()), where.height());
    }
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* CWizardPage::addButton(int id, QRect where, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::number(id));
    button->setGeometry(where);
    return button;
}

void CWizardPage::GoBack() {
    StorePageValues();
    done(page::Back);
}

void CWizardPage::ValidateAndNext(bool ok, uint32_t messageId, QWidget* focusControl) {
    if (ok) {
        StorePageValues();
        done(page::Next);
        return;
    }
    app_.ui().MessageBox(messageId, MsgButtons::Ok, MsgIcon::Exclamation);
    if (focusControl) focusControl->setFocus();
}

void CWizardPage::HideControl(int id) {
    if (auto* w = control(id)) w->hide();
}

void CWizardPage::reject() {
    QWidget* before = focusWidget();
    if (ConfirmCancel(app_)) {
        done(page::Cancel);
        return;
    }
    RestoreFocus(this, before);
}

void PutButtonsLast(QWidget* dialog, std::initializer_list<QPushButton*> buttons) {
    // A widget joins the end of its window's focus chain when it gets its parent, and the chain
    // is a ring, so the buttons are given their parent again instead of being reordered.
    for (QPushButton* b : buttons) {
        const QRect where = b->geometry();
        const bool hidden = b->isHidden(), isDefault = b->isDefault();
        b->setParent(nullptr);
        b->setParent(dialog);
        b->setGeometry(where);
        b->setHidden(hidden);
        b->setDefault(isDefault);
    }
}

void CWizardPage::showEvent(QShowEvent* event) {
    // The buttons are made before the page's own controls.
    if (!tabOrdered_) {
        tabOrdered_ = true;
        PutButtonsLast(this, {back_, next_, cancel_});
    }
    QDialog::showEvent(event);
}

void CWizardPage::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    PaintSeparator(this);
}

}  // namespace setup
