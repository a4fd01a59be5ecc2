// Expanding string-variable references: reserved names, component paths, the product's own
// variables, references that do not resolve, and circular ones.
#include "authoring/FilesFixture.h"
#include "authoring/project/nv_create_setup.h"
#include "runtime/services/RegistryFunctions.h"

#include <string>
#include <vector>

namespace {

using runtime::Value;

class StringVariablesTest : public authoring_test::FilesFixture {
protected:
    void SetUp() override {
        FilesFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::vector<std::string> sql = {
            "UPDATE PRODUCT SET BASEPATH = '^PROGRAMFILESDIR^\\^PRODUCTNAME^' WHERE ID = 1",
            "INSERT INTO PROGGRP (ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID) VALUES "
            "(1, 1, 'main', '^SETUPPATH^\\Main', 0, 0)",
        };
        int id = 0;
        for (auto [name, value] : std::vector<std::pair<std::string, std::string>>{
                 {"B", "x"}, {"ABC", "1"}, {"low", "L"}, {"X", "^X^"}, {"A", "a^B2^"}, {"B2", "b^A^"},
                 {"LONE", "^"}, {"PATH_NONE", "pv"}, {"EMPTY", ""}})
            sql.push_back("INSERT INTO STRINGS VALUES (" + std::to_string(++id) + ", 1, " +
                          authoring_test::sqlText(name) + ", " + authoring_test::sqlText(value) + ")");
        executeSql(sql);
        pakomo::nv_create_setup& s = startService();
        s.fnv_retrieve_product_stringtable(1);
        s.fnv_retrieve_proggrp_stringtable(1);
        s.fnv_retrieve_stringtable(1);
    }
};

TEST_F(StringVariablesTest, ReferencesExpandAsTheScanFindsThem) {
    const std::string programFiles =
        runtime::registry::getString("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir")
            .value_or("");
    ASSERT_FALSE(programFiles.empty()) << "the machine names its Program Files folder";
    const std::string setupPath = programFiles + "\\Hello";
    struct Case {
        std::string text, expected;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"^^", "^^"},
        {"a^b", "a^b"},
        {"ends in ^", "ends in ^"},
        {"^NOSUCH^", "^NOSUCH^"},
        {"^NOSUCH^B^", "^NOSUCHx"},  // the unresolved reference's closing ^ opens the next
        {"^ABC^ and ^abc^", "1 and 1"},
        {"^low^", "^low^"},  // stored in lower case: never found
        {"^X^", "<Circular reference!>"},
        {"^A^", "ab<Circular reference!>"},
        {"^LONE^B^", "^B^"},  // an expanded value is not scanned again
        {"^PATH_Main^", setupPath + "\\Main"},
        {"^PATH_None^", "pv"},
        {"^PATH_Zip^", "^PATH_Zip^"},
        {"^SETUPPATH^", setupPath},
        {"[^EMPTY^]", "[^EMPTY^]"},
        {"^O'NEIL^ stays", "^O'NEIL^ stays"},
        {"^PRODUCTNAME^ ^productversion^", "Hello 1.00.00"},
    };
    pakomo::nv_create_setup& s = service();
    for (const Case& c : cases) EXPECT_EQ(s.fnv_evaluate_string(c.text), c.expected) << c.text;
    EXPECT_EQ(s.fnv_evaluate_string(Value()), "");
    const std::string drive = s.fnv_evaluate_string(std::string("^WINDOWSDRIVE^"));
    ASSERT_EQ(drive.size(), 1u);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(drive[0]))) << drive;
    EXPECT_EQ(s.fnv_evaluate_string(std::string("^WINDOWSDIR^")).substr(0, 3), drive + ":\\");
    // Raised by name, as the libraries' windows do.
    EXPECT_EQ(s.trigger("fnv_evaluate_string", {Value("^B^")}).toText(), "x");
    EXPECT_FALSE(s.fnv_evaluate_string_check_circular_reference(Value("X")));  // the stack is empty again
}

