#include "installer/setup/CComponentsPage.h"

#include "installer/logic/StringTable.h"
#include "installer/setup/CSortedListItem.h"
#include "installer/setup/DialogUnits.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace setup {

namespace {
constexpr int kStateRole = Qt::UserRole + 1;  // the check state the line had before a click
constexpr int kSizeColumn = 144;

constexpr int kCheckWidth = 16;  // the check box column; the line's text follows it

QString qs(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

// Draws a line as the check list box does: its check box, then its text with the size column,
// grey when the line or the list is disabled; a click on the check box toggles it.
class CComponentLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QWidget* list = option.widget;
        const QPalette& palette = option.palette;
        const bool enabled = (index.flags() & Qt::ItemIsEnabled) && list && list->isEnabled();
        const bool selected = option.state & QStyle::State_Selected;
        QColor text = palette.color(QPalette::Active, QPalette::WindowText);
        QColor back = palette.color(QPalette::Active, QPalette::Base);
        if (!enabled) {
            text = QColor(128, 128, 128);
        } else if (selected) {
            text = palette.color(QPalette::Active, QPalette::HighlightedText);
            back = palette.color(QPalette::Active, QPalette::Highlight);
        }
        QStyleOptionViewItem box(option);
        box.rect = QRect(option.rect.left() + 1, option.rect.top() + (option.rect.height() - 13) / 2, 13, 13);
        box.state = (enabled ? QStyle::State_Enabled : QStyle::State_None);
        switch (static_cast<Qt::CheckState>(index.data(Qt::CheckStateRole).toInt())) {
            case Qt::Checked: box.state |= QStyle::State_On; break;
            case Qt::PartiallyChecked: box.state |= QStyle::State_NoChange; break;
            default: box.state |= QStyle::State_Off; break;
        }
        p->fillRect(option.rect, palette.color(QPalette::Active, QPalette::Base));
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, p, list);
        QRect textRect = option.rect.adjusted(kCheckWidth, 0, 0, 0);
        p->fillRect(textRect, back);
        p->setFont(option.font);
        p->setPen(text);
        const int y = std::max(0, (textRect.height() - p->fontMetrics().height()) / 2) + 1;
        p->drawText(textRect.left(), textRect.top() + y + p->fontMetrics().ascent(), index.data(Qt::DisplayRole).toString());
        // The focus mark is the list's own dotted frame: styles draw theirs only after a key.
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(text, 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(textRect.adjusted(0, 0, -1, -1));
        }
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (!(index.flags() & Qt::ItemIsEnabled) || !(index.flags() & Qt::ItemIsUserCheckable)) return false;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || mouse->position().x() >= option.rect.left() + kCheckWidth) return false;
        } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            return mouse->position().x() < option.rect.left() + kCheckWidth;
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
        } else {
            return false;
        }
        // Checked becomes unchecked; unchecked and indeterminate become checked (and the page
        // turns a click on an indeterminate box into unchecked).
        const auto state = static_cast<Qt::CheckState>(index.data(Qt::CheckStateRole).toInt());
        return model->setData(index, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
};

}  // namespace

CComponentList::CComponentList(CComponentsPage* page) : QListWidget(page) {
    setObjectName(QStringLiteral("999"));
    // Left 136, top 28, right 312, bottom 156 in the page's pixels.
    setGeometry(QRect(QPoint(136, 28), QPoint(311, 155)));
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new CComponentLineDelegate(this));
    setFont(dialogFont());
}

