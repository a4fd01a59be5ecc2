// Reading a product for the build: where its source files are found (drive C:, the host's root
// as Z:, host paths of earlier versions), the message that stops the build when one cannot be
// read, and the list of what belongs to no component and is left out.
#include "LibraryFixture.h"
#include "libraries/build/ProjectReader.h"

namespace {

using namespace library_test;

// Product 5 with the component "Main" (file group "Program") and the file group "Loose" of no
// component.
class ProjectReaderTest : public LibraryDatabaseFixture {
protected:
    void SetUp() override {
        LibraryDatabaseFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        executeSql({"INSERT INTO PRODUCT VALUES (5, 'Gamma', '1', 0, 1, 0, 0, 'C:\\Gamma', '')",
                    "INSERT INTO PROGGRP VALUES (1, 5, 'Main', '^SETUPPATH^', 0, 0, 1, 1, '', 0)",
                    "INSERT INTO FILEGRP VALUES (1, 5, 'Program', 1)",
                    "INSERT INTO FILEGRP VALUES (2, 5, 'Loose', 0)"});
    }
    pakomo::ProjectProduct read() { return pakomo::read_project_product(application().sqlca, 5, machine); }
    void file(int id, int group, const std::string& path) {
        executeSql({"INSERT INTO FILE VALUES (" + std::to_string(id) + ", 5, " + std::to_string(group) +
                    ", " + lit(path) + ", 0, 0, '', 0)"});
    }
    // Deletes rows, also where there are none.
    void clear(const std::vector<std::string>& statements) {
        for (const std::string& sql : statements)
            EXPECT_GE(application().sqlca.executeImmediate(sql), 0) << sql;
        EXPECT_EQ(application().sqlca.commit(), 0);
    }
    testing_support::TempFolder host{"host-sources"};
};

class SourcePaths;
struct SourceCase {
    const char* name;
    // Makes the source (or not) and answers the path stored in FILE.PATH.
    std::function<std::string(SourcePaths&)> path;
    std::string hostFile;  // the host file read, relative to the test's host folder ("" for C:)
    std::string installedAs;
    std::vector<std::string> says;  // parts of the error; none when it is read
};

class SourcePaths : public ProjectReaderTest {
public:
    std::string onC(const std::string& content) { return source("C:\\Source\\Bash\\NEWS.gz", content); }
    std::string onHost(const std::string& name, const std::string& content) {
        testing_support::writeFile(host / name, content);
        return (host / name).string();
    }
    std::string onZ(const std::string& name) { return machine.windowsPath(host / name); }
    std::string folderOf(const std::string& name) { return (host / name).parent_path().string(); }
};

TEST_P(SourcePaths, AreFoundThroughTheMachineOrNamedWhenTheyCannotBeRead) {
    const std::vector<SourceCase> cases = {
        {"drive C:", [](SourcePaths& t) { return t.onC("news"); }, "", "NEWS.gz", {}},
        {"drive C: in other letter case",
         [](SourcePaths& t) {
             t.onC("news");
             return std::string("c:\\SOURCE\\bash\\news.GZ");
         },
         "",
         "news.GZ",
         {}},
        {"the host's root as Z:",
         [](SourcePaths& t) {
             t.onHost("a.txt", "a");
             return t.onZ("a.txt");
         },
         "a.txt",
         "a.txt",
         {}},
        {"a host path", [](SourcePaths& t) { return t.onHost("b.txt", "b"); }, "b.txt", "b.txt", {}},
        {"a host folder and name joined by a backslash",
         [](SourcePaths& t) {
             t.onHost("c.txt", "c");
             return t.folderOf("c.txt") + "\\c.txt";
         },
         "c.txt",
         "c.txt",
         {}},
        {"missing on C:",
         [](SourcePaths&) { return std::string("C:\\Source\\Gone.txt"); },
         "",
         "",
         {"The file \"C:\\Source\\Gone.txt\" of the file group \"Program\" (component \"Main\") cannot be "
          "read: "
          "it does not exist"}},
        {"missing on Z:",
         [](SourcePaths& t) { return t.onZ("gone.txt"); },
         "",
         "",
         {"gone.txt\" of the file group \"Program\" (component \"Main\") cannot be read: it does not exist"}},
        {"missing host path",
         [](SourcePaths& t) { return t.folderOf("x") + "/gone.txt"; },
         "",
         "",
         {"gone.txt\" of the file group \"Program\" (component \"Main\")", "it does not exist"}},
        {"a folder",
         [](SourcePaths& t) { return t.onZ(""); },
         "",
         "",
         {"of the file group \"Program\" (component \"Main\") cannot be read: it is not a file"}},
        {"a drive that the machine has not",
         [](SourcePaths&) { return std::string("D:\\a.txt"); },
         "",
         "",
         {"The file \"D:\\a.txt\" of the file group \"Program\" (component \"Main\") cannot be read"}},
    };
    int id = 0;
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        clear({"DELETE FROM FILE"});
        file(++id, 1, c.path(*this));
        // A missing file of the loose group never stops the build.
        file(++id, 2, "C:\\Nowhere\\loose.txt");
        pakomo::ProjectProduct p = read();
        if (c.says.empty()) {
            ASSERT_TRUE(p.ok()) << p.error;
            ASSERT_EQ(p.product.files.size(), 1u);
            const fs::path expected = c.hostFile.empty()
                                          ? machine.hostPath("C:\\Source\\Bash\\NEWS.gz").value()
                                          : host / c.hostFile;
            EXPECT_EQ(p.product.files[0].source, expected);
            EXPECT_EQ(p.product.files[0].name, c.installedAs);
        } else {
            for (const std::string& part : c.says)
                EXPECT_NE(p.error.find(part), std::string::npos) << p.error;
        }
    }
}

