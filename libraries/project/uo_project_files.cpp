#include "libraries/project/uo_project_files.h"

#include <QTreeWidget>

#include <algorithm>
#include <vector>

#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/core/pakomo.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Units.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr const char* BoxTitle = "Project";

runtime::Ref<u_ds_create_setup_a> rows_of(const char* layout) {
    auto ds = runtime::create<u_ds_create_setup_a>();
    ds->setDataObject(layout);
    return ds;
}

long id_of(runtime::DataStore& ds, long row) { return static_cast<long>(ds.getItem(row, "id").toInt()); }

}  // namespace

uo_project_files::uo_project_files(std::string className) : uo_project_pane(std::move(className)) {
    tv_project = addControl<u_tv_a>("tv_project");
    tv_project->move(0, 0);
    tv_project->resize(1100, 840);
    tv_project->addPicture("Custom050!");  // picture 2: a file group
    lv_files = addControl<u_lv_fileview_a>("lv_files");
    lv_files->move(1140, 0);
    lv_files->resize(2460, 760);
    // Name, size and modified as wide as the user left them; the folder of each file beside them.
    std::vector<int16_t> widths{1096, 256, 528};
    if (app().gnv_registry) app().gnv_registry->fnv_get_positions_fileview(widths);
    lv_files->fu_set_columns(widths[0], widths[1], widths[2]);
    lv_files->addColumn("Folder", runtime::Alignment::Left, 1400);
    st_info = addControl<runtime::StaticText>("st_info");
    st_info->move(1140, 776);
    st_info->resize(2460, 64);

    ids_proggrp = rows_of("d_project_proggrps");
    ids_regkeys = rows_of("d_regkeys");
    ids_filegrp = rows_of("d_filegrps");
    ids_file = rows_of("d_files");
    inv_filegrp = runtime::create<nv_filegrp>();
    inv_filegrp->fnv_init(*ids_file, *ids_filegrp);
    inv_proggrp = runtime::create<nv_proggrp>();
    lv_files->inv_filegrp = runtime::Ref<nv_a>(inv_filegrp.get());

    tv_project->on("selectionchanged", [this](Args a) {
        long id = 0;
        show_files(a.size() > 1 && fu_selected(id) == 2 ? id : 0);
        return Value();
    });
    tv_project->on("rightclicked", [this](Args a) {
        if (!a.empty() && a[0].toInt() > 0) tv_project->selectItem(a[0].toInt());
        fu_show_popup("m_popup_project");
        return Value();
    });
    lv_files->on("rightclicked", [this](Args) {
        long id = 0;
        if (fu_selected(id) == 2) fu_show_popup("m_popup_file");
        return Value();
    });
    lv_files->on("selectionchanged", [this](Args) {
        inv_filegrp->fnv_show_file_info(*lv_files, *st_info);
        return Value();
    });
    on("destructor", [this, widths](Args) {
        // Only widths the user changed are written: units and pixels do not convert back exactly.
        std::vector<int16_t> now = widths;
        for (size_t c = 0; c < 3 && lv_files; ++c) {
            const int px = lv_files->tree()->columnWidth(static_cast<int>(c));
            if (px != runtime::units::toPixelsX(widths[c]))
                now[c] = static_cast<int16_t>(runtime::units::toUnitsX(px));
        }
        if (app().gnv_registry && now != widths) app().gnv_registry->fnv_set_positions_fileview(now);
        for (auto* ds : {&ids_proggrp, &ids_regkeys, &ids_filegrp, &ids_file})
            if (*ds) runtime::destroy(*ds);
        if (inv_filegrp) runtime::destroy(inv_filegrp);
        if (inv_proggrp) runtime::destroy(inv_proggrp);
        return Value();
    });
}

uo_project_files::~uo_project_files() = default;

bool uo_project_files::fu_load(int16_t ai_prod_id) {
    std::vector<Value> args{Value(ai_prod_id)};
    for (auto* ds : {&ids_proggrp, &ids_regkeys, &ids_filegrp, &ids_file}) {
        if ((*ds)->retrieve(args) < 0) {
            runtime::messageBox(BoxTitle, "The product's components and files cannot be read: " + (*ds)->lastError(),
                                runtime::MessageIcon::StopSign);
            return false;
        }
    }
    il_cut_filegrp = 0;
    fu_populate_tree();
    return true;
}

