#include "authoring/core/nv_registry.h"

#include <vector>

#include "authoring/core/pakomo.h"
#include "runtime/services/RegistryFunctions.h"

namespace pakomo {

nv_registry::nv_registry(std::string className) : nv_a(std::move(className)) {
    extend("constructor", [this](runtime::Args) {
        is_appl_root = "HKEY_CURRENT_USER\\Software\\RUX\\" + app().g_str_pass.full_appname;
        return runtime::Value();
    });
}

nv_registry::~nv_registry() = default;

int16_t nv_registry::fnv_set_number(const std::string& as_section, const std::string& as_key, uint32_t al_value) {
    return runtime::registry::setNumber(is_appl_root + "\\" + as_section, as_key, al_value) ? 1 : -1;
}

std::string nv_registry::fnv_get_string(const std::string& as_section, const std::string& as_key,
                                        const std::string& as_default) {
    return runtime::registry::getString(is_appl_root + "\\" + as_section, as_key).value_or(as_default);
}

bool nv_registry::fnv_delete_regkey(const std::string& as_key) {
    // An empty name would address the settings root itself, and with it every setting.
    if (as_key.find_first_not_of('\\') == std::string::npos) return false;
    return fnv_delete_key(is_appl_root + "\\" + as_key);
}

uint32_t nv_registry::fnv_get_number(const std::string& as_section, const std::string& as_key, uint32_t al_default) {
    return runtime::registry::getNumber(is_appl_root + "\\" + as_section, as_key).value_or(al_default);
}

bool nv_registry::fnv_delete_key(const std::string& as_key) {
    std::vector<std::string> names = runtime::registry::subkeys(as_key).value_or(std::vector<std::string>{});
    for (const std::string& name : names)
        if (!fnv_delete_key(as_key + "\\" + name)) break;
    return runtime::registry::deleteKey(as_key);
}

int16_t nv_registry::fnv_set_string(const std::string& as_section, const std::string& as_key,
                                    const std::string& as_value) {
    return runtime::registry::setString(is_appl_root + "\\" + as_section, as_key, as_value) ? 1 : -1;
}

std::string nv_registry::fnv_get_help_path() { return fnv_get_string(is_key_help, is_val_help_path, ""); }

std::string nv_registry::fnv_get_db_dsn() { return fnv_get_string(is_key_db, is_val_db_dsn, ""); }

}  // namespace pakomo
