#include "runtime/ui/ListView.h"
#include "runtime/ui/Pictures.h"
#include "runtime/ui/detail/UiHelpers.h"

#include "runtime/ui/Units.h"

#include <QCollator>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QStyledItemDelegate>
#include <QMouseEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace runtime {
namespace {

using detail::qs;

// A stable merge sort that needs nothing of the comparison: an inconsistent one (answering
// "less" both ways for equal items) gives some order, never a crash or an endless loop.
void mergeSort(std::vector<int>& v, const std::function<int(int, int)>& cmp) {
    if (v.size() < 2) return;
    std::vector<int> left(v.begin(), v.begin() + static_cast<long>(v.size() / 2));
    std::vector<int> right(v.begin() + static_cast<long>(v.size() / 2), v.end());
    mergeSort(left, cmp);
    mergeSort(right, cmp);
    size_t i = 0, j = 0, k = 0;
    while (i < left.size() && j < right.size()) v[k++] = cmp(left[i], right[j]) > 0 ? right[j++] : left[i++];
    while (i < left.size()) v[k++] = left[i++];
    while (j < right.size()) v[k++] = right[j++];
}

using detail::RightClicks;

// An item that sorts by the place the list gives it, so that the model puts the items in the
// list's order without taking them out and in again.
// It also holds its picture itself: the view asks for it only to draw the item, so that thousands
// of items share their picture without a value made for each.
class RankedItem : public QTreeWidgetItem {
public:
    int rank = 0;
    bool operator<(const QTreeWidgetItem& other) const override {
        return rank < static_cast<const RankedItem&>(other).rank;
    }
    QVariant data(int column, int role) const override {
        if (column == 0 && role == Qt::DecorationRole) return picture_.isNull() ? QVariant() : QVariant(picture_);
        return QTreeWidgetItem::data(column, role);
    }
    void setPicture(const QIcon& icon) {
        picture_ = icon;
        if (treeWidget()) emitDataChanged();
    }

private:
    QIcon picture_;
};

// The Del key of a list that lets the user delete items; other keys pass on.
class DeleteKey : public QObject {
public:
    DeleteKey(QObject* parent, std::function<bool()> fn) : QObject(parent), fn_(std::move(fn)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Delete) return false;
        auto fn = fn_;  // the call may delete this filter
        return fn();
    }

private:
    std::function<bool()> fn_;
};

// Keeps a child covering its parent when the parent is resized.
class FollowSize : public QObject {
public:
    FollowSize(QWidget* parent, QWidget* child) : QObject(parent), child_(child) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize) child_->setGeometry(static_cast<QWidget*>(o)->rect());
        return false;
    }

private:
    QWidget* child_;
};

// Every icon the same size, the grid's cell: the view then lays out thousands of items without
// measuring each label.
// A label that its cell cuts shows whole as the item's tip, as the pointer rests on it.
class CutLabelTips : public QObject {
public:
    explicit CutLabelTips(QListView* view) : QObject(view), view_(view) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::ToolTip) return false;
        auto* help = static_cast<QHelpEvent*>(e);
        const QModelIndex index = view_->indexAt(help->pos());
        const QString label = index.data(Qt::DisplayRole).toString();
        if (!index.isValid() || label.isEmpty() || fits(index, label)) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(help->globalPos(), label, view_->viewport(), view_->visualRect(index));
        return true;
    }

private:
    bool fits(const QModelIndex& index, const QString& label) const {
        const QFontMetrics fm(view_->font());
        const QRect cell = view_->visualRect(index);
        if (view_->viewMode() != QListView::IconMode)
            return fm.horizontalAdvance(label) <= cell.width() - view_->iconSize().width() - 8;
        // Below the picture, the lines the cell has room for.
        const int lines = std::max(1, (cell.height() - view_->iconSize().height() - 8) / fm.height());
        const QRect needed =
            fm.boundingRect(QRect(0, 0, cell.width() - 6, 1 << 20), Qt::AlignHCenter | Qt::TextWordWrap, label);
        return needed.width() <= cell.width() - 6 && needed.height() <= lines * fm.height();
    }
    QListView* view_;
};

