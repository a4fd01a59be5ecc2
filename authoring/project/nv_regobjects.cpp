#include "authoring/project/nv_regobjects.h"

namespace pakomo {
namespace {

// A text inside apostrophes of a find condition: an apostrophe of the name stays a letter.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("~'") : std::string(1, c);
    return out + "'";
}

std::string text_arg(runtime::Args a, size_t n) { return n < a.size() ? a[n].toText() : std::string(); }
int16_t int_arg(runtime::Args a, size_t n) { return static_cast<int16_t>(n < a.size() ? a[n].toInt() : 0); }

}  // namespace

nv_regobjects::nv_regobjects() : nv_a("nv_regobjects") {
    extend("constructor", [this](runtime::Args) {
        ids_privilege = runtime::create<runtime::DataStore>("u_ds_privilege");
        ids_privilege->setDataObject("d_privilege");
        return runtime::Value();
    });
    extend("destructor", [this](runtime::Args) {
        runtime::destroy(ids_privilege);
        return runtime::Value();
    });
    // The data-window controls register their columns by name.
    on("fnv_add_privilege", [this](runtime::Args a) {
        fnv_add_privilege(text_arg(a, 0), text_arg(a, 1), int_arg(a, 2));
        return runtime::Value();
    });
    on("fnv_has_privilege", [this](runtime::Args a) {
        return runtime::Value(fnv_has_privilege(text_arg(a, 0), text_arg(a, 1), int_arg(a, 2)));
    });
    on("fnv_delete_privilege", [this](runtime::Args a) {
        fnv_delete_privilege(text_arg(a, 0), text_arg(a, 1), int_arg(a, 2));
        return runtime::Value();
    });
}

nv_regobjects::~nv_regobjects() = default;

long nv_regobjects::fnv_has_privilege(const std::string& as_objectname, const std::string& as_parentobjectname,
                                      int16_t ai_privilege) {
    const std::string ls_find = "objectname = " + quoted(as_objectname) +
                                " AND parentobjectname = " + quoted(as_parentobjectname) +
                                " AND privilege = " + std::to_string(ai_privilege);
    return ids_privilege->find(ls_find, 1, ids_privilege->rowCount());
}

void nv_regobjects::fnv_add_privilege(const std::string& as_objectname, const std::string& as_parentobjectname,
                                      int16_t ai_privilege) {
    if (fnv_has_privilege(as_objectname, as_parentobjectname, ai_privilege) > 0) return;
    const long row = ids_privilege->insertRow(0);
    ids_privilege->setItem(row, "objectname", as_objectname);
    ids_privilege->setItem(row, "parentobjectname", as_parentobjectname);
    ids_privilege->setItem(row, "privilege", int{ai_privilege});
}

void nv_regobjects::fnv_delete_privilege(const std::string& as_objectname, const std::string& as_parentobjectname,
                                         int16_t ai_privilege) {
    const long ll_row = fnv_has_privilege(as_objectname, as_parentobjectname, ai_privilege);
    if (ll_row >= 1) ids_privilege->deleteRow(ll_row);
}

}  // namespace pakomo
