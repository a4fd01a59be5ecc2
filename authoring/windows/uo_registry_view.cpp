#include "authoring/windows/uo_registry_view.h"

#include <array>

#include "authoring/core/nv_string_array.h"
#include "libraries/regread/ruxreg.h"
#include "platform/Machine.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/RegistryFunctions.h"
#include "runtime/services/System.h"
#include "standard/nv_winapi.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr std::array<const char*, 4> kRoots = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                               "HKEY_USERS"};

int16_t arg(Args a, size_t i) { return static_cast<int16_t>(i < a.size() ? a[i].toInt() : 0); }

std::vector<std::string> subkeys_of(const std::string& key) {
    return runtime::registry::subkeys(key).value_or(std::vector<std::string>());
}

}  // namespace

uo_registry_view::uo_registry_view(std::string className) : uo_tv_master_detail(std::move(className)) {
    resize(2606, 1216);
    tv_1->resize(997, 1204);
    tv_1->addPicture("Custom050!");  // picture 1, "Custom039!", comes with the tree's class
    // The list starts where the separator puts the detail area.
    uo_seperator->move(993, 0);
    lv_1 = addControl<u_lv_a>("lv_1");
    lv_1->move(1029, 0);
    lv_1->resize(1563, 1204);
    lv_1->setTabOrder(30);
    lv_1->setView(runtime::ListView::View::Report);
    lv_1->setExtendedSelect(true);
    lv_1->setPictureMaskColor(16777215);  // white is the pictures' transparent colour
    lv_1->addSmallPicture(":/authoring/registry_binary.bmp");
    lv_1->addSmallPicture(":/authoring/registry_text.bmp");

    extend("constructor", [this](Args) {
        ids_reg_values = runtime::create<u_ds_registry_values>();
        return Value();
    });
    extend("ue_post_constructor", [this](Args) { return Value(fu_populate()); });
    extend("destructor", [this](Args) {
        runtime::destroy(ids_reg_values);
        return Value();
    });
    on("ue_selectionchanged", [this](Args a) {
        ue_selectionchanged(a.empty() ? 0 : static_cast<long>(a[0].toInt()));
        return Value();
    });
    extend("ue_detail_resize", [this](Args a) {
        const int16_t ai_x = arg(a, 0), ai_width = arg(a, 1), ai_height = arg(a, 2);
        setRedraw(false);
        if (ai_x >= 1) {
            lv_1->move(ai_x, lv_1->y());
            lv_1->resize(ai_width, lv_1->height());
        } else {
            lv_1->resize(ai_width - lv_1->x(), lv_1->height());
        }
        if (ai_height > 0) lv_1->resize(lv_1->width(), ai_height);
        setRedraw(true);
        return Value();
    });

    tv_1->extend("itemexpanding", [this](Args a) {
        const long handle = a.empty() ? 0 : static_cast<long>(a[0].toInt());
        runtime::TreeViewItem item;
        if (tv_1->getItem(handle, item) == 1 && !item.expandedOnce)
            fu_populate_subkey(fu_get_full_key(handle), handle);
        return Value(0);
    });
    // Queued: the tree finishes its own event before the list is rebuilt.
    tv_1->extend("selectionchanged", [this](Args a) {
        post("ue_selectionchanged", {a.size() > 1 ? a[1] : Value(0)});
        return Value();
    });
    lv_1->extend("itemchanged", [this](Args) {
        if (lv_1->iw_parent) lv_1->iw_parent->post("ue_items_selected", {lv_1->totalSelected() > 0});
        return Value();
    });
}

long uo_registry_view::fu_populate() {
    long handle = tv_1->fu_insertitemfirst(0, kRoots[0], 1);
    runtime::TreeViewItem pattern;
    tv_1->getItem(handle, pattern);
    pattern.children = true;
    tv_1->setItem(handle, pattern);
    for (size_t i = 1; i < kRoots.size(); ++i) {
        pattern.label = kRoots[i];
        handle = tv_1->fu_insertitem(0, handle, pattern);
    }
    return handle;
}

bool uo_registry_view::has_subkeys(const std::string& key) {
    runtime::Ref<nv_string_array> holder = runtime::create<nv_string_array>();
    holder->ls_string = subkeys_of(key);
    const bool found = !holder->ls_string.empty();
    runtime::destroy(holder);
    return found;
}