class FixedCell : public QStyledItemDelegate {
public:
    FixedCell(const QSize* cell, QObject* parent) : QStyledItemDelegate(parent), cell_(cell) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return cell_->isValid() ? *cell_ : QStyledItemDelegate::sizeHint(option, index);
    }

protected:
    // The label centred under its picture, whatever the report column's alignment.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!cell_->isValid()) return;
        option->displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
        option->decorationAlignment = Qt::AlignHCenter;
        option->decorationPosition = QStyleOptionViewItem::Top;
    }

private:
    const QSize* cell_;
};

}  // namespace

// --- ListView --------------------------------------------------------------------------------

ListView::ListView(std::string className) : Control(std::move(className), "listview") {
    auto* t = new QTreeWidget;
    t->setRootIsDecorated(false);
    t->setColumnCount(1);
    t->setHeaderLabels({QString()});
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setUniformRowHeights(true);
    setWidget(t);
    Ref<ListView> self(this);
    QObject::connect(t, &QTreeWidget::itemClicked, t, [self](QTreeWidgetItem* item) {
        if (ListView* l = self.get()) l->trigger("clicked", {l->indexOf(item)});
    });
    QObject::connect(t, &QTreeWidget::itemDoubleClicked, t, [self](QTreeWidgetItem* item) {
        if (ListView* l = self.get()) l->trigger("doubleclicked", {l->indexOf(item)});
    });
    // A tree's header takes no clicks unless told to, and columnclick needs them.
    t->header()->setSectionsClickable(true);
    QObject::connect(t->header(), &QHeaderView::sectionClicked, t, [self](int section) {
        if (ListView* l = self.get()) l->trigger("columnclick", {section + 1});
    });
    QObject::connect(t, &QTreeWidget::itemChanged, t, [self](QTreeWidgetItem* item, int column) {
        ListView* l = self.get();
        if (l && column == 0 && !l->updating_) l->labelEdited(item);
    });
    QObject::connect(t, &QTreeWidget::itemSelectionChanged, t, [self] {
        ListView* l = self.get();
        if (l && !l->updating_) l->selectionChanged();
    });
    t->viewport()->installEventFilter(new RightClicks(t->viewport(), [self](QPoint p) {
        ListView* l = self.get();
        if (!l) return;
        QTreeWidgetItem* hit = l->tree()->itemAt(p);
        l->trigger("rightclicked", {hit ? l->indexOf(hit) : -1});
    }));
    t->installEventFilter(new DeleteKey(t, [self] {
        ListView* l = self.get();
        if (!l || !l->deleteItems_) return false;  // a label being edited takes its own keys
        l->deleteSelected();
        return true;
    }));
    forwardInputEvents(t);
}

QTreeWidget* ListView::tree() const { return static_cast<QTreeWidget*>(widget()); }

QTreeWidgetItem* ListView::itemAt(int index) const {
    if (index < 1 || index > tree()->topLevelItemCount()) return nullptr;
    return tree()->topLevelItem(index - 1);
}

int ListView::indexOf(QTreeWidgetItem* item) const { return item ? tree()->indexOfTopLevelItem(item) + 1 : 0; }

int ListView::addColumn(std::string_view heading, Alignment alignment, int width) {
    QTreeWidget* t = tree();
    QTreeWidgetItem* header = t->headerItem();
    int column = columns_;
    if (column >= t->columnCount()) t->setColumnCount(column + 1);
    ++columns_;
    header->setText(column, qs(heading));
    Qt::Alignment a = alignment == Alignment::Right ? Qt::AlignRight : alignment == Alignment::Center ? Qt::AlignHCenter : Qt::AlignLeft;
    header->setTextAlignment(column, a | Qt::AlignVCenter);
    t->setColumnWidth(column, units::toPixelsX(width));
    aligns_.resize(static_cast<size_t>(column) + 1);
    aligns_[static_cast<size_t>(column)] = a | Qt::AlignVCenter;
    for (int i = 0; i < t->topLevelItemCount(); ++i) t->topLevelItem(i)->setTextAlignment(column, aligns_[static_cast<size_t>(column)]);
    return column + 1;
}

