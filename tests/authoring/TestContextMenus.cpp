// The ten context menus of the one context-menu object: their entries in screen order, and the
// event each entry raises on the window that opened it.
#include <string>
#include <vector>

#include "authoring/FilesFixture.h"
#include "authoring/menus/m_popups.h"
#include "runtime/core/RuntimeError.h"
#include "standard/w_a.h"

namespace {

// "name text -> event", or "name text" for separators, submenus and clipboard entries; entries of
// a submenu are indented by two blanks.
std::vector<std::string> entries(runtime::Menu& m, const std::string& indent = "") {
    std::vector<std::string> out;
    for (runtime::Menu* e : m.item()) {
        out.push_back(indent + e->name() + " " + e->text());
        auto sub = entries(*e, indent + "  ");
        out.insert(out.end(), sub.begin(), sub.end());
    }
    return out;
}

class ContextMenusTest : public authoring_test::FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        pakomo::register_menus();
        opener = runtime::create<pakomo::w_a>("w_opener");
        menu = runtime::createByName("m_popups").as<pakomo::m_popups>();
    }
    void TearDown() override {
        if (menu) runtime::destroy(menu);
        if (opener) runtime::destroy(opener);
        FilesFixture::TearDown();
    }
    runtime::Ref<pakomo::w_a> opener;
    runtime::Ref<pakomo::m_popups> menu;
};

TEST_F(ContextMenusTest, TheTenPopupsHoldTheirEntriesInScreenOrder) {
    const std::vector<std::string> clip_wizard = {
        "m_m_stringtable_wizard_knippen Cu&t", "m_m_stringtable_wizard_kopiëren &Copy",
        "m_m_stringtable_wizard_plakken &Paste", "  m_m_stringtable_wizard_stringconstante &Stringconstant...",
        "  m_m_stringtable_wizard_klembord C&lipboard"};
    struct Popup {
        std::string name, text;
        std::vector<std::string> entries;
    };
    const std::vector<Popup> popups = {
        {"m_popup_treeview", "popup_treeview",
         {"m_openen &Open", "m_wizard &Wizard...", "m_dupliceren &Duplicate", "m_- -", "m_verwijderen &De&lete...",
          "m_-2 -", "m_compileren &Compile...", "m_testen &Test", "m_-3 -", "m_samenvatting &Summary..."}},
        {"m_popup_stringtable_wizard", "popup_stringtable_wizard",
         {"m_stringtable_wizard_toevoegen &Add", "m_stringtable_wizard_verwijderen &Delete", "m_-0 -",
          clip_wizard[0], clip_wizard[1], clip_wizard[2], clip_wizard[3], clip_wizard[4]}},
        {"m_popup_registry_wizard", "popup_registry_wizard",
         {"m_registry_toevoegen &Add", "m_registry_invoegen &Insert", "m_registry_verwijderen &Delete", "m_4 -",
          "m_registry_knippen Cu&t", "m_registry_kopiëren &Copy", "m_registry_plakken &Paste",
          "  m_registry_stringconstante &Stringconstant...", "  m_registry_klembord C&lipboard"}},
        {"m_popup_object_privilege", "popup_object_privilege",
         {"m_object_privilege_knippen Cu&t", "m_object_privilege_kopiëren &Copy", "m_object_privilege_plakken &Paste",
          "  m_object_privilege_stringconstante &Stringconstant...", "  m_object_privilege_klembord C&lipboard"}},
        {"m_popup_stringtable_project", "popup_stringtable_project",
         {"m_stringtable_project_toevoegen &Add", "m_stringtable_project_verwijderen &Delete", "m_-1 -",
          "m_stringtable_project_knippen Cu&t", "m_stringtable_project_kopiëren &Copy",
          "m_stringtable_project_plakken &Paste", "  m_stringtable_project_stringconstante &Stringconstant...",
          "  m_stringtable_project_klembord C&lipboard"}},
        {"m_popup_setuptext_project", "popup_setuptext_project", {"m_setuptext_project &Text..."}},
        {"m_popup_wmain_background", "popup_wmain_background",
         {"m_wmain_background_nieuwetekst &New text...", "m_wmain_background_achtergrondkleur &Backgroundcolor..."}},
        {"m_popup_wmain_edittext", "popup_wmain_edittext",
         {"m_wmain_edittext_bewerken &Edit...", "m_wmain_edittext_verwijderen &Delete"}},
        {"m_popup_project", "popup_project",
         {"m_project_uitklappen &Expand", "m_-project2 -", "m_project_nieuw &New",
          "  m_project_nieuw_programmagroep &Programgroup", "  m_project_nieuw_bestandsgroep &Filegroup",
          "m_project_verwijderen &Delete", "m_-project -", "m_project_knippen Cu&t", "m_project_plakken &Paste"}},
        {"m_popup_file", "popup_file",
         {"m_file_toevoegen &Add...", "m_file_verwijderen &Delete", "m_-20 -", "m_file_gedeeld &Shared",
          "m_file_niet_gedeeld &Not shared", "m_-30 -", "m_file_eigenschappen &Properties..."}},
    };
    std::vector<runtime::Menu*> top = menu->item();
    ASSERT_EQ(top.size(), popups.size());
    for (size_t i = 0; i < popups.size(); ++i) {
        SCOPED_TRACE(popups[i].name);
        EXPECT_EQ(top[i]->name(), popups[i].name);
        EXPECT_EQ(top[i]->text(), popups[i].text);
        EXPECT_EQ(entries(*top[i]), popups[i].entries);
        for (runtime::Menu* e : top[i]->item()) {
            EXPECT_TRUE(e->enabled() && e->visible()) << e->name();
            EXPECT_EQ(e->shortcut(), 0) << e->name();
        }
    }
}

