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