TEST_F(StringVariablesTest, ReservedNamesAndRawValues) {
    pakomo::nv_create_setup& s = service();
    EXPECT_EQ(s.fnv_check_reserved_stringtable_names(Value("productname")), 0);
    EXPECT_EQ(s.fnv_check_reserved_stringtable_names(Value("PRODUCTNAME")), 1);
    EXPECT_EQ(s.fnv_check_reserved_stringtable_names(Value("PROGRAMFILESDIR")), 7);
    EXPECT_EQ(s.fnv_check_reserved_stringtable_names(Value()), 0);
    EXPECT_EQ(s.fnv_get_stringtable_value("a").toText(), "a^B2^");  // raw, looked up in upper case
    EXPECT_EQ(s.fnv_get_stringtable_value("SETUPPATH").toText(), "^PROGRAMFILESDIR^\\^PRODUCTNAME^");
    EXPECT_EQ(s.fnv_get_stringtable_value("NOSUCH").toText(), "");
    EXPECT_EQ(s.fnv_make_stringvar_string("Mixed Case"), "^Mixed Case^");
}

}  // namespace

#include "authoring/windows/w_datawindow_zoom.h"
#include "support/runtime/WidgetChecks.h"
#include "runtime/data/DataLayout.h"

namespace {

// A page layout: its full width in the t_width object, and its two bands.
void registerPage(const std::string& name, int width, int detail, int header) {
    runtime::DataLayout page;
    page.name = name;
    page.columns = {pakomo::layout_column("welcome", "welcome", "char(254)")};
    runtime::TextLayout t;
    t.name = "t_width";
    t.width = width;
    page.texts = {t};
    page.bands = {{"header", header}, {"detail", detail}, {"summary", 0}, {"footer", 0}};
    runtime::registerLayout(page);
}

TEST_F(StringVariablesTest, PreviewsFitTheirPageShrinkingOnlyWhatIsTooLarge) {
    // Another window stays open, so that the program goes on after each preview closes.
    runtime::Ref<runtime::Window> owner = runtime::create<runtime::Window>("w_owner");
    owner->open();
    struct Case {
        const char* layout;
        int width, detail, header;
        const char* title;
        const char* zoom;
        int windowW, windowH;  // the layout's size at its zoom, before the margins
    };
    const Case cases[] = {
        {"d_page_fits", 1000, 500, 100, "Welcome", "100", 1000, 600},
        {"d_page_wide", 4846, 600, 100, "Welcome (50% zoomed)", "50", 2423, 350},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        registerPage(c.layout, c.width, c.detail, c.header);
        application().g_str_pass.string[1] = c.layout;
        auto preview = runtime::create<pakomo::w_datawindow_zoom>();
        preview->setTitle("Welcome");
        bool seen = false;
        whenOpen("w_datawindow_zoom", [&](runtime::Window& w) {
            auto& p = dynamic_cast<pakomo::w_datawindow_zoom&>(w);
            seen = true;
            EXPECT_EQ(p.title(), c.title);
            EXPECT_EQ(p.dw_1->describe("datawindow.zoom"), c.zoom);
            EXPECT_EQ(p.dw_1->rowCount(), 1);
            EXPECT_EQ(p.width(), c.windowW + 128);
            EXPECT_EQ(p.height(), c.windowH + 224 + p.cb_1->height());
            EXPECT_FALSE(p.cb_2->visible());
            EXPECT_EQ(runtime::clippedTexts(p.widget()), std::vector<std::string>{});
            EXPECT_EQ(runtime::accessKeyClashes(p.widget()), std::vector<std::string>{});
            p.cb_1->click();
        });
        preview->open();
        core_test::settle();
        EXPECT_TRUE(seen);
    }
    runtime::destroy(owner);  // closing the last window would end the program for later tests
}

TEST_F(StringVariablesTest, InstructionTextsExpandAndEmptyOnesGetTheDefault) {
    const std::string defaultText =
        "<Text with instructions for the user. You can enter the exact text in one of the following Wizard-dialogs.>";
    auto preview = runtime::create<pakomo::w_datawindow_zoom>();
    EXPECT_EQ(preview->fw_get_toptext(Value()), defaultText);
    EXPECT_EQ(preview->fw_get_toptext(Value("")), defaultText);
    EXPECT_EQ(preview->fw_get_toptext(Value("   ")), defaultText);
    EXPECT_EQ(preview->fw_get_toptext(Value("  Install ^PRODUCTNAME^ with ^B^  ")), "Install Hello with x");
    runtime::destroy(preview);
}

}  // namespace

