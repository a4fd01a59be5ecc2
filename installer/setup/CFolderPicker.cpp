#include "installer/setup/CFolderPicker.h"

#include "installer/setup/DialogUnits.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <vector>

namespace setup {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int FilledRole = Qt::UserRole + 1;

QString qs(std::string_view text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

bool lessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The folders directly inside a host folder, by name; unreadable ones are left out.
std::vector<std::string> subfolders(const std::filesystem::path& host) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), lessNoCase);
    return names;
}

}  // namespace

CFolderPicker::CFolderPicker(const platform::Machine& machine, const QString& title, std::string_view start,
                             QWidget* owner)
    : QDialog(owner), machine_(machine) {
    setObjectName(QStringLiteral("PickFolder"));
    setWindowTitle(title);
    setWindowFlags(DialogFlags);
    setFont(dialogFont());
    setFixedSize(dluSize(200, 180));
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("folders"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->header()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemExpanded, this, &CFolderPicker::Fill);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->childCount() == 0) accept();
    });

    for (const char* drive : {"C:\\", "Z:\\"}) {
        auto host = machine_.hostPath(drive);
        if (!host || !std::filesystem::is_directory(*host)) continue;
        auto* item = new QTreeWidgetItem(tree_, QStringList(QString::fromLatin1(drive)));
        item->setData(0, PathRole, QString::fromLatin1(drive));
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (!SelectFolder(start) && tree_->topLevelItemCount() > 0) tree_->setCurrentItem(tree_->topLevelItem(0));
    PlaceDialog(this);
}

void CFolderPicker::Fill(QTreeWidgetItem* item) {
    if (item->data(0, FilledRole).toBool()) return;
    item->setData(0, FilledRole, true);
    const std::string path = item->data(0, PathRole).toString().toLocal8Bit().toStdString();
    auto host = machine_.hostPath(path);
    std::vector<std::string> names;
    if (host) names = subfolders(*host);
    const std::string prefix = path.back() == '\\' ? path : path + "\\";
    for (const auto& name : names) {
        auto* child = new QTreeWidgetItem(item, QStringList(qs(name)));
        child->setData(0, PathRole, qs(prefix + name));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (names.empty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

bool CFolderPicker::SelectFolder(std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return false;
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < tree_->topLevelItemCount(); ++i)
        if (tree_->topLevelItem(i)->text(0).front().toUpper() == QChar(windowsPath[0]).toUpper())
            item = tree_->topLevelItem(i);
    if (!item) return false;
    std::string_view rest = windowsPath.substr(2);
    while (!rest.empty()) {
        const auto start = rest.find_first_not_of("\\/");
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        const auto end = rest.find_first_of("\\/");
        const std::string_view name = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
        Fill(item);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i)
            if (equalNoCase(item->child(i)->text(0).toLocal8Bit().toStdString(), name)) next = item->child(i);
        if (!next) break;
        item->setExpanded(true);
        item = next;
    }
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
    return true;
}

std::string CFolderPicker::Folder() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    return item ? item->data(0, PathRole).toString().toLocal8Bit().toStdString() : std::string();
}

}  // namespace setup