bool uo_project_files::fu_is_modified() const {
    for (auto* ds : {&ids_proggrp, &ids_regkeys, &ids_filegrp, &ids_file})
        if ((*ds)->modifiedCount() + (*ds)->deletedCount() > 0) return true;
    return false;
}

// Every component and file group needs a name: the tree and the setup show nothing else.
bool uo_project_files::fu_validate() {
    for (auto* ds : {&ids_proggrp, &ids_filegrp})
        for (long r = 1; r <= (*ds)->rowCount(); ++r)
            if (runtime::trim((*ds)->getItemString(r, "name")).empty()) {
                runtime::messageBox(BoxTitle, "Every component and file group needs a name.",
                                    runtime::MessageIcon::Exclamation);
                return false;
            }
    return true;
}

bool uo_project_files::fu_save() {
    for (auto* ds : {&ids_proggrp, &ids_regkeys, &ids_filegrp, &ids_file})
        if ((*ds)->update(false) < 0) return false;
    return true;
}

void uo_project_files::fu_saved() {
    for (auto* ds : {&ids_proggrp, &ids_regkeys, &ids_filegrp, &ids_file}) (*ds)->resetUpdate();
}

// An item's data is "c" or "g" and the id: file groups without a component stand at the top level
// beside the components.
int uo_project_files::fu_selected(long& al_id) const {
    const long h = tv_project->findItem(runtime::TreeView::Navigation::Current, 0);
    runtime::TreeViewItem item;
    if (h <= 0 || tv_project->getItem(h, item) != 1) return 0;
    const std::string data = item.data.toText();
    if (data.size() < 2) return 0;
    al_id = std::stol(data.substr(1));
    return data[0] == 'c' ? 1 : 2;
}

long uo_project_files::filegrp_row(long al_id) const {
    for (long r = 1; r <= ids_filegrp->rowCount(); ++r)
        if (id_of(*ids_filegrp, r) == al_id) return r;
    return 0;
}

void uo_project_files::fu_populate_tree(long al_select_filegrp) {
    tv_project->fu_delete_children(0);
    long select = 0;
    std::vector<long> components;
    for (long c = 1; c <= ids_proggrp->rowCount(); ++c) components.push_back(id_of(*ids_proggrp, c));
    auto add_groups = [&](long parent, long component) {
        for (long g = 1; g <= ids_filegrp->rowCount(); ++g) {
            long owner = static_cast<long>(ids_filegrp->getItem(g, "proggrpid").toInt());
            if (std::find(components.begin(), components.end(), owner) == components.end()) owner = 0;
            if (owner != component) continue;
            runtime::TreeViewItem item;
            item.label = ids_filegrp->getItemString(g, "name");
            item.pictureIndex = item.selectedPictureIndex = picture_filegrp;
            item.data = Value("g" + std::to_string(id_of(*ids_filegrp, g)));
            const long h = tv_project->fu_insertitemsort(parent, item);
            if (id_of(*ids_filegrp, g) == al_select_filegrp) select = h;
        }
    };
    for (long c = 1; c <= ids_proggrp->rowCount(); ++c) {
        runtime::TreeViewItem item;
        item.label = ids_proggrp->getItemString(c, "name");
        item.pictureIndex = item.selectedPictureIndex = picture_component;
        item.data = Value("c" + std::to_string(id_of(*ids_proggrp, c)));
        const long h = tv_project->fu_insertitemlast(0, item);
        add_groups(h, id_of(*ids_proggrp, c));
        tv_project->expandItem(h);
    }
    add_groups(0, 0);
    if (select > 0) tv_project->selectItem(select);
    else show_files(0);
}

void uo_project_files::show_files(long al_filegrp) {
    lv_files->deleteItems();
    st_info->setText("");
    if (al_filegrp > 0) inv_filegrp->fnv_populate_fileview(*lv_files, al_filegrp);
}

std::string uo_project_files::new_name(u_ds_create_setup_a& ads, const std::string& as_base) const {
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? as_base : as_base + " " + std::to_string(n);
        bool taken = false;
        for (long r = 1; r <= ads.rowCount() && !taken; ++r)
            taken = runtime::lower(runtime::trim(ads.getItemString(r, "name"))) == runtime::lower(name);
        if (!taken) return name;
    }
}

