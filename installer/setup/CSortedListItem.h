#pragma once
// A line of a sorted list box: lines sort by their text without regard to case, as the system's
// sorted list boxes do (Qt's own order puts every capital before every small letter).
#include <QListWidgetItem>

namespace setup {

class CSortedListItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem& other) const override {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

}  // namespace setup
