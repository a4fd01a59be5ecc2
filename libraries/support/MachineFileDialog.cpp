#include "libraries/support/MachineFileDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "runtime/services/MessageBox.h"

namespace pakomo {
namespace {

namespace fs = std::filesystem;

constexpr int PathRole = Qt::UserRole;        // folders tree: the item's Windows path
constexpr int FilledRole = Qt::UserRole + 1;  // folders tree: its subfolders are listed
constexpr int FolderRole = Qt::UserRole + 2;  // files list: the item is a folder

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
std::string str(const QString& text) { return text.toUtf8().toStdString(); }

std::string foldCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool lessNoCase(const std::string& a, const std::string& b) { return foldCase(a) < foldCase(b); }

// A pattern of "*" and "?" against a name, without regard to case.
bool matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        for (size_t i = 0; i <= name.size(); ++i)
            if (matches(pattern.substr(1), name.substr(i))) return true;
        return false;
    }
    if (name.empty()) return false;
    if (pattern[0] != '?' && std::tolower(static_cast<unsigned char>(pattern[0])) !=
                                 std::tolower(static_cast<unsigned char>(name[0])))
        return false;
    return matches(pattern.substr(1), name.substr(1));
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return std::string(s);
}

// The runtime's filter list "Description,pattern;pattern,...": descriptions and their patterns.
std::vector<std::pair<std::string, std::vector<std::string>>> parseFilter(std::string_view filter) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : filter) {
        if (c == ',') {
            parts.push_back(trimmed(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(trimmed(cur));
    std::vector<std::pair<std::string, std::vector<std::string>>> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::vector<std::string> patterns;
        std::string p;
        for (char c : parts[i + 1] + ";") {
            if (c == ';' || c == ' ') {
                if (!p.empty())
                    patterns.push_back(p == "*.*" ? "*" : p);  // "*.*" takes names without a dot too
                p.clear();
            } else {
                p += c;
            }
        }
        out.emplace_back(parts[i], std::move(patterns));
    }
    if (out.empty()) out.emplace_back("All files", std::vector<std::string>{"*"});
    return out;
}

// Several names in double quotes, or the whole text as one name.
std::vector<std::string> typedNames(const std::string& text) {
    if (text.find('"') == std::string::npos) return {text};
    std::vector<std::string> names;
    size_t at = 0;
    while ((at = text.find('"', at)) != std::string::npos) {
        const size_t end = text.find('"', at + 1);
        const std::string name = trimmed(text.substr(at + 1, end == std::string::npos ? end : end - at - 1));
        if (!name.empty()) names.push_back(name);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return names;
}

bool isDrivePath(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

}  // namespace

MachineFileDialog::MachineFileDialog(const platform::Machine& machine,
                                     const runtime::FileOpenRequest& request, QWidget* owner)
    : QDialog(owner), machine_(machine), request_(request) {
    setObjectName(QStringLiteral("MachineFileDialog"));
    const std::string fallbackTitle = request.folderOnly ? "Choose folder" : "Open";
    setWindowTitle(qs(request.title.empty() ? fallbackTitle : request.title));
    setSizeGripEnabled(true);
    resize(680, 440);

    lookIn_ = new QLineEdit(this);
    lookIn_->setObjectName(QStringLiteral("lookIn"));
    lookIn_->setReadOnly(true);
    folders_ = new QTreeWidget(this);
    folders_->setObjectName(QStringLiteral("folders"));
    folders_->setHeaderHidden(true);
    files_ = new QTreeWidget(this);
    files_->setObjectName(QStringLiteral("files"));
    files_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Modified")});
    files_->setRootIsDecorated(false);
    files_->setSelectionMode(request.multiple ? QAbstractItemView::ExtendedSelection
                                              : QAbstractItemView::SingleSelection);
    files_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    files_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    files_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    files_->header()->setStretchLastSection(false);
    fileName_ = new QLineEdit(this);
    fileName_->setObjectName(QStringLiteral("fileName"));
    types_ = new QComboBox(this);
    types_->setObjectName(QStringLiteral("fileTypes"));
    for (const auto& [description, patterns] : parseFilter(request.filter)) {
        types_->addItem(qs(description));
        std::vector<std::string> folded;
        for (const std::string& p : patterns) folded.push_back(foldCase(p));
        patterns_.push_back(std::move(folded));
    }
    open_ = new QPushButton(request.folderOnly ? QStringLiteral("OK") : QStringLiteral("&Open"), this);
    open_->setObjectName(QStringLiteral("open"));
    open_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));

    auto* panes = new QSplitter(this);
    panes->addWidget(folders_);
    panes->addWidget(files_);
    panes->setStretchFactor(1, 2);
    auto* grid = new QGridLayout(this);
    auto* lookInLabel = new QLabel(QStringLiteral("Look &in:"), this);
    lookInLabel->setBuddy(folders_);
    grid->addWidget(lookInLabel, 0, 0);
    grid->addWidget(lookIn_, 0, 1, 1, 2);
    grid->addWidget(panes, 1, 0, 1, 3);
    auto* nameLabel = new QLabel(QStringLiteral("File &name:"), this);
    nameLabel->setBuddy(fileName_);
    grid->addWidget(nameLabel, 2, 0);
    grid->addWidget(fileName_, 2, 1);
    grid->addWidget(open_, 2, 2);
    auto* typeLabel = new QLabel(QStringLiteral("Files of &type:"), this);
    typeLabel->setBuddy(types_);
    grid->addWidget(typeLabel, 3, 0);
    grid->addWidget(types_, 3, 1);
    grid->addWidget(cancel, 3, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    if (request.folderOnly) {
        for (QWidget* w : {static_cast<QWidget*>(files_), static_cast<QWidget*>(fileName_),
                           static_cast<QWidget*>(nameLabel), static_cast<QWidget*>(types_),
                           static_cast<QWidget*>(typeLabel)})
            w->hide();
        grid->addWidget(open_, 3, 1, Qt::AlignRight);
        resize(420, 440);
    }

    connect(open_, &QPushButton::clicked, this, &MachineFileDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(folders_, &QTreeWidget::itemExpanded, this, &MachineFileDialog::fillFolder);
    connect(folders_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !showing_) showFolder(str(item->data(0, PathRole).toString()));
    });
    connect(files_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, FolderRole).toBool()) {
            const std::string sep = folder_.back() == '\\' ? "" : "\\";
            showFolder(folder_ + sep + str(item->text(0)));
        } else {
            fileName_->clear();
            accept();
        }
    });
    connect(files_, &QTreeWidget::itemSelectionChanged, this, &MachineFileDialog::marksToName);
    connect(types_, &QComboBox::currentIndexChanged, this, [this] { listFiles(); });

    for (const char* drive : {"C:\\", "Z:\\"}) {
        auto host = machine_.hostPath(drive);
        std::error_code ec;
        if (!host || !fs::is_directory(*host, ec)) continue;
        auto* item = new QTreeWidgetItem(folders_, QStringList(QString::fromLatin1(drive)));
        item->setData(0, PathRole, QString::fromLatin1(drive));
        item->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }

    // The folder asked for, else its nearest existing parent, else drive C:.
    const std::string start = trimmed(request.folder).empty() ? "." : trimmed(request.folder);
    bool shown = showFolder(start);
    if (!shown) {
        if (auto host = machine_.hostPath(start)) {
            std::error_code ec;
            for (fs::path p = host->parent_path(); !shown && !p.empty(); p = p.parent_path()) {
                if (fs::is_directory(p, ec)) shown = showFolder(p.string());
                if (p == p.parent_path()) break;
            }
        }
    }
    if (!shown) showFolder("C:\\");
    (request.folderOnly ? static_cast<QWidget*>(folders_) : static_cast<QWidget*>(fileName_))->setFocus();
}

