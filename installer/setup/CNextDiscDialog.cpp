#include "installer/setup/CNextDiscDialog.h"

#include "installer/setup/CWizardPage.h"
#include "installer/setup/DialogUnits.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace setup {

CNextDiscDialog::CNextDiscDialog(CSetupApp& app, uint16_t disc, std::string_view sourceFolder, QWidget* owner)
    : QDialog(owner), app_(app) {
    setObjectName(QStringLiteral("102"));
    setWindowTitle(QStringLiteral("Next disc"));
    setFont(dialogFont());
    setFixedSize(dluSize(279, 95));
    setWindowFlags(DialogFlags);
    PlaceDialog(this);
    auto* prompt = new QLabel(QStringLiteral("Put disc %1 in the drive and click OK to continue.\n\nIf the contents of the "
                                             "disc are in a different folder you can type the path below.")
                                  .arg(disc),
                              this);
    prompt->setObjectName(QStringLiteral("1001"));
    prompt->setTextFormat(Qt::PlainText);
    prompt->setGeometry(dlu(13, 8, 260, 40));
    prompt->setWordWrap(true);
    prompt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    folder_ = new QLineEdit(QString::fromLocal8Bit(sourceFolder.data(), qsizetype(sourceFolder.size())), this);
    folder_->setObjectName(QStringLiteral("1000"));
    folder_->setGeometry(dlu(12, 51, 205, 14));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("1047"));
    browse->setGeometry(dlu(224, 51, 50, 14));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(dlu(86, 72, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(dlu(142, 72, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CNextDiscDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        std::string chosen = PickFolder(app_, this, QStringLiteral("Choose folder"), Folder());
        while (chosen.size() > 3 && chosen.back() == '\\') chosen.pop_back();
        if (!chosen.empty()) folder_->setText(QString::fromLocal8Bit(chosen.c_str()));
    });
    folder_->setFocus();
    QApplication::beep();
}

std::string CNextDiscDialog::Folder() const { return folder_->text().toLocal8Bit().toStdString(); }

void CNextDiscDialog::reject() {
    QWidget* before = focusWidget();
    if (ConfirmCancel(app_)) {
        done(page::Cancel);
        return;
    }
    RestoreFocus(this, before);
}

}  // namespace setup
