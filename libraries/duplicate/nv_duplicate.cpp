#include "libraries/duplicate/nv_duplicate.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <set>
#include <span>

#include "authoring/core/pakomo.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"

namespace pakomo {

const char* const product_tables[15] = {"STRINGS", "PROGGRP", "FILEGRP",  "FILE",     "REGKEYS",
                                        "WINDOWS", "WMAIN",   "MAINTEXT", "WWELCOME", "WLICAGR",
                                        "WUSER",   "WFINISH", "WCREGRP",  "README",   "PROGRESS"};

namespace {

constexpr const char* BoxTitle = "Duplicate product";
constexpr const char* CopyTable = "RUX_PRODUCT_COPY";


std::string fullName(const std::string& name, const std::string& version, const std::string& label) {
    return runtime::trim(runtime::trim(name + " " + version) + " " + label);
}


struct ProductRow {
    std::string name, version, label;
};

}  // namespace

nv_duplicate::nv_duplicate() : nv_a("nv_duplicate") {
    extend("constructor", [this](runtime::Args) {
        ii_new_prod_id = fnv_duplicate();
        return runtime::Value();
    });
}

nv_duplicate::~nv_duplicate() = default;

int16_t nv_duplicate::report(const std::string& text) {
    runtime::messageBox(BoxTitle, text, runtime::MessageIcon::StopSign);
    return -1;
}

int16_t nv_duplicate::fnv_duplicate() {
    pakomo& a = app();
    runtime::Transaction& sqlca = a.sqlca;
    const int16_t id = a.gi_prod_id;
    if (id <= 0) return report("No product is chosen to copy.");

    // Every product's full name and the highest id.
    std::optional<ProductRow> source;
    std::set<std::string> names;
    long long highest = 0;
    long rc =
        sqlca.query("SELECT ID, PRODNAME, PRODVERS, LABEL FROM PRODUCT", {}, [&](runtime::SqlRow&& row) {
            const long long rowId = row[0] ? std::atoll(row[0]->c_str()) : 0;
            ProductRow p{runtime::trim(row[1].value_or("")), runtime::trim(row[2].value_or("")),
                         runtime::trim(row[3].value_or(""))};
            highest = std::max(highest, rowId);
            names.insert(runtime::lower(fullName(p.name, p.version, p.label)));
            if (rowId == id) source = p;
        });
    if (rc < 0) return report("The products cannot be read: " + sqlca.sqlErrText);
    if (!source) return report("The product " + std::to_string(id) + " does not exist.");
    const std::string original = fullName(source->name, source->version, source->label);
    if (highest >= 32767) return report("\"" + original + "\" cannot be copied: no product id is left.");
    const int16_t newId = static_cast<int16_t>(highest + 1);

    std::string label = "Copy";
    for (int n = 2; names.count(runtime::lower(fullName(source->name, source->version, label))); ++n)
        label = "Copy " + std::to_string(n);

    // Each table's rows go through a temporary table, so that every column is copied as it is
    // and only the product id changes.
    const std::string from = std::to_string(id), to = std::to_string(newId);
    std::string failedAt;
    auto run = [&](const std::string& table, const std::string& sql,
                   std::span<const runtime::Value> params = {}) {
        if (!failedAt.empty()) return;
        if (sqlca.executeValues(sql, params) < 0) failedAt = table;
    };
    auto copy = [&](const std::string& table, const std::string& key, const std::string& extraSet,
                    std::span<const runtime::Value> params) {
        run(table, std::string("CREATE TEMPORARY TABLE ") + CopyTable + " AS SELECT * FROM " + table +
                       " WHERE " + key + " = " + from);
        run(table, std::string("UPDATE ") + CopyTable + " SET " + key + " = " + to + extraSet, params);
        run(table, "INSERT INTO " + table + " SELECT * FROM " + CopyTable);
        run(table, std::string("DROP TABLE ") + CopyTable);
    };
    const runtime::Value labelParam[] = {runtime::Value(label)};
    copy("PRODUCT", "ID", ", LABEL = ?", labelParam);
    for (const char* table : product_tables) copy(table, "PRODID", "", {});

    if (failedAt.empty() && sqlca.commit() == 0) return newId;
    const std::string why = (failedAt.empty() ? std::string("saving") : "copying the table " + failedAt) +
                            ": " + sqlca.sqlErrText;
    sqlca.rollback();
    return report("\"" + original +
                  "\" could not be copied; nothing was changed.\n\nThe database failed while " + why);
}

void register_duplicate_library() { runtime::registerClass<nv_duplicate>("nv_duplicate"); }

}  // namespace pakomo
