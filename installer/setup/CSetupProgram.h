#pragma once
// The Setup program: the run from the first disc to the end (InitInstance), the wizard, and the
// boxes and dialogs that the installer's logic asks for, on Qt Widgets.
#include "installer/logic/CSetupApp.h"
#include "installer/logic/ISetupUi.h"

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace setup {

class CMainWindow;
class CProgressDialog;

class CSetupProgram : public ISetupUi {
public:
    // `arguments` are those after the program's name; `modulePath` is the program's own path as
    // a Windows path.
    CSetupProgram(platform::Machine machine, std::vector<std::string> arguments, std::string modulePath);
    ~CSetupProgram() override;

    CSetupApp& app() { return *app_; }

    // The whole run; returns its result (0 complete, 1 cancelled, 2 error).
    int InitInstance();
    bool CreateBackgroundWindow();
    int RunWizard();

    // The program's title: its executable's name without the extension.
    std::string Title() const;

    // ISetupUi
    int MessageBox(uint32_t stringId, MsgButtons buttons, MsgIcon icon, std::string_view arg1,
                   std::string_view arg2) override;
    void SystemErrorBox(std::string_view text, std::string_view caption) override;
    void CopyErrorBox(std::string_view destination, std::string_view text) override;
    std::optional<std::string> AskForDisc(uint16_t disc, std::string_view sourceFolder) override;
    int RunProgressDialog(CInstallEngine& engine) override;
    void ProgressFile(std::string_view destinationPath) override;
    void ProgressAdvanced(uint64_t done, uint64_t total) override;
    bool PumpCancelMessages() override;

private:
    QWidget* Owner() const;
    QWidget* BoxOwner() const;
    int ShowPage(int code);

    std::vector<std::string> arguments_;
    std::string modulePath_;
    std::unique_ptr<CSetupApp> app_;
    std::unique_ptr<CMainWindow> mainWindow_;
    CProgressDialog* progress_ = nullptr;
};

}  // namespace setup
