#include "authoring/project/nv_filegrp.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "authoring/project/u_ds_duplicate_files.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Window.h"
#include "standard/str_listviewsort.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

Value arg(Args a, size_t n) { return n < a.size() ? a[n] : Value(); }

// The list a caller passed by its handle; a runtime error when it is gone.
u_lv_a& list_of(const Value& handle) {
    auto* lv = dynamic_cast<u_lv_a*>(runtime::findByHandle(static_cast<long>(handle.toInt())));
    if (!lv) throw runtime::RuntimeError("Null object reference: no list view");
    return *lv;
}

// A path as the duplicate search compares it; none for a null path, which never matches.
std::optional<std::string> compared_path(const runtime::DataStore& ds, long row) {
    Value path = ds.getItem(row, "path");
    if (path.isNull()) return std::nullopt;
    return runtime::lower(runtime::trim(path.toText()));
}

}  // namespace

nv_filegrp::nv_filegrp() : nv_a("nv_filegrp") {
    // What the file list and the outside libraries raise by name.
    on("fnv_sort_lv", [this](Args a) {
        auto i = [&](size_t n) { return static_cast<int16_t>(arg(a, n).toInt()); };
        return Value(fnv_sort_lv(list_of(arg(a, 0)), i(1), i(2), i(3), i(4)));
    });
    on("fnv_filename_changed", [this](Args a) {
        return Value(fnv_filename_changed(list_of(arg(a, 0)), static_cast<int16_t>(arg(a, 1).toInt()),
                                          arg(a, 2).toText()));
    });
    on("fnv_delete_file",
       [this](Args a) { return Value(fnv_delete_file(static_cast<long>(arg(a, 0).toInt()))); });
    on("fnv_handle_duplicate_files",
       [this](Args a) { return Value(fnv_handle_duplicate_files(arg(a, 0).toBool())); });
    // After a path was typed as a label: the label shows the file's name (list, file id, name).
    on("ue_show_file_name", [](Args a) {
        auto* lv = dynamic_cast<u_lv_a*>(runtime::findByHandle(static_cast<long>(arg(a, 0).toInt())));
        for (int i = 1; lv && i <= lv->totalItems(); ++i) {
            runtime::ListViewItem item;
            lv->getItem(i, item);
            const str_listviewsort* r = item.data.toRecord<str_listviewsort>();
            if (!r || r->l_id != static_cast<uint32_t>(arg(a, 1).toInt())) continue;
            item.label = arg(a, 2).toText();
            lv->setItem(i, item);
        }
        return Value();
    });
}

u_ds_create_setup_a& nv_filegrp::file() const {
    if (!ids_file) throw runtime::RuntimeError("Null object reference: ids_file");
    return *ids_file;
}

u_ds_create_setup_a& nv_filegrp::filegrp() const {
    if (!ids_filegrp) throw runtime::RuntimeError("Null object reference: ids_filegrp");
    return *ids_filegrp;
}

void nv_filegrp::fnv_init(u_ds_create_setup_a& ads_file, u_ds_create_setup_a& ads_filegrp) {
    ids_file = runtime::Ref<u_ds_create_setup_a>(&ads_file);
    ids_filegrp = runtime::Ref<u_ds_create_setup_a>(&ads_filegrp);
}

long nv_filegrp::fnv_find_filegrp_row(long id) {
    u_ds_create_setup_a& ds = filegrp();
    return ds.find("id = " + std::to_string(id), 1, ds.rowCount());
}

long nv_filegrp::fnv_find_file_row(long id) {
    u_ds_create_setup_a& ds = file();
    return ds.find("id = " + std::to_string(id), 1, ds.rowCount());
}

// The highest id of the rows held (hidden and deleted ones too), null as 0, plus 1. The new row
// has no id yet, so it does not count.
long nv_filegrp::new_id(u_ds_create_setup_a& ads) const {
    Value max = ads.getItem(1, "c_max_id");
    return static_cast<long>(max.isNull() ? 0 : max.toInt()) + 1;
}

// Called before the new row is inserted: afterwards the stamp has changed in any case.
long nv_filegrp::next_id(u_ds_create_setup_a& ads, const last_id& last) const {
    return last.stamp != 0 && last.stamp == ads.changeStamp() ? last.id + 1 : 0;
}