void uo_project_files::fu_popup(const std::string& as_event) {
    long id = 0;
    const int level = fu_selected(id);
    if (as_event == "ue_popup_expand_all") {
        for (long h = tv_project->findItem(runtime::TreeView::Navigation::Root, 0); h > 0;
             h = tv_project->findItem(runtime::TreeView::Navigation::Next, h))
            tv_project->expandItem(h);
    } else if (as_event == "ue_add_proggrp") {
        const long row = inv_proggrp->fnv_insert_proggrp(new_name(*ids_proggrp, "Programgroup"), *ids_proggrp);
        // A new component is shown, chosen in every setup type and installed below the setup folder.
        ids_proggrp->setItem(row, "installpth", Value("^SETUPPATH^"));
        ids_proggrp->setItem(row, "visible", Value(1));
        ids_proggrp->setItem(row, "setuptypes", Value(7));
        ids_proggrp->setItem(row, "pathchange", Value(0));
        fu_populate_tree();
    } else if (as_event == "ue_add_filegrp") {
        if (level == 0) {
            runtime::messageBox(BoxTitle, "Choose the component that gets the new file group.",
                                runtime::MessageIcon::Information);
            return;
        }
        long component = id;
        if (level == 2) {
            const long row = filegrp_row(id);
            component = row > 0 ? static_cast<long>(ids_filegrp->getItem(row, "proggrpid").toInt()) : 0;
        }
        const long row = inv_filegrp->fnv_insert_filegrp(new_name(*ids_filegrp, "Filegroup"), component);
        fu_populate_tree(id_of(*ids_filegrp, row));
    } else if (as_event == "ue_popup_delete") {
        if (level == 0) return;
        runtime::TreeViewItem item;
        tv_project->getItem(tv_project->findItem(runtime::TreeView::Navigation::Current, 0), item);
        const std::string what =
            level == 1 ? "Delete the component \"" + item.label +
                             "\"?\nIts file groups and registry entries stay, without a component."
                       : "Delete the file group \"" + item.label + "\" with its files?";
        if (runtime::messageBox(BoxTitle, what, runtime::MessageIcon::Question,
                                runtime::MessageButtons::YesNo) != 1)
            return;
        if (level == 1) inv_proggrp->fnv_delete_proggrp(Value(id), *ids_proggrp, *ids_regkeys, *ids_filegrp);
        else inv_filegrp->fnv_delete_filegrp(id);
        if (il_cut_filegrp > 0 && filegrp_row(il_cut_filegrp) == 0) il_cut_filegrp = 0;
        fu_populate_tree();
    } else if (as_event == "ue_popup_cut") {
        if (level == 2) il_cut_filegrp = id;
    } else if (as_event == "ue_popup_paste") {
        const long row = filegrp_row(il_cut_filegrp);
        if (row < 1 || level == 0) return;
        long component = id;
        if (level == 2) {
            const long target = filegrp_row(id);
            component = target > 0 ? static_cast<long>(ids_filegrp->getItem(target, "proggrpid").toInt()) : 0;
        }
        ids_filegrp->setItem(row, "proggrpid", Value(component));
        const long moved = il_cut_filegrp;
        il_cut_filegrp = 0;
        fu_populate_tree(moved);
    } else if (level == 2) {
        if (as_event == "ue_popup_add_file") {
            runtime::Ref<w_a> window = tv_project->fu_get_parent_window();
            if (inv_filegrp->fnv_add_file(window ? window->handle() : 0, id)) show_files(id);
        } else if (as_event == "ue_popup_delete_file") {
            inv_filegrp->fnv_file_action(*lv_files, nv_filegrp::action_delete, id);
        } else if (as_event == "ue_popup_all_shared") {
            inv_filegrp->fnv_file_action(*lv_files, nv_filegrp::action_all_shared, id);
        } else if (as_event == "ue_popup_all_not_shared") {
            inv_filegrp->fnv_file_action(*lv_files, nv_filegrp::action_all_not_shared, id);
        } else if (as_event == "ue_popup_file_property") {
            inv_filegrp->fnv_file_action(*lv_files, nv_filegrp::action_properties, id);
        }
    }
}

}  // namespace pakomo
