#include "authoring/menus/m_popups.h"

#include <vector>

#include "authoring/core/nv_a.h"
#include "authoring/core/pakomo.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/System.h"
#include "runtime/ui/Window.h"
#include "standard/w_a.h"

namespace pakomo {
namespace {

// An entry: its event on the opener, or the function it calls ("fm_cut" ...), or its submenu.
struct Entry {
    const char* name;
    const char* text;
    const char* event = "";
    const char* function = "";
    std::vector<Entry> submenu = {};
};

struct Popup {
    const char* name;
    const char* text;
    std::vector<Entry> entries;
};

Entry ev(const char* name, const char* text, const char* event) { return {name, text, event}; }
Entry fn(const char* name, const char* text, const char* function) { return {name, text, "", function}; }
Entry sep(const char* name) { return {name, "-"}; }

// Cut, copy and the paste submenu, under the names of one popup.
std::vector<Entry> clipboard(const char* cut, const char* copy, const char* paste, const char* stringconstant,
                             const char* clip) {
    return {fn(cut, "Cu&t", "fm_cut"), fn(copy, "&Copy", "fm_copy"),
            {paste, "&Paste", "", "", {fn(stringconstant, "&Stringconstant...", "fm_get_stringvar"),
                                       fn(clip, "C&lipboard", "fm_paste")}}};
}

std::vector<Entry> join(std::vector<Entry> a, const std::vector<Entry>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Popup> popups() {
    return {
        {"m_popup_treeview", "popup_treeview",
         {ev("m_openen", "&Open", "ue_popup_open"), ev("m_wizard", "&Wizard...", "ue_popup_wizard"),
          ev("m_dupliceren", "&Duplicate", "ue_popup_duplicate"), sep("m_-"),
          ev("m_verwijderen", "&De&lete...", "ue_popup_delete"), sep("m_-2"),
          ev("m_compileren", "&Compile...", "ue_popup_build"), ev("m_testen", "&Test", "ue_popup_test"), sep("m_-3"),
          ev("m_samenvatting", "&Summary...", "ue_popup_summary")}},
        {"m_popup_stringtable_wizard", "popup_stringtable_wizard",
         join({ev("m_stringtable_wizard_toevoegen", "&Add", "ue_popup_insert"),
               ev("m_stringtable_wizard_verwijderen", "&Delete", "ue_popup_delete"), sep("m_-0")},
              clipboard("m_m_stringtable_wizard_knippen", "m_m_stringtable_wizard_kopiëren",
                        "m_m_stringtable_wizard_plakken", "m_m_stringtable_wizard_stringconstante",
                        "m_m_stringtable_wizard_klembord"))},
        {"m_popup_registry_wizard", "popup_registry_wizard",
         join({ev("m_registry_toevoegen", "&Add", "ue_popup_insert"),
               ev("m_registry_invoegen", "&Insert", "ue_popup_insert_between"),
               ev("m_registry_verwijderen", "&Delete", "ue_popup_delete"), sep("m_4")},
              clipboard("m_registry_knippen", "m_registry_kopiëren", "m_registry_plakken",
                        "m_registry_stringconstante", "m_registry_klembord"))},
        {"m_popup_object_privilege", "popup_object_privilege",
         clipboard("m_object_privilege_knippen", "m_object_privilege_kopiëren", "m_object_privilege_plakken",
                   "m_object_privilege_stringconstante", "m_object_privilege_klembord")},
        {"m_popup_stringtable_project", "popup_stringtable_project",
         join({ev("m_stringtable_project_toevoegen", "&Add", "ue_popup_insert"),
               ev("m_stringtable_project_verwijderen", "&Delete", "ue_popup_delete"), sep("m_-1")},
              clipboard("m_stringtable_project_knippen", "m_stringtable_project_kopiëren",
                        "m_stringtable_project_plakken", "m_stringtable_project_stringconstante",
                        "m_stringtable_project_klembord"))},
        {"m_popup_setuptext_project", "popup_setuptext_project",
         {ev("m_setuptext_project", "&Text...", "ue_wmain_edit_setuptext")}},
        {"m_popup_wmain_background", "popup_wmain_background",
         {ev("m_wmain_background_nieuwetekst", "&New text...", "ue_wmain_newtext"),
          ev("m_wmain_background_achtergrondkleur", "&Backgroundcolor...", "ue_wmain_edit_backgroundcolor")}},
        {"m_popup_wmain_edittext", "popup_wmain_edittext",
         {ev("m_wmain_edittext_bewerken", "&Edit...", "ue_wmain_edittext"),
          ev("m_wmain_edittext_verwijderen", "&Delete", "ue_wmain_delete_text")}},
        {"m_popup_project", "popup_project",
         {ev("m_project_uitklappen", "&Expand", "ue_popup_expand_all"), sep("m_-project2"),
          {"m_project_nieuw", "&New", "", "", {ev("m_project_nieuw_programmagroep", "&Programgroup", "ue_add_proggrp"),
                                               ev("m_project_nieuw_bestandsgroep", "&Filegroup", "ue_add_filegrp")}},
          ev("m_project_verwijderen", "&Delete", "ue_popup_delete"), sep("m_-project"),
          ev("m_project_knippen", "Cu&t", "ue_popup_cut"), ev("m_project_plakken", "&Paste", "ue_popup_paste")}},
        {"m_popup_file", "popup_file",
         {ev("m_file_toevoegen", "&Add...", "ue_popup_add_file"), ev("m_file_verwijderen", "&Delete", "ue_popup_delete_file"),
          sep("m_-20"), ev("m_file_gedeeld", "&Shared", "ue_popup_all_shared"),
          ev("m_file_niet_gedeeld", "&Not shared", "ue_popup_all_not_shared"), sep("m_-30"),
          ev("m_file_eigenschappen", "&Properties...", "ue_popup_file_property")}},
    };
}

runtime::Ref<m_popups>& current_object() {
    static runtime::Ref<m_popups> object;
    return object;
}

template <class F>
void with_window_ancestor(runtime::Object& window, F f) {
    if (auto* w = dynamic_cast<w_a_of<runtime::Window>*>(&window)) f(*w);
    else if (auto* fr = dynamic_cast<w_a_of<runtime::FrameWindow>*>(&window)) f(*fr);
    else throw runtime::RuntimeError("The context menu's opener is not a window of the program");
}

}  // namespace

m_popups::m_popups() : runtime::Menu("m_popups") {
    std::function<void(runtime::Menu&, const Entry&)> build = [&](runtime::Menu& parent, const Entry& e) {
        runtime::Ref<runtime::Menu> item = parent.addItem(e.name, e.text);
        const std::string event = e.event, function = e.function;
        if (!event.empty())
            item->on("clicked", [this, event](runtime::Args) {
                opener().post(event);
                return runtime::Value();
            });
        if (!function.empty())
            item->on("clicked", [this, function](runtime::Args) {
                if (function == "fm_cut") fm_cut();
                else if (function == "fm_copy") fm_copy();
                else if (function == "fm_paste") fm_paste();
                else fm_get_stringvar();
                return runtime::Value();
            });
        for (const Entry& sub : e.submenu) build(*item, sub);
    };
    for (const Popup& p : popups()) {
        runtime::Ref<runtime::Menu> popup = addItem(p.name, p.text);
        for (const Entry& e : p.entries) build(*popup, e);
    }
    current_object() = runtime::Ref<m_popups>(this);
}

m_popups::~m_popups() = default;

runtime::Ref<m_popups> m_popups::current() { return current_object(); }

runtime::Menu& m_popups::item_named(std::string_view name) const {
    runtime::Menu* item = findItem(name);
    if (!item) throw runtime::RuntimeError("Menu item " + std::string(name) + " does not exist");
    return *item;
}

runtime::Object& m_popups::opener() const {
    if (!i_parent) throw runtime::RuntimeError("Null object reference: the context menu has no opener");
    return *i_parent;
}

void m_popups::fm_cut() {
    with_window_ancestor(opener(), [](auto& w) { w.fw_cut(); });
}

void m_popups::fm_copy() {
    with_window_ancestor(opener(), [](auto& w) { w.fw_copy(); });
}

void m_popups::fm_paste() {
    with_window_ancestor(opener(), [](auto& w) { w.fw_paste(); });
}

void m_popups::fm_get_stringvar() {
    runtime::Ref<runtime::Window> picker = runtime::createByName("w_choose_stringvar").as<runtime::Window>();
    if (!picker) throw runtime::RuntimeError("w_choose_stringvar is not a window");
    picker->open();
    pakomo& a = app();
    if (a.g_str_pass.button_clicked != 1) return;
    const std::string name = a.g_str_pass.string.get(1);
    runtime::setClipboardText(a.gnv_create_setup->trigger("fnv_make_stringvar_string", {name}).toText());
    fm_paste();
}

}  // namespace pakomo
