#pragma once
// "Next disc": asks for the disc that the source folder does not hold, or for another folder.
#include "installer/logic/CSetupApp.h"

#include <QDialog>
#include <QLineEdit>

namespace setup {

class CNextDiscDialog : public QDialog {
    Q_OBJECT
public:
    CNextDiscDialog(CSetupApp& app, uint16_t disc, std::string_view sourceFolder, QWidget* owner);
    // The folder field's text as the user left it with OK.
    std::string Folder() const;

protected:
    void reject() override;  // Cancel, Escape and the close box ask first

private:
    CSetupApp& app_;
    QLineEdit* folder_;
};

}  // namespace setup
