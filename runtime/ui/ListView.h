#pragma once
// The list view (report view: columns with heading, alignment and width) and the tree view.
//
// List view items are numbered from 1. Events: clicked(index), doubleclicked(index),
// rightclicked(index) (-1 outside the items), columnclick(column), itemchanged(index,
// focuschange, hasfocus, selectionchange, selected, otherchange), endlabeledit(index, newlabel)
// (an answer of 1 keeps the old label), deleteitem(index), sort(index1, index2, column) for a
// user-defined sort (-1: the first item goes first, 1: the second, 0: equal).
//
// Tree view items are addressed by handles (1 and up; 0 is the root above the top level).
// Events: itemexpanding(handle) (1 refuses), itemexpanded(handle), itemcollapsed(handle),
// selectionchanging(oldhandle, newhandle) (1 refuses), selectionchanged(oldhandle, newhandle),
// clicked(handle), doubleclicked(handle), rightclicked(handle), deleteitem(handle) for every
// item deleted; with label editing on, beginlabeledit(handle) (1 refuses the edit) when F2 or a
// click on the chosen item starts one, and endlabeledit(handle, newlabel) when a changed label is
// typed (an answer of 1 keeps the label the item had, or the one the script gave it meanwhile).
#include "runtime/ui/VisualObject.h"

#include <QIcon>
#include <QSize>
#include <Qt>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QListView;
class QTreeWidget;
class QTreeWidgetItem;

namespace runtime {

enum class Alignment { Left, Right, Center };

struct ListViewItem {
    std::string label;
    int pictureIndex = 0;
    Value data;
    bool selected = false;
    bool hasFocus = false;
};

class ListView : public Control {
public:
    explicit ListView(std::string className = "listview");

    // Report columns; the width in layout units. Answers the column's number.
    int addColumn(std::string_view heading, Alignment alignment, int width);
    int totalColumns() const;
    // The small- and large-picture lists; answer the picture's index (from 1). An item's picture
    // index names the picture of the same number in both lists.
    int addSmallPicture(std::string_view file);
    int addLargePicture(std::string_view file);
    // The colour drawn transparent in the pictures added after this call (-1: none).
    void setPictureMaskColor(long color);

    // Large icons with the label below, small icons in rows, a list in columns, or the report
    // with its columns (the default).
    enum class View { LargeIcon, SmallIcon, List, Report };
    void setView(View view);
    View view() const { return view_; }

    int addItem(std::string_view label, int pictureIndex = 0);
    int addItem(const ListViewItem& item);
    // The same as addItem() for each in turn, with one update of the view for them all; answers
    // the number of items.
    int addItems(std::vector<ListViewItem> items);
    // 1, or -1 for an index that does not exist.
    int getItem(int index, ListViewItem& item) const;
    int setItem(int index, const ListViewItem& item);
    // The text of a report column (1 is the label).
    int getItem(int index, int column, std::string& text) const;
    int setItem(int index, int column, std::string_view text);
    // Removes an item (later ones move up) after raising deleteitem; 1 or -1.
    int deleteItem(int index);
    int deleteItems();
    int totalItems() const;
    int totalSelected() const;
    int selectedIndex() const;  // the first selected item, 0 when none

    enum class SortType { Ascending, Descending, UserDefined };
    // Sorts by a column's text, or through the sort event. Answers 1.
    int sort(SortType type, int column = 1);

    void setExtendedSelect(bool on);
    void setEditLabels(bool on);
    // DeleteItems: the Del key removes the selected items, each through deleteItem().
    void setDeleteItems(bool on);
    // Starts editing an item's label (endlabeledit follows).
    int editLabel(int index);
    QTreeWidget* tree() const;
    // The view that shows the items in the icon and list views; null in the report view.
    QListView* iconView() const;

private:
    QTreeWidgetItem* itemAt(int index) const;
    void applyPicture(QTreeWidgetItem* item, int picture);
    // A new item of the list (not yet in it), its values kept beside it.
    QTreeWidgetItem* makeItem(ListViewItem values);
    void makeIconView();
    int indexOf(QTreeWidgetItem* item) const;
    void labelEdited(QTreeWidgetItem* item);
    void selectionChanged();
    void deleteSelected();

