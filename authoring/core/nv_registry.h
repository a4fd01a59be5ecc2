#pragma once
// The per-user settings below HKEY_CURRENT_USER\Software\RUX\<full application name>: strings and
// numbers with the caller's default for what is missing, and the recursive deletion of keys.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"

namespace pakomo {

class nv_registry : public nv_a {
public:
    explicit nv_registry(std::string className = "nv_registry");
    ~nv_registry() override;

    virtual int16_t fnv_set_number(const std::string& as_section, const std::string& as_key, uint32_t al_value);
    virtual std::string fnv_get_string(const std::string& as_section, const std::string& as_key,
                                       const std::string& as_default);
    virtual bool fnv_delete_regkey(const std::string& as_key);
    virtual uint32_t fnv_get_number(const std::string& as_section, const std::string& as_key, uint32_t al_default);
    virtual bool fnv_delete_key(const std::string& as_key);
    virtual int16_t fnv_set_string(const std::string& as_section, const std::string& as_key,
                                   const std::string& as_value);
    virtual std::string fnv_get_help_path();
    virtual std::string fnv_get_db_dsn();

    std::string is_appl_root;
    const std::string is_key_help = "Help";
    const std::string is_val_help_path = "Path";
    const std::string is_key_db = "Db";
    const std::string is_val_db_dsn = "Dsn";
};

}  // namespace pakomo
