// The file list's support and the file actions of the file-group service.
#include <array>
#include <unordered_map>
#include <vector>

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_filegrp.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Window.h"
#include "standard/str_listviewsort.h"

namespace pakomo {

using runtime::Value;

namespace {

// A flag counts as set only when it holds exactly 1.
bool is_set(const Value& v) { return v.isNumber() && v.toReal() == 1.0; }

// Picture index by flag sum (readme 1, shortcut 2, shared 4), in the order of the list's pictures.
constexpr std::array<int, 8> kPictureOfFlags = {0, 2, 1, 4, 3, 7, 6, 5};

str_listviewsort sort_record(const runtime::ListViewItem& item) {
    const str_listviewsort* r = item.data.toRecord<str_listviewsort>();
    return r ? *r : str_listviewsort{};
}

// A source path's name and folder: "C:\\Src\\a.txt" is "a.txt" in "C:\\Src", "C:\\a.txt" is in "C:\\".
size_t name_start(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) return slash + 1;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}
std::string name_of(const std::string& path) { return path.substr(name_start(path)); }
std::string folder_of(const std::string& path) {
    const size_t start = name_start(path);
    if (start == 0) return {};
    const bool root = start == 1 || (start == 3 && path[1] == ':') || (start == 2 && path[1] == ':');
    return path.substr(0, root ? start : start - 1);
}

// The fourth column of a list that has one shows the folder.
void show_folder(u_lv_a& alv_lv, int index, const std::string& path) {
    if (alv_lv.totalColumns() >= 4) alv_lv.setItem(index, 4, folder_of(path));
}

}  // namespace

void nv_filegrp::fnv_populate_fileview(u_lv_a& alv_lv, long al_filegrp_id) {
    alv_lv.setRedraw(false);
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    u_ds_create_setup_a& ds = file();
    ds.fu_set_filter("filegrpid = " + std::to_string(al_filegrp_id));
    // The items go in at once, then get their columns: one by one the list would update for each.
    std::vector<runtime::ListViewItem> items(static_cast<size_t>(ds.rowCount()));
    std::vector<str_fileinfo> infos(items.size());
    std::vector<std::string> paths(items.size());
    const int id_column = ds.columnNumber("id"), path_column = ds.columnNumber("path");
    for (long r = 1; r <= ds.rowCount(); ++r) {
        const size_t i = static_cast<size_t>(r - 1);
        paths[i] = ds.getItemString(r, path_column);
        items[i].label = name_of(paths[i]);
        infos[i] = fnv_set_lvitemdata(items[i], static_cast<long>(ds.getItem(r, id_column).toInt()), paths[i]);
    }
    const int first = alv_lv.totalItems() + 1;
    alv_lv.addItems(std::move(items));
    for (size_t i = 0; i < infos.size(); ++i) {
        const int index = first + static_cast<int>(i);
        alv_lv.setItem(index, 2, std::to_string(infos[i].l_size));
        alv_lv.setItem(index, 3, infos[i].s_writetime);
        show_folder(alv_lv, index, paths[i]);
    }
    fnv_set_file_pictures(alv_lv);
    alv_lv.setRedraw(true);
    ds.fu_restore_filter();
}

str_fileinfo nv_filegrp::fnv_set_lvitemdata(runtime::ListViewItem& alv_item, long al_id,
                                            const std::string& as_file) {
    std::string file = as_file;
    str_fileinfo lstr_fileinfo = nv_winapi::instance().fnv_get_fileinfo(file);
    str_listviewsort lstr_listviewsort;
    lstr_listviewsort.l_id = static_cast<uint32_t>(al_id);
    lstr_listviewsort.sort1 = runtime::formatNumber(int64_t{lstr_fileinfo.l_size}, "0000000000");
    lstr_listviewsort.sort2 = lstr_fileinfo.s_sort_writetime;
    alv_item.data = Value::record(lstr_listviewsort);
    return lstr_fileinfo;
}

// An item whose file has no row under the row set's filter keeps its picture.
void nv_filegrp::fnv_set_file_pictures(u_lv_a& alv_lv) {
    alv_lv.setRedraw(false);
    u_ds_create_setup_a& ds = file();
    // The row of each id, the first as fnv_find_file_row finds it, looked up once for all items.
    std::unordered_map<long, long> rows;
    const int id_column = ds.columnNumber("id");
    for (long r = 1; r <= ds.rowCount(); ++r) {
        Value id = ds.getItem(r, id_column);
        if (!id.isNull()) rows.emplace(static_cast<long>(id.toInt()), r);
    }
    for (int i = 1; i <= alv_lv.totalItems(); ++i) {
        runtime::ListViewItem item;
        alv_lv.getItem(i, item);
        const auto found = rows.find(static_cast<long>(sort_record(item).l_id));
        if (found == rows.end()) continue;
        const long ll_row = found->second;
        int li_flags = 0;
        if (is_set(ds.getItem(ll_row, "readme"))) li_flags += 1;
        if (is_set(ds.getItem(ll_row, "exe"))) li_flags += 2;
        if (is_set(ds.getItem(ll_row, "shared"))) li_flags += 4;
        item.pictureIndex = kPictureOfFlags[static_cast<size_t>(li_flags)];
        alv_lv.setItem(i, item);
    }
    alv_lv.setRedraw(true);
}

