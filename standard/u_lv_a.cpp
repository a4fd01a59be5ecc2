#include "standard/u_lv_a.h"

#include <QAbstractItemView>
#include <QTreeWidget>

#include "runtime/core/Dispatch.h"
#include "standard/parent_window.h"
#include "standard/standard_picture.h"
#include "standard/str_listviewsort.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

u_lv_a::u_lv_a(std::string className) : runtime::ListView(std::move(className)) {
    on("constructor", [this](Args) {
        fu_set_parent_window();
        return Value();
    });
}

void u_lv_a::fu_set_parent_window() { iw_parent = find_parent_window(*this); }

u_lv_create_setup_a::u_lv_create_setup_a(std::string className) : u_lv_a(std::move(className)) {
    setFont("MS Sans Serif", 8, 400);
}

u_lv_fileview_a::u_lv_fileview_a(std::string className) : u_lv_a(std::move(className)) {
    resize(1728, 892);
    setFont("MS Sans Serif", 8, 400);
    setEditLabels(true);
    setExtendedSelect(true);
    setDeleteItems(true);
    tree()->setDragEnabled(true);
    tree()->setDragDropMode(QAbstractItemView::DragOnly);
    setPictureMaskColor(12632256);  // light grey is the pictures' transparent colour
    for (const char* picture : {"l.bmp", "r.bmp", "s.bmp", "lr.bmp", "lrs.bmp", "ls.bmp", "rs.bmp"})
        addSmallPicture(standard_picture(picture));
    on("columnclick", [this](Args a) {
        runtime::Pointer::set(runtime::PointerShape::HourGlass);
        int16_t column = static_cast<int16_t>(a.empty() ? 0 : a[0].toInt());
        if (column == ii_column_sort) {
            ii_sort_type = static_cast<int16_t>(3 - ii_sort_type);
        } else {
            ii_column_sort = column;
            ii_sort_type = 1;
        }
        sort(SortType::UserDefined, ii_column_sort);
        return Value();
    });
    on("sort", [this](Args a) {
        std::vector<Value> args;
        args.reserve(5);
        args.emplace_back(handle());
        for (size_t i = 0; i < 3; ++i) args.push_back(i < a.size() ? a[i] : Value(0));
        args.emplace_back(ii_sort_type);
        return inv_filegrp->trigger("fnv_sort_lv", std::move(args));
    });
    on("endlabeledit", [this](Args a) {
        ib_update_view = false;
        if (a.size() > 1 && !a[1].isNull())
        {
            std::vector<Value> args;
            args.emplace_back(handle());
            args.push_back(a[0]);
            args.push_back(a[1]);
            ib_update_view = inv_filegrp->trigger("fnv_filename_changed", std::move(args)).toBool();
        }
        return Value();
    });
}

void u_lv_fileview_a::fu_delete_item(int16_t index) {
    runtime::ListViewItem item;
    if (getItem(index, item) != 1) return;
    const str_listviewsort* sort = item.data.toRecord<str_listviewsort>();
    inv_filegrp->trigger("fnv_delete_file", {sort ? sort->l_id : 0u});
}

void u_lv_fileview_a::fu_set_columns(int16_t ai_width1, int16_t ai_width2, int16_t ai_width3) {
    addColumn("Name", runtime::Alignment::Left, ai_width1);
    addColumn("Size", runtime::Alignment::Right, ai_width2);
    addColumn("Modified", runtime::Alignment::Left, ai_width3);
}

}  // namespace pakomo