TEST_F(ContextMenusTest, EachEventEntryRaisesItsEventOnTheLastOpenerAndNothingElse) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"m_openen", "ue_popup_open"}, {"m_wizard", "ue_popup_wizard"}, {"m_dupliceren", "ue_popup_duplicate"},
        {"m_verwijderen", "ue_popup_delete"}, {"m_compileren", "ue_popup_build"}, {"m_testen", "ue_popup_test"},
        {"m_samenvatting", "ue_popup_summary"},
        {"m_stringtable_wizard_toevoegen", "ue_popup_insert"}, {"m_stringtable_wizard_verwijderen", "ue_popup_delete"},
        {"m_registry_toevoegen", "ue_popup_insert"}, {"m_registry_invoegen", "ue_popup_insert_between"},
        {"m_registry_verwijderen", "ue_popup_delete"},
        {"m_stringtable_project_toevoegen", "ue_popup_insert"}, {"m_stringtable_project_verwijderen", "ue_popup_delete"},
        {"m_setuptext_project", "ue_wmain_edit_setuptext"}, {"m_wmain_background_nieuwetekst", "ue_wmain_newtext"},
        {"m_wmain_background_achtergrondkleur", "ue_wmain_edit_backgroundcolor"},
        {"m_wmain_edittext_bewerken", "ue_wmain_edittext"}, {"m_wmain_edittext_verwijderen", "ue_wmain_delete_text"},
        {"m_project_uitklappen", "ue_popup_expand_all"}, {"m_project_nieuw_programmagroep", "ue_add_proggrp"},
        {"m_project_nieuw_bestandsgroep", "ue_add_filegrp"}, {"m_project_verwijderen", "ue_popup_delete"},
        {"m_project_knippen", "ue_popup_cut"}, {"m_project_plakken", "ue_popup_paste"},
        {"m_file_toevoegen", "ue_popup_add_file"}, {"m_file_verwijderen", "ue_popup_delete_file"},
        {"m_file_gedeeld", "ue_popup_all_shared"}, {"m_file_niet_gedeeld", "ue_popup_all_not_shared"},
        {"m_file_eigenschappen", "ue_popup_file_property"},
    };
    std::vector<std::string> raised, raisedOnFirst;
    auto first = runtime::create<pakomo::w_a>("w_first");
    for (const auto& [entry, event] : cases) {
        opener->on(event, [&raised, event](runtime::Args a) {
            EXPECT_TRUE(a.empty()) << event;
            raised.push_back(event);
            return runtime::Value();
        });
        first->on(event, [&raisedOnFirst, event](runtime::Args) {
            raisedOnFirst.push_back(event);
            return runtime::Value();
        });
    }
    for (const auto& [entry, event] : cases) {
        SCOPED_TRACE(entry);
        raised.clear();
        // The window that set itself last is the one that hears the entry.
        menu->fm_set_parent(runtime::Ref<runtime::Object>(first));
        menu->fm_set_parent(runtime::Ref<runtime::Object>(opener));
        menu->item_named(entry).trigger("clicked");
        core_test::settle();
        EXPECT_EQ(raised, std::vector<std::string>{event});
    }
    EXPECT_TRUE(raisedOnFirst.empty());
    runtime::destroy(first);
}

TEST_F(ContextMenusTest, AnEntryChosenWithoutAnOpenerRaisesNothingAndEndsInTheFatalErrorBox) {
    bool raised = false;
    opener->on("ue_popup_all_shared", [&](runtime::Args) {
        raised = true;
        return runtime::Value();
    });
    boxes.answer(1);
    menu->item_named("m_file_gedeeld").trigger("clicked");
    core_test::settle();
    EXPECT_FALSE(raised);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Fatal error");
    EXPECT_NE(boxes.shown()[0].text.find("Null object reference"), std::string::npos) << boxes.shown()[0].text;
}

}  // namespace
