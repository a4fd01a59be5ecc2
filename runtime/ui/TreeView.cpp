#include "runtime/ui/ListView.h"
#include "runtime/ui/Pictures.h"
#include "runtime/ui/detail/UiHelpers.h"

#include <QIcon>
#include <QMouseEvent>
#include <QTreeWidget>

#include <functional>

namespace runtime {
namespace {

using detail::qs;

constexpr int kHandleRole = Qt::UserRole + 1;

using TreeRightClicks = detail::RightClicks;

// Sorting children orders labels without regard to letter case, as a sorted insert does.
class TreeItem : public QTreeWidgetItem {
public:
    bool operator<(const QTreeWidgetItem& other) const override {
        return QString::compare(text(0), other.text(0), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace

// Asks the tree view before a label edit starts, whatever started it.
class LabelEditingTree : public QTreeWidget {
public:
    explicit LabelEditingTree(TreeView* view) : view_(view) {}

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        TreeView* v = view_.get();
        if (!v || !v->editLabels_ || trigger == NoEditTriggers) return QTreeWidget::edit(index, trigger, event);
        if ((editTriggers() & trigger) == 0 && trigger != AllEditTriggers) return false;
        QTreeWidgetItem* it = itemFromIndex(index);
        if (!it || !v->mayEditLabel(it)) return false;
        return QTreeWidget::edit(index, trigger, event);
    }

private:
    Ref<TreeView> view_;
};

TreeView::TreeView(std::string className) : Control(std::move(className), "treeview") {
    auto* t = new LabelEditingTree(this);
    t->setHeaderHidden(true);
    t->setColumnCount(1);
    setWidget(t);
    Ref<TreeView> self(this);
    QObject::connect(t, &QTreeWidget::itemExpanded, t, [self](QTreeWidgetItem* item) {
        TreeView* v = self.get();
        if (!v || v->updating_) return;
        long h = v->handleOf(item);
        Value refused = v->trigger("itemexpanding", {h});
        if (!self) return;
        if (refused.toInt() == 1) {
            v->updating_ = true;
            item->setExpanded(false);
            v->updating_ = false;
            return;
        }
        if (auto it = v->values_.find(h); it != v->values_.end()) it->second.expandedOnce = true;
        v->trigger("itemexpanded", {h});
    });
    QObject::connect(t, &QTreeWidget::itemCollapsed, t, [self](QTreeWidgetItem* item) {
        TreeView* v = self.get();
        if (v && !v->updating_) v->trigger("itemcollapsed", {v->handleOf(item)});
    });
    QObject::connect(t, &QTreeWidget::currentItemChanged, t, [self](QTreeWidgetItem* now, QTreeWidgetItem*) {
        TreeView* v = self.get();
        if (!v || v->updating_) return;
        long oldHandle = v->current_;
        long newHandle = v->handleOf(now);
        if (oldHandle == newHandle) return;
        Value refused = v->trigger("selectionchanging", {oldHandle, newHandle});
        if (!self) return;
        if (refused.toInt() == 1) {
            v->updating_ = true;
            v->tree()->setCurrentItem(v->item(oldHandle));
            v->updating_ = false;
            return;
        }
        v->current_ = newHandle;
        v->trigger("selectionchanged", {oldHandle, newHandle});
    });
    QObject::connect(t, &QTreeWidget::itemChanged, t, [self](QTreeWidgetItem* item, int column) {
        TreeView* v = self.get();
        if (v && column == 0 && !v->updating_) v->labelEdited(item);
    });
    QObject::connect(t, &QTreeWidget::itemClicked, t, [self](QTreeWidgetItem* item) {
        if (TreeView* v = self.get()) v->trigger("clicked", {v->handleOf(item)});
    });
    QObject::connect(t, &QTreeWidget::itemDoubleClicked, t, [self](QTreeWidgetItem* item) {
        if (TreeView* v = self.get()) v->trigger("doubleclicked", {v->handleOf(item)});
    });
    t->viewport()->installEventFilter(new TreeRightClicks(t->viewport(), [self](QPoint p) {
        if (TreeView* v = self.get()) v->trigger("rightclicked", {v->handleOf(v->tree()->itemAt(p))});
    }));
    forwardInputEvents(t);
}

QTreeWidget* TreeView::tree() const { return static_cast<QTreeWidget*>(widget()); }

QTreeWidgetItem* TreeView::item(long handle) const {
    auto it = items_.find(handle);
    return it == items_.end() ? nullptr : it->second;
}

long TreeView::handleOf(QTreeWidgetItem* item) const {
    return item ? item->data(0, kHandleRole).toLongLong() : 0;
}

int TreeView::addPicture(std::string_view file) {
    pictures_.emplace_back(file);
    masks_.push_back(maskColor_);
    return static_cast<int>(pictures_.size());
}

void TreeView::apply(QTreeWidgetItem* item, const TreeViewItem& v) {
    item->setText(0, qs(v.label));
    if (v.pictureIndex >= 1 && v.pictureIndex <= static_cast<int>(pictures_.size())) {
        const auto i = static_cast<size_t>(v.pictureIndex - 1);
        if (icons_.size() < pictures_.size()) icons_.resize(pictures_.size());
        if (!icons_[i]) icons_[i] = std::make_shared<const QIcon>(pictureIcon(pictures_[i], masks_[i]));
        item->setIcon(0, *icons_[i]);
    } else
        item->setIcon(0, QIcon());
    item->setChildIndicatorPolicy(v.children ? QTreeWidgetItem::ShowIndicator
                                             : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    QFont f = item->font(0);
    f.setBold(v.bold);
    item->setFont(0, f);
}

long TreeView::insertAt(long parent, int position, const TreeViewItem& values, bool sorted) {
    QTreeWidgetItem* p = parent == 0 ? tree()->invisibleRootItem() : item(parent);
    if (!p) return -1;
    if (sorted) {
        position = 0;
        QString label = qs(values.label);
        while (position < p->childCount() && QString::compare(p->child(position)->text(0), label, Qt::CaseInsensitive) <= 0)
            ++position;
    }
    if (position < 0 || position > p->childCount()) position = p->childCount();
    long h = nextHandle_++;
    auto* it = new TreeItem;
    it->setData(0, kHandleRole, static_cast<qlonglong>(h));
    if (editLabels_) it->setFlags(it->flags() | Qt::ItemIsEditable);
    updating_ = true;
    apply(it, values);
    p->insertChild(position, it);
    updating_ = false;
    items_[h] = it;
    TreeViewItem stored = values;
    stored.handle = h;
    values_[h] = stored;
    return h;
}

long TreeView::insertItemFirst(long parent, const TreeViewItem& item) { return insertAt(parent, 0, item, false); }
long TreeView::insertItemLast(long parent, const TreeViewItem& item) { return insertAt(parent, -1, item, false); }
long TreeView::insertItemSort(long parent, const TreeViewItem& item) { return insertAt(parent, 0, item, true); }

long TreeView::insertItem(long parent, long after, const TreeViewItem& values) {
    QTreeWidgetItem* p = parent == 0 ? tree()->invisibleRootItem() : item(parent);
    QTreeWidgetItem* sibling = item(after);
    if (!p || !sibling || sibling->parent() != (parent == 0 ? nullptr : p)) return -1;
    return insertAt(parent, p->indexOfChild(sibling) + 1, values, false);
}

namespace {
TreeViewItem labelled(std::string_view label, int picture) {
    TreeViewItem i;
    i.label = std::string(label);
    i.pictureIndex = picture;
    i.selectedPictureIndex = picture;
    return i;
}
}  // namespace

long TreeView::insertItemFirst(long parent, std::string_view label, int picture) {
    return insertItemFirst(parent, labelled(label, picture));
}
long TreeView::insertItemLast(long parent, std::string_view label, int picture) {
    return insertItemLast(parent, labelled(label, picture));
}
long TreeView::insertItem(long parent, long after, std::string_view label, int picture) {
    return insertItem(parent, after, labelled(label, picture));
}
long TreeView::insertItemSort(long parent, std::string_view label, int picture) {
    return insertItemSort(parent, labelled(label, picture));
}

int TreeView::getItem(long handle, TreeViewItem& out) const {
    QTreeWidgetItem* it = item(handle);
    if (!it) return -1;
    out = values_.at(handle);
    out.handle = handle;
    out.label = it->text(0).toStdString();
    out.expanded = it->isExpanded();
    out.selected = it->isSelected() || tree()->currentItem() == it;
    int level = 1;
    for (QTreeWidgetItem* p = it->parent(); p; p = p->parent()) ++level;
    out.level = level;
    return 1;
}

int TreeView::setItem(long handle, const TreeViewItem& values) {
    QTreeWidgetItem* it = item(handle);
    if (!it) return -1;
    TreeViewItem stored = values;
    stored.handle = handle;
    values_[handle] = stored;
    updating_ = true;
    apply(it, values);
    updating_ = false;
    return 1;
}

void TreeView::removeItem(QTreeWidgetItem* it) {
    long h = handleOf(it);
    items_.erase(h);
    values_.erase(h);
    if (current_ == h) current_ = 0;
}

int TreeView::deleteItem(long handle) {
    QTreeWidgetItem* it = item(handle);
    if (!it) return -1;
    // Every item deleted is reported, the deepest first, while it still can be read.
    std::vector<long> order;
    std::function<void(QTreeWidgetItem*)> collect = [&](QTreeWidgetItem* i) {
        for (int c = 0; c < i->childCount(); ++c) collect(i->child(c));
        order.push_back(handleOf(i));
    };
    collect(it);
    Ref<TreeView> self(this);
    for (long h : order) {
        if (!self) return 1;
        if (item(h)) trigger("deleteitem", {h});
    }
    if (!self) return 1;
    it = item(handle);
    if (!it) return 1;
    for (long h : order)
        if (QTreeWidgetItem* i = item(h)) removeItem(i);
    updating_ = true;
    delete it;
    updating_ = false;
    current_ = handleOf(tree()->currentItem());
    return 1;
}

long TreeView::findItem(Navigation how, long handle) const {
    QTreeWidget* t = tree();
    QTreeWidgetItem* it = item(handle);
    QTreeWidgetItem* found = nullptr;
    switch (how) {
    case Navigation::Root: found = t->topLevelItem(0); break;
    case Navigation::Current: found = t->currentItem(); break;
    case Navigation::FirstVisible: found = t->itemAt(0, 0); break;
    case Navigation::Child:
        if (handle == 0) found = t->topLevelItem(0);
        else if (it && it->childCount() > 0) found = it->child(0);
        break;
    case Navigation::Parent:
        if (it) found = it->parent();
        break;
    case Navigation::Next:
    case Navigation::Previous:
        if (it) {
            QTreeWidgetItem* p = it->parent() ? it->parent() : t->invisibleRootItem();
            int i = p->indexOfChild(it) + (how == Navigation::Next ? 1 : -1);
            if (i >= 0 && i < p->childCount()) found = p->child(i);
        }
        break;
    case Navigation::NextVisible:
        if (it) found = t->itemBelow(it);
        break;
    }
    return found ? handleOf(found) : -1;
}

int TreeView::selectItem(long handle) {
    QTreeWidgetItem* it = item(handle);
    if (!it) return -1;
    tree()->setCurrentItem(it);
    return tree()->currentItem() == it ? 1 : -1;
}

int TreeView::expandItem(long handle) {
    QTreeWidgetItem* it = item(handle);
    if (!it) return -1;
    it->setExpanded(true);
    return 1;
}

int TreeView::collapseItem(long handle) {
    QTreeWidgetItem* it = item(handle);
    if (!it) return -1;
    it->setExpanded(false);
    return 1;
}

int TreeView::sortChildren(long parent) {
    QTreeWidgetItem* p = parent == 0 ? tree()->invisibleRootItem() : item(parent);
    if (!p) return -1;
    updating_ = true;
    p->sortChildren(0, Qt::AscendingOrder);
    updating_ = false;
    return 1;
}

void TreeView::setEditLabels(bool on) {
    editLabels_ = on;
    QTreeWidget* t = tree();
    t->setEditTriggers(on ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                          : QAbstractItemView::NoEditTriggers);
    updating_ = true;
    for (auto& [handle, it] : items_)
        it->setFlags(on ? it->flags() | Qt::ItemIsEditable : it->flags() & ~Qt::ItemIsEditable);
    updating_ = false;
}

int TreeView::editLabel(long handle) {
    QTreeWidgetItem* it = item(handle);
    if (!it || !editLabels_) return -1;
    tree()->setCurrentItem(it);
    if (tree()->currentItem() != it) return -1;
    tree()->editItem(it, 0);
    return 1;
}

bool TreeView::mayEditLabel(QTreeWidgetItem* it) {
    Ref<TreeView> self(this);
    Value refused = trigger("beginlabeledit", {handleOf(it)});
    return self && refused.toInt() != 1;
}

void TreeView::labelEdited(QTreeWidgetItem* it) {
    const long h = handleOf(it);
    auto stored = values_.find(h);
    if (stored == values_.end()) return;
    const std::string newLabel = it->text(0).toStdString();
    if (newLabel == stored->second.label) return;
    Ref<TreeView> self(this);
    Value refused = trigger("endlabeledit", {h, newLabel});
    if (!self) return;
    it = item(h);
    stored = values_.find(h);
    if (!it || stored == values_.end()) return;
    updating_ = true;
    if (refused.toInt() == 1) {
        it->setText(0, qs(stored->second.label));
    } else {
        stored->second.label = newLabel;
        it->setText(0, qs(newLabel));
    }
    updating_ = false;
}

}  // namespace runtime
