#pragma once
// Writes a row set's unsaved changes as SQL statements of its own making over sqlca: a DELETE
// per deleted row, then an INSERT or UPDATE per changed row (filtered-out rows first). Never
// commits; the caller does.
#include <cstdint>
#include <optional>
#include <string>

#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_a.h"

namespace pakomo {

class nv_sql : public nv_a {
public:
    nv_sql();
    ~nv_sql() override;

    // The WHERE clause of a row from its key columns' stored values.
    std::string fnv_get_where_clause(long row, runtime::Buffer buffer);
    // The INSERT or UPDATE of a row, or the empty text when it has nothing to write.
    std::string fnv_get_sql(long row, runtime::Buffer buffer);
    // 1 done or nothing to do; -1 at the first failing statement (flags and rows kept) or for a
    // layout that names no key column.
    int fnv_update(u_ds_a& ads_ds, bool ab_resetflags);
    int fnv_update(u_ds_a& ads_ds);
    void fnv_init(u_ds_a& ads_ds);
    int fnv_execute_sql(const std::string& as_sql);
    // A column's value as an SQL literal; nullopt for null.
    std::optional<std::string> fnv_get_value(long row, int column, runtime::Buffer buffer, bool db);

    std::string is_table;
    int16_t ii_colcount = 0;
    int16_t ii_update_colcount = 0;
    int16_t ii_key_colcount = 0;
    unbounded_array<int16_t> ii_key_colnums;
    unbounded_array<int16_t> ii_update_colnums;
    unbounded_array<std::string> is_dbnames;
    unbounded_array<std::string> is_coltype;
    runtime::Ref<u_ds_a> ids_ds;
};

}  // namespace pakomo