CComponentsPage::CComponentsPage(CSetupApp& app, QWidget* owner, uint32_t parentId,
                                 std::vector<ComponentSelection>& caller)
    : CWizardPage(app, 138, QStringLiteral("Components"), owner), parentId_(parentId), copy_(caller), caller_(caller) {
    const auto& components = app.info().components;
    ownFileSizes_.assign(components.size(), 0);
    for (const auto& file : app.info().files)
        for (std::size_t i = 0; i < components.size(); ++i)
            if (components[i].id == file.componentId) ownFileSizes_[i] += file.installedSize;
    copy_.resize(components.size());

    list_ = new CComponentList(this);
    options_ = addButton(1030, dlu(215, 17, 50, 14), QStringLiteral("&Options..."));
    description_ = addStatic(1032, dlu(91, 100, 206, 26), QString());
    folder_ = new QLineEdit(this);
    folder_->setObjectName(QStringLiteral("1033"));
    folder_->setGeometry(dlu(91, 130, 150, 14));
    folder_->setMaxLength(254);  // the component's folder field holds no more
    browse_ = addButton(1048, dlu(246, 130, 50, 14), QStringLiteral("&Browse..."));
    addStatic(0, dlu(91, 152, 80, 8), QStringLiteral("Necessary disc-space:"));
    discSpace_ = addStatic(1034, dlu(175, 152, 60, 8), QString());
    options_->setEnabled(false);
    folder_->setEnabled(false);
    browse_->setEnabled(false);

    if (parentId_ != 0) {
        for (const auto& c : components)
            if (c.id == parentId_) setWindowTitle(windowTitle() + QStringLiteral(" - ") + qs(c.name));
        next_->setText(QStringLiteral("OK"));
        HideControl(page::Back);
        // Over the page that opened it, 8 pixels to the right.
        if (owner) setGeometry(owner->geometry().translated(8, 0));
    }

    // Only a user's edit changes the component's folder; showing a component does not.
    connect(folder_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (current_ >= 0) copy_[std::size_t(current_)].folder = text.toLocal8Bit().toStdString();
    });
    connect(browse_, &QPushButton::clicked, this, [this] {
        std::string chosen = PickFolder(app_, this, QStringLiteral("Choose folder"), folder_->text().toLocal8Bit().toStdString());
        if (chosen.empty() || current_ < 0) return;
        folder_->setText(qs(chosen));
        copy_[std::size_t(current_)].folder = chosen;
    });
    connect(options_, &QPushButton::clicked, this, &CComponentsPage::OpenOptions);
    connect(list_, &QListWidget::itemSelectionChanged, this, &CComponentsPage::ScheduleShowCurrent);
    connect(list_, &QListWidget::itemChanged, this, &CComponentsPage::OnItemChanged);

    FillComponentList(parentId_);
    UpdateDiscSpace();
    list_->setFocus();
}

bool CComponentsPage::IsOptionsParent(std::size_t component) const {
    return parentId_ != 0 && app_.info().components[component].id == parentId_;
}

int CComponentsPage::MeasureListText(const QString& text) const {
    return list_->fontMetrics().horizontalAdvance(text);
}

std::string CComponentsPage::FormatSizeK(uint64_t bytes) {
    if (bytes == 0) return "0 K";
    if (bytes < 512) return "1 K";
    return std::to_string((bytes + 512) / 1024) + " K";
}

uint64_t CComponentsPage::SelectedSize(std::size_t component, bool withDescendants, int* counted, int* selected) const {
    const auto& components = app_.info().components;
    uint64_t size = 0;
    if (counted) ++*counted;
    if (copy_[component].selected) {
        if (selected) ++*selected;
        size += ownFileSizes_[component];
    }
    if (withDescendants)
        for (std::size_t i = 0; i < components.size(); ++i)
            if (components[i].parentId == components[component].id)
                size += SelectedSize(i, true, counted, selected);
    return size;
}

bool CComponentsPage::HasChildComponents(std::size_t component) const {
    if (IsOptionsParent(component)) return false;
    const auto& components = app_.info().components;
    for (const auto& c : components)
        if (c.parentId == components[component].id) return true;
    return false;
}

uint64_t CComponentsPage::TotalSelectedSize() const {
    const auto& components = app_.info().components;
    uint64_t total = 0;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (components[i].parentId == parentId_) total += SelectedSize(i, true);
        if (parentId_ != 0 && components[i].id == parentId_) total += SelectedSize(i, false);
    }
    return total;
}

