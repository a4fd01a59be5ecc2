#pragma once
// The register of data-window columns that accept a pasted string variable, kept in memory for
// the run: triples of column name, data-window object name and privilege, each at most once.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"
#include "runtime/data/DataStore.h"

namespace pakomo {

class nv_regobjects : public nv_a {
public:
    nv_regobjects();
    ~nv_regobjects() override;

    static constexpr int16_t privilege_can_paste_stringvar = 1;

    long fnv_has_privilege(const std::string& as_objectname, const std::string& as_parentobjectname,
                           int16_t ai_privilege);
    void fnv_add_privilege(const std::string& as_objectname, const std::string& as_parentobjectname,
                           int16_t ai_privilege);
    void fnv_delete_privilege(const std::string& as_objectname, const std::string& as_parentobjectname,
                              int16_t ai_privilege);

    runtime::Ref<runtime::DataStore> ids_privilege;  // a u_ds_privilege
};

}  // namespace pakomo