int ListView::totalColumns() const { return columns_; }

int ListView::addSmallPicture(std::string_view file) {
    iconOfPicture_.clear();
    pictures_.push_back({std::string(file), maskColor_});
    return static_cast<int>(pictures_.size());
}

int ListView::addLargePicture(std::string_view file) {
    iconOfPicture_.clear();
    largePictures_.push_back({std::string(file), maskColor_});
    return static_cast<int>(largePictures_.size());
}

void ListView::setPictureMaskColor(long color) { maskColor_ = color < 0 ? -1 : color; }

void ListView::applyPicture(QTreeWidgetItem* item, int picture) {
    // One icon per picture: a list of thousands of items shares it instead of making its own.
    // It holds the small and the large picture, and each view draws the size it shows.
    static auto& icons = *new std::map<std::string, QIcon>;  // kept to the end of the process
    // This list's icon of each picture index, so that filling it looks up each picture once.
    if (auto known = iconOfPicture_.find(picture); known != iconOfPicture_.end()) {
        static_cast<RankedItem*>(item)->setPicture(known->second);
        return;
    }
    auto at = [picture](const std::vector<Picture>& list) -> const Picture* {
        return picture >= 1 && picture <= static_cast<int>(list.size()) ? &list[static_cast<size_t>(picture - 1)] : nullptr;
    };
    const Picture* small = at(pictures_);
    const Picture* large = at(largePictures_);
    if (!small && !large) {
        iconOfPicture_.emplace(picture, QIcon());
        static_cast<RankedItem*>(item)->setPicture(QIcon());
        return;
    }
    std::string key;
    for (const Picture* p : {small, large})
        key += p ? p->file + '\x1f' + std::to_string(p->mask) + '\x1e' : std::string("\x1e");
    auto it = icons.find(key);
    if (it == icons.end()) {
        QIcon icon;
        for (const Picture* p : {small, large}) {
            if (!p) continue;
            QIcon one = pictureIcon(p->file, p->mask);
            for (const QSize& size : one.availableSizes()) icon.addPixmap(one.pixmap(size));
            if (one.availableSizes().isEmpty() && !one.isNull()) icon = one;  // a stock picture draws at any size
        }
        it = icons.emplace(key, icon).first;
    }
    iconOfPicture_.emplace(picture, it->second);
    static_cast<RankedItem*>(item)->setPicture(it->second);
}

QListView* ListView::iconView() const { return view_ == View::Report ? nullptr : icons_; }

void ListView::makeIconView() {
    if (icons_) return;
    QTreeWidget* t = tree();
    // The icon views show the report's own items (one model, one selection) over the report.
    icons_ = new QListView(t);
    icons_->setItemDelegate(new FixedCell(&iconCell_, icons_));
    icons_->setModel(t->model());
    QItemSelectionModel* own = icons_->selectionModel();
    icons_->setSelectionModel(t->selectionModel());
    delete own;
    icons_->setSelectionMode(t->selectionMode());
    icons_->setEditTriggers(t->editTriggers());
    icons_->setGeometry(t->rect());
    icons_->hide();
    t->installEventFilter(new FollowSize(t, icons_));
    Ref<ListView> self(this);
    auto itemOf = [self](const QModelIndex& index) -> int {
        ListView* l = self.get();
        return l && index.isValid() ? l->indexOf(l->tree()->itemFromIndex(index)) : -1;
    };
    QObject::connect(icons_, &QListView::clicked, icons_, [self, itemOf](const QModelIndex& index) {
        if (ListView* l = self.get()) l->trigger("clicked", {itemOf(index)});
    });
    QObject::connect(icons_, &QListView::doubleClicked, icons_, [self, itemOf](const QModelIndex& index) {
        if (ListView* l = self.get()) l->trigger("doubleclicked", {itemOf(index)});
    });
    icons_->viewport()->installEventFilter(new CutLabelTips(icons_));
    icons_->viewport()->installEventFilter(new RightClicks(icons_->viewport(), [self, itemOf](QPoint p) {
        ListView* l = self.get();
        if (!l || !l->icons_) return;
        l->trigger("rightclicked", {itemOf(l->icons_->indexAt(p))});
    }));
    icons_->installEventFilter(new DeleteKey(icons_, [self] {
        ListView* l = self.get();
        if (!l || !l->deleteItems_) return false;
        l->deleteSelected();
        return true;
    }));
    forwardInputEvents(icons_);
}