long nv_filegrp::fnv_insert_filegrp(const std::string& as_name) {
    u_ds_create_setup_a& ds = filegrp();
    const long known = next_id(ds, i_last_filegrp_id);
    long ll_newrow = ds.insertRow(0);
    long ll_id = known > 0 ? known : new_id(ds);
    ds.setItem(ll_newrow, "id", ll_id);
    ds.setItem(ll_newrow, "prodid", app().gi_prod_id);
    ds.setItem(ll_newrow, "name", as_name);
    i_last_filegrp_id = {ds.changeStamp(), ll_id};
    return ll_newrow;
}

long nv_filegrp::fnv_insert_filegrp(const std::string& as_name, long al_proggrpid) {
    long ll_row = fnv_insert_filegrp(as_name);
    filegrp().setItem(ll_row, "proggrpid", al_proggrpid);
    return ll_row;
}

// A path that does not fit the column takes its row away again (-1): a file row without a path
// would name no file at all.
long nv_filegrp::fnv_insert_file(const std::string& as_path, long al_filegrp_id) {
    u_ds_create_setup_a& ds = file();
    const long known = next_id(ds, i_last_file_id);
    long ll_newrow = ds.insertRow(0);
    long ll_id = known > 0 ? known : new_id(ds);
    ds.setItem(ll_newrow, "id", ll_id);
    ds.setItem(ll_newrow, "prodid", app().gi_prod_id);
    if (ds.setItem(ll_newrow, "path", as_path) != 1) {
        ds.deleteRow(ll_newrow);
        return -1;
    }
    ds.setItem(ll_newrow, "filegrpid", al_filegrp_id);
    i_last_file_id = {ds.changeStamp(), ll_id};
    return ll_newrow;
}

bool nv_filegrp::fnv_delete_file(long al_id) {
    long ll_row = fnv_find_file_row(al_id);
    bool lb_retval = ll_row > 0;
    if (lb_retval) file().deleteRow(ll_row);
    return lb_retval;
}

bool nv_filegrp::fnv_delete_filegrp(long al_id) {
    long ll_row = fnv_find_filegrp_row(al_id);
    if (ll_row <= 0) return false;
    filegrp().deleteRow(ll_row);
    u_ds_create_setup_a& ds = file();
    ds.fu_set_filter("filegrpid = " + std::to_string(al_id));
    while (ds.rowCount() > 0) {
        // A row whose id finds no row (a null id) goes directly, so that the loop ends.
        Value id = ds.getItem(1, "id");
        if (id.isNull() || !fnv_delete_file(static_cast<long>(id.toInt()))) ds.deleteRow(1);
    }
    ds.fu_restore_filter();
    return true;
}

int16_t nv_filegrp::fnv_update_filegrp() { return static_cast<int16_t>(filegrp().update()); }

bool nv_filegrp::fnv_add_file(long al_handle, long al_filegrp_id) {
    constexpr uint16_t max_files = 32;
    std::string ls_path(260, ' ');
    std::vector<std::string> ls_files(max_files);
    for (long i = max_files; i >= 1; --i) ls_files[static_cast<size_t>(i - 1)] = std::string(260, ' ');
    const std::string ls_defext;
    std::string ls_initial_path = app().gnv_registry->fnv_get_selectfiles_path(".");
    uint16_t li_numfiles =
        nv_winapi::instance().getopenfilenamemulti(al_handle, "Select files", ls_path, ls_files, max_files,
                                                   ls_defext, "All files (*.*),*.*", ls_initial_path);
    if (li_numfiles < 1) return false;
    app().gnv_registry->fnv_set_selectfiles_path(ls_path);
    if (runtime::right(ls_path, 1) != "\\") ls_path += "\\";
    std::string too_long;
    // Counts that were up to date before the insertions stay so with the new paths added.
    const bool counted = il_paths_stamp != 0 && il_paths_stamp == file().changeStamp();
    std::vector<std::string> added;
    const size_t count = std::min<size_t>({li_numfiles, max_files, ls_files.size()});
    for (size_t i = 0; i < count; ++i) {
        std::string ls_totpath = ls_path + ls_files[i];
        if (fnv_insert_file(ls_totpath, al_filegrp_id) < 1) too_long += "\n" + ls_totpath;
        else
            added.push_back(std::move(ls_totpath));
    }
    if (counted) {
        for (const std::string& path : added) count_path(path);
        il_paths_stamp = file().changeStamp();
    }
    if (!too_long.empty())
        runtime::messageBox("Select files",
                            "These files were not added: a path may hold at most 254 characters." + too_long,
                            runtime::MessageIcon::Exclamation);
    fnv_handle_duplicate_files(false);
    return true;
}

