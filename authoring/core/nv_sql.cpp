#include "authoring/core/nv_sql.h"

#include "authoring/core/pakomo.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/Text.h"

namespace pakomo {
namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

}  // namespace

nv_sql::nv_sql() : nv_a("nv_sql") {}

nv_sql::~nv_sql() = default;

void nv_sql::fnv_init(u_ds_a& ads_ds) {
    ids_ds = runtime::Ref<u_ds_a>(&ads_ds);
    const runtime::DataLayout& layout = ads_ds.layout();
    is_table = layout.updateTable;
    ii_colcount = static_cast<int16_t>(ads_ds.columnCount());
    ii_update_colcount = 0;
    ii_key_colcount = 0;
    for (int16_t n = 1; n <= ii_colcount; ++n) {
        const runtime::ColumnLayout& column = layout.columns[static_cast<size_t>(n) - 1];
        std::string name = column.dbName.empty() ? column.name : column.dbName;
        // "PRODUCT.PRODNAME" becomes PRODNAME: a point right after as many characters as the
        // update table's name has.
        if (name.size() > is_table.size() && name[is_table.size()] == '.') name = name.substr(is_table.size() + 1);
        is_dbnames[n] = name;
        is_coltype[n] = runtime::left(column.type, 5);
        if (column.key) ii_key_colnums[++ii_key_colcount] = n;
        if (column.updatable) ii_update_colnums[++ii_update_colcount] = n;
    }
}

std::optional<std::string> nv_sql::fnv_get_value(long row, int column, runtime::Buffer buffer, bool db) {
    runtime::Value value = ids_ds->getItem(row, column, buffer, db);
    if (value.isNull()) return std::nullopt;
    const std::string type = is_coltype.get(column);
    if (type == "numbe" || type == "long" || type == "ulong" || type == "real" || type == "decim" ||
        type.starts_with("int"))
        return value.toText();  // plain decimal text in the C locale
    // Texts, and any other kind of column, as a quoted text: a value is never left out.
    return quoted(value.toText());
}

std::string nv_sql::fnv_get_where_clause(long row, runtime::Buffer buffer) {
    std::string where;
    for (int16_t k = 1; k <= ii_key_colcount; ++k) {
        int16_t column = ii_key_colnums.get(k);
        std::optional<std::string> literal = fnv_get_value(row, column, buffer, true);
        where += (k == 1 ? " WHERE " : " AND ") + is_dbnames.get(column) +
                 (literal ? " = " + *literal : std::string(" IS NULL"));
    }
    return where;
}

std::string nv_sql::fnv_get_sql(long row, runtime::Buffer buffer) {
    switch (ids_ds->getItemStatus(row, 0, buffer)) {
        case runtime::ItemStatus::NewModified: {
            std::string names, values;
            for (int16_t n = 1; n <= ii_colcount; ++n) {
                std::optional<std::string> literal = fnv_get_value(row, n, buffer, false);
                if (!literal) continue;
                names += (names.empty() ? "" : ", ") + is_dbnames.get(n);
                values += (values.empty() ? "" : ", ") + *literal;
            }
            if (names.empty()) return {};
            return "INSERT INTO " + is_table + "( " + names + " ) VALUES ( " + values + " )";
        }
        case runtime::ItemStatus::DataModified: {
            std::string set;
            for (int16_t u = 1; u <= ii_update_colcount; ++u) {
                int16_t n = ii_update_colnums.get(u);
                if (ids_ds->getItemStatus(row, n, buffer) != runtime::ItemStatus::DataModified) continue;
                std::optional<std::string> literal = fnv_get_value(row, n, buffer, false);
                set += (set.empty() ? "" : ", ") + is_dbnames.get(n) + " = " + literal.value_or("NULL");
            }
            // Only columns that are not written changed: nothing to send for this row.
            if (set.empty()) return {};
            return "UPDATE " + is_table + " SET " + set + " " + fnv_get_where_clause(row, buffer);
        }
        default:
            return {};
    }
}

int nv_sql::fnv_execute_sql(const std::string& as_sql) {
    if (as_sql.empty()) return 1;
    runtime::Transaction& sqlca = app().sqlca;
    sqlca.executeImmediate(as_sql);
    return sqlca.sqlCode != 0 ? -1 : 1;
}

int nv_sql::fnv_update(u_ds_a& ads_ds) { return fnv_update(ads_ds, true); }

int nv_sql::fnv_update(u_ds_a& ads_ds, bool ab_resetflags) {
    if (!ads_ds.fu_is_modified()) return 1;
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    fnv_init(ads_ds);
    // Without a key, a DELETE or UPDATE would reach every row of the table.
    if (ii_key_colcount == 0) return -1;

    const long deleted = ads_ds.deletedCount();
    for (long row = 1; row <= deleted; ++row) {
        runtime::ItemStatus status = ads_ds.getItemStatus(row, 0, runtime::Buffer::Delete);
        if (status == runtime::ItemStatus::New || status == runtime::ItemStatus::NewModified) continue;
        if (fnv_execute_sql("DELETE FROM " + is_table + fnv_get_where_clause(row, runtime::Buffer::Delete)) == -1)
            return -1;
    }
    for (runtime::Buffer buffer : {runtime::Buffer::Filter, runtime::Buffer::Primary}) {
        for (long row = ads_ds.getNextModified(0, buffer); row > 0; row = ads_ds.getNextModified(row, buffer))
            if (fnv_execute_sql(fnv_get_sql(row, buffer)) == -1) return -1;
    }
    if (ab_resetflags) ads_ds.resetUpdate();
    ads_ds.trigger("ue_updateend", {runtime::Value(true)});
    return 1;
}

}  // namespace pakomo