void ListView::setView(View view) {
    view_ = view;
    QTreeWidget* t = tree();
    if (view == View::Report) {
        if (icons_) {
            bool focused = icons_->hasFocus();
            icons_->hide();
            t->setFocusProxy(nullptr);
            if (focused) t->setFocus();
        }
        return;
    }
    makeIconView();
    auto biggest = [](const std::vector<Picture>& list) {
        int side = 0;
        for (const Picture& p : list) {
            QIcon icon = pictureIcon(p.file, p.mask);
            for (const QSize& s : icon.availableSizes()) side = std::max({side, s.width(), s.height()});
        }
        return side;
    };
    if (view == View::LargeIcon) {
        int side = biggest(largePictures_);
        icons_->setIconSize(QSize(side ? side : 32, side ? side : 32));
        icons_->setViewMode(QListView::IconMode);
        icons_->setFlow(QListView::LeftToRight);
        icons_->setMovement(QListView::Static);
        icons_->setWordWrap(true);
        // A cell for the picture and a label of two lines below it.
        const QSize grid(std::max(side + 40, 96), std::max(side, 32) + 2 * icons_->fontMetrics().height() + 12);
        icons_->setGridSize(grid);
        iconCell_ = grid - QSize(4, 4);
        icons_->setTextElideMode(Qt::ElideRight);
    } else {
        icons_->setViewMode(QListView::ListMode);
        icons_->setGridSize(QSize());
        iconCell_ = QSize();
        icons_->setIconSize(QSize(16, 16));
        icons_->setFlow(view == View::SmallIcon ? QListView::LeftToRight : QListView::TopToBottom);
        icons_->setSpacing(2);
    }
    icons_->setWrapping(true);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setUniformItemSizes(true);
    icons_->setSelectionMode(t->selectionMode());
    icons_->setEditTriggers(t->editTriggers());
    bool focused = t->hasFocus();
    icons_->setGeometry(t->rect());
    icons_->show();
    icons_->raise();
    t->setFocusProxy(icons_);
    if (focused) icons_->setFocus();
}

int ListView::addItem(std::string_view label, int pictureIndex) {
    ListViewItem item;
    item.label = std::string(label);
    item.pictureIndex = pictureIndex;
    return addItem(item);
}

QTreeWidgetItem* ListView::makeItem(ListViewItem values) {
    auto* item = new RankedItem;
    item->setText(0, qs(values.label));
    // The view reads the left alignment where an item has none: thousands of items need not say it.
    for (size_t c = 0; c < aligns_.size(); ++c)
        if (aligns_[c] != (Qt::AlignLeft | Qt::AlignVCenter)) item->setTextAlignment(static_cast<int>(c), aligns_[c]);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editLabels_) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    applyPicture(item, values.pictureIndex);
    data_.push_back(std::move(values.data));
    pictureOf_.push_back(values.pictureIndex);
    labels_.push_back(std::move(values.label));
    wasSelected_.push_back(values.selected);
    return item;
}

int ListView::addItem(const ListViewItem& values) {
    updating_ = true;
    QTreeWidgetItem* item = makeItem(values);
    tree()->addTopLevelItem(item);
    item->setSelected(values.selected);
    updating_ = false;
    return tree()->topLevelItemCount();
}

int ListView::addItems(std::vector<ListViewItem> items) {
    updating_ = true;
    QList<QTreeWidgetItem*> made;
    made.reserve(static_cast<qsizetype>(items.size()));
    // The item records grow once for all the items.
    const size_t total = data_.size() + items.size();
    data_.reserve(total);
    pictureOf_.reserve(total);
    labels_.reserve(total);
    wasSelected_.reserve(total);
    std::vector<qsizetype> selected;
    for (ListViewItem& values : items) {
        if (values.selected) selected.push_back(made.size());
        made.append(makeItem(std::move(values)));
    }
    tree()->addTopLevelItems(made);  // at once: one by one costs a model update each
    for (qsizetype i : selected) made[i]->setSelected(true);
    updating_ = false;
    return tree()->topLevelItemCount();
}