    struct Picture {
        std::string file;
        long mask = -1;
    };
    std::vector<Picture> pictures_;
    std::vector<Picture> largePictures_;
    std::map<int, QIcon> iconOfPicture_;  // by picture index; emptied when a picture is added
    long maskColor_ = -1;
    View view_ = View::Report;
    QListView* icons_ = nullptr;
    QSize iconCell_;  // the size of every item in the large-icon view
    std::vector<Qt::Alignment> aligns_;
    int columns_ = 0;
    bool editLabels_ = false;
    bool deleteItems_ = false;
    std::vector<Value> data_;
    std::vector<int> pictureOf_;
    std::vector<std::string> labels_;
    std::vector<bool> wasSelected_;
    bool updating_ = false;
};

struct TreeViewItem {
    long handle = 0;  // read only
    int level = 0;    // read only: 1 for the top level
    std::string label;
    int pictureIndex = 0;
    int selectedPictureIndex = 0;
    bool children = false;      // shows the expand mark before children exist
    bool expandedOnce = false;
    bool expanded = false;
    bool selected = false;
    bool bold = false;
    Value data;
};

class TreeView : public Control {
public:
    explicit TreeView(std::string className = "treeview");

    int addPicture(std::string_view file);
    // The colour drawn transparent in the pictures added after this call (-1: none).
    void setPictureMaskColor(long color) { maskColor_ = color < 0 ? -1 : color; }

    // Inserts under `parent` (0: the top level): first, last, after a sibling, or sorted by label
    // (case ignored). Answer the new item's handle, -1 when the parent or sibling does not exist.
    long insertItemFirst(long parent, const TreeViewItem& item);
    long insertItemLast(long parent, const TreeViewItem& item);
    long insertItem(long parent, long after, const TreeViewItem& item);
    long insertItemSort(long parent, const TreeViewItem& item);
    long insertItemFirst(long parent, std::string_view label, int picture);
    long insertItemLast(long parent, std::string_view label, int picture);
    long insertItem(long parent, long after, std::string_view label, int picture);
    long insertItemSort(long parent, std::string_view label, int picture);

    int getItem(long handle, TreeViewItem& item) const;  // 1 or -1
    int setItem(long handle, const TreeViewItem& item);
    // Deletes the item with its descendants, raising deleteitem for each (descendants first).
    int deleteItem(long handle);

    enum class Navigation { Root, Next, Previous, Parent, Child, Current, FirstVisible, NextVisible };
    // The item found from `handle`; -1 when there is none.
    long findItem(Navigation how, long handle) const;
    int selectItem(long handle);
    int expandItem(long handle);
    int collapseItem(long handle);
    // Sorts the children of `parent` by label (case ignored).
    int sortChildren(long parent);
    // Whether the user may edit labels in place (F2, or a click on the chosen item).
    void setEditLabels(bool on);
    bool editLabels() const { return editLabels_; }
    // Starts editing an item's label: 1, or -1 when there is no such item or labels are not
    // editable.
    int editLabel(long handle);
    QTreeWidget* tree() const;

private:
    friend class LabelEditingTree;
    bool mayEditLabel(QTreeWidgetItem* item);
    void labelEdited(QTreeWidgetItem* item);
    QTreeWidgetItem* item(long handle) const;
    long handleOf(QTreeWidgetItem* item) const;
    long insertAt(long parent, int position, const TreeViewItem& item, bool sorted);
    void apply(QTreeWidgetItem* item, const TreeViewItem& values);
    void removeItem(QTreeWidgetItem* item);

    std::vector<std::string> pictures_;
    std::vector<long> masks_;
    // Each picture's icon, made when an item first shows it: a tree of many items loads it once.
    std::vector<std::shared_ptr<const QIcon>> icons_;
    long maskColor_ = -1;
    std::map<long, QTreeWidgetItem*> items_;
    std::map<long, TreeViewItem> values_;
    long nextHandle_ = 1;
    long current_ = 0;
    bool updating_ = false;
    bool editLabels_ = false;
};

}  // namespace runtime
