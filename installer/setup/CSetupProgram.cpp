#include "installer/setup/CSetupProgram.h"

#include "installer/logic/CInstallEngine.h"
#include "installer/logic/StringTable.h"
#include "installer/setup/CComponentsPage.h"
#include "installer/setup/CMainWindow.h"
#include "installer/setup/CNextDiscDialog.h"
#include "installer/setup/CProgressDialog.h"
#include "installer/setup/DialogUnits.h"
#include "installer/setup/SetupPages.h"
#include "installer/setup/SetupResources.h"
#include "platform/Process.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

namespace setup {

namespace {

QString qs(std::string_view text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

// Page codes of the wizard.
enum PageCode { Welcome = 1, License, UserInfo, ProgramGroup, SetupType, Destination, Components };

}  // namespace

CSetupProgram::CSetupProgram(platform::Machine machine, std::vector<std::string> arguments, std::string modulePath)
    : arguments_(std::move(arguments)),
      modulePath_(std::move(modulePath)),
      app_(std::make_unique<CSetupApp>(std::move(machine), *this)) {}

CSetupProgram::~CSetupProgram() = default;

std::string CSetupProgram::Title() const {
    std::string name = modulePath_.substr(modulePath_.find_last_of("\\/") + 1);
    if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

QWidget* CSetupProgram::Owner() const { return mainWindow_.get(); }

QWidget* CSetupProgram::BoxOwner() const {
    // The dialog that asks, so the box stays in front of it whichever window has the focus.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return Owner();
}

// ---- Boxes ----

int CSetupProgram::MessageBox(uint32_t stringId, MsgButtons buttons, MsgIcon icon, std::string_view arg1,
                              std::string_view arg2) {
    QMessageBox box(BoxOwner());
    box.setObjectName(QStringLiteral("box"));
    box.setWindowFlags(DialogFlags);
    box.setTextFormat(Qt::PlainText);
    box.setProperty("stringId", stringId);
    box.setWindowTitle(qs(Title()));
    box.setText(qs(FormatStringText(stringId, arg1, arg2)));
    box.setWindowIcon(LoadSetupIcon(ProgramIconId));
    switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    }
    switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok: return answer::Ok;
        case QMessageBox::Yes: return answer::Yes;
        case QMessageBox::No: return answer::No;
        case QMessageBox::Retry: return answer::Retry;
        default: return answer::Cancel;
    }
}

void CSetupProgram::SystemErrorBox(std::string_view text, std::string_view caption) {
    QMessageBox box(BoxOwner());
    box.setObjectName(QStringLiteral("box"));
    box.setWindowFlags(DialogFlags);
    box.setTextFormat(Qt::PlainText);
    box.setProperty("stringId", 0u);
    box.setProperty("caption", qs(caption));
    box.setWindowTitle(qs(caption));
    box.setText(qs(text));
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void CSetupProgram::CopyErrorBox(std::string_view destination, std::string_view text) {
    QMessageBox box(progress_ ? static_cast<QWidget*>(progress_) : Owner());
    box.setObjectName(QStringLiteral("box"));
    box.setWindowFlags(DialogFlags);
    box.setTextFormat(Qt::PlainText);
    box.setProperty("stringId", 0u);
    box.setProperty("caption", QStringLiteral("Error Copying File"));
    box.setWindowTitle(QStringLiteral("Error Copying File"));
    box.setText(QStringLiteral("Cannot copy %1: %2").arg(qs(destination), qs(text)));
    box.setIcon(QMessageBox::Critical);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

std::optional<std::string> CSetupProgram::AskForDisc(uint16_t disc, std::string_view sourceFolder) {
    // During the run the progress dialog asks for the disc; before it, the background window.
    CNextDiscDialog dialog(*app_, disc, sourceFolder, progress_ ? static_cast<QWidget*>(progress_) : Owner());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Folder();
}

// ---- Progress ----

int CSetupProgram::RunProgressDialog(CInstallEngine& engine) {
    CProgressDialog dialog(*app_, engine, Owner());
    progress_ = &dialog;
    dialog.exec();
    progress_ = nullptr;
    return dialog.Result();
}

void CSetupProgram::ProgressFile(std::string_view destinationPath) {
    if (progress_) progress_->ShowFile(destinationPath);
}

void CSetupProgram::ProgressAdvanced(uint64_t done, uint64_t total) {
    if (progress_) progress_->AdvanceProgress(done, total);
}

bool CSetupProgram::PumpCancelMessages() { return progress_ && progress_->PumpCancelMessages(); }

// ---- Background window ----

bool CSetupProgram::CreateBackgroundWindow() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        app_->ShowSystemError(platform::err::NotEnoughMemory, MemoryProblemCaption);
        return false;
    }
    mainWindow_ = std::make_unique<CMainWindow>(*app_, screen->geometry().width());
    mainWindow_->setGeometry(screen->availableGeometry());
    mainWindow_->showMaximized();
    mainWindow_->SetBackgroundColour(app_->info().mainWindow.backgroundColour);
    mainWindow_->setWindowTitle(qs(app_->ExpandVariables(app_->info().mainWindow.title)));
    return true;
}

// ---- Wizard ----

int CSetupProgram::ShowPage(int code) {
    QWidget* owner = Owner();
    switch (code) {
        case Welcome: return CWelcomePage(*app_, owner).exec();
        case License: return CLicensePage(*app_, owner).exec();
        case UserInfo: return CUserInfoPage(*app_, owner).exec();
        case ProgramGroup: return CProgramGroupPage(*app_, owner).exec();
        case SetupType: return CSetupTypePage(*app_, owner).exec();
        case Destination: return CDestinationPage(*app_, owner).exec();
        case Components:
            // Shown only for the Custom setup type; otherwise it counts as Next.
            if (app_->chosenSetupType != setuptype::Custom) return page::Next;
            return CComponentsPage(*app_, owner, 0, app_->componentSelection).exec();
        default: return page::Cancel;
    }
}

int CSetupProgram::RunWizard() {
    const auto& wizard = app_->info().wizard;
    std::vector<int> pages;
    if (wizard.welcome) pages.push_back(Welcome);
    if (wizard.license) pages.push_back(License);
    if (wizard.userInformation) pages.push_back(UserInfo);
    if (wizard.programGroup) pages.push_back(ProgramGroup);
    if (app_->availableSetupTypeCount > 1) pages.push_back(SetupType);
    pages.push_back(Destination);
    pages.push_back(Components);

    std::size_t position = 0;
    while (true) {
        const int code = pages[position];
        const int result = ShowPage(code);
        if (code == SetupType && result == page::Next) app_->ApplySetupTypeSelection();
        if (code == Components && (result == page::Next || result == page::Back)) {
            auto& components = app_->info().components;
            for (std::size_t i = 0; i < components.size() && i < app_->componentSelection.size(); ++i)
                components[i].destination = app_->componentSelection[i].folder;
        }
        if (result == page::Next) {
            if (position + 1 == pages.size()) return app_->StartInstallation();
            ++position;
        } else if (result == page::Back) {
            if (position > 0) --position;
        } else {
            return result::Cancelled;
        }
    }
}

// ---- The run ----

int CSetupProgram::InitInstance() {
    app_->InitRun(arguments_, modulePath_);
    if (app_->CheckDisc() != 0) return result::Cancelled;

    int outcome = result::Cancelled;
    const bool read = app_->ReadSetupInfo() && app_->BuildVariableTable() && app_->LoadUninstallRecord();
    bool programGroupOption = false;
    if (read) {
        CreateBackgroundWindow();
        app_->InitDefaults();
        outcome = RunWizard();
        app_->componentSelection.clear();
        // A product that no uninstall could remove is not installed.
        if (outcome == result::Complete && !app_->WriteUninstallRecord()) {
            app_->RollBackInstallation();
            outcome = result::Error;
        }
        app_->changeLog.Clear();
    }
    if (outcome != result::Complete) {
        MessageBox(ids::InstallationNotCompleted, MsgButtons::Ok, MsgIcon::Exclamation, {}, {});
    } else {
        const auto& info = app_->info();
        if (info.readme.mode == 2 && info.header.readmeOffered) CReadmeDialog(*app_, Owner()).exec();
        if (app_->showReadme) {
            // A readme path that does not fit its field is refused, never cut to another name.
            if (app_->testMode && arguments_.size() > 1)
                app_->readmePath = app_->CheckPathFits(arguments_[1]) ? arguments_[1] : std::string();
            if (!app_->readmePath.empty())
                (void)platform::shellOpen(app_->machine(), "", "notepad.exe", app_->readmePath, ".");
        }
        if (info.wizard.finished) CFinishedPage(*app_, Owner()).exec();
    }
    if (read) programGroupOption = app_->info().wizard.programGroup != 0;
    // The window paints from the setup information: it stops before that is released.
    if (mainWindow_) mainWindow_->DetachSetupInfo();
    app_->variables.reset();
    app_->ReleaseSetupInfo();
    if (!app_->testMode && outcome == result::Complete && programGroupOption && !app_->programGroupFolder.empty())
        (void)platform::shellOpen(app_->machine(), "open", app_->programGroupFolder, "", ".");
    if (mainWindow_) {
        mainWindow_->hide();
        mainWindow_.reset();
    }
    if (app_->restart && !app_->testMode) (void)platform::requestRestart(app_->machine());
    return outcome;
}

}  // namespace setup