// -1 puts index1 first. Equal keys answer 1 both ways: the list's own sort copes with that.
long nv_filegrp::fnv_sort_lv(u_lv_a& alv_lv, int16_t index1, int16_t index2, int16_t column,
                             int16_t sorttype) {
    runtime::ListViewItem first, second;
    const bool got = alv_lv.getItem(index1, first) == 1 && alv_lv.getItem(index2, second) == 1;
    long result = 0;
    // The folder column, where the list has one, sorts by folder.
    const int16_t last = alv_lv.totalColumns() >= 4 ? 4 : 3;
    if (got && column >= 1 && column <= last) {
        std::string a, b;
        if (column == 1) {
            a = first.label, b = second.label;
        } else if (column == 4) {
            alv_lv.getItem(index1, 4, a);
            alv_lv.getItem(index2, 4, b);
        } else {
            str_listviewsort ra = sort_record(first), rb = sort_record(second);
            a = column == 2 ? ra.sort1 : ra.sort2;
            b = column == 2 ? rb.sort1 : rb.sort2;
        }
        result = a < b ? -1 : 1;
    }
    if (sorttype == 2) result = -result;
    return result;
}

// The total is kept in 64 bits, so that files beyond 2 GiB together still add up.
void nv_filegrp::fnv_show_file_info(u_lv_a& alv_lv, runtime::StaticText& ast_st) {
    const int li_totfiles = alv_lv.totalItems();
    const std::string ls_num_text = li_totfiles == 1 ? " file" : " files";
    int64_t ll_totbytes = 0;
    for (int i = 1; i <= li_totfiles; ++i) {
        std::string ls_colval;
        alv_lv.getItem(i, 2, ls_colval);
        ll_totbytes += runtime::textToLong(ls_colval);
    }
    ast_st.setText(std::to_string(li_totfiles) + ls_num_text + ", " +
                   runtime::formatNumber(ll_totbytes, "###,###,###,###") + " bytes.");
}

// The label shows a file's name: a new name keeps the file's folder. A label typed with a folder
// ("C:\\Other\\a.txt") is the whole new path; the label then shows its name once the edit is over.
bool nv_filegrp::fnv_filename_changed(u_lv_a& alv_lv, int16_t ai_index, const std::string& as_name) {
    runtime::ListViewItem lvi_item;
    if (alv_lv.getItem(ai_index, lvi_item) != 1) return false;
    const long ll_id = static_cast<long>(sort_record(lvi_item).l_id);
    long ll_row = fnv_find_file_row(ll_id);
    std::string path = as_name;
    if (name_start(as_name) == 0 && ll_row > 0) {
        const std::string folder = folder_of(file().getItemString(ll_row, "path"));
        if (!folder.empty())
            path = folder + (folder.back() == '\\' || folder.back() == '/' ? "" : "\\") + as_name;
    }
    str_fileinfo lstr_fileinfo = fnv_set_lvitemdata(lvi_item, ll_id, path);
    alv_lv.setItem(ai_index, lvi_item);
    alv_lv.setItem(ai_index, 2, std::to_string(lstr_fileinfo.l_size));
    alv_lv.setItem(ai_index, 3, lstr_fileinfo.s_writetime);
    show_folder(alv_lv, ai_index, path);
    if (name_start(as_name) > 0)
        post("ue_show_file_name", {Value(alv_lv.handle()), Value(ll_id), Value(name_of(path))});
    bool lb_retval = false;
    if (ll_row > 0) {
        file().setItem(ll_row, "path", path);
        lb_retval = fnv_handle_duplicate_files(false);
    }
    return lb_retval;
}

// Items whose file has no row are passed by; so is an item whose file the properties dialog
// cannot be shown for.
void nv_filegrp::fnv_file_action(u_lv_a& alv_lv, int16_t action, long al_filegrp_id) {
    u_ds_create_setup_a& ds = file();
    for (int i = 1; i <= alv_lv.totalItems(); ++i) {
        runtime::ListViewItem lvi_item;
        alv_lv.getItem(i, lvi_item);
        if (!lvi_item.selected) continue;
        const long ll_id = static_cast<long>(sort_record(lvi_item).l_id);
        switch (action) {
            case action_delete:
                alv_lv.deleteItem(i);
                --i;
                break;
            case action_dragdrop:
            case action_all_shared:
            case action_all_not_shared: {
                long ll_row = fnv_find_file_row(ll_id);
                if (ll_row <= 0) break;
                if (action == action_dragdrop)
                    ds.setItem(ll_row, "filegrpid", al_filegrp_id);
                else
                    ds.setItem(ll_row, "shared", action == action_all_shared ? 1 : 0);
                break;
            }
            case action_properties: {
                ds.fu_set_filter("id=" + std::to_string(ll_id));
                if (ds.rowCount() >= 1) {
                    // A file that was not the readme file before the dialog (0, or nothing at all)
                    // and is now: no other file of the product stays one.
                    const bool was_readme = is_set(ds.getItem(1, "readme"));
                    app().g_str_pass.datastore[1] = runtime::Ref<u_ds_a>(&ds);
                    runtime::Ref<runtime::Object> w = runtime::createByName("w_file_properties");
                    if (auto* window = dynamic_cast<runtime::Window*>(w.get())) window->open();
                    if (!was_readme && ds.rowCount() >= 1 && is_set(ds.getItem(1, "readme"))) {
                        ds.fu_set_filter("id<>" + std::to_string(ll_id));
                        for (long r = 1; r <= ds.rowCount(); ++r) ds.setItem(r, "readme", 0);
                        ds.fu_restore_filter();
                    }
                }
                ds.fu_restore_filter();
                break;
            }
            default:
                break;
        }
    }
    fnv_set_file_pictures(alv_lv);
}

}  // namespace pakomo
