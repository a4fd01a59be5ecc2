#include "libraries/project/uo_project_files.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/core/pakomo.h"
#include "libraries/project/w_proggrp_properties.h"
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

// A reference column's value: no value is no component.
long reference(runtime::DataStore& ds, long row, const char* column) {
    const Value v = ds.getItem(row, column);
    return v.isNull() ? 0 : static_cast<long>(v.toInt());
}

}  // namespace

uo_project_files::uo_project_files(std::string className) : uo_project_pane(std::move(className)) {
    tv_project = addControl<u_tv_a>("tv_project");
    tv_project->move(margin, content_top);
    tv_project->resize(1100, 840);
    tv_project->addPicture("Custom050!");  // picture 2: a file group
    lv_files = addControl<u_lv_fileview_a>("lv_files");
    lv_files->move(margin + 1140, content_top);
    lv_files->resize(2460, 760);
    // Name, size and modified as wide as the user left them; the folder of each file beside them.
    std::vector<int16_t> widths{1096, 256, 528};
    if (app().gnv_registry) app().gnv_registry->fnv_get_positions_fileview(widths);
    ii_widths = widths;
    lv_files->fu_set_columns(widths[0], widths[1], widths[2]);
    lv_files->addColumn("Folder", runtime::Alignment::Left, 1400);
    if (auto* tree = lv_files->tree()) tree->header()->setStretchLastSection(false);
    cb_properties = addControl<runtime::CommandButton>("cb_properties");
    cb_properties->move(margin, content_top + 740);
    cb_properties->resize(600, 100);
    cb_properties->setText("Pr&operties...");
    cb_properties->setEnabled(false);
    st_info = addControl<runtime::StaticText>("st_info");
    st_info->move(margin + 1140, content_top + 776);
    st_info->resize(2460, 64);
    // The tree keeps its width; the file list takes what the pane gains.
    fu_position_set_flags(*tv_project, align_vresize);
    fu_position_set_height_marge(*tv_project, content_top + margin + 130);
    fu_position_set_bottom_marge(*cb_properties, margin);
    fu_position_set_flags(*lv_files, align_resize);
    fu_position_set_width_marge(*lv_files, 2 * margin + 1140);
    fu_position_set_height_marge(*lv_files, content_top + margin + 80);
    fu_position_set_flags(*st_info, align_hresize);
    fu_position_set_width_marge(*st_info, 2 * margin + 1140);
    fu_position_set_bottom_marge(*st_info, margin);

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
        const int level = a.size() > 1 ? fu_selected(id) : 0;
        show_files(level == 2 ? id : 0);
        cb_properties->setEnabled(level == 1);
        return Value();
    });
    tv_project->setEditLabels(true);
    tv_project->on("endlabeledit", [this](Args a) {
        return Value(a.size() > 1 ? label_edited(a[0].toInt(), a[1].toText()) : 1);
    });
    tv_project->on("doubleclicked", [this](Args) {
        long id = 0;
        if (fu_selected(id) == 1) fu_component_properties(id);
        return Value();
    });
    cb_properties->on("clicked", [this](Args) {
        long id = 0;
        if (fu_selected(id) == 1) fu_component_properties(id);
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
    // The columns follow the list's width, which follows the pane's.
    extend("resize", [this](Args) {
        fu_fit_columns();
        return Value();
    });
    on("destructor", [this, widths](Args) {
        // Only widths the user changed are written: units and pixels do not convert back exactly,
        // and the fit's own widths are the list's, not the user's.
        std::vector<int16_t> now = widths;
        for (size_t c = 0; c < 3 && lv_files; ++c) {
            const int px = lv_files->tree()->columnWidth(static_cast<int>(c));
            const int set = ii_fitted.size() > c ? ii_fitted[c] : runtime::units::toPixelsX(widths[c]);
            if (px != set)
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

// Names and requirements are checked before anything is written: Setup shows a component's
// name and makes its folder variable of it, and a requirement must not point into the component.
namespace {

// A row set's rows looked up by folded name (the first two rows of each, in row order) and by id
// (the first row of each), built in one pass: checking every row then compares no pairs.
class RowIndex {
public:
    // `scope` names the column whose value must match too ("" for none).
    RowIndex(runtime::DataStore& ds, const char* scope) : scope_(scope) {
        const long rows = ds.rowCount();
        names_.reserve(static_cast<size_t>(rows));
        ids_.reserve(static_cast<size_t>(rows));
        for (long r = 1; r <= rows; ++r) {
            auto [at, added] =
                names_.try_emplace(key(ds, r, runtime::trim(ds.getItemString(r, "name"))), r, 0);
            if (!added && at->second.second == 0) at->second.second = r;
            ids_.try_emplace(id_of(ds, r), r);
        }
    }
    // The first row but `self` whose name folds as `name` does (in the same scope as `self`), or 0.
    long namesake(runtime::DataStore& ds, long self, const std::string& name) const {
        const auto at = names_.find(key(ds, self, name));
        if (at == names_.end()) return 0;
        return at->second.first != self ? at->second.first : at->second.second;
    }
    long row_of(long id) const {
        const auto at = ids_.find(id);
        return at == ids_.end() ? 0 : at->second;
    }

private:
    std::string key(runtime::DataStore& ds, long row, const std::string& name) const {
        std::string k = runtime::lower(name);
        if (*scope_) k += '\n' + std::to_string(reference(ds, row, scope_));
        return k;
    }
    const char* scope_;
    std::unordered_map<std::string, std::pair<long, long>> names_;
    std::unordered_map<long, long> ids_;
};

std::string component_error(runtime::DataStore& ads, long al_row, const std::string& as_name,
                            long al_required, const RowIndex& index) {
    const std::string name = runtime::trim(as_name);
    if (name.empty()) return "The field \"Name\" is empty: every component needs a name.";
    if (name.size() > 32) return "The field \"Name\" takes at most 32 characters.";
    // ^PATH_<name>^ stands for the component's folder: a "^" would end the reference early.
    if (name.find('^') != std::string::npos)
        return "The field \"Name\" cannot hold \"^\": ^PATH_" + name + "^ would not name the component's folder.";
    // Setup finds a component's folder variable by its name without regard to case.
    if (const long other = index.namesake(ads, al_row, name))
        return "The field \"Name\": another component is called \"" +
               runtime::trim(ads.getItemString(other, "name")) +
               "\" already. Give each component a name of its own.";
    if (al_required == 0) return "";
    const long own = id_of(ads, al_row);
    if (al_required == own) return "The field \"Required component\": a component cannot require itself.";
    // Up from the required component through its parents: meeting this one makes it a subcomponent.
    long at = al_required;
    for (long steps = 0; at != 0 && steps <= ads.rowCount(); ++steps) {
        const long row = index.row_of(at);
        if (row == 0) break;
        at = reference(ads, row, "proggrpid");
        if (at == own)
            return "The field \"Required component\": \"" + runtime::trim(ads.getItemString(row, "name")) +
                   "\" is a subcomponent of \"" + name + "\", and a component cannot require its own subcomponents.";
    }
    return "";
}

std::string filegrp_error(runtime::DataStore& ads, long al_row, const std::string& as_name,
                          const RowIndex& index) {
    const std::string name = runtime::trim(as_name);
    if (name.empty()) return "The field \"Name\" is empty: every file group needs a name.";
    if (name.size() > 32) return "The field \"Name\" takes at most 32 characters.";
    if (const long other = index.namesake(ads, al_row, name))
        return "The field \"Name\": its component has a file group called \"" +
               runtime::trim(ads.getItemString(other, "name")) +
               "\" already. Give each file group of a component a name of its own.";
    return "";
}

}  // namespace

bool uo_project_files::fu_validate() {
    auto refuse = [this](char kind, long id, const std::string& text) {
        select_item(kind, id);  // the item the message is about
        runtime::messageBox(BoxTitle, text, runtime::MessageIcon::Exclamation);
        return false;
    };
    const RowIndex components(*ids_proggrp, "");
    for (long r = 1; r <= ids_proggrp->rowCount(); ++r) {
        const std::string name = runtime::trim(ids_proggrp->getItemString(r, "name"));
        const std::string error =
            component_error(*ids_proggrp, r, name, reference(*ids_proggrp, r, "reqprogid"), components);
        if (!error.empty())
            return refuse('c', id_of(*ids_proggrp, r),
                          (name.empty() ? std::string("A component") : "The component \"" + name + "\"") +
                              " cannot be saved.\n" + error);
    }
    const RowIndex groups(*ids_filegrp, "proggrpid");
    for (long r = 1; r <= ids_filegrp->rowCount(); ++r) {
        const std::string name = runtime::trim(ids_filegrp->getItemString(r, "name"));
        const std::string error = filegrp_error(*ids_filegrp, r, name, groups);
        if (!error.empty())
            return refuse('g', id_of(*ids_filegrp, r),
                          (name.empty() ? std::string("A file group") : "The file group \"" + name + "\"") +
                              " cannot be saved.\n" + error);
    }
    return true;
}

std::string uo_project_files::fu_component_error(runtime::DataStore& ads, long al_row,
                                                 const std::string& as_name, long al_required) {
    return component_error(ads, al_row, as_name, al_required, RowIndex(ads, ""));
}

std::string uo_project_files::fu_filegrp_error(runtime::DataStore& ads, long al_row,
                                               const std::string& as_name) {
    return filegrp_error(ads, al_row, as_name, RowIndex(ads, "proggrpid"));
}

void uo_project_files::select_item(char kind, long al_id) {
    using Nav = runtime::TreeView::Navigation;
    const std::string data = kind + std::to_string(al_id);
    auto is_it = [&](long h) {
        runtime::TreeViewItem item;
        return tv_project->getItem(h, item) == 1 && item.data.toText() == data;
    };
    for (long c = tv_project->findItem(Nav::Root, 0); c > 0; c = tv_project->findItem(Nav::Next, c)) {
        if (is_it(c)) {
            tv_project->selectItem(c);
            return;
        }
        for (long g = tv_project->findItem(Nav::Child, c); g > 0; g = tv_project->findItem(Nav::Next, g))
            if (is_it(g)) {
                tv_project->selectItem(g);
                return;
            }
    }
}

long uo_project_files::proggrp_row(long al_id) const {
    for (long r = 1; r <= ids_proggrp->rowCount(); ++r)
        if (id_of(*ids_proggrp, r) == al_id) return r;
    return 0;
}

int uo_project_files::label_edited(long al_handle, const std::string& as_label) {
    runtime::TreeViewItem item;
    if (tv_project->getItem(al_handle, item) != 1) return 1;
    const std::string data = item.data.toText();
    if (data.size() < 2) return 1;
    const long id = std::stol(data.substr(1));
    const bool component = data[0] == 'c';
    runtime::DataStore& ds = component ? static_cast<runtime::DataStore&>(*ids_proggrp) : *ids_filegrp;
    const long row = component ? proggrp_row(id) : filegrp_row(id);
    if (row < 1) return 1;
    const std::string name = runtime::trim(as_label);
    const std::string error = component ? fu_component_error(ds, row, name, reference(ds, row, "reqprogid"))
                                        : fu_filegrp_error(ds, row, name);
    // A requirement that is wrong already is the form's to mend: renaming still goes on.
    if (!error.empty() && error.find("\"Name\"") != std::string::npos) {
        runtime::messageBox(BoxTitle, error, runtime::MessageIcon::Exclamation);
        return 1;
    }
    if (runtime::trim(ds.getItemString(row, "name")) != name) ds.setItem(row, "name", Value(name));
    // The tree shows the name as stored, without the blanks typed around it.
    item.label = name;
    tv_project->setItem(al_handle, item);
    return 1;
}

bool uo_project_files::fu_component_properties(long al_id) {
    const long row = proggrp_row(al_id);
    if (row < 1) return false;
    auto snapshot = [this, row] {
        std::string all;
        for (const char* column : {"name", "descript", "installpth", "setuptypes", "reqprogid", "visible", "pathchange"})
            all += ids_proggrp->getItemString(row, column) + '\n';
        return all;
    };
    const std::string before = snapshot();
    auto form = runtime::create<w_proggrp_properties>();
    form->fw_set_row(*ids_proggrp, row);
    form->open();  // returns once the form has closed
    if (form) runtime::destroy(form);
    const bool changed = snapshot() != before;
    if (!changed) return false;
    // The tree shows the new name.
    const long h = tv_project->findItem(runtime::TreeView::Navigation::Current, 0);
    runtime::TreeViewItem item;
    if (h > 0 && tv_project->getItem(h, item) == 1) {
        item.label = runtime::trim(ids_proggrp->getItemString(row, "name"));
        tv_project->setItem(h, item);
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
    tv_project->setRedraw(false);
    tv_project->fu_delete_children(0);
    long select = 0;
    // Each component's file groups in row order, gathered in one pass; a group whose component
    // is not loaded stands at the top level.
    std::unordered_set<long> components;
    for (long c = 1; c <= ids_proggrp->rowCount(); ++c) components.insert(id_of(*ids_proggrp, c));
    std::unordered_map<long, std::vector<long>> groups_of;
    for (long g = 1; g <= ids_filegrp->rowCount(); ++g) {
        const long owner = static_cast<long>(ids_filegrp->getItem(g, "proggrpid").toInt());
        groups_of[components.count(owner) ? owner : 0].push_back(g);
    }
    auto add_groups = [&](long parent, long component) {
        const auto found = groups_of.find(component);
        if (found == groups_of.end()) return;
        for (const long g : found->second) {
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
    tv_project->setRedraw(true);
    if (select > 0) tv_project->selectItem(select);
    else show_files(0);
}

void uo_project_files::show_files(long al_filegrp) {
    lv_files->deleteItems();
    st_info->setText("");
    if (al_filegrp > 0) inv_filegrp->fnv_populate_fileview(*lv_files, al_filegrp);
    fu_fit_columns();
}

void uo_project_files::fu_fit_columns() {
    QTreeWidget* tree = lv_files ? lv_files->tree() : nullptr;
    if (!tree || tree->columnCount() < 4) return;
    // The user's widths where they changed one since the last fit.
    for (size_t c = 0; c < 3 && ii_fitted.size() == 3; ++c)
        if (tree->columnWidth(static_cast<int>(c)) != ii_fitted[c])
            ii_widths[c] = static_cast<int16_t>(runtime::units::toUnitsX(tree->columnWidth(static_cast<int>(c))));
    const QFontMetrics fm(tree->font());
    const int pad = 2 * tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 8;
    // The widest of the heading, the texts shown and the longest the column can show.
    auto need = [&](int column, const char* longest) {
        int w = std::max(tree->header()->sectionSizeHint(column), fm.horizontalAdvance(QString(longest)) + pad);
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            w = std::max(w, fm.horizontalAdvance(tree->topLevelItem(i)->text(column)) + pad);
        return w;
    };
    const int size = std::max(need(1, "4294967295"), runtime::units::toPixelsX(ii_widths[1]));
    const int modified = std::max(need(2, "28-12-2026 23:59:59"), runtime::units::toPixelsX(ii_widths[2]));
    // The room left of a vertical scroll bar, shown or not, so that a growing list keeps its fit.
    // The control's own width: a list on a tab not yet shown has no size of its own in Qt.
    const int room = runtime::units::toPixelsX(lv_files->width()) - 2 * tree->frameWidth() -
                     tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree) - 2;
    const int least_name = tree->header()->sectionSizeHint(0), least_folder = tree->header()->sectionSizeHint(3);
    const int rest = std::max(least_name + least_folder, room - size - modified);
    const int name_share = std::max<int>(1, ii_widths[0]), folder_share = 1400;
    const int name = std::max(least_name, rest * name_share / (name_share + folder_share));
    const int folder = std::max(least_folder, rest - name);
    tree->setColumnWidth(0, name);
    tree->setColumnWidth(1, size);
    tree->setColumnWidth(2, modified);
    tree->setColumnWidth(3, folder);
    ii_fitted = {tree->columnWidth(0), tree->columnWidth(1), tree->columnWidth(2)};
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