INSTANTIATE_DATABASE_TEST_SUITE_P(SourcePaths);

class FileFaults : public SourcePaths {};

// The build stops at the first file, in the order of the files, that cannot be read or would be
// installed over another one of its component; names that differ only in letter case are one.
TEST_P(FileFaults, TheFirstInFileOrderIsNamed) {
    executeSql({"INSERT INTO PROGGRP VALUES (2, 5, 'Extra', '^SETUPPATH^', 0, 0, 1, 1, '', 0)",
                "INSERT INTO FILEGRP VALUES (3, 5, 'Docs', 2)"});
    const std::string a = onHost("a.txt", "a"), b = onHost("sub/A.TXT", "b"), c = onHost("c.txt", "c");
    const std::string gone = folderOf("x") + "/gone.txt";
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> files;  // file group and path, in file order
        std::string says;                                // empty: read
    };
    const std::string both = "would both be installed as \"A.TXT\" of the component \"Main\"";
    const std::vector<Case> cases = {
        {"none", {{1, a}, {1, c}, {3, b}}, ""},
        {"the same name in two components", {{1, a}, {3, b}}, ""},
        {"in one group, differing in letter case", {{1, a}, {1, c}, {1, b}}, both},
        {"across groups of one component", {{1, a}, {3, c}, {1, b}}, both},
        {"a missing file before a clash", {{1, gone}, {1, a}, {1, b}}, "gone.txt\" of the file group \"Program\""},
        {"a clash before a missing file", {{1, a}, {1, b}, {1, gone}}, both},
        // The message names the paths as stored, not where the machine keeps the files.
        {"a clash on drive C:",
         {{1, source("C:\\Src\\one\\Read.me", "1")}, {1, source("C:\\Src\\two\\READ.ME", "2")}},
         "The files \"C:\\Src\\one\\Read.me\" and \"C:\\Src\\two\\READ.ME\" would both be installed as "
         "\"READ.ME\" of the component \"Main\""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        clear({"DELETE FROM FILE"});
        int id = 0;
        for (const auto& [group, path] : k.files) file(++id, group, path);
        pakomo::ProjectProduct p = read();
        if (k.says.empty()) {
            ASSERT_TRUE(p.ok()) << p.error;
            EXPECT_EQ(p.product.files.size(), k.files.size());
        } else {
            EXPECT_NE(p.error.find(k.says), std::string::npos) << p.error;
        }
    }
}

// Many files are looked at in parallel; still the first that cannot be read is the one named.
TEST_P(FileFaults, OfManyFilesTheFirstMissingOneIsNamed) {
    std::vector<std::string> statements;
    for (int i = 1; i <= 2000; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        if (i != 1500 && i != 1900) onHost(name, "x");
        statements.push_back("INSERT INTO FILE VALUES (" + std::to_string(i) + ", 5, 1, " + lit(folderOf(name) + "/" + name) +
                             ", 0, 0, '', 0)");
    }
    executeSql(statements);
    pakomo::ProjectProduct p = read();
    EXPECT_NE(p.error.find("f1500.txt\" of the file group \"Program\" (component \"Main\") cannot be read: it does not exist"),
              std::string::npos)
        << p.error;
    testing_support::writeFile(host / "f1500.txt", "x");
    testing_support::writeFile(host / "f1900.txt", "x");
    p = read();
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.product.files.size(), 2000u);
    EXPECT_EQ(p.product.files[1499].name, "f1500.txt");
}