void CComponentsPage::UpdateDiscSpace() { discSpace_->setText(qs(FormatSizeK(TotalSelectedSize()))); }

void CComponentsPage::SetComponentSelected(std::size_t component, uint32_t state) {
    copy_[component].selected = state;
    if (IsOptionsParent(component)) return;
    const auto& components = app_.info().components;
    for (std::size_t i = 0; i < components.size(); ++i)
        if (components[i].parentId == components[component].id) SetComponentSelected(i, state);
}

CComponentsPage::LineText CComponentsPage::ComponentLineText(std::optional<std::size_t> component) {
    const auto& components = app_.info().components;
    LineText line;
    QString name;
    if (!component) {
        name = QStringLiteral("Others");
        for (std::size_t i = 0; i < components.size(); ++i)
            if (components[i].parentId == parentId_ && !components[i].visible)
                line.size += SelectedSize(i, true, &line.counted, &line.selected);
    } else {
        name = qs(components[*component].name);
        line.size = SelectedSize(*component, !IsOptionsParent(*component), &line.counted, &line.selected);
    }
    const QString size = qs(FormatSizeK(line.size));
    const int room = kSizeColumn - MeasureListText(size) - MeasureListText(QStringLiteral(" "));
    line.text = name;
    while (MeasureListText(line.text) < room) line.text += QLatin1Char(' ');
    line.text += size;
    return line;
}

