#pragma once
// "Choose folder": the machine's drives and their folders as Windows paths (C:\ is the machine's
// drive, Z:\ the host's root), opened at the folder the caller's field names.
#include "platform/Machine.h"

#include <QDialog>
#include <string>
#include <string_view>

class QTreeWidget;
class QTreeWidgetItem;

namespace setup {

class CFolderPicker : public QDialog {
    Q_OBJECT
public:
    CFolderPicker(const platform::Machine& machine, const QString& title, std::string_view start, QWidget* owner);

    // The Windows path of the marked folder; "" when none is marked.
    std::string Folder() const;
    // Opens the tree down to a Windows path and marks it, or its deepest existing parent; false
    // when not even its drive is there.
    bool SelectFolder(std::string_view windowsPath);
    QTreeWidget* tree() const { return tree_; }

private:
    void Fill(QTreeWidgetItem* item);

    const platform::Machine& machine_;
    QTreeWidget* tree_;
};

}  // namespace setup