// Each file finds its group by the group's number, however the number is written, and its flags
// are set only by the value 1.
TEST_P(FileFaults, FilesFindTheirGroupsAndFlagsReadOnlyOneAsSet) {
    executeSql({"INSERT INTO FILEGRP VALUES (7, 5, 'Orphans', 9)"});
    const std::string a = onHost("a.txt", "a");
    struct Case {
        const char* name;
        std::string group, readme, exe, shared;
        bool readmeSet, exeSet, sharedSet;
        std::string says;  // empty: read
    };
    const std::vector<Case> cases = {
        {"plain", "1", "1", "0", "0", true, false, false, ""},
        {"written with decimals", "1.0", "1.0", "0.5", "2", true, false, false, ""},
        {"all set", "1", "1", "1", "1", true, true, true, ""},
        {"nulls", "1", "NULL", "NULL", "NULL", false, false, false, ""},
        {"a group that does not exist", "4", "0", "0", "0", false, false, false,
         "belongs to a file group that does not exist (4)"},
        {"no group", "NULL", "0", "0", "0", false, false, false, "belongs to a file group that does not exist ()"},
        {"a group of a missing component", "7", "0", "0", "0", false, false, false,
         "its file group \"Orphans\" belongs to a component that does not exist (9)"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        clear({"DELETE FROM FILE"});
        executeSql({"INSERT INTO FILE VALUES (1, 5, " + k.group + ", " + lit(a) + ", " + k.readme + ", " + k.exe +
                    ", '', " + k.shared + ")"});
        pakomo::ProjectProduct p = read();
        if (!k.says.empty()) {
            EXPECT_NE(p.error.find(k.says), std::string::npos) << p.error;
            continue;
        }
        ASSERT_TRUE(p.ok()) << p.error;
        ASSERT_EQ(p.product.files.size(), 1u);
        EXPECT_EQ(p.product.files[0].componentId, 1u);
        EXPECT_EQ(p.product.files[0].readme, k.readmeSet);
        EXPECT_EQ(p.product.files[0].shortcut, k.exeSet);
        EXPECT_EQ(p.product.files[0].shared, k.sharedSet);
    }
}

INSTANTIATE_DATABASE_TEST_SUITE_P(FileFaults);

struct LooseCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<std::string> listed;
    size_t entriesBuilt;
};

class LeftOut : public ProjectReaderTest {};

TEST_P(LeftOut, FileGroupsAndRegistryEntriesOfNoComponentAreListed) {
    const std::vector<LooseCase> cases = {
        {"everything has a component",
         {"DELETE FROM FILEGRP WHERE ID = 2",
          "INSERT INTO REGKEYS VALUES (1, 5, 1, 3, 'Software\\Gamma', 'Path', '^SETUPPATH^', 1)"},
         {},
         1},
        {"an empty file group", {}, {"File group \"Loose\" (no files)"}, 0},
        {"file groups with files, and registry entries of every root",
         {"INSERT INTO FILEGRP VALUES (3, 5, 'More', NULL)",
          "INSERT INTO FILE VALUES (1, 5, 2, 'C:\\a', 0, 0, '', 0)",
          "INSERT INTO FILE VALUES (2, 5, 3, 'C:\\b', 0, 0, '', 0)",
          "INSERT INTO FILE VALUES (3, 5, 3, 'C:\\c', 0, 0, '', 0)",
          "INSERT INTO REGKEYS VALUES (1, 5, 0, 1, '.gam', '', 'Gamma.File', 1)",
          "INSERT INTO REGKEYS VALUES (2, 5, 0, 2, 'Software\\Gamma', 'Size', '0x00000001', 4)",
          "INSERT INTO REGKEYS VALUES (3, 5, 1, 3, 'Software\\Gamma', 'Kept', 'x', 1)",
          "INSERT INTO REGKEYS VALUES (4, 5, NULL, 4, '.DEFAULT\\Gamma', 'X', 'x', 1)"},
         {"File group \"Loose\" (1 file)", "File group \"More\" (2 files)",
          "Registry entry HKEY_CLASSES_ROOT\\.gam, its default value",
          "Registry entry HKEY_CURRENT_USER\\Software\\Gamma, value \"Size\"",
          "Registry entry HKEY_USERS\\.DEFAULT\\Gamma, value \"X\""},
         1},
    };
    for (const LooseCase& c : cases) {
        SCOPED_TRACE(c.name);
        clear({"DELETE FROM FILE", "DELETE FROM REGKEYS", "DELETE FROM FILEGRP WHERE ID > 1"});
        executeSql({"INSERT INTO FILEGRP VALUES (2, 5, 'Loose', 0)"});
        executeSql(c.rows);
        pakomo::ProjectProduct p = read();
        ASSERT_TRUE(p.ok()) << p.error;
        EXPECT_EQ(p.leftOut, c.listed) << p.leftOut.size();
        EXPECT_TRUE(p.product.files.empty()) << "no file of a loose group is built";
        EXPECT_EQ(p.product.registryEntries.size(), c.entriesBuilt);
    }
}

INSTANTIATE_DATABASE_TEST_SUITE_P(LeftOut);

}  // namespace