void nv_filegrp::count_path(const std::string& as_path) {
    if (++i_path_counts[runtime::lower(runtime::trim(as_path))] == 2) ++il_duplicated_paths;
}

bool nv_filegrp::has_duplicate_paths() {
    u_ds_create_setup_a& ds = file();
    if (il_paths_stamp == 0 || il_paths_stamp != ds.changeStamp()) {
        i_path_counts.clear();
        il_duplicated_paths = 0;
        const int column = ds.columnNumber("path");
        for (long r = 1; r <= ds.rowCount(); ++r) {
            Value path = ds.getItem(r, column);
            if (!path.isNull()) count_path(path.toText());
        }
        il_paths_stamp = ds.changeStamp();
    }
    return il_duplicated_paths > 0;
}

long nv_filegrp::fnv_get_duplicate_files(u_ds_duplicate_files& ads_dups) {
    // Without duplicates the rows keep their order: the sort would only serve the search.
    if (!has_duplicate_paths()) return ads_dups.rowCount();
    u_ds_create_setup_a& ds = file();
    ds.sort();
    // The first FILEGRP row of each id, as fnv_find_filegrp_row finds it, looked up once.
    std::unordered_map<long, long> filegrp_rows;
    u_ds_create_setup_a& groups = filegrp();
    const int group_id = groups.columnNumber("id");
    for (long r = 1; r <= groups.rowCount(); ++r) {
        Value id = groups.getItem(r, group_id);
        if (!id.isNull()) filegrp_rows.emplace(static_cast<long>(id.toInt()), r);
    }
    const long ll_rows = ds.rowCount();
    long row = 1;
    while (row <= ll_rows) {
        const std::optional<std::string> ls_current_file = compared_path(ds, row);
        const long next = row + 1;
        if (next > ll_rows) break;
        if (!ls_current_file || compared_path(ds, next) != ls_current_file) {
            row = next;
            continue;
        }
        // A run of equal paths starts here.
        for (; row <= ll_rows && compared_path(ds, row) == ls_current_file; ++row) {
            Value filegrpid = ds.getItem(row, "filegrpid");
            if (filegrpid.isNull()) continue;
            const auto found = filegrp_rows.find(static_cast<long>(filegrpid.toInt()));
            if (found == filegrp_rows.end()) continue;
            const long ll_filegrp_row = found->second;
            long ll_newrow = ads_dups.insertRow(0);
            ads_dups.setItem(ll_newrow, "file", runtime::trim(ds.getItemString(row, "path")));
            ads_dups.setItem(ll_newrow, "name_1", ds.getItem(row, "id"));
            ads_dups.setItem(ll_newrow, "filegrp", groups.getItem(ll_filegrp_row, "name"));
        }
    }
    return ads_dups.rowCount();
}

bool nv_filegrp::fnv_handle_duplicate_files(bool ab_from_menu) {
    runtime::Ref<u_ds_duplicate_files> lds_dups = runtime::create<u_ds_duplicate_files>();
    bool lb_something_has_changed = false;
    long found = fnv_get_duplicate_files(*lds_dups);
    if (found > 0) {
        s_pass& pass = app().g_str_pass;
        pass.datastore[1] = runtime::Ref<u_ds_a>(lds_dups.get());
        pass.boolean[1] = false;  // a dialog that never opened deleted nothing
        runtime::Ref<runtime::Object> w = runtime::createByName("w_handle_duplicate_files");
        if (auto* window = dynamic_cast<runtime::Window*>(w.get()))
            window->openWithParm(runtime::Ref<runtime::Object>(this));
        lb_something_has_changed = pass.boolean.get(1);
    } else if (ab_from_menu) {
        auto* project = dynamic_cast<nv_create_setup*>(app().gnv_create_setup.get());
        std::string title =
            project ? project->fnv_get_prodname() + " " + project->fnv_get_prodvers() : std::string();
        runtime::messageBox(title, "No duplicate files.");
    }
    runtime::destroy(lds_dups);
    return lb_something_has_changed;
}

}  // namespace pakomo
