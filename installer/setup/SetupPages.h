#pragma once
// The wizard's pages and the two dialogs after the installation (readme question, finished page).
#include "installer/setup/CWizardPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

namespace setup {

class CWelcomePage : public CWizardPage {
    Q_OBJECT
public:
    CWelcomePage(CSetupApp& app, QWidget* owner);
};

class CLicensePage : public CWizardPage {
    Q_OBJECT
public:
    CLicensePage(CSetupApp& app, QWidget* owner);
};

class CUserInfoPage : public CWizardPage {
    Q_OBJECT
public:
    CUserInfoPage(CSetupApp& app, QWidget* owner);

protected:
    void OnNext() override;
    void StorePageValues() override;

private:
    QLineEdit* name_;
    QLineEdit* company_;
};

// The group field is an edit above an always-open, sorted list of the existing groups: the edit
// is control 1015, the list "1015.list".
class CProgramGroupPage : public CWizardPage {
    Q_OBJECT
public:
    CProgramGroupPage(CSetupApp& app, QWidget* owner);

protected:
    void OnNext() override;
    void StorePageValues() override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* group_;
    QListWidget* groups_;
};

class CSetupTypePage : public CWizardPage {
    Q_OBJECT
public:
    CSetupTypePage(CSetupApp& app, QWidget* owner);

protected:
    void StorePageValues() override;

private:
    QButtonGroup buttons_;
};

class CDestinationPage : public CWizardPage {
    Q_OBJECT
public:
    CDestinationPage(CSetupApp& app, QWidget* owner);

protected:
    void StorePageValues() override;

private:
    QLineEdit* folder_;
};

class CFinishedPage : public CWizardPage {
    Q_OBJECT
public:
    CFinishedPage(CSetupApp& app, QWidget* owner);

protected:
    void StorePageValues() override;

private:
    QButtonGroup choices_;
};

// A plain dialog with the pages' frame: offers the readme file.
class CReadmeDialog : public QDialog {
    Q_OBJECT
public:
    CReadmeDialog(CSetupApp& app, QWidget* owner);

protected:
    void accept() override;
    void paintEvent(QPaintEvent* event) override;

private:
    CSetupApp& app_;
    QCheckBox* show_;
};

}  // namespace setup