long uo_registry_view::fu_populate_subkey(std::string ls_parentkey, long ll_parenthandle) {
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    const std::vector<std::string> names = subkeys_of(ls_parentkey);
    const long n = static_cast<long>(names.size());
    if (n < 1) return 0;
    long handle = tv_1->fu_insertitemfirst(ll_parenthandle, names[0], 1);
    runtime::TreeViewItem pattern;
    tv_1->getItem(handle, pattern);
    pattern.children = has_subkeys(ls_parentkey + "\\" + names[0]);
    tv_1->setItem(handle, pattern);
    for (size_t i = 1; i < names.size(); ++i) {
        pattern.label = names[i];
        pattern.children = has_subkeys(ls_parentkey + "\\" + names[i]);
        handle = tv_1->fu_insertitem(ll_parenthandle, handle, pattern);
    }
    tv_1->sortChildren(ll_parenthandle);
    return n;
}

std::string uo_registry_view::fu_get_full_key(long handle) {
    runtime::TreeViewItem item;
    tv_1->getItem(handle, item);
    std::string path = item.label;
    for (long parent = tv_1->findItem(runtime::TreeView::Navigation::Parent, handle); parent >= 1;
         parent = tv_1->findItem(runtime::TreeView::Navigation::Parent, parent)) {
        tv_1->getItem(parent, item);
        path = item.label + "\\" + path;
    }
    return path;
}

int16_t uo_registry_view::fu_get_selected_values(unbounded_array<int32_t>& al_rows) {
    int16_t count = 0;
    runtime::ListViewItem item;
    for (int i = 1; i <= lv_1->totalItems(); ++i) {
        lv_1->getItem(i, item);
        if (item.selected) al_rows[++count] = i;
    }
    return count;
}

long uo_registry_view::fu_get_row(int position) const {
    runtime::ListViewItem item;
    if (lv_1->getItem(position, item) != 1) return 0;
    return static_cast<long>(item.data.toInt());
}

bool uo_registry_view::reginfo(std::string& key, std::string& file) { return RegInfo(key, file); }

long uo_registry_view::import_values(std::string& file) {
    std::string ls_newfile = file.substr(0, file.size() - 4) + ".txt";
    // A file that already bears the new name is not ours: it is neither read nor deleted, and the
    // library's file goes instead.
    if (!nv_winapi::instance().movefilea(file, ls_newfile)) {
        runtime::fileDelete(file);
        return -1;
    }
    long n = -1;
    if (platform::Result<platform::Machine> machine = platform::Machine::open())
        if (platform::Result<std::filesystem::path> host = machine->hostPath(ls_newfile))
            n = ids_reg_values->importFile(*host);
    runtime::fileDelete(ls_newfile);
    return n;
}

void uo_registry_view::ue_selectionchanged(long handle) {
    is_full_key = fu_get_full_key(handle);
    lv_1->setRedraw(false);
    // Deleting raises no itemchanged: selected values that go are reported here, so that Paste
    // is not left enabled over a list where nothing is selected.
    if (lv_1->totalSelected() > 0 && lv_1->iw_parent) lv_1->iw_parent->post("ue_items_selected", {false});
    lv_1->deleteItems();
    std::string ls_file(256, ' ');
    long n = 0;
    if (reginfo(is_full_key, ls_file)) {
        ids_reg_values->reset();
        if (ls_file.size() > 4) n = import_values(ls_file);
        if (n < 0) ids_reg_values->reset();
    }
    for (long row = 1; row <= n; ++row) {
        const int16_t t = static_cast<int16_t>(ids_reg_values->getItem(row, "type").toInt());
        int picture = 2;
        std::string data = ids_reg_values->getItemString(row, "as_value");
        if (t == reg_sz || t == reg_expand_sz) {
            data = "\"" + data + "\"";
        } else if (t != reg_default) {
            picture = 1;
        }
        runtime::ListViewItem item;
        item.label = ids_reg_values->getItemString(row, "as_name");
        item.pictureIndex = picture;
        item.data = Value(row);
        const int position = lv_1->addItem(item);
        lv_1->setItem(position, 2, data);
    }
    lv_1->sort(runtime::ListView::SortType::Ascending, 1);
    lv_1->setRedraw(true);
}

}  // namespace pakomo
