#pragma once
// The project service for real over a fresh SQLite project database, with the settings service
// and products written row by row.
#include <filesystem>
#include <string>
#include <vector>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/project/nv_create_setup.h"
#include "core/CoreFixture.h"
#include "platform/Machine.h"
#include "runtime/services/RegistryFunctions.h"
#include "support/TempFolder.h"

namespace authoring_test {

namespace fs = std::filesystem;

inline const std::string kSettingsRoot = "HKEY_CURRENT_USER\\Software\\RUX\\Pakomo 1.0e";

class ProjectFixture : public core_test::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        pakomo::registerCoreLayouts();
        connectProjectDatabase();
        if (IsSkipped() || HasFatalFailure()) return;
        application().g_str_pass.full_appname = "Pakomo 1.0e";
        application().gnv_registry = runtime::create<pakomo::nv_registry_create_setup>();
    }
    void TearDown() override {
        if (application().gnv_create_setup) runtime::destroy(application().gnv_create_setup);
        if (application().gnv_registry) runtime::destroy(application().gnv_registry);
        CoreFixture::TearDown();
    }

    // Creates the service as the start-up does (it reads the catalogue at once).
    pakomo::nv_create_setup& startService() {
        auto service = runtime::create<pakomo::nv_create_setup>();
        application().gnv_create_setup = service;
        return *service;
    }
    pakomo::nv_create_setup& service() { return *application().gnv_create_setup.as<pakomo::nv_create_setup>(); }

    static std::string lit(const std::string& s) {
        std::string out = "'";
        for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    }
    // A PRODUCT row; an empty label is stored as NULL when `nullLabel`.
    static std::string productRow(int id, const std::string& name, const std::string& vers = "1.00.00",
                                  const std::string& label = "Empty", bool nullLabel = false) {
        return "INSERT INTO PRODUCT VALUES (" + std::to_string(id) + ", " + lit(name) + ", " + lit(vers) +
               ", 0, 1, 0, 1, 'C:\\App', " + (nullLabel ? std::string("NULL") : lit(label)) + ")";
    }
    // A row in every table of product `id` (a component, a file group of it, a readme file).
    static std::vector<std::string> everyTable(int id, const std::string& readme = "C:\\src\\read me.txt") {
        const std::string p = std::to_string(id);
        return {
            productRow(id, "Product " + p),
            "INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID) VALUES (1, " + p +
                ", 'Main', '^SETUPPATH^', 0, 0)",
            "INSERT INTO FILEGRP VALUES (1, " + p + ", 'Files', 1)",
            "INSERT INTO FILE VALUES (1, " + p + ", 1, " + lit(readme) + ", 1, 0, '', 0)",
            "INSERT INTO REGKEYS VALUES (1, " + p + ", 1, 2, 'Software\\X', 'V', 'D', 1)",
            "INSERT INTO STRINGS VALUES (1, " + p + ", 'NAME', 'value')",
            "INSERT INTO WINDOWS VALUES (" + p + ", 1, 1, 0, 1, 1)",
            "INSERT INTO WMAIN VALUES (" + p + ", 'Title', 255)",
            "INSERT INTO MAINTEXT VALUES (1, " + p + ", 'Text', 1, 1, 12, 0, 0, 0, 0, 'Arial')",
            "INSERT INTO WWELCOME VALUES (" + p + ", 1)",
            "INSERT INTO WLICAGR VALUES (" + p + ", 'Licence')",
            "INSERT INTO WUSER VALUES (" + p + ", 'Key', 'Who')",
            "INSERT INTO WFINISH VALUES (" + p + ", 'Done', 1, 'Now', 'Later')",
            "INSERT INTO WCREGRP VALUES (" + p + ", 'Group', 'Choose')",
            "INSERT INTO README VALUES (" + p + ", 2, 'Readme')",
            "INSERT INTO PROGRESS VALUES (" + p + ", 'Installing', 1)",
        };
    }
    // The number of rows that match a query's count.
    long count(const std::string& sql) {
        runtime::SqlRow row;
        EXPECT_EQ(application().sqlca.selectInto("SELECT COUNT(*) FROM " + sql, {}, row), 0)
            << application().sqlca.sqlErrText;
        return row.empty() || !row[0] ? -1 : std::stol(*row[0]);
    }

    // A file of the machine by its Windows path.
    void writeMachineFile(const std::string& windowsPath, const std::string& content = "x") {
        fs::path host = machine.hostPath(windowsPath).value();
        fs::create_directories(host.parent_path());
        testing_support::writeFile(host, content);
    }

    pakomo::nv_registry_create_setup& settings() { return *application().gnv_registry; }
    platform::Machine machine = platform::Machine::open().value();
};

}  // namespace authoring_test
