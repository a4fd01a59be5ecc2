#include "authoring/core/u_ds_a.h"

#include <optional>
#include <vector>

#include "authoring/core/pakomo.h"
#include "runtime/services/Text.h"

namespace pakomo {

u_ds_a::u_ds_a(std::string className) : runtime::DataStore(std::move(className)) {
    on("constructor", [this](runtime::Args) {
        ib_trim_char_columns = runtime::upper(app().g_str_pass.dbms_type) != "ORACLE";
        ib_master = false;
        is_filter[1] = "";
        ii_filter_index = 1;
        idw_datawindow.reset();
        ib_do_post_updateend = true;
        return runtime::Value();
    });
    on("retrieveend", [this](runtime::Args) { return trigger("ue_post_retrieve"); });
    on("ue_post_retrieve", [this](runtime::Args) {
        trim_char_columns();
        return runtime::Value();
    });
    on("updateend", [this](runtime::Args args) {
        int64_t changed = 0;
        for (const runtime::Value& count : args) changed += count.toInt();
        return trigger("ue_updateend", {runtime::Value(changed > 0)});
    });
    on("ue_updateend", [this](runtime::Args args) {
        if (ib_do_post_updateend) trigger("ue_post_updateend", {args.empty() ? runtime::Value() : args[0]});
        return runtime::Value();
    });
    on("ue_post_updateend", [](runtime::Args) { return runtime::Value(); });
}

u_ds_a::~u_ds_a() = default;

void u_ds_a::fu_set_filter(const std::string& as_filter) {
    ++ii_filter_index;
    is_filter[ii_filter_index] = as_filter;
    setFilter(as_filter);
    filter();
}

void u_ds_a::fu_restore_filter() {
    if (ii_filter_index <= 1) return;
    --ii_filter_index;
    setFilter(is_filter.get(ii_filter_index));
    filter();
}

bool u_ds_a::fu_is_modified() const { return modifiedCount() + deletedCount() > 0; }

// Fixed-width text columns come back padded with blanks: trim them, make nulls empty, and keep
// the rows unmodified. The filtered-out rows too, so that they match when the filter lets them
// through again.
void u_ds_a::trim_char_columns() {
    if (!ib_trim_char_columns) return;
    std::vector<int> columns;
    for (int c = 1; c <= columnCount(); ++c)
        if (runtime::upper(runtime::left(layout().columns[static_cast<size_t>(c) - 1].type, 4)) == "CHAR")
            columns.push_back(c);
    if (columns.empty()) return;
    rewriteStored(columns, [](const runtime::Value& v) -> std::optional<runtime::Value> {
        if (v.isNull()) return runtime::Value(std::string());
        const auto* text = std::get_if<std::string>(&v.storage());
        if (text && (text->empty() || (text->front() != ' ' && text->back() != ' '))) return std::nullopt;
        return runtime::Value(runtime::trim(v.toText()));
    });
}

}  // namespace pakomo
