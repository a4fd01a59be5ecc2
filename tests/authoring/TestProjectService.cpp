// The project service: the catalogue and its ids, the full product name, deleting a product from
// every table, renaming and the product's settings, the built state and the test run's command line.
#include "authoring/ProjectFixture.h"
#include "authoring/project/nv_regobjects.h"

#include <array>
#include <optional>

#include "runtime/data/DataLayout.h"
#include "runtime/data/DataStore.h"
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/Window.h"

namespace {

using authoring_test::kSettingsRoot;
using authoring_test::ProjectFixture;
namespace reg = runtime::registry;
namespace fs = std::filesystem;

class ProjectServiceTest : public ProjectFixture {
protected:
    void clearProducts() {
        application().sqlca.executeImmediate("DELETE FROM PRODUCT");
        application().sqlca.commit();
    }
};

TEST_F(ProjectServiceTest, NewIdsFollowTheHighestHeldIdAndANewRowCarriesTheDefaults) {
    struct Case {
        std::vector<int> ids;       // products in the table
        int deleteAndSave;          // a product deleted through the catalogue and saved, 0 none
        std::vector<int> expected;  // ids of two insertions without a save
    };
    const Case cases[] = {
        {{}, 0, {1, 2}},
        {{1, 2, 7}, 0, {8, 9}},
        {{1, 2, 7}, 7, {3, 4}},  // the highest id is given out again once it is gone
        {{1, 2, 7}, 2, {8, 9}},  // a gap is not filled
    };
    for (const Case& c : cases) {
        clearProducts();
        for (int id : c.ids) executeSql({productRow(id, "P" + std::to_string(id))});
        if (application().gnv_create_setup) runtime::destroy(application().gnv_create_setup);
        pakomo::nv_create_setup& s = startService();
        if (c.deleteAndSave) {
            const long row = s.ids_all_products->find("id = " + std::to_string(c.deleteAndSave), 1, 99);
            ASSERT_GT(row, 0);
            s.ids_all_products->deleteRow(row);
            ASSERT_EQ(s.fnv_update_all_products(), 1);
            ASSERT_EQ(application().sqlca.commit(), 0);
            ASSERT_GE(s.fnv_retrieve_all_products(), 0);
        }
        EXPECT_EQ(s.fnv_insert_product(), c.expected[0]);
        EXPECT_EQ(s.fnv_insert_product(), c.expected[1]);
    }
    pakomo::nv_create_setup& s = service();
    const long row = s.ids_all_products->rowCount();
    EXPECT_EQ(s.ids_all_products->getItemString(row, "prodname"), "<Your productname>");
    EXPECT_EQ(s.ids_all_products->getItemString(row, "prodvers"), "1.00.00");
    EXPECT_EQ(s.ids_all_products->getItemString(row, "basepath"), "^PROGRAMFILESDIR^\\^PRODUCTNAME^");
    EXPECT_EQ(s.ids_all_products->getItemString(row, "label"), "Empty");
    EXPECT_EQ(s.ids_all_products->getItemNumber(row, "readme"), 0);
    EXPECT_EQ(s.ids_all_products->getItemNumber(row, "setupnorm"), 1);
    EXPECT_EQ(s.ids_all_products->getItemNumber(row, "setupmin"), 0);
    EXPECT_EQ(s.ids_all_products->getItemNumber(row, "setupcust"), 1);
    // Inserting saves nothing; the catalogue's own save does, and sends no commit.
    EXPECT_EQ(count("PRODUCT WHERE ID = 9"), 0);
    ASSERT_EQ(s.fnv_update_all_products(), 1);
    application().sqlca.rollback();
    EXPECT_EQ(count("PRODUCT WHERE ID = 9"), 0);
}

TEST_F(ProjectServiceTest, TheChoosersRowSetSharesTheCataloguesRowsInIdOrder) {
    executeSql({productRow(5, "Alpha"), productRow(2, "Zulu"), productRow(9, "Mike")});
    pakomo::nv_create_setup& s = startService();
    runtime::DataStore chooser;
    chooser.setDataObject("d_all_products");
    ASSERT_TRUE(s.fnv_share_all_products(chooser));
    ASSERT_EQ(chooser.rowCount(), 3);
    EXPECT_EQ(chooser.getItemNumber(1, "id"), 2);
    EXPECT_EQ(chooser.getItemNumber(3, "id"), 9);
    const int16_t id = s.fnv_insert_product();
    ASSERT_EQ(chooser.rowCount(), 4);
    EXPECT_EQ(chooser.getItemNumber(4, "id"), id);
    // A refresh of the catalogue refreshes the sharer: the unsaved row is gone from both.
    s.fnv_retrieve_all_products();
    EXPECT_EQ(chooser.rowCount(), 3);
    chooser.shareDataOff();
}

TEST_F(ProjectServiceTest, FullProductNameTrimsEachJoinSoEmptyPartsLeaveNoBlank) {
    pakomo::nv_create_setup& s = startService();
    struct Case {
        const char *name, *vers, *label, *expected;
    };
    const Case cases[] = {
        {"Alpha", "1.00.00", "Empty", "Alpha 1.00.00 Empty"},
        {"Alpha", "1.00.00", "", "Alpha 1.00.00"},
        {"Alpha", "", "Empty", "Alpha Empty"},
        {" Alpha", "1", "x", "Alpha 1 x"},
        {"My  Tool", "2 beta", "", "My  Tool 2 beta"},  // blanks inside a part stay
        {"", "", "", ""},
        {"\tTab", "1", "", "\tTab 1"},  // only blanks are trimmed
    };
    for (const Case& c : cases) EXPECT_EQ(s.fnv_get_trimmed(c.name, c.vers, c.label), c.expected) << c.name;

    // Nothing loaded yet: the full name is empty.
    EXPECT_EQ(s.fnv_get_fullprodname(), "");
    executeSql({productRow(3, "Beta ", "2.0", "", true)});
    ASSERT_EQ(s.fnv_retrieve_product_stringtable(3), 1);
    EXPECT_EQ(s.fnv_get_fullprodname(), "Beta 2.0");
    EXPECT_EQ(s.trigger("fnv_get_fullprodname").toText(), "Beta 2.0");
    EXPECT_EQ(s.fnv_retrieve_product_stringtable(4), 0);
    EXPECT_EQ(s.fnv_get_fullprodname(), "");
}

TEST_F(ProjectServiceTest, DeletingRemovesTheProductFromEveryTableAndItsSettings) {
    executeSql(everyTable(3));
    executeSql(everyTable(4));
    pakomo::nv_create_setup& s = startService();
    ASSERT_EQ(s.fnv_retrieve_product_stringtable(3), 1);
    ASSERT_EQ(settings().fnv_set_compiled(1), 1);
    const std::string key = kSettingsRoot + "\\Products\\Product 3 1.00.00 Empty";
    ASSERT_TRUE(reg::getNumber(key, "UpToDate").has_value());

    // Ids that name no product send nothing.
    for (const runtime::Value& bad : {runtime::Value(0), runtime::Value(-3), runtime::Value()})
        EXPECT_FALSE(s.fnv_delete_product(bad)) << bad.toText();
    EXPECT_EQ(count("PRODUCT"), 2);

    application().gi_prod_id = 3;
    EXPECT_TRUE(s.fnv_delete_product(3));
    EXPECT_EQ(application().gi_prod_id, 0);
    EXPECT_FALSE(reg::getNumber(key, "UpToDate").has_value());
    application().sqlca.rollback();  // the deletion was committed: nothing to take back
    for (const char* table : {"FILE", "FILEGRP", "PROGGRP", "PROGRESS", "README", "REGKEYS", "STRINGS", "WCREGRP",
                              "WFINISH", "WINDOWS", "WLICAGR", "WMAIN", "MAINTEXT", "WUSER", "WWELCOME"}) {
        EXPECT_EQ(count(std::string(table) + " WHERE PRODID = 3"), 0) << table;
        EXPECT_EQ(count(std::string(table) + " WHERE PRODID = 4"), 1) << table;
    }
    EXPECT_EQ(count("PRODUCT WHERE ID = 3"), 0);
    EXPECT_EQ(count("PRODUCT WHERE ID = 4"), 1);
    EXPECT_GT(count("MESSAGE"), 0);
    // The deleted product's rows stay held until the next selection.
    EXPECT_EQ(s.fnv_get_prodname(), "Product 3");
    // An id without rows anywhere still counts as deleted.
    EXPECT_TRUE(s.fnv_delete_product(12));
}

TEST_F(ProjectServiceTest, AFailingDeleteRollsBackEveryTableAndKeepsTheSettings) {
    executeSql(everyTable(3));
    pakomo::nv_create_setup& s = startService();
    ASSERT_EQ(s.fnv_retrieve_product_stringtable(3), 1);
    ASSERT_EQ(settings().fnv_set_compiled(1), 1);
    // The ninth statement (WFINISH) fails; the eight before it had already removed rows.
    executeSql({"ALTER TABLE WFINISH RENAME TO WFINISH_AWAY"});
    application().gi_prod_id = 3;
    EXPECT_FALSE(s.fnv_delete_product(3));
    EXPECT_EQ(application().gi_prod_id, 3);
    for (const char* table : {"FILE", "FILEGRP", "PROGGRP", "PROGRESS", "README", "REGKEYS", "STRINGS", "WCREGRP"})
        EXPECT_EQ(count(std::string(table) + " WHERE PRODID = 3"), 1) << table;
    EXPECT_EQ(count("PRODUCT WHERE ID = 3"), 1);
    EXPECT_EQ(reg::getNumber(kSettingsRoot + "\\Products\\Product 3 1.00.00 Empty", "UpToDate"), 1u);
}

TEST_F(ProjectServiceTest, RenamingDropsTheOldSettingsOnlyWhenNameVersionOrLabelChanged) {
    runtime::DataLayout layout;
    layout.name = "d_edited_product";
    for (const char* c : {"prodname", "prodvers", "label", "stringvar_basepath"}) {
        runtime::ColumnLayout col;
        col.name = c;
        col.type = "char(254)";
        layout.columns.push_back(col);
    }
    struct Case {
        const char* name;
        std::optional<std::string> storedLabel;  // nullopt: NULL in the database
        std::optional<std::string> vers, label;  // nullopt: null in the edited row
        bool dropped;
    };
    const Case cases[] = {
        {"Alpha", "Empty", "1.00.00", "Empty", false},  // only the base path changed
        {"alpha", "Empty", "1.00.00", "Empty", true},    // letter case counts
        {"Alpha", "Empty", "1.00.01", "Empty", true},
        {"Alpha", "Empty", "1.00.00", "Full", true},
        {"Alpha", std::nullopt, "1.00.00", "New", false},  // null equals anything
        {"Alpha", "Empty", std::nullopt, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string(" ") + c.label.value_or("<null>"));
        clearProducts();
        executeSql({productRow(1, "Alpha", "1.00.00", c.storedLabel.value_or(""), !c.storedLabel)});
        if (application().gnv_create_setup) runtime::destroy(application().gnv_create_setup);
        pakomo::nv_create_setup& s = startService();
        ASSERT_EQ(s.fnv_retrieve_product_stringtable(1), 1);
        // Reading trims a NULL to the empty text; a row filled otherwise may still hold one.
        if (!c.storedLabel) s.ids_product_stringtable->setItem(1, "label", runtime::Value());
        const std::string oldName = s.fnv_get_fullprodname();
        const std::string oldKey = kSettingsRoot + "\\Products\\" + oldName;
        ASSERT_EQ(settings().fnv_set_compiled(1), 1);

        runtime::DataStore edited(std::make_shared<runtime::DataLayout>(layout));
        edited.insertRow(0);
        edited.setItem(1, "prodname", c.name);
        edited.setItem(1, "prodvers", c.vers ? runtime::Value(*c.vers) : runtime::Value());
        edited.setItem(1, "label", c.label ? runtime::Value(*c.label) : runtime::Value());
        edited.setItem(1, "stringvar_basepath", "D:\\Elsewhere");
        s.fnv_prodname_changed(edited);

        EXPECT_EQ(!reg::getNumber(oldKey, "UpToDate").has_value(), c.dropped);
        EXPECT_EQ(s.fnv_get_prodname(), c.name);
        EXPECT_EQ(s.ids_product_stringtable->getItemString(1, "basepath"), "D:\\Elsewhere");
        EXPECT_EQ(s.ids_product_stringtable->getItem(1, "label").isNull(), !c.label);
        reg::deleteKey(kSettingsRoot + "\\Products");
    }
}

TEST_F(ProjectServiceTest, BuiltOnlyWithUpToDateAndTheInstallerCopyInTheBuildFolder) {
    executeSql({productRow(1, "Alpha")});
    pakomo::nv_create_setup& s = startService();
    ASSERT_EQ(s.fnv_retrieve_product_stringtable(1), 1);
    const std::string key = kSettingsRoot + "\\Products\\Alpha 1.00.00 Empty";
    struct Case {
        std::optional<uint32_t> upToDate;
        const char* filedest;  // nullptr: not set
        bool installer;
        bool built;
        const char* setupFile;
    };
    const char* kSetup = "C:\\Out\\Alpha 1.00.00 Empty\\Disc1\\Setup.exe";
    const Case cases[] = {
        {1, "C:\\Out", true, true, kSetup},
        {1, "C:\\Out", false, false, ""},
        {0, "C:\\Out", true, false, kSetup},
        {std::nullopt, "C:\\Out", true, false, kSetup},
        {1, "", true, false, ""},
        {1, nullptr, true, false, ""},
        {1, "C:\\Out\\", true, true, "C:\\Out\\\\Alpha 1.00.00 Empty\\Disc1\\Setup.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.filedest ? c.filedest : "<none>") + " " + std::to_string(c.installer));
        reg::deleteKey(key);
        fs::remove_all(machine.hostPath("C:\\Out").value());
        if (c.upToDate) s.fnv_set_compiled(*c.upToDate == 1);
        if (c.filedest) settings().fnv_set_filedest(c.filedest);
        if (c.installer) writeMachineFile(kSetup);
        EXPECT_EQ(s.fnv_get_compiled(), c.built);
        EXPECT_EQ(s.fnv_get_setup_filename(), c.setupFile);
    }
    s.fnv_set_compiled(runtime::Value());
    EXPECT_EQ(reg::getNumber(key, "UpToDate"), 0u);
    s.fnv_set_compiled(true);
    EXPECT_EQ(reg::getNumber(key, "UpToDate"), 1u);
}

TEST_F(ProjectServiceTest, TestRunQuotesTheInstallerAndTheReadmeOfAComponentsFileGroup) {
    executeSql(everyTable(1, "C:\\Src\\read me.txt"));
    executeSql(everyTable(2, "C:\\Src\\orphan.txt"));
    executeSql({"UPDATE FILEGRP SET PROGGRPID = 0 WHERE PRODID = 2", "UPDATE PRODUCT SET PRODNAME = 'Product 1' WHERE ID = 2"});
    pakomo::nv_create_setup& s = startService();
    ASSERT_EQ(s.fnv_retrieve_product_stringtable(1), 1);
    const std::string setup = "C:\\My Out\\Product 1 1.00.00 Empty\\Disc1\\Setup.exe";

    // No installer copy: the empty command line starts nothing.
    s.fnv_test_product(1);
    EXPECT_EQ(takeRuns(), std::vector<std::string>{""});

    settings().fnv_set_filedest("C:\\My Out");
    writeMachineFile(setup);
    s.fnv_test_product(1);
    s.fnv_test_product(2);  // its readme's group belongs to no component
    s.fnv_test_product(3);  // no rows at all
    EXPECT_EQ(takeRuns(), (std::vector<std::string>{"\"" + setup + "\" Test \"C:\\Src\\read me.txt\"",
                                                    "\"" + setup + "\" Test ", "\"" + setup + "\" Test "}));
}

TEST_F(ProjectServiceTest, EndingTheEditClearsTheEditedProductWithoutAFrame) {
    pakomo::nv_create_setup& s = startService();
    application().gi_prod_id = 4;
    s.trigger("ue_end_edit");
    EXPECT_EQ(application().gi_prod_id, 0);
    EXPECT_EQ(application().g_str_pass.string.get(1), "");
}

}  // namespace

namespace {

TEST_F(ProjectServiceTest, TheColumnRegisterKeepsEachTripleOnceAndFindsOnlyItsOwn) {
    auto reg = runtime::create<pakomo::nv_regobjects>();
    EXPECT_EQ(reg->fnv_has_privilege("stringvar_name", "d_a", 1), 0);
    reg->fnv_add_privilege("stringvar_name", "d_a", 1);
    reg->fnv_add_privilege("stringvar_name", "d_a", 1);
    reg->trigger("fnv_add_privilege", {"stringvar_name", "d_b", 1});  // as the data windows register
    reg->fnv_add_privilege("it's", "d_a", 1);
    EXPECT_EQ(reg->ids_privilege->rowCount(), 3);
    struct Case {
        const char *object, *parent;
        int16_t privilege;
        long row;
    };
    for (const Case& c : {Case{"stringvar_name", "d_a", 1, 1}, Case{"stringvar_name", "d_b", 1, 2},
                          Case{"stringvar_name", "d_a", 2, 0}, Case{"it's", "d_a", 1, 3}, Case{"it", "d_a", 1, 0}})
        EXPECT_EQ(reg->fnv_has_privilege(c.object, c.parent, c.privilege), c.row) << c.object << " " << c.parent;
    reg->fnv_delete_privilege("other", "d_a", 1);
    EXPECT_EQ(reg->ids_privilege->rowCount(), 3);
    reg->fnv_delete_privilege("stringvar_name", "d_a", 1);
    EXPECT_EQ(reg->fnv_has_privilege("stringvar_name", "d_a", 1), 0);
    EXPECT_EQ(reg->fnv_has_privilege("stringvar_name", "d_b", 1), 1);
    EXPECT_EQ(reg->ids_privilege->getItemString(2, "objectname"), "it's");
    runtime::destroy(reg);
}

}  // namespace

namespace {

// A page layout of the given full width and band heights, shown in a control of the given size.
struct ZoomCase {
    const char* name;
    int controlW, controlH;
    int pageW, detailH, headerH;
    bool reduced;
    int zoom, w, h;
    const char* title;
};

TEST_F(ProjectServiceTest, PageLayoutsAreReducedToFitTheirPreviewAndNeverEnlarged) {
    startService();
    const ZoomCase cases[] = {
        {"exactly as large", 1000, 800, 1000, 700, 100, false, 100, 1000, 800, "Welcome"},
        {"twice as wide", 1000, 800, 2000, 500, 100, true, 50, 1000, 300, "Welcome (50% zoomed)"},
        {"wider and taller: the smaller factor", 1000, 800, 1250, 1500, 100, true, 50, 625, 800,
         "Welcome (50% zoomed)"},
        {"detail fits, detail and header do not", 1000, 800, 1000, 760, 240, true, 80, 800, 800,
         "Welcome (20% zoomed)"},
        {"smaller stays as it is", 1000, 800, 600, 300, 100, false, 100, 600, 400, "Welcome"},
        {"fractions dropped", 1000, 800, 3000, 100, 0, true, 33, 1000, 33, "Welcome (67% zoomed)"},
    };
    for (const ZoomCase& c : cases) {
        SCOPED_TRACE(c.name);
        runtime::DataLayout page;
        page.name = "d_zoom_page";
        page.columns = {};
        runtime::TextLayout width;
        width.name = "t_width";
        width.width = c.pageW;
        page.texts = {width};
        page.bands = {{"header", c.headerH}, {"detail", c.detailH}, {"summary", 0}, {"footer", 0}};
        runtime::registerLayout(page);
        runtime::Ref<runtime::Window> window = runtime::create<runtime::Window>("w_preview");
        runtime::Ref<runtime::DataWindow> dw = window->addControl<runtime::DataWindow>("dw_preview");
        dw->setDataObject("d_zoom_page");
        dw->resize(c.controlW, c.controlH);
        int16_t w = -1, h = -1, zoom = -1;
        std::string title = "Welcome";
        EXPECT_EQ(service().fnv_get_zoom_args(*dw, w, h, zoom, title), c.reduced);
        EXPECT_EQ(zoom, c.zoom);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
        EXPECT_EQ(title, c.title);
        runtime::destroy(window);
    }
}

TEST_F(ProjectServiceTest, APageLayoutWithoutItsWidthObjectIsReportedNotGuessed) {
    startService();
    runtime::DataLayout page;
    page.name = "d_zoom_no_width";
    page.bands = {{"header", 100}, {"detail", 100}, {"summary", 0}, {"footer", 0}};
    runtime::registerLayout(page);
    runtime::Ref<runtime::Window> window = runtime::create<runtime::Window>("w_preview");
    runtime::Ref<runtime::DataWindow> dw = window->addControl<runtime::DataWindow>("dw_preview");
    dw->setDataObject("d_zoom_no_width");
    dw->resize(1000, 800);
    int16_t w = 0, h = 0, zoom = 0;
    std::string title = "Welcome";
    try {
        service().fnv_get_zoom_args(*dw, w, h, zoom, title);
        ADD_FAILURE() << "no error for a layout without t_width";
    } catch (const runtime::RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("t_width"), std::string::npos) << e.what();
    }
    EXPECT_EQ(title, "Welcome");
    runtime::destroy(window);
}

}  // namespace