bool MachineFileDialog::showFolder(std::string_view path) {
    auto host = machine_.hostPath(path);
    std::error_code ec;
    if (!host || !fs::is_directory(*host, ec)) return false;
    folder_ = machine_.windowsPath(*host);
    lookIn_->setText(qs(folder_));
    markInTree(folder_);
    listFiles();
    return true;
}

void MachineFileDialog::fillFolder(QTreeWidgetItem* item) {
    if (item->data(0, FilledRole).toBool()) return;
    item->setData(0, FilledRole, true);
    const std::string path = str(item->data(0, PathRole).toString());
    std::vector<std::string> names;
    std::error_code ec;
    if (auto host = machine_.hostPath(path)) {
        // Linked folders are left out of the tree, so that expanding it never goes round in a circle.
        for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->is_directory(typeError) && !it->is_symlink(typeError))
                names.push_back(it->path().filename().string());
        }
    }
    std::sort(names.begin(), names.end(), lessNoCase);
    const std::string prefix = path.back() == '\\' ? path : path + "\\";
    for (const std::string& name : names) {
        auto* child = new QTreeWidgetItem(item, QStringList(qs(name)));
        child->setData(0, PathRole, qs(prefix + name));
        child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (names.empty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void MachineFileDialog::markInTree(std::string_view windowsPath) {
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < folders_->topLevelItemCount(); ++i)
        if (folders_->topLevelItem(i)->text(0).front().toUpper() == QChar(windowsPath.front()).toUpper())
            item = folders_->topLevelItem(i);
    if (!item) return;
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const size_t start = rest.find_first_not_of('\\');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const size_t end = rest.find('\\');
        const std::string name = foldCase(std::string(rest.substr(0, end)));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
        fillFolder(item);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (foldCase(str(item->child(i)->text(0))) == name) next = item->child(i);
        if (!next) break;  // a linked folder: the tree shows its deepest parent
        item->setExpanded(true);
        item = next;
    }
    showing_ = true;
    folders_->setCurrentItem(item);
    folders_->scrollToItem(item);
    showing_ = false;
}