#include "standard/u_dw_a.h"
#include "standard/w_dw_a.h"

namespace {

TEST_F(StringVariablesTest, ThePickersListHoldsOwnThenReservedThenComponentVariables) {
    auto list = runtime::create<runtime::DataStore>();
    list->setDataObject("d_choose_stringvar");
    service().fnv_fill_stringvar_ds(*list);
    std::vector<std::string> names;
    for (long r = 1; r <= list->rowCount(); ++r) names.push_back(list->getItemString(r, "name"));
    EXPECT_EQ(names, (std::vector<std::string>{"B", "ABC", "low", "X", "A", "B2", "LONE", "PATH_NONE", "EMPTY",
                                               "PRODUCTNAME", "PRODUCTVERSION", "WINDOWSDIR", "WINDOWSSYSTEMDIR",
                                               "WINDOWSDRIVE", "SETUPPATH", "PROGRAMFILESDIR", "PATH_MAIN"}));
    EXPECT_EQ(list->getItemString(10, "value"), "Hello");
    EXPECT_EQ(list->getItemString(17, "value"), "^SETUPPATH^\\Main");  // raw, not expanded
    runtime::destroy(list);
}

TEST_F(StringVariablesTest, ATypedNameIsKeptUniqueAndClearOfTheReservedNames) {
    runtime::Ref<pakomo::w_dw_a> window = runtime::create<pakomo::w_dw_a>("w_strings");
    auto dw = window->addControl<pakomo::u_dw_a>("dw_1");
    dw->resize(2000, 800);
    dw->setDataObject("d_choose_stringvar");
    window->open();
    const std::string long32(32, 'L');
    struct Case {
        std::vector<std::string> others;  // the names of the other rows
        std::string typed, expected;      // expected "": the edit text is left alone
    };
    const std::vector<Case> cases = {
        {{}, "PRODUCTNAME", "_PRODUCTNAME"},
        {{}, "productname", ""},
        {{"ABC"}, "ABC", "_ABC"},
        {{"ABC", "_ABC"}, "ABC", "__ABC"},
        {{"abc"}, "ABC", ""},
        {{"ABC   "}, "ABC", "_ABC"},
        {{"XYZ"}, "  NEW  ", ""},
        {{long32}, long32, "_" + long32.substr(0, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        dw->store().reset();
        const long edited = dw->store().insertRow(0);
        for (const std::string& name : c.others) dw->store().setItem(dw->store().insertRow(0), "name", Value(name));
        dw->store().setItem(edited, "name", Value(c.typed));  // the row itself never clashes
        dw->setRow(edited);
        dw->setColumn("name");
        ASSERT_EQ(dw->setEditText("untouched"), 1);
        service().fnv_check_duplicate_stringtable_names(*dw, edited, Value(c.typed));
        EXPECT_EQ(dw->getText(), c.expected.empty() ? "untouched" : c.expected);
    }
    runtime::destroy(window);
}

}  // namespace

#include "authoring/menus/m_popups.h"
#include "authoring/windows/w_choose_stringvar.h"
#include "runtime/services/System.h"
#include "standard/u_sle_a.h"
#include "standard/w_a.h"
#include "runtime/ui/Units.h"
#include "support/TestEnvironment.h"
#include "support/runtime/WidgetChecks.h"
#include <QFontMetrics>
#include <filesystem>

namespace {

class PickerTest : public StringVariablesTest {
protected:
    void SetUp() override {
        StringVariablesTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The editing window stays open, so that the program goes on after each picker closes.
        editor = runtime::create<pakomo::w_a>("w_editor");
        sle = editor->addControl<pakomo::u_sle_a>("sle_1");
        editor->open();
        core_test::settle();
    }
    void TearDown() override {
        // Destroyed, not closed: closing the program's last window would end the program for the
        // tests that follow in this process.
        if (editor) runtime::destroy(editor);
        StringVariablesTest::TearDown();
    }
    // Opens the picker, acts in it once it is shown; answers the name handed back, or "(none)".
    std::string pick(std::function<void(pakomo::w_choose_stringvar&)> act) {
        application().g_str_pass.string[1] = "(none)";
        whenOpen("w_choose_stringvar", [&](runtime::Window& w) { act(dynamic_cast<pakomo::w_choose_stringvar&>(w)); });
        auto picker = runtime::createByName("w_choose_stringvar").as<runtime::Window>();
        picker->open();
        core_test::settle();
        return application().g_str_pass.string.get(1);
    }
    static std::vector<Value> rowArgs(long row) { return {Value(5), Value(5), Value(row)}; }
    runtime::Ref<pakomo::w_a> editor;
    runtime::Ref<pakomo::u_sle_a> sle;
};

TEST_F(PickerTest, PastesTheRowLastClickedOrTheFirstAndCancelKeepsThePreviousName) {
    EXPECT_EQ(pick([](auto& w) {
                  EXPECT_EQ(w.title(), "Stringconstants");
                  EXPECT_EQ(w.dw_1->rowCount(), 17);
                  EXPECT_EQ(w.dw_1->getSelectedRow(0), 1);
                  // Every name shows whole in its column, the longest reserved one too.
                  const QFontMetrics fm(w.dw_1->widget()->font());
                  const int column = runtime::units::toPixelsX(
                      std::stoi(w.dw_1->describe("name.width")));
                  for (long r = 1; r <= w.dw_1->rowCount(); ++r)
                      EXPECT_LE(fm.horizontalAdvance(QString::fromStdString(w.dw_1->store().getItemString(r, "name"))) + 8,
                                column)
                          << w.dw_1->store().getItemString(r, "name");
                  EXPECT_LE(fm.horizontalAdvance("WINDOWSSYSTEMDIR") + 8, column);
                  EXPECT_EQ(runtime::accessKeyClashes(w.widget()), std::vector<std::string>{});
                  std::filesystem::path folder = testing_support::artefactFolder("authoring");
                  std::filesystem::create_directories(folder);
                  w.widget()->grab().save(QString::fromStdString((folder / "w_choose_stringvar.png").string()));
                  w.cb_1->click();
              }),
              "B");
    EXPECT_EQ(application().g_str_pass.button_clicked, 1);
    EXPECT_EQ(pick([](auto& w) {
                  w.dw_1->trigger("clicked", rowArgs(17));
                  w.dw_1->trigger("clicked", rowArgs(0));  // outside the rows: the choice stays
                  EXPECT_EQ(w.dw_1->getSelectedRow(0), 17);
                  EXPECT_EQ(w.dw_1->getSelectedRow(17), 0);
                  w.cb_1->click();
              }),
              "PATH_MAIN");
    EXPECT_EQ(pick([](auto& w) { w.dw_1->trigger("doubleclicked", rowArgs(2)); }), "ABC");
    EXPECT_EQ(application().g_str_pass.button_clicked, 1);
    EXPECT_EQ(pick([](auto& w) { w.cb_2->click(); }), "(none)");
    EXPECT_EQ(application().g_str_pass.button_clicked, 2);
}

TEST_F(PickerTest, TheContextMenusEntryPutsTheChosenReferenceOnTheClipboard) {
    sle->setText("Folder: ");
    sle->setFocus();
    sle->trigger("getfocus");  // the field tells its window, as a click into it does
    core_test::settle();
    auto popups = runtime::create<pakomo::m_popups>();
    popups->fm_set_parent(runtime::Ref<runtime::Object>(editor));
    whenOpen("w_choose_stringvar", [](runtime::Window& w) {
        auto& p = dynamic_cast<pakomo::w_choose_stringvar&>(w);
        p.dw_1->trigger("doubleclicked", {Value(5), Value(5), Value(15)});  // SETUPPATH
    });
    popups->fm_get_stringvar();
    core_test::settle();
    EXPECT_EQ(runtime::clipboardText(), "^SETUPPATH^");
    runtime::destroy(popups);
}

}  // namespace