int ListView::getItem(int index, ListViewItem& out) const {
    QTreeWidgetItem* item = itemAt(index);
    if (!item) return -1;
    size_t i = static_cast<size_t>(index - 1);
    out.label = item->text(0).toStdString();
    out.pictureIndex = pictureOf_[i];
    out.data = data_[i];
    out.selected = item->isSelected();
    out.hasFocus = tree()->currentItem() == item;
    return 1;
}

int ListView::setItem(int index, const ListViewItem& values) {
    QTreeWidgetItem* item = itemAt(index);
    if (!item) return -1;
    size_t i = static_cast<size_t>(index - 1);
    updating_ = true;
    item->setText(0, qs(values.label));
    applyPicture(item, values.pictureIndex);
    item->setSelected(values.selected);
    data_[i] = values.data;
    pictureOf_[i] = values.pictureIndex;
    labels_[i] = values.label;
    wasSelected_[i] = values.selected;
    updating_ = false;
    return 1;
}

int ListView::getItem(int index, int column, std::string& text) const {
    QTreeWidgetItem* item = itemAt(index);
    if (!item || column < 1 || column > std::max(1, columns_)) return -1;
    text = item->text(column - 1).toStdString();
    return 1;
}

int ListView::setItem(int index, int column, std::string_view text) {
    QTreeWidgetItem* item = itemAt(index);
    if (!item || column < 1 || column > std::max(1, columns_)) return -1;
    updating_ = true;
    item->setText(column - 1, qs(text));
    if (column == 1) labels_[static_cast<size_t>(index - 1)] = std::string(text);
    updating_ = false;
    return 1;
}

int ListView::deleteItem(int index) {
    if (!itemAt(index)) return -1;
    Ref<ListView> self(this);
    trigger("deleteitem", {index});
    if (!self) return 1;
    QTreeWidgetItem* item = itemAt(index);
    if (!item) return -1;
    updating_ = true;
    delete tree()->takeTopLevelItem(index - 1);
    auto at = static_cast<long>(index - 1);
    data_.erase(data_.begin() + at);
    pictureOf_.erase(pictureOf_.begin() + at);
    labels_.erase(labels_.begin() + at);
    wasSelected_.erase(wasSelected_.begin() + at);
    updating_ = false;
    return 1;
}

int ListView::deleteItems() {
    Ref<ListView> self(this);
    while (self && totalItems() > 0)
        if (deleteItem(totalItems()) != 1) break;
    return 1;
}

int ListView::totalItems() const { return tree()->topLevelItemCount(); }

int ListView::totalSelected() const {
    int n = 0;
    for (int i = 0; i < totalItems(); ++i)
        if (tree()->topLevelItem(i)->isSelected()) ++n;
    return n;
}

int ListView::selectedIndex() const {
    for (int i = 0; i < totalItems(); ++i)
        if (tree()->topLevelItem(i)->isSelected()) return i + 1;
    return 0;
}

