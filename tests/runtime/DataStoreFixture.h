#pragma once
// A FILE-like layout and small helpers shared by the row set tests.
#include "runtime/data/DataStore.h"

#include <memory>
#include <string>
#include <vector>

namespace rowset_fixture {

inline std::shared_ptr<const runtime::DataLayout> fileLayout() {
    runtime::DataLayout l;
    l.name = "d_file_test";
    auto col = [&](const char* name, const char* db, const char* type, bool key, runtime::Value initial = {}) {
        runtime::ColumnLayout c;
        c.name = name;
        c.dbName = db;
        c.type = type;
        c.key = key;
        c.updatable = true;
        c.initial = std::move(initial);
        l.columns.push_back(std::move(c));
    };
    col("id", "FILE.ID", "decimal(0)", true);
    col("prodid", "FILE.PRODID", "decimal(0)", true, runtime::Value(1));
    col("filegrpid", "FILE.FILEGRPID", "decimal(0)", false, runtime::Value(0));
    col("path", "FILE.PATH", "char(20)", false);
    col("exe", "FILE.EXE", "number", false, runtime::Value(0));
    col("linktext", "FILE.LINKTEXT", "char(8)", false, runtime::Value("Empty"));
    l.columns[4].editStyle = "checkbox";
    l.computed.push_back({"c_max_id", "max(  id  for all )"});
    l.select =
        "SELECT FILE.ID, FILE.PRODID, FILE.FILEGRPID, FILE.PATH, FILE.EXE, FILE.LINKTEXT FROM FILE "
        "WHERE FILE.PRODID = :1 ORDER BY FILE.ID";
    l.updateTable = "FILE";
    l.texts.push_back({"t_width", "", "header", 0, 0, 2423, 64});
    l.texts.push_back({"t_title", "Files", "header", 10, 10, 400, 64});
    l.bands = {{"header", 120}, {"detail", 1344}, {"summary", 0}, {"footer", 0}};
    return std::make_shared<const runtime::DataLayout>(std::move(l));
}

// The ids of a buffer's rows in order.
inline std::vector<long> ids(const runtime::DataStore& ds, runtime::Buffer buffer = runtime::Buffer::Primary) {
    std::vector<long> out;
    for (long r = 1; r <= ds.rowCount(buffer); ++r) {
        runtime::Value v = ds.getItem(r, 1, buffer);
        out.push_back(v.isNull() ? -1 : static_cast<long>(v.toInt()));
    }
    return out;
}

}  // namespace rowset_fixture