void CComponentsPage::FillComponentList(uint32_t parentId) {
    const bool wasRefilling = refill_;
    refill_ = true;
    const auto& components = app_.info().components;
    for (std::size_t i = 0; i < components.size(); ++i) {
        const auto& c = components[i];
        if (!c.visible || (c.parentId != parentId && c.id != parentId) || (parentId == 0 && c.id == 0)) continue;
        LineText line = ComponentLineText(i);
        auto* item = new CSortedListItem(line.text);
        item->setData(Qt::UserRole, int(i));
        const Qt::CheckState state = line.selected == 0               ? Qt::Unchecked
                                     : line.selected == line.counted ? Qt::Checked
                                                                     : Qt::PartiallyChecked;
        Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        // The Options dialog's own component is listed but cannot be changed there.
        if (parentId != 0 && c.id == parentId) flags &= ~Qt::ItemIsEnabled;
        item->setFlags(flags);
        item->setCheckState(state);
        item->setData(kStateRole, int(state));
        list_->addItem(item);
    }
    LineText others = ComponentLineText(std::nullopt);
    if (others.size > 0) {
        auto* item = new CSortedListItem(others.text);
        item->setData(Qt::UserRole, CComponentList::OthersLine);
        item->setFlags(Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setData(kStateRole, int(Qt::Checked));
        list_->addItem(item);
    }
    refill_ = wasRefilling;
}

void CComponentsPage::OnItemChanged(QListWidgetItem* item) {
    if (refill_) return;
    const auto before = static_cast<Qt::CheckState>(item->data(kStateRole).toInt());
    refill_ = true;
    // A click on an indeterminate box clears it.
    if (before == Qt::PartiallyChecked && item->checkState() == Qt::Checked) item->setCheckState(Qt::Unchecked);
    item->setData(kStateRole, int(item->checkState()));
    refill_ = false;
    if (list_->currentItem() != item || !item->isSelected()) list_->setCurrentItem(item);
    ScheduleShowCurrent();
}

void CComponentsPage::ScheduleShowCurrent() {
    if (refill_ || showPending_) return;
    // The list is not changed under the click that is being delivered: the reaction follows it.
    showPending_ = true;
    QTimer::singleShot(0, this, [this] {
        showPending_ = false;
        const int row = list_->currentRow();
        if (row >= 0 && list_->item(row)->isSelected()) ShowCurrentComponent(row);
    });
}

void CComponentsPage::ShowCurrentComponent(int line) {
    auto* item = list_->item(line);
    if (!item) return;
    const int data = item->data(Qt::UserRole).toInt();
    if (data == CComponentList::OthersLine) {
        // The hidden components' line names no component: nothing to show or change.
        current_ = CComponentList::OthersLine;
        options_->setEnabled(false);
        description_->clear();
        folder_->clear();
        folder_->setEnabled(false);
        browse_->setEnabled(false);
        return;
    }
    const auto index = std::size_t(data);
    const auto& component = app_.info().components[index];
    current_ = data;
    options_->setEnabled(HasChildComponents(index));
    description_->setText(qs(app_.ExpandVariables(component.description)));
    folder_->setText(qs(app_.ExpandVariables(copy_[index].folder)));
    folder_->setEnabled(component.folderChangeable != 0);
    browse_->setEnabled(component.folderChangeable != 0);

    if (item->checkState() == Qt::PartiallyChecked) return;
    const uint32_t newState = item->checkState() == Qt::Checked ? 1 : 0;
    if (newState == copy_[index].selected) return;
    const int firstVisible = list_->verticalScrollBar()->value();
    if (ApplyRequirements(index, newState) != 2) SetComponentSelected(index, newState);
    UpdateDiscSpace();
    Refill(line, firstVisible);
}

void CComponentsPage::Refill(int currentLine, int firstVisible) {
    refill_ = true;
    list_->setUpdatesEnabled(false);
    list_->clear();
    FillComponentList(parentId_);
    list_->setCurrentRow(currentLine);
    list_->verticalScrollBar()->setValue(firstVisible);
    list_->setUpdatesEnabled(true);
    refill_ = false;
}

int CComponentsPage::ApplyRequirements(std::size_t component, uint32_t newState) {
    const auto& components = app_.info().components;
    const auto& c = components[component];
    if (newState == 1) {
        for (std::size_t r = 0; r < components.size(); ++r) {
            if (components[r].id != c.requiredId) continue;
            if (c.requiredId == 0 || components[r].parentId != parentId_ || copy_[r].selected) return 0;
            if (app_.ui().MessageBox(ids::InstallAlsoRequired, MsgButtons::YesNo, MsgIcon::Exclamation, c.name,
                                     components[r].name) != answer::Yes)
                return 2;
            SetComponentSelected(r, 1);
            return 1;
        }
        return 0;
    }
    std::vector<std::size_t> dependents;
    std::string names;
    for (std::size_t j = 0; j < components.size(); ++j) {
        if (j == component || components[j].parentId != parentId_ || !copy_[j].selected) continue;
        if (components[j].requiredId != c.id) continue;
        dependents.push_back(j);
        names += "\n\t" + components[j].name;
    }
    if (dependents.empty()) return 0;
    if (app_.ui().MessageBox(ids::SkipAlsoDependent, MsgButtons::YesNo, MsgIcon::Exclamation, c.name, names) !=
        answer::Yes)
        return 2;
    for (auto j : dependents) SetComponentSelected(j, 0);
    return 1;
}

void CComponentsPage::OpenOptions() {
    if (current_ < 0) return;
    const int line = list_->currentRow();
    const int firstVisible = list_->verticalScrollBar()->value();
    CComponentsPage options(app_, this, app_.info().components[std::size_t(current_)].id, copy_);
    if (options.exec() == page::Next) {
        UpdateDiscSpace();
        Refill(line, firstVisible);
    }
}

void CComponentsPage::OnNext() {
    caller_ = copy_;
    done(page::Next);
}

void CComponentsPage::GoBack() {
    caller_ = copy_;
    CWizardPage::GoBack();
}

void CComponentsPage::reject() {
    // An Options dialog drops its changes without asking.
    if (parentId_ != 0) {
        done(page::Cancel);
        return;
    }
    CWizardPage::reject();
}

}  // namespace setup
