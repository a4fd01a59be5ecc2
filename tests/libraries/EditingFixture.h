#pragma once
// The product wizard and the project window against the real project service over a fresh
// project database (SQLite and PostgreSQL): a chooser that frees the wizard when told, a frame
// that records its ue_fileopen, and screenshots kept as test artefacts.
#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QMainWindow>
#include <QScrollBar>
#include <QWidget>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "authoring/ProjectFixture.h"
#include "authoring/menus/m_a.h"
#include "core/CoreFixture.h"
#include "libraries/project/w_project.h"
#include "libraries/wizard/nv_wizard.h"
#include "libraries/wizard/w_product_wizard.h"
#include "libraries/wizard/w_regkey_wizard.h"
#include "libraries/wizard/w_stringtable_wizard.h"
#include "runtime/ui/Units.h"
#include "support/runtime/WidgetChecks.h"
#include "runtime/services/RegistryFunctions.h"
#include "standard/register_standard.h"
#include "standard/w_mdi.h"
#include "support/TestEnvironment.h"

namespace editing_test {

// A picture of the widget among the test artefacts.
inline void screenshot(QWidget* widget, const std::string& name) {
    std::filesystem::path folder = testing_support::artefactFolder("libraries");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(runtime::accessKeyClashes(widget), std::vector<std::string>{}) << "access keys shared on " << name;
    widget->grab().save(QString::fromStdString((folder / (name + ".png")).string()));
}

// The texts a grid's visible columns cut: each heading at the heading's bold font, and the texts
// given for a column at the list's font; each as "<column>: <text>". Also the columns that run past
// the list's width, which only a horizontal scroll bar would show.
inline std::vector<std::string> clippedGridTexts(
    runtime::DataWindow& dw, const std::vector<std::pair<std::string, std::vector<std::string>>>& texts = {}) {
    std::vector<std::string> cut;
    auto* area = qobject_cast<QAbstractScrollArea*>(dw.widget());
    if (!area) return {"no list"};
    QFont bold_font = area->viewport()->font();
    bold_font.setBold(true);
    const QFontMetrics plain(area->viewport()->font()), bold(bold_font);
    const runtime::DataLayout& layout = dw.store().layout();
    int right = 0;
    for (const runtime::ColumnLayout& c : layout.columns) {
        auto visible = c.attributes.find("visible");
        if (visible != c.attributes.end() && visible->second == "0") continue;
        // A cell draws its text 3 pixels in from either side.
        const int room = runtime::units::toPixelsX(std::stoi(c.attributes.at("width"))) - 6;
        right += std::stoi(c.attributes.at("width"));
        for (const runtime::TextLayout& t : layout.texts)
            if (t.name == c.name + "_t" && bold.horizontalAdvance(QString::fromStdString(t.text)) > room)
                cut.push_back(c.name + ": " + t.text);
        for (const auto& [column, shown] : texts)
            if (column == c.name)
                for (const std::string& text : shown)
                    if (plain.horizontalAdvance(QString::fromStdString(text)) > room)
                        cut.push_back(c.name + ": " + text);
    }
    if (runtime::units::toPixelsX(right) > area->viewport()->width()) cut.push_back("wider than the list");
    if (area->horizontalScrollBar()->maximum() > 0) cut.push_back("scrolls sideways");
    return cut;
}

// Stands in for the product chooser: keeps the wizard it started and frees it on ue_end_wizard.
class Chooser : public runtime::Window {
public:
    Chooser() : runtime::Window("w_choose_product") {
        on("ue_end_wizard", [this](runtime::Args) {
            ++ends;
            runtime::destroy(inv_wizard);
            return runtime::Value();
        });
    }
    runtime::Ref<pakomo::nv_wizard> inv_wizard;
    int ends = 0;
};

// A frame that records which sheet it was asked to open.
class Frame : public pakomo::w_mdi {
public:
    Frame() : pakomo::w_mdi("w_mdi_frame") {
        on("ue_fileopen", [this](runtime::Args) {
            opened.push_back(pakomo::app().g_str_pass.string.get(1));
            return runtime::Value();
        });
    }
    std::vector<std::string> opened;
};

class EditingFixture : public authoring_test::ProjectFixture,
                       public ::testing::WithParamInterface<testing_support::DatabaseSystem> {
protected:
    testing_support::DatabaseSystem databaseSystem() const override { return GetParam(); }

    void SetUp() override {
        ProjectFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_standard();
        pakomo::register_wizard_library();
        pakomo::register_project_library();
        pakomo::register_project();
        pakomo::register_menus();
        // The edit forms' data windows register their string-variable columns with it.
        application().gnv_regobjects = runtime::createByName("nv_regobjects").as<pakomo::nv_a>();
        // Windows place their controls through it when they are sized.
        application().gnv_win32api = runtime::createByName("nv_winapi");
    }
    void TearDown() override {
        if (application().gnv_win32api) runtime::destroy(application().gnv_win32api);
        if (application().gnv_regobjects) runtime::destroy(application().gnv_regobjects);
        ProjectFixture::TearDown();
    }

    // The chooser, open, with a wizard started for `action`.
    runtime::Ref<Chooser> startWizard(const std::string& action) {
        auto chooser = runtime::create<Chooser>();
        chooser->open();
        application().g_str_pass.string[1] = action;
        chooser->inv_wizard = runtime::createByName("nv_wizard").as<pakomo::nv_wizard>();
        return chooser;
    }

    // Empties every product table and drops every product's settings, with a fresh service.
    void clearProducts() {
        for (const char* table : {"PRODUCT", "STRINGS", "PROGGRP", "FILEGRP", "FILE", "REGKEYS", "WINDOWS", "WMAIN",
                                  "MAINTEXT", "WWELCOME", "WLICAGR", "WUSER", "WFINISH", "WCREGRP", "README",
                                  "PROGRESS"})
            ASSERT_GE(application().sqlca.executeImmediate(std::string("DELETE FROM ") + table), 0);
        ASSERT_EQ(application().sqlca.commit(), 0);
        if (application().gnv_create_setup) runtime::destroy(application().gnv_create_setup);
        runtime::registry::deleteKey(authoring_test::kSettingsRoot + "\\Products");
    }

    static void type(runtime::Control& field, const std::string& text) { field.setText(text); }

    // The product tables' rows of product `id`, table by table.
    std::vector<long> pageRowCounts(int id) {
        std::vector<long> counts;
        for (const char* table : kPageTables)
            counts.push_back(count(std::string(table) + " WHERE PRODID = " + std::to_string(id)));
        return counts;
    }

    // Opens the project window for product `id` as a sheet of `frame`, as the frame does.
    runtime::Ref<pakomo::w_project> openProject(runtime::FrameWindow& frame, int16_t id) {
        application().gi_prod_id = id;
        if (auto* mdi = dynamic_cast<pakomo::w_mdi*>(&frame)) mdi->fw_inc_open_sheets();
        auto project = runtime::createByName("w_project").as<pakomo::w_project>();
        EXPECT_TRUE(project.isValid());
        if (project) {
            EXPECT_EQ(project->openSheet(frame), 1);
        }
        core_test::settle();
        return project;
    }

    // The window's context help asks for its topic in the program's help file.
    void expectHelpTopic(runtime::Window& window, int topic) {
        window.trigger("ue_help");
        std::vector<runtime::HelpRequest> help = takeHelp();
        ASSERT_EQ(help.size(), 1u);
        EXPECT_EQ(help[0].command, runtime::HelpCommand::Topic);
        EXPECT_EQ(help[0].topic, topic);
    }

    static void screenshot(QWidget* widget, const std::string& name) { editing_test::screenshot(widget, name); }

    static constexpr const char* kPageTables[10] = {"WINDOWS", "WMAIN",   "MAINTEXT", "WWELCOME", "WLICAGR",
                                                    "WUSER",   "WFINISH", "WCREGRP",  "README",   "PROGRESS"};
};

}  // namespace editing_test
