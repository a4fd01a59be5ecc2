#pragma once
// The file-group service over a product's FILE and FILEGRP rows of a fresh project database, the
// dialogs it opens registered by name, and a way to act inside a modal dialog once it is open.
#include <functional>
#include <string>
#include <vector>

#include "authoring/ProjectFixture.h"
#include "authoring/core/nv_message.h"
#include "authoring/core/u_ds_create_setup_a.h"
#include "authoring/menus/m_a.h"
#include "authoring/project/nv_filegrp.h"
#include "authoring/windows/w_mdi_frame.h"
#include "runtime/ui/Window.h"
#include "standard/register_standard.h"
#include "support/runtime/UiDoubles.h"

namespace authoring_test {

// A text as a SQL literal.
inline std::string sqlText(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

// The values of a FILE row of product 1 (id, group, path, the flags readme, exe and shared, the
// shortcut text) and of a FILEGRP row.
inline std::string fileRow(int id, int group, const std::string& path, int readme = 0, int exe = 0,
                           int shared = 0, const std::string& linktext = "") {
    return std::to_string(id) + ", 1, " + std::to_string(group) + ", " + sqlText(path) + ", " +
           std::to_string(readme) + ", " + std::to_string(exe) + ", " + sqlText(linktext) + ", " +
           std::to_string(shared);
}
inline std::string groupRow(int id, const std::string& name, int component = 1) {
    return std::to_string(id) + ", 1, " + sqlText(name) + ", " + std::to_string(component);
}

class FilesFixture : public ProjectFixture {
protected:
    void SetUp() override {
        ProjectFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_standard();
        pakomo::register_project();
        pakomo::register_windows();
        application().g_str_pass.app_name = "Pakomo";
        application().gnv_message = runtime::create<pakomo::nv_message>();
        application().gnv_win32api = runtime::createByName("nv_winapi");
        application().gnv_regobjects = runtime::createByName("nv_regobjects").as<pakomo::nv_a>();
        executeSql({productRow(1, "Hello", "1.00.00", "Example")});
    }
    void TearDown() override {
        if (service_) runtime::destroy(service_);
        for (auto* ds : {&files, &groups})
            if (*ds) runtime::destroy(*ds);
        if (application().gnv_regobjects) runtime::destroy(application().gnv_regobjects);
        if (application().gnv_message) runtime::destroy(application().gnv_message);
        if (application().gnv_win32api) runtime::destroy(application().gnv_win32api);
        ProjectFixture::TearDown();
    }

    // Loads product 1 with these rows: the service holds it, its row sets go to the file-group
    // service.
    pakomo::nv_filegrp& load(const std::vector<std::string>& groupRows,
                             const std::vector<std::string>& fileRows) {
        std::vector<std::string> sql;
        for (const std::string& g : groupRows) sql.push_back("INSERT INTO FILEGRP VALUES (" + g + ")");
        for (const std::string& f : fileRows) sql.push_back("INSERT INTO FILE VALUES (" + f + ")");
        if (!sql.empty()) executeSql(sql);
        startService().fnv_retrieve_product_stringtable(1);
        application().gi_prod_id = 1;
        files = rows("d_files");
        groups = rows("d_filegrps");
        service_ = runtime::create<pakomo::nv_filegrp>();
        service_->fnv_init(*files, *groups);
        return *service_;
    }
    runtime::Ref<pakomo::u_ds_create_setup_a> rows(const char* layout) {
        auto ds = runtime::create<pakomo::u_ds_create_setup_a>();
        ds->setDataObject(layout);
        EXPECT_GE(ds->retrieve(std::vector<runtime::Value>{1}), 0) << ds->lastError();
        return ds;
    }
    // The ids of the rows a row set shows, in order.
    static std::vector<long> ids(runtime::DataStore& ds) {
        std::vector<long> out;
        for (long r = 1; r <= ds.rowCount(); ++r)
            out.push_back(static_cast<long>(ds.getItem(r, "id").toInt()));
        return out;
    }

    // Runs `act` on the next response window of class `className` once it is open and its queued
    // events have run.
    static void whenOpen(const std::string& className, std::function<void(runtime::Window&)> act) {
        runtime::whenWindowOpen(className, std::move(act));
    }

    runtime::Ref<pakomo::u_ds_create_setup_a> files, groups;
    runtime::Ref<pakomo::nv_filegrp> service_;
};

}  // namespace authoring_test
