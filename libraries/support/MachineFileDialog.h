#pragma once
// The open-file dialog of the support library: the machine's drives and their folders as Windows
// paths (C:\ is the machine's drive, Z:\ the host's root), the files of the folder shown, and a
// name field that takes a name in that folder, several names in double quotes, or a whole path
// (a folder typed there is opened). It answers Windows paths; a typed file that does not exist
// is reported and the dialog stays open. It also chooses a folder, when asked for one.
#include <QDialog>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Machine.h"
#include "runtime/ui/Services.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace pakomo {

class MachineFileDialog : public QDialog {
    Q_OBJECT
public:
    MachineFileDialog(const platform::Machine& machine, const runtime::FileOpenRequest& request,
                      QWidget* owner);

    // Shows a folder (a Windows or host path): marks it in the tree and lists its files; false,
    // changing nothing, when it is not a folder of the machine.
    bool showFolder(std::string_view path);
    // The Windows path of the folder shown ("C:\\Source", "Z:\\").
    const std::string& folder() const { return folder_; }
    // What was chosen; result 1 once the dialog was accepted, 0 before and after Cancel.
    const runtime::FileOpenAnswer& answer() const { return answer_; }

    QTreeWidget* folders() const { return folders_; }
    QTreeWidget* files() const { return files_; }
    QLineEdit* fileName() const { return fileName_; }
    QComboBox* fileTypes() const { return types_; }
    QPushButton* openButton() const { return open_; }

    // Open: the names typed, else the files marked in the list.
    void accept() override;

private:
    void fillFolder(QTreeWidgetItem* item);
    void markInTree(std::string_view windowsPath);
    void listFiles();
    void marksToName();
    // Chooses the files of one folder; reports what cannot be chosen and answers false.
    bool choose(const std::vector<std::string>& typed);
    void refuse(const std::string& text);

    const platform::Machine& machine_;
    runtime::FileOpenRequest request_;
    std::vector<std::vector<std::string>> patterns_;  // of each file type, lower case
    std::string folder_;
    runtime::FileOpenAnswer answer_;
    bool showing_ = false;

    QLineEdit* lookIn_ = nullptr;
    QTreeWidget* folders_ = nullptr;
    QTreeWidget* files_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    QComboBox* types_ = nullptr;
    QPushButton* open_ = nullptr;
};

// The program's file dialogs (runtime::getFileOpenName) as this dialog over the machine.
class MachineFileDialogs : public runtime::FileDialogProvider {
public:
    runtime::FileOpenAnswer open(const runtime::FileOpenRequest& request) override;
};

// Makes MachineFileDialogs the runtime's file dialog for the rest of the program's run.
void installMachineFileDialogs();

}  // namespace pakomo
