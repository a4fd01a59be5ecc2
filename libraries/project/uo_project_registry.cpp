#include "libraries/project/uo_project_registry.h"

#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QStyle>
#include <cctype>
#include <unordered_set>

#include "authoring/core/pakomo.h"
#include "libraries/build/RegistryNames.h"
#include "libraries/project/uo_project_files.h"
#include "libraries/project/w_project.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Units.h"
#include "standard/parent_window.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr const char* BoxTitle = "Project";
constexpr int16_t reg_sz = 1, reg_expand_sz = 2, reg_dword = 4, reg_dword_big_endian = 5, reg_default = 255;

const char* root_name(long code) {
    switch (code) {
        case 1:
            return "HKEY_CLASSES_ROOT";
        case 2:
            return "HKEY_CURRENT_USER";
        case 3:
            return "HKEY_LOCAL_MACHINE";
        case 4:
            return "HKEY_USERS";
        default:
            return "";
    }
}

// As the type column's list names them.
const char* type_name(long code) {
    static const char* const names[] = {"REG_NONE", "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD",
                                        "REG_DWORD_BIG_ENDIAN", "REG_LINK", "REG_MULTI_SZ", "REG_RESOURCE_LIST",
                                        "REG_FULL_RESOURCE_DESCRIPTOR", "REG_RESOURCE_REQUIREMENTS_LIST"};
    return code >= 0 && code <= 10 ? names[code] : nullptr;
}

bool is_hex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// The entry as the user knows it: its place in the list, its key and value name.
std::string entry_name(const runtime::DataStore& ds, long row) {
    const std::string key = ds.getItemString(row, "stringvar_regkey");
    const std::string name = ds.getItemString(row, "stringvar_valuename");
    std::string root = root_name(static_cast<long>(ds.getItemNumber(row, "rootkey")));
    std::string path = root.empty() ? key : key.empty() ? root : root + "\\" + key;
    return "Registry entry " + std::to_string(row) + " (" + path + ", value " +
           (name.empty() ? std::string("(default)") : "\"" + name + "\"") + ")";
}

// Why `data` is no data of type `type`, as the installer reads it; empty when it is.
std::string data_problem(long type, const std::string& data) {
    switch (type) {
        case reg_sz:
        case reg_expand_sz:
            if (data.find('\0') != std::string::npos) return "its text holds a zero byte";
            return {};
        case reg_dword:
        case reg_dword_big_endian: {
            bool ok = data.size() == 10 && data[0] == '0' && (data[1] | 0x20) == 'x';
            for (size_t i = 2; ok && i < data.size(); ++i) ok = is_hex(data[i]);
            if (!ok) return "a double word is written as 0x and eight hexadecimal digits, such as 0x0000002a";
            return {};
        }
        case reg_default:
            return {};
        default:
            if (type < 0 || type > 10) return "its type is none the registry knows";
            if (data.empty()) return {};
            bool ok = (data.size() + 1) % 3 == 0;
            for (size_t i = 0; ok && i < data.size(); i += 3)
                ok = is_hex(data[i]) && is_hex(data[i + 1]) && (i + 2 == data.size() || data[i + 2] == ',');
            if (!ok) return "its data is written as hexadecimal pairs separated by commas, such as 0a,1b,ff";
            return {};
    }
}

bool report(const std::string& text) {
    runtime::messageBox(BoxTitle, text, runtime::MessageIcon::StopSign);
    return false;
}

}  // namespace