void MachineFileDialog::listFiles() {
    files_->clear();
    if (request_.folderOnly) return;
    auto host = machine_.hostPath(folder_);
    if (!host) return;
    const size_t type = static_cast<size_t>(std::max(0, types_->currentIndex()));
    const std::vector<std::string> none;
    const std::vector<std::string>& patterns = type < patterns_.size() ? patterns_[type] : none;
    std::vector<std::string> folders, files;
    std::error_code ec;
    for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const std::string name = it->path().filename().string();
        if (it->is_directory(typeError)) {
            folders.push_back(name);
        } else if (it->is_regular_file(typeError) &&
                   std::any_of(patterns.begin(), patterns.end(),
                               [&](const std::string& p) { return matches(p, name); })) {
            files.push_back(name);
        }
    }
    std::sort(folders.begin(), folders.end(), lessNoCase);
    std::sort(files.begin(), files.end(), lessNoCase);
    for (const std::string& name : folders) {
        auto* item = new QTreeWidgetItem(files_, QStringList(qs(name)));
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        item->setData(0, FolderRole, true);
    }
    for (const std::string& name : files) {
        const QFileInfo info(QString::fromStdString((*host / name).string()));
        auto* item = new QTreeWidgetItem(files_, {qs(name), QLocale::c().toString(info.size()),
                                                  info.lastModified().toString("dd-MM-yyyy hh:mm")});
        item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void MachineFileDialog::marksToName() {
    std::vector<std::string> names;
    for (QTreeWidgetItem* item : files_->selectedItems())
        if (!item->data(0, FolderRole).toBool()) names.push_back(str(item->text(0)));
    if (names.empty()) return;
    std::string text = names.size() == 1 ? names[0] : std::string();
    if (names.size() > 1)
        for (const std::string& n : names) text += (text.empty() ? "\"" : " \"") + n + "\"";
    fileName_->setText(qs(text));
}

void MachineFileDialog::refuse(const std::string& text) {
    runtime::messageBox(str(windowTitle()), text, runtime::MessageIcon::Exclamation);
    fileName_->setFocus();
}

void MachineFileDialog::accept() {
    if (request_.folderOnly) {
        answer_ = {1, folder_, {}};
        QDialog::accept();
        return;
    }
    const std::string text = trimmed(str(fileName_->text()));
    if (!text.empty()) {
        choose(request_.multiple ? typedNames(text) : std::vector<std::string>{text});
        return;
    }
    // Nothing typed: the marked files, or the one marked folder opened.
    std::vector<std::string> names;
    QTreeWidgetItem* folder = nullptr;
    for (QTreeWidgetItem* item : files_->selectedItems()) {
        if (item->data(0, FolderRole).toBool())
            folder = item;
        else
            names.push_back(str(item->text(0)));
    }
    if (!names.empty()) {
        choose(names);
    } else if (folder) {
        showFolder(folder_ + (folder_.back() == '\\' ? "" : "\\") + str(folder->text(0)));
    }
}

bool MachineFileDialog::choose(const std::vector<std::string>& typed) {
    if (typed.empty()) return false;
    std::vector<fs::path> chosen;
    for (const std::string& name : typed) {
        // A name is in the folder shown; "\..." is on its drive; "X:..." and host paths stand alone.
        std::string path = name;
        if (name.front() == '\\' && name.rfind("\\\\", 0) != 0)
            path = folder_.substr(0, 2) + name;
        else if (!isDrivePath(name) && name.front() != '/' && name.front() != '\\')
            path = folder_ + (folder_.back() == '\\' ? "" : "\\") + name;
        auto host = machine_.hostPath(path);
        if (!host) {
            refuse(path + "\n" + host.error().text);
            return false;
        }
        std::error_code ec;
        if (typed.size() == 1 && fs::is_directory(*host, ec)) {
            showFolder(path);
            fileName_->clear();
            return false;
        }
        if (!fs::is_regular_file(*host, ec)) {
            refuse(path + "\nFile not found.\nCheck the file name and try again.");
            return false;
        }
        chosen.push_back(*host);
    }
    const fs::path parent = chosen.front().parent_path();
    for (const fs::path& p : chosen)
        if (p.parent_path() != parent) {
            refuse("The files chosen together must lie in one folder.");
            return false;
        }
    answer_ = {1, machine_.windowsPath(parent), {}};
    for (const fs::path& p : chosen) answer_.files.push_back(p.filename().string());
    QDialog::accept();
    return true;
}

runtime::FileOpenAnswer MachineFileDialogs::open(const runtime::FileOpenRequest& request) {
    runtime::FileOpenAnswer none;
    none.result = -1;
    if (!QApplication::instance()) return none;
    auto machine = platform::Machine::open();
    if (!machine) {
        runtime::messageBox(request.title, "The machine folder cannot be opened: " + machine.error().text,
                            runtime::MessageIcon::StopSign);
        return none;
    }
    MachineFileDialog dialog(*machine, request, QApplication::activeWindow());
    dialog.exec();
    return dialog.answer();
}

void installMachineFileDialogs() {
    static MachineFileDialogs dialogs;
    runtime::setFileDialogProvider(&dialogs);
}

}  // namespace pakomo
