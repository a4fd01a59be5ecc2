// Expanding string-variable references in a product's texts.
#include "authoring/project/nv_create_setup.h"

#include "authoring/core/nv_message.h"
#include "authoring/core/pakomo.h"
#include "runtime/services/RegistryFunctions.h"
#include "runtime/services/System.h"
#include "standard/u_dw_a.h"
#include "runtime/services/Text.h"
#include "standard/nv_winapi.h"

namespace pakomo {
namespace {

using runtime::Value;

std::string windows_folder(bool system) {
    std::string buffer(256, ' ');
    nv_winapi& api = nv_winapi::instance();
    if (system)
        api.getsystemdirectorya(buffer, 256);
    else
        api.getwindowsdirectorya(buffer, 256);
    return buffer;
}

// The first row meeting a condition; a condition the name made malformed finds nothing.
long find_row(runtime::DataStore& ds, const std::string& condition) {
    const long row = ds.find(condition, 1, ds.rowCount());
    return row > 0 ? row : 0;
}

}  // namespace

std::string nv_create_setup::fnv_evaluate_string(const Value& as_string) {
    return as_string.isNull() ? std::string() : fnv_evaluate_string(as_string.toText());
}

std::string nv_create_setup::fnv_evaluate_string(const std::string& as_string) {
    std::string result;
    const std::size_t length = as_string.size();
    for (std::size_t i = 0; i < length; ++i) {
        const char c = as_string[i];
        bool matched = false;
        if (c == '^') {
            const std::size_t p = as_string.find('^', i + 1);
            if (p != std::string::npos && p > i + 1) {
                const std::string name = runtime::upper(as_string.substr(i + 1, p - i - 1));
                if (fnv_evaluate_string_check_circular_reference(Value(name))) {
                    result += "<Circular reference!>";
                    matched = true;
                    i = p;
                } else {
                    const Value value = fnv_get_stringtable_value(name);
                    if (!value.isNull() && !value.toText().empty()) {
                        ++ii_evaluated_strings_index;
                        if (is_evaluated_strings.size() < static_cast<std::size_t>(ii_evaluated_strings_index))
                            is_evaluated_strings.resize(static_cast<std::size_t>(ii_evaluated_strings_index));
                        is_evaluated_strings[static_cast<std::size_t>(ii_evaluated_strings_index - 1)] = name;
                        const std::string expanded = fnv_evaluate_string(value.toText());
                        --ii_evaluated_strings_index;
                        result += expanded;
                        matched = true;
                        i = p;
                    }
                }
            }
        }
        if (!matched) result += c;
    }
    return result;
}

Value nv_create_setup::fnv_get_stringtable_value(const std::string& as_variable) {
    const std::string name = runtime::upper(as_variable);
    switch (fnv_check_reserved_stringtable_names(Value(name))) {
    case 1: return Value(fnv_get_prodname());
    case 2: return Value(fnv_get_prodvers());
    case 3: return Value(windows_folder(false));
    case 4: return Value(windows_folder(true));
    case 5: return Value(windows_folder(false).substr(0, 1));
    case 6:
        return ids_product_stringtable->rowCount() >= 1 ? ids_product_stringtable->getItem(1, "basepath")
                                                         : Value(std::string());
    case 7:
        return Value(runtime::registry::getString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion",
                                                  "ProgramFilesDir")
                         .value_or(std::string()));
    default: break;
    }
    if (name.compare(0, is_prefix_proggrp_stringtable.size(), is_prefix_proggrp_stringtable) == 0) {
        const std::string rest = name.substr(is_prefix_proggrp_stringtable.size());
        if (const long row = find_row(*ids_proggrp_stringtable, "upper(name) = '" + rest + "'"); row > 0)
            return ids_proggrp_stringtable->getItem(row, "installpth");
    }
    if (const long row = find_row(*ids_stringtable, "name = '" + name + "'"); row > 0)
        return ids_stringtable->getItem(row, "value");
    return Value(std::string());
}

int16_t nv_create_setup::fnv_check_reserved_stringtable_names(const Value& as_string) const {
    if (as_string.isNull()) return 0;
    const std::string text = as_string.toText();
    for (std::size_t k = 0; k < is_reserved_stringtable_names.size(); ++k)
        if (is_reserved_stringtable_names[k] == text) return static_cast<int16_t>(k + 1);
    return 0;
}

bool nv_create_setup::fnv_evaluate_string_check_circular_reference(const Value& as_string) const {
    if (as_string.isNull()) return false;
    const std::string text = as_string.toText();
    for (int16_t k = 0; k < ii_evaluated_strings_index; ++k)
        if (is_evaluated_strings[static_cast<std::size_t>(k)] == text) return true;
    return false;
}

}  // namespace pakomo

namespace pakomo {

void nv_create_setup::fnv_fill_stringvar_ds(runtime::DataStore& ads_ds) {
    auto append = [&ads_ds](const Value& name, const Value& value) {
        const long row = ads_ds.insertRow(0);
        ads_ds.setItem(row, "name", name);
        ads_ds.setItem(row, "value", value);
    };
    for (long row = 1; row <= ids_stringtable->rowCount(); ++row)
        append(ids_stringtable->getItem(row, "name"), ids_stringtable->getItem(row, "value"));
    for (const std::string& name : is_reserved_stringtable_names) append(Value(name), fnv_get_stringtable_value(name));
    for (long row = 1; row <= ids_proggrp_stringtable->rowCount(); ++row) {
        const std::string name =
            is_prefix_proggrp_stringtable + runtime::upper(ids_proggrp_stringtable->getItem(row, "name").toText());
        append(Value(name), fnv_get_stringtable_value(name));
    }
    ads_ds.sort();
}

void nv_create_setup::fnv_fill_reserved_stringvar_dw(u_dw_a& adw_dw) {
    adw_dw.fu_set_redraw(false);
    for (const std::string& name : is_reserved_stringtable_names)
        adw_dw.modify("t_" + name + ".Text = '" + fnv_get_stringtable_value(name).toText() + "'");
    adw_dw.fu_restore_redraw();
}

void nv_create_setup::fnv_check_duplicate_stringtable_names(u_dw_a& adw_dw, long row, const Value& data) {
    if (data.isNull()) return;
    const std::string start = runtime::trim(data.toText());
    std::string candidate = start;
    for (;;) {
        bool clash = fnv_check_reserved_stringtable_names(Value(candidate)) > 0;
        for (long r = 1; !clash && r <= adw_dw.rowCount(); ++r)
            if (r != row && runtime::trim(adw_dw.store().getItem(r, "name").toText()) == candidate) clash = true;
        if (!clash) break;
        if (candidate.size() == 32) candidate.pop_back();
        if (candidate == std::string(31, '_')) {
            app().gnv_message->fnv_display_message(5, app().g_str_pass.app_name);
            const runtime::DateTime when = runtime::now();
            candidate = runtime::formatDate(when, "ddmmyyyy") + runtime::formatTime(when, "hhmmssff") +
                        std::to_string(runtime::cpuMilliseconds());
        }
        candidate = "_" + candidate;
    }
    if (candidate != start) adw_dw.setText(candidate);
}

}  // namespace pakomo