uo_project_registry::uo_project_registry() : uo_project_pane("uo_project_registry") {
    dw_regkeys = addControl<u_dw_create_setup_a>("dw_regkeys", "u_dw_create_setup_a", "d_project_regkeys");
    dw_regkeys->move(margin, content_top);
    dw_regkeys->resize(3600, 700);
    dw_regkeys->store().setTransObject(&app().sqlca);
    // A product may have more entries, and wider ones, than the pane shows at once.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(dw_regkeys->widget())) {
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    cb_registry = addControl<runtime::CommandButton>("cb_registry");
    cb_registry->move(margin, content_top + 720);
    cb_registry->resize(420, 100);
    // The list takes the pane's room above the button, which keeps to the bottom.
    fu_position_set_flags(*dw_regkeys, align_resize);
    fu_position_set_width_marge(*dw_regkeys, 2 * margin);
    fu_position_set_height_marge(*dw_regkeys, content_top + margin + 120);
    fu_position_set_bottom_marge(*cb_registry, margin);
    cb_registry->setText("Registry...");
    cb_registry->on("clicked", [this](Args) {
        fu_open_registry_view();
        return Value();
    });

    // A text column takes string variables through the edit popup; elsewhere the registry menu.
    dw_regkeys->extend("rbuttondown", [this](Args a) {
        const long row = a.size() > 2 ? a[2].toInt() : 0;
        if (row > 0 && row <= dw_regkeys->rowCount()) dw_regkeys->setRow(row);
        runtime::Ref<runtime::Window> window = find_parent_window(*this);
        if (window && fu_show_edit_popup(*dw_regkeys, *window, a)) return Value();
        fu_refresh_components();
        fu_show_popup("m_popup_registry_wizard");
        return Value();
    });
    dw_regkeys->on("getfocus", [this](Args) {
        fu_refresh_components();
        return Value();
    });
    fu_refuse_typed_names(*dw_regkeys, *this, BoxTitle);
    // The columns follow the list's width, which follows the pane's.
    extend("resize", [this](Args) {
        fu_fit_columns(*dw_regkeys);
        return Value();
    });
    on("destructor", [this](Args) {
        if (ids_components) runtime::destroy(ids_components);
        return Value();
    });
}