int ListView::sort(SortType type, int column) {
    int n = totalItems();
    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i + 1;
    Ref<ListView> self(this);
    std::function<int(int, int)> cmp;
    std::vector<QCollatorSortKey> keys;
    if (type == SortType::UserDefined) {
        cmp = [this, self, column](int a, int b) -> int {
            if (!self) return 0;
            return static_cast<int>(trigger("sort", {a, b, column}).toInt());
        };
    } else {
        // The locale's order, as localeAwareCompare gives it, from keys made once per item.
        int c = std::max(0, column - 1);
        QCollator collator;
        keys.reserve(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i) keys.push_back(collator.sortKey(itemAt(i)->text(c)));
    }
    // The keys order strictly, so the library's stable sort gives the merge sort's order; a
    // script's comparison may not, and keeps the merge sort.
    if (type == SortType::UserDefined) {
        mergeSort(order, cmp);
    } else {
        const bool descending = type == SortType::Descending;
        std::stable_sort(order.begin(), order.end(), [&keys, descending](int a, int b) {
            const int r = keys[static_cast<size_t>(a - 1)].compare(keys[static_cast<size_t>(b - 1)]);
            return descending ? r > 0 : r < 0;
        });
    }
    if (!self || totalItems() != n) return -1;
    // Put the items into the new order: each item is told its place and the model sorts by it, in
    // one layout change that keeps the selection and the current item.
    updating_ = true;
    for (int at = 0; at < n; ++at)
        static_cast<RankedItem*>(tree()->topLevelItem(order[static_cast<size_t>(at)] - 1))->rank = at;
    tree()->model()->sort(0, Qt::AscendingOrder);
    std::vector<Value> data;
    std::vector<int> pictures;
    std::vector<std::string> labels;
    std::vector<bool> was;
    data.reserve(static_cast<size_t>(n));
    pictures.reserve(static_cast<size_t>(n));
    labels.reserve(static_cast<size_t>(n));
    was.reserve(static_cast<size_t>(n));
    for (int from : order) {
        size_t f = static_cast<size_t>(from - 1);
        data.push_back(std::move(data_[f]));
        pictures.push_back(pictureOf_[f]);
        labels.push_back(std::move(labels_[f]));
        was.push_back(wasSelected_[f]);
    }
    data_ = std::move(data);
    pictureOf_ = std::move(pictures);
    labels_ = std::move(labels);
    wasSelected_ = std::move(was);
    updating_ = false;
    return 1;
}

void ListView::setExtendedSelect(bool on) {
    tree()->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    if (icons_) icons_->setSelectionMode(tree()->selectionMode());
}

void ListView::setEditLabels(bool on) {
    editLabels_ = on;
    tree()->setEditTriggers(on ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                               : QAbstractItemView::NoEditTriggers);
    if (icons_) icons_->setEditTriggers(tree()->editTriggers());
    updating_ = true;
    for (int i = 0; i < totalItems(); ++i) {
        QTreeWidgetItem* item = tree()->topLevelItem(i);
        item->setFlags(on ? item->flags() | Qt::ItemIsEditable : item->flags() & ~Qt::ItemIsEditable);
    }
    updating_ = false;
}

void ListView::setDeleteItems(bool on) { deleteItems_ = on; }

void ListView::deleteSelected() {
    Ref<ListView> self(this);
    for (int index = 1; self && index <= totalItems();) {
        if (itemAt(index)->isSelected())
            deleteItem(index);
        else
            ++index;
    }
}

int ListView::editLabel(int index) {
    QTreeWidgetItem* item = itemAt(index);
    if (!item || !editLabels_) return -1;
    tree()->setCurrentItem(item);
    if (QListView* icons = iconView())
        icons->edit(tree()->indexFromItem(item));
    else
        tree()->editItem(item, 0);
    return 1;
}

void ListView::labelEdited(QTreeWidgetItem* item) {
    int index = indexOf(item);
    if (index < 1) return;
    size_t i = static_cast<size_t>(index - 1);
    std::string newLabel = item->text(0).toStdString();
    if (newLabel == labels_[i]) return;
    Ref<ListView> self(this);
    Value refused = trigger("endlabeledit", {index, newLabel});
    if (!self) return;
    index = indexOf(item);
    if (index < 1) return;
    i = static_cast<size_t>(index - 1);
    // The label is the edited text unless refused, also when the script wrote the item meanwhile.
    updating_ = true;
    if (refused.toInt() == 1) {
        item->setText(0, qs(labels_[i]));
    } else {
        labels_[i] = newLabel;
        item->setText(0, qs(newLabel));
    }
    updating_ = false;
}

void ListView::selectionChanged() {
    Ref<ListView> self(this);
    for (int index = 1; self && index <= totalItems(); ++index) {
        size_t i = static_cast<size_t>(index - 1);
        bool now = itemAt(index)->isSelected();
        if (now == wasSelected_[i]) continue;
        wasSelected_[i] = now;
        trigger("itemchanged", {index, false, tree()->currentItem() == itemAt(index), true, now, false});
    }
}

}  // namespace runtime