void uo_project_registry::fu_fit_columns(u_dw_a& adw) {
    auto* area = qobject_cast<QAbstractScrollArea*>(adw.widget());
    if (!area) return;
    runtime::DataWindow& dw = adw;
    const QFontMetrics plain(area->font());
    QFont bold_font = area->font();
    bold_font.setBold(true);
    const QFontMetrics bold(bold_font);
    // A cell draws its text 3 pixels in from either side; one more each for its grid line and
    // for the rounding of units to pixels.
    auto need = [&](const QFontMetrics& fm, const std::string& text) {
        return runtime::units::toUnitsX(fm.horizontalAdvance(QString::fromStdString(text)) + 8);
    };
    // The widest of a column's heading and of the names it shows.
    auto widest = [&](const char* heading, std::vector<std::string> texts) {
        int w = need(bold, heading);
        for (const std::string& t : texts) w = std::max(w, need(plain, t));
        return w;
    };
    std::vector<std::string> components, types{"REG_SZ"};  // a new entry's type
    if (runtime::DataStore* list = dw.getChild("proggrpid"))
        for (long r = 1; r <= list->rowCount(); ++r) components.push_back(list->getItemString(r, "name"));
    // Each type measured once, however many entries share it.
    bool shown[11] = {};
    const int valuetype = dw.store().columnNumber("valuetype");
    for (long r = 1; r <= dw.rowCount(); ++r) {
        const long code = static_cast<long>(dw.store().getItemNumber(r, valuetype));
        if (code >= 0 && code <= 10) shown[code] = true;
    }
    for (long code = 0; code <= 10; ++code)
        if (shown[code]) types.push_back(type_name(code));
    int component = std::min(widest("Component", components), 900);
    int root = widest("Root", {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"});
    int type = widest("Type", types);
    // Room for the common wider type too, where there is some, so that choosing it keeps the fit.
    types.push_back("REG_EXPAND_SZ");
    const int type_room = widest("Type", types);
    // The room left of a vertical scroll bar, shown or not, so that a growing list keeps its fit.
    // The control's own width: a list on a page not yet shown has no size of its own in Qt.
    const int room = runtime::units::toUnitsX(
        runtime::units::toPixelsX(adw.width()) - 2 * area->frameWidth() - area->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 2);
    int name = need(bold, "Value name"), key = need(plain, "Software\\Maker"), data = need(bold, "Data") * 2;
    if (room - component - root - type_room - need(bold, "Value name") - need(bold, "Key") - need(bold, "Data") >= 0)
        type = type_room;
    const int least = component + root + type + name + key + data;
    // Key, value name and data may give up room down to their headings: the names the other
    // columns show are whole words and keep their width.
    const int fixed = component + root + type;
    const int name_least = need(bold, "Value name"), key_least = need(bold, "Key"), data_least = need(bold, "Data");
    const int give = name + key + data - name_least - key_least - data_least;
    const int spare = room - fixed - name_least - key_least - data_least;
    if (room < least && spare >= 0) {
        name = name_least + (name - name_least) * spare / give;
        key = key_least + (key - key_least) * spare / give;
        data = data_least + (data - data_least) * spare / give;
    } else if (room < least) {
        // Too narrow for every heading: each column gives up its share, none is pushed out of sight.
        for (int* w : {&component, &root, &type, &name, &key, &data}) *w = *w * room / least;
    } else {
        const int more = room - least;
        name += more / 5;
        key += more * 2 / 5;
        data += more - more / 5 - more * 2 / 5;
    }
    dw.modify("proggrpid.width=" + std::to_string(component) + " rootkey.width=" + std::to_string(root) +
              " stringvar_regkey.width=" + std::to_string(key) + " stringvar_valuename.width=" +
              std::to_string(name) + " valuetype.width=" + std::to_string(type) +
              " stringvar_regdata.width=" + std::to_string(data));
}

bool uo_project_registry::fu_show_edit_popup(u_dw_a& adw, runtime::Window& aw_window, Args a) {
    const long row = a.size() > 2 ? a[2].toInt() : 0;
    const runtime::DataWindowObject& hit = adw.clickedObject();
    if (row < 1 || row > adw.rowCount() || hit.type != "column" ||
        runtime::left(hit.name, 10) != "stringvar_" || !runtime::isClassRegistered("nv_stringvar_popup"))
        return false;
    runtime::Ref<runtime::Object> popup = runtime::createByName("nv_stringvar_popup");
    if (!popup) return false;
    const bool shown =
        popup
            ->trigger("fnv_show_popup", {Value(&aw_window), Value(&adw), a.size() > 0 ? a[0] : Value(0),
                                         a.size() > 1 ? a[1] : Value(0), Value(row), Value(hit.name),
                                         Value(hit.type), Value(hit.tabSequence), Value(hit.protect)})
            .toBool();
    runtime::destroy(popup);
    return shown;
}

void uo_project_registry::fu_refuse_typed_names(u_dw_a& adw, runtime::Object& message_target,
                                                const std::string& as_title) {
    runtime::Ref<runtime::Object> target(&message_target);
    adw.on("itemchanged", [&adw, target, as_title](Args a) {
        const long row = a.empty() ? 0 : a[0].toInt();
        if (row < 1 || a.size() < 3) return Value(0);
        const std::string problem = fu_typed_problem(adw.store(), row, adw.getColumnName(), a[2].toText());
        if (problem.empty()) return Value(0);
        // The box comes once the data window has finished with the edit.
        if (target) target->post("ue_refuse_typed", {Value(as_title), Value(problem)});
        return Value(1);
    });
    message_target.on("ue_refuse_typed", [](Args a) {
        runtime::messageBox(a.empty() ? "" : a[0].toText(), a.size() > 1 ? a[1].toText() : "",
                            runtime::MessageIcon::StopSign);
        return Value();
    });
}

std::string uo_project_registry::fu_typed_problem(const runtime::DataStore& ads, long al_row,
                                                  const std::string& as_column, const std::string& as_text) {
    std::string problem;
    if (as_column == "stringvar_regkey") {
        problem = registry_key_problem(as_text);
        if (!problem.empty()) problem = "the key " + problem;
    } else if (as_column == "stringvar_valuename") {
        problem = registry_value_name_problem(as_text);
        if (!problem.empty()) problem = "the value name " + problem;
    } else if (as_column == "stringvar_regdata") {
        problem = data_problem(static_cast<long>(ads.getItemNumber(al_row, "valuetype")), as_text);
    }
    return problem.empty() ? problem : entry_name(ads, al_row) + ": " + problem + ".";
}

std::string uo_project_registry::fu_entry_problem(const runtime::DataStore& ads, long al_row) {
    const long root = static_cast<long>(ads.getItemNumber(al_row, "rootkey"));
    if (root < 1 || root > 4) return entry_name(ads, al_row) + ": choose its root.";
    for (const char* column : {"stringvar_regkey", "stringvar_valuename"}) {
        std::string problem = fu_typed_problem(ads, al_row, column, ads.getItemString(al_row, column));
        if (!problem.empty()) return problem;
    }
    const Value type = ads.getItem(al_row, "valuetype");
    if (type.isNull()) return entry_name(ads, al_row) + ": choose its type.";
    return fu_typed_problem(ads, al_row, "stringvar_regdata", ads.getItemString(al_row, "stringvar_regdata"));
}

bool uo_project_registry::fu_check_entries(u_dw_a& adw, const std::string& as_title) {
    if (adw.acceptText() != 1) return false;
    runtime::DataStore& ds = adw.store();
    for (long r = 1; r <= ds.rowCount(); ++r) {
        // The key is kept without separators at its ends, as the build takes it.
        const std::string key = ds.getItemString(r, "stringvar_regkey");
        size_t b = key.find_first_not_of(" \\"), e = key.find_last_not_of(" \\");
        const std::string trimmed = b == std::string::npos ? std::string() : key.substr(b, e - b + 1);
        if (trimmed != key) ds.setItem(r, "stringvar_regkey", Value(trimmed));
        const std::string problem = fu_entry_problem(ds, r);
        if (problem.empty()) continue;
        adw.setRow(r);
        adw.scrollToRow(r);
        adw.setColumn("stringvar_regkey");
        runtime::messageBox(as_title, problem, runtime::MessageIcon::StopSign);
        return false;
    }
    return true;
}

long uo_project_registry::fu_insert_entry(u_dw_a& adw, int16_t ai_prod_id, long al_before,
                                          long al_component) {
    runtime::DataStore& ds = adw.store();
    const Value max_id = ds.rowCount() + ds.deletedCount() > 0 ? ds.getItem(1, "c_max_id") : Value();
    const long row = ds.insertRow(al_before > ds.rowCount() ? 0 : al_before);
    ds.setItem(row, "id", Value((max_id.isNull() ? 0 : max_id.toInt()) + 1));
    ds.setItem(row, "prodid", Value(ai_prod_id));
    ds.setItem(row, "proggrpid", Value(al_component));
    adw.setRow(row);
    adw.scrollToRow(row);
    adw.setColumn("stringvar_regkey");
    adw.setFocus();
    return row;
}

std::string uo_project_registry::fu_insert_pasted(u_dw_a& adw, int16_t ai_prod_id, long al_component,
                                                  int16_t ai_root, const std::string& as_key,
                                                  const std::string& as_name, const std::string& as_data,
                                                  int16_t ai_type) {
    std::string path = std::string(root_name(ai_root)) + (as_key.empty() ? "" : "\\" + as_key);
    const std::string what = "The value " +
                             (as_name.empty() ? std::string("(default)") : "\"" + as_name + "\"") + " of " +
                             path + " cannot be pasted: ";
    if (std::string p = registry_key_problem(as_key); !p.empty()) return what + "its key " + p + ".";
    if (std::string p = registry_value_name_problem(as_name); !p.empty()) return what + "its name " + p + ".";
    if (as_key.size() > 254 || as_name.size() > 254)
        return what + "a registry entry's key and value name hold at most 254 characters.";
    // A double word of another length has no form Setup could write back.
    if (std::string p = data_problem(ai_type, as_data); !p.empty()) return what + p + ".";
    runtime::DataStore& ds = adw.store();
    const long row = fu_insert_entry(adw, ai_prod_id, 0, al_component);
    ds.setItem(row, "rootkey", Value(ai_root));
    ds.setItem(row, "stringvar_regkey", Value(as_key));
    ds.setItem(row, "stringvar_valuename", Value(as_name));
    ds.setItem(row, "valuetype", Value(ai_type));
    ds.setItem(row, "stringvar_regdata", Value(as_data));
    fu_fit_columns(adw);  // its type may be wider than those shown so far
    return {};
}

std::string uo_project_registry::fu_caret_notice(int16_t ai_root, const std::string& as_key,
                                                 const std::string& as_name, const std::string& as_data,
                                                 int16_t ai_type) {
    const bool text = ai_type == reg_sz || ai_type == reg_expand_sz;
    if (as_key.find('^') == std::string::npos && as_name.find('^') == std::string::npos &&
        (!text || as_data.find('^') == std::string::npos))
        return {};
    return "The value " + (as_name.empty() ? std::string("(default)") : "\"" + as_name + "\"") + " of " +
           root_name(ai_root) + (as_key.empty() ? "" : "\\" + as_key) +
           " holds \"^\": Setup reads the text between two \"^\" as a string variable and drops a \"^\" on "
           "its "
           "own. Check the entry before you build the product.";
}

void uo_project_registry::fu_fill_components(u_dw_a& adw, const runtime::DataStore* ads_proggrp) {
    runtime::DataStore* list = adw.getChild("proggrpid");
    if (!list) return;
    list->reset();
    auto add = [list](long id, const std::string& name) {
        const long r = list->insertRow(0);
        list->setItem(r, "id", Value(id));
        list->setItem(r, "name", Value(name));
    };
    add(0, "(none)");
    if (!ads_proggrp) {
        fu_fit_columns(adw);
        return;
    }
    for (long r = 1; r <= ads_proggrp->rowCount(); ++r)
        add(static_cast<long>(ads_proggrp->getItemNumber(r, "id")),
            runtime::trim(ads_proggrp->getItemString(r, "name")));
    // An entry whose component was deleted belongs to none, as the build will take it.
    std::unordered_set<long> components{0};
    for (long r = 1; r <= ads_proggrp->rowCount(); ++r)
        components.insert(static_cast<long>(ads_proggrp->getItemNumber(r, "id")));
    runtime::DataStore& ds = adw.store();
    const int proggrpid = ds.columnNumber("proggrpid");
    for (long r = 1; r <= ds.rowCount(); ++r)
        if (!components.count(static_cast<long>(ds.getItemNumber(r, proggrpid)))) ds.setItem(r, proggrpid, Value(0));
    fu_fit_columns(adw);
}

void uo_project_registry::fu_refresh_components() {
    const runtime::DataStore* components = ids_components.get();
    if (auto* window = dynamic_cast<w_project*>(find_parent_window(*this).get()))
        for (auto& pane : window->i_panes)
            if (auto* files = dynamic_cast<uo_project_files*>(pane.get()))
                components = files->ids_proggrp.get();
    fu_fill_components(*dw_regkeys, components);
}

long uo_project_registry::fu_current_component() const {
    const long row = dw_regkeys->getRow();
    if (row >= 1 && row <= dw_regkeys->rowCount())
        return static_cast<long>(dw_regkeys->store().getItemNumber(row, "proggrpid"));
    const runtime::DataStore* list = const_cast<u_dw_create_setup_a&>(*dw_regkeys).getChild("proggrpid");
    // The first component, when there is one.
    return list && list->rowCount() > 1 ? static_cast<long>(list->getItemNumber(2, "id")) : 0;
}

bool uo_project_registry::fu_load(int16_t ai_prod_id) {
    ii_prod_id = ai_prod_id;
    const Value arg(ai_prod_id);
    if (dw_regkeys->store().retrieve({&arg, 1}) < 0)
        return report("The registry entries could not be read: " + dw_regkeys->store().lastError());
    if (!ids_components) {
        ids_components = runtime::create<runtime::DataStore>();
        ids_components->setDataObject("d_proggrps");
        ids_components->setTransObject(&app().sqlca);
    }
    if (ids_components->retrieve({&arg, 1}) < 0)
        return report("The product's components could not be read: " + ids_components->lastError());
    fu_refresh_components();
    dw_regkeys->store().resetUpdate();  // entries of deleted components are not a change of the user's
    return true;
}

bool uo_project_registry::fu_is_modified() const {
    const runtime::DataStore& ds = dw_regkeys->store();
    return ds.deletedCount() > 0 || ds.modifiedCount() > 0;
}

bool uo_project_registry::fu_validate() {
    fu_refresh_components();
    return fu_check_entries(*dw_regkeys, BoxTitle);
}

bool uo_project_registry::fu_save() { return dw_regkeys->store().update(false) == 1; }

void uo_project_registry::fu_saved() {
    const bool changed = fu_is_modified();
    dw_regkeys->store().resetUpdate();
    if (!changed) return;  // the component pane's copy is as saved already
    // The component pane keeps the entries too, to clear the component of those whose component
    // it deletes: it must know the entries as they are saved now.
    if (auto* window = dynamic_cast<w_project*>(find_parent_window(*this).get())) {
        const Value arg(ii_prod_id);
        for (auto& pane : window->i_panes)
            if (auto* files = dynamic_cast<uo_project_files*>(pane.get()))
                files->ids_regkeys->retrieve({&arg, 1});
    }
}

void uo_project_registry::fu_popup(const std::string& as_event) {
    runtime::DataStore& ds = dw_regkeys->store();
    const long row = dw_regkeys->getRow();
    if (as_event == "ue_popup_insert") {
        fu_insert_entry(*dw_regkeys, ii_prod_id, 0, fu_current_component());
    } else if (as_event == "ue_popup_insert_between") {
        fu_insert_entry(*dw_regkeys, ii_prod_id, row >= 1 && row <= ds.rowCount() ? row : 0,
                        fu_current_component());
    } else if (as_event == "ue_popup_delete") {
        if (row >= 1 && row <= ds.rowCount()) ds.deleteRow(row);
    }
}

void uo_project_registry::fu_open_registry_view() {
    runtime::Ref<runtime::Window> window = find_parent_window(*this);
    if (!window || !runtime::isClassRegistered("w_registry_view")) return;
    fu_refresh_components();
    pakomo& a = app();
    a.g_str_pass.window[1] = window;
    runtime::Ref<runtime::Window> browser = runtime::createByName("w_registry_view").as<runtime::Window>();
    if (browser) browser->open();
}

bool uo_project_registry::fu_paste_from_regview(int16_t ai_root, const std::string& as_key,
                                                const std::string& as_name, const std::string& as_data,
                                                int16_t ai_type) {
    const std::string problem = fu_insert_pasted(*dw_regkeys, ii_prod_id, fu_current_component(), ai_root,
                                                 as_key, as_name, as_data, ai_type);
    if (!problem.empty()) return report(problem);
    if (std::string notice = fu_caret_notice(ai_root, as_key, as_name, as_data, ai_type); !notice.empty())
        runtime::messageBox(BoxTitle, notice, runtime::MessageIcon::Information);
    return true;
}

}  // namespace pakomo
