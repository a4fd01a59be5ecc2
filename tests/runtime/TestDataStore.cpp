// The row set in memory: statuses, values, filter, sort, find, sharing, import, Describe, Modify.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "DataStoreFixture.h"
#include "runtime/core/RuntimeError.h"
#include "support/TempFolder.h"

using namespace runtime;
using rowset_fixture::fileLayout;
using rowset_fixture::ids;

namespace {

// Rows as if retrieved: id, prodid, filegrpid, path, exe, linktext.
const char* kRows =
    "1\t1\t10\tC:\\a.exe\t1\tA\n"
    "2\t1\t20\tC:\\b.dll\t0\t\n"
    "3\t1\t10\tC:\\O'Brien.txt\t0\tEmpty\n"
    "4\t1\t\t\t\t\n"
    "5\t1\t20\tC:\\e.ini\t1\tE\n";

void loadRetrieved(DataStore& ds) {
    ASSERT_EQ(ds.importString(kRows), 5);
    ds.resetUpdate();  // as stored in the database
}

class DataStoreTest : public ::testing::Test {
protected:
    void SetUp() override { loadRetrieved(ds); }
    DataStore ds{fileLayout()};
};

TEST_F(DataStoreTest, ValuesTakeTheLayoutsTypes) {
    EXPECT_EQ(ds.getItem(1, "id"), Value(1));
    EXPECT_EQ(ds.getItem(1, "EXE"), Value(1.0));
    EXPECT_EQ(ds.getItem(3, "path"), Value("C:\\O'Brien.txt"));
    EXPECT_EQ(ds.getItem(2, "linktext"), Value(""));  // an empty text field stays a text
    EXPECT_TRUE(ds.getItem(4, "filegrpid").isNull());  // an empty number field is null
    EXPECT_EQ(ds.getItemString(1, "filegrpid"), "10");
    EXPECT_EQ(ds.getItemNumber(4, "filegrpid"), 0.0);
    EXPECT_EQ(ds.getItem(1, 4), ds.getItem(1, "#4"));
}

TEST_F(DataStoreTest, BadRowsAndColumnsAreRuntimeErrors) {
    const std::vector<std::function<void()>> calls = {
        [&] { ds.getItem(0, 1); },
        [&] { ds.getItem(6, 1); },
        [&] { ds.getItem(1, 7); },
        [&] { ds.getItem(1, "nosuch"); },
        [&] { ds.setItem(9, "id", Value(1)); },
        [&] { ds.setItem(1, "nosuch", Value(1)); },
        [&] { ds.getItem(1, 1, Buffer::Delete); },
        [&] { ds.insertRow(7); },
        [&] { ds.insertRow(-1); },
        [&] { ds.deleteRow(0); },
        [&] { ds.getItemStatus(1, 9); },
        [&] { ds.setItemStatus(6, 0, Buffer::Primary, ItemStatus::NotModified); },
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(calls[i](), RuntimeError);
    }
    EXPECT_EQ(ds.rowCount(), 5);
}


TEST(DataStore, SetItemRefusesWhatTheColumnCannotHold) {
    struct Case {
        const char* column;
        Value value;
        long result;
        Value after;
    };
    const std::vector<Case> cases = {
        {"linktext", Value("12345678"), 1, Value("12345678")},
        {"linktext", Value("123456789"), -1, Value("A")},  // char(8): SQLite would not refuse
        {"path", Value(5), -1, Value("C:\\a.exe")},
        {"id", Value("12"), 1, Value(12)},
        {"id", Value("x"), -1, Value(1)},
        {"id", Value(2.6), 1, Value(3)},
        {"exe", Value(1), 1, Value(1.0)},
        {"path", Value(), 1, Value()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        DataStore ds(fileLayout());
        loadRetrieved(ds);
        EXPECT_EQ(ds.setItem(1, c.column, c.value), c.result);
        EXPECT_EQ(ds.getItem(1, c.column), c.after);
        EXPECT_EQ(ds.getItemStatus(1, 0), c.result == 1 ? ItemStatus::DataModified : ItemStatus::NotModified);
    }
}

// A row's status through a sequence of steps, from a stored row or a new one.
TEST(DataStore, StatusTransitions) {
    using S = ItemStatus;
    using Step = std::function<long(DataStore&)>;
    struct Case {
        const char* name;
        bool newRow;
        Step step;
        long result;
        S row, column;  // status of the row and of column "path" afterwards
        long modified;
        Value stored;  // stored value of "path"
    };
    auto set = [](const char* v) -> Step { return [v](DataStore& d) { return d.setItem(1, "path", Value(v)); }; };
    auto status = [](int col, S s) -> Step {
        return [col, s](DataStore& d) { return d.setItemStatus(1, col, Buffer::Primary, s); };
    };
    auto then = [](Step a, Step b) -> Step { return [a, b](DataStore& d) { return a(d) == 1 ? b(d) : -99; }; };
    const Value old("C:\\a.exe");
    const std::vector<Case> cases = {
        {"stored row changed", false, set("x"), 1, S::DataModified, S::DataModified, 1, old},
        {"new row", true, [](DataStore&) { return 1L; }, 1, S::New, S::NotModified, 0, Value()},
        {"new row changed", true, set("x"), 1, S::NewModified, S::DataModified, 1, Value()},
        {"changed, row made not modified", false, then(set("x"), status(0, S::NotModified)), 1,
         S::NotModified, S::NotModified, 0, Value("x")},
        {"changed, column made not modified", false, then(set("x"), status(4, S::NotModified)), 1,
         S::NotModified, S::NotModified, 0, Value("x")},
        {"column marked modified", false, status(4, S::DataModified), 1, S::DataModified,
         S::DataModified, 1, old},
        {"new row made not modified", true, status(0, S::NotModified), -1, S::New, S::NotModified, 0, Value()},
        {"new modified made not modified", true, then(set("x"), status(0, S::NotModified)), 1, S::New,
         S::NotModified, 0, Value()},
        {"new modified made new", true, then(set("x"), status(0, S::New)), -1, S::NewModified,
         S::DataModified, 1, Value()},
        {"stored row made new", false, status(0, S::New), 1, S::New, S::NotModified, 0, Value()},
        {"data modified made new", false, then(set("x"), status(0, S::New)), 1, S::NewModified,
         S::DataModified, 1, old},
        {"new modified made data modified", true, then(set("x"), status(0, S::DataModified)), 1,
         S::DataModified, S::NotModified, 1, Value("x")},
        {"column made new", false, status(4, S::New), -1, S::NotModified, S::NotModified, 0, old},
        {"refused value leaves it", false, set("much too long for twenty"), -1, S::NotModified,
         S::NotModified, 0, old},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataStore ds(fileLayout());
        if (c.newRow) {
            ASSERT_EQ(ds.insertRow(0), 1);
        } else {
            loadRetrieved(ds);
        }
        EXPECT_EQ(c.step(ds), c.result);
        EXPECT_EQ(ds.getItemStatus(1, 0), c.row);
        EXPECT_EQ(ds.getItemStatus(1, 4), c.column);
        EXPECT_EQ(ds.modifiedCount(), c.modified);
        EXPECT_EQ(ds.getItem(1, "path", Buffer::Primary, true), c.stored);
    }
}

TEST_F(DataStoreTest, InsertAndDelete) {
    // Insert before row 2 with the layout's initial values.
    EXPECT_EQ(ds.insertRow(2), 2);
    EXPECT_EQ(ids(ds), (std::vector<long>{1, -1, 2, 3, 4, 5}));
    EXPECT_EQ(ds.getItem(2, "prodid"), Value(1));
    EXPECT_EQ(ds.getItem(2, "linktext"), Value("Empty"));
    EXPECT_TRUE(ds.getItem(2, "path").isNull());
    EXPECT_EQ(ds.getItemStatus(2, 0), ItemStatus::New);
    EXPECT_EQ(ds.insertRow(0), 7);

    // A new row is dropped; a stored one goes to the delete buffer, later rows move up.
    EXPECT_EQ(ds.deleteRow(2), 1);
    EXPECT_EQ(ds.deletedCount(), 0);
    EXPECT_EQ(ds.deleteRow(1), 1);
    EXPECT_EQ(ds.deletedCount(), 1);
    EXPECT_EQ(ids(ds), (std::vector<long>{2, 3, 4, 5, -1}));
    EXPECT_EQ(ids(ds, Buffer::Delete), (std::vector<long>{1}));
    EXPECT_EQ(ds.getItem(1, "path", Buffer::Delete), Value("C:\\a.exe"));
    EXPECT_EQ(ds.modifiedCount(), 0);

    ds.resetUpdate();
    EXPECT_EQ(ds.deletedCount(), 0);
    EXPECT_EQ(ds.getItemStatus(5, 0), ItemStatus::NotModified);
}

TEST_F(DataStoreTest, InsertedRowsKeepTheirPlaceThroughAFilter) {
    ds.insertRow(3);
    ds.setItem(3, "id", Value(9));
    ds.setFilter("id <> 2");
    ds.filter();
    ds.setFilter("");
    ds.filter();
    EXPECT_EQ(ids(ds), (std::vector<long>{1, 2, 9, 3, 4, 5}));
}

TEST_F(DataStoreTest, GetNextModifiedWalksOneBuffer) {
    ds.setItem(2, "exe", Value(1));
    ds.setItem(5, "exe", Value(0));
    EXPECT_EQ(ds.getNextModified(0), 2);
    EXPECT_EQ(ds.getNextModified(2), 5);
    EXPECT_EQ(ds.getNextModified(5), 0);
    ASSERT_EQ(ds.setFilter("id <> 2"), 1);
    ds.filter();
    EXPECT_EQ(ds.getNextModified(0, Buffer::Filter), 1);
    EXPECT_EQ(ds.getNextModified(0), 4);
    EXPECT_EQ(ds.modifiedCount(), 2);
}

TEST_F(DataStoreTest, FilterMovesRowsBetweenBuffersInTheirOrder) {
    struct Case {
        const char* filter;
        std::vector<long> visible, filtered;
    };
    const std::vector<Case> cases = {
        {"filegrpid = 10", {1, 3}, {2, 4, 5}},
        {"filegrpid = 20", {2, 5}, {1, 3, 4}},
        {"id<>3", {1, 2, 4, 5}, {3}},
        {"id=3", {3}, {1, 2, 4, 5}},
        {"filegrpid <> 10", {2, 5}, {1, 3, 4}},  // null is not unequal: row 4 is dropped
        {"upper(path) = 'C:\\O''BRIEN.TXT'", {3}, {1, 2, 4, 5}},
        {"", {1, 2, 3, 4, 5}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        ASSERT_EQ(ds.setFilter(c.filter), 1);
        EXPECT_EQ(ds.filter(), 1);
        EXPECT_EQ(ids(ds), c.visible);
        EXPECT_EQ(ids(ds, Buffer::Filter), c.filtered);
        EXPECT_EQ(ds.rowCount(), static_cast<long>(c.visible.size()));
        EXPECT_EQ(ds.filteredCount(), static_cast<long>(c.filtered.size()));
    }
}

TEST_F(DataStoreTest, MalformedFilterFailsAndChangesNothing) {
    ASSERT_EQ(ds.setFilter("filegrpid = 10"), 1);
    ds.filter();
    for (const char* bad : {"filegrpid =", "nosuch = 1", "path = 5", "(id = 1"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ds.setFilter(bad), -1);
        EXPECT_EQ(ds.filterText(), "filegrpid = 10");
        ds.filter();
        EXPECT_EQ(ids(ds), (std::vector<long>{1, 3}));
    }
}

TEST_F(DataStoreTest, SortIsStableAndKeepsNullsFirst) {
    struct Case {
        const char* criteria;
        std::vector<long> order;
    };
    const std::vector<Case> cases = {
        {"filegrpid A", {4, 1, 3, 2, 5}},
        {"filegrpid D", {2, 5, 1, 3, 4}},
        {"filegrpid D, id D", {5, 2, 3, 1, 4}},
        {"exe D, id A", {1, 5, 2, 3, 4}},
        {"upper(path) D", {3, 5, 2, 1, 4}},
        {"#1 D", {5, 4, 3, 2, 1}},
        {"id", {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.criteria);
        ASSERT_EQ(ds.setSort(c.criteria), 1);
        EXPECT_EQ(ds.sort(), 1);
        EXPECT_EQ(ids(ds), c.order);
    }
    EXPECT_EQ(ds.setSort("nosuch A"), -1);
    EXPECT_EQ(ds.setSort("id A,"), -1);
    EXPECT_EQ(ds.sortText(), "id");
    // No criteria keep the order.
    ASSERT_EQ(ds.setSort("id D"), 1);
    ds.sort();
    ASSERT_EQ(ds.setSort(""), 1);
    ds.sort();
    EXPECT_EQ(ids(ds), (std::vector<long>{5, 4, 3, 2, 1}));
}

TEST_F(DataStoreTest, FilteredRowsComeBackInTheSortedOrder) {
    ASSERT_EQ(ds.setSort("id D"), 1);
    ds.sort();
    ASSERT_EQ(ds.setFilter("exe = 0"), 1);
    ds.filter();
    EXPECT_EQ(ids(ds), (std::vector<long>{3, 2}));
    ds.setFilter("");
    ds.filter();
    EXPECT_EQ(ids(ds), (std::vector<long>{5, 4, 3, 2, 1}));
}

TEST_F(DataStoreTest, Find) {
    struct Case {
        const char* expression;
        long start, end, found;
    };
    const std::vector<Case> cases = {
        {"id = 3", 1, 5, 3},
        {"id = 3", 4, 5, 0},
        {"filegrpid = 20", 1, 5, 2},
        {"filegrpid = 20", 3, 5, 5},
        {"filegrpid = 20", 5, 1, 5},  // backwards
        {"filegrpid = 10", 5, 1, 3},
        {"filegrpid = 10", 1, 99, 1},
        {"filegrpid <> 10", 3, 5, 5},  // passes over the null in row 4
        {"name = 'x'", 1, 5, -1},
        {"id = ", 1, 5, -1},
        {"path = 'C:\\O''Brien.txt'", 1, 5, 3},
        {"path = 'C:\\O~'Brien.txt'", 1, 5, 3},
        {"path = 'c:\\o''brien.txt'", 1, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expression);
        EXPECT_EQ(ds.find(c.expression, c.start, c.end), c.found);
    }
    DataStore empty(fileLayout());
    EXPECT_EQ(empty.find("id = 1", 1, 1), 0);
}

TEST_F(DataStoreTest, MaxIdCountsEveryBuffer) {
    EXPECT_EQ(ds.getItem(1, "c_max_id"), Value(5));
    ds.setFilter("id < 5");
    ds.filter();
    EXPECT_EQ(ds.getItem(1, "c_max_id"), Value(5));  // row 5 is filtered out, yet counts
    ds.setFilter("");
    ds.filter();
    ds.deleteRow(5);
    EXPECT_EQ(ds.getItem(1, "c_max_id"), Value(5));  // deleted but not yet saved
    long row = ds.insertRow(0);
    ds.setItem(row, "id", Value(9));
    EXPECT_EQ(ds.getItem(2, "C_MAX_ID"), Value(9));
    DataStore empty(fileLayout());
    empty.insertRow(0);
    EXPECT_TRUE(empty.getItem(1, "c_max_id").isNull());
}

// The highest id is worked out once per change of the rows; every kind of change is seen, also
// one made through another row set that shares them.
TEST_F(DataStoreTest, TheHighestIdFollowsEveryChange) {
    DataStore view(fileLayout());
    ASSERT_EQ(ds.shareData(view), 1);
    auto highest = [&] { return ds.getItem(1, "c_max_id"); };
    EXPECT_EQ(highest(), Value(5));
    const uint64_t before = ds.changeStamp();
    EXPECT_EQ(highest(), Value(5));
    EXPECT_EQ(ds.changeStamp(), before);  // reading changes nothing
    ds.setFilter("id < 5");
    ds.filter();
    ds.setItem(1, "id", Value(12), runtime::Buffer::Filter);
    EXPECT_EQ(highest(), Value(12));
    view.setItem(1, "id", Value(20));
    EXPECT_EQ(highest(), Value(20));
    EXPECT_EQ(view.getItem(1, "c_max_id"), Value(20));
    ds.deleteRow(1);
    ds.setItem(1, "id", Value(30), runtime::Buffer::Delete);
    EXPECT_EQ(highest(), Value(30));
    ds.resetUpdate();  // the deleted row is gone for good
    EXPECT_EQ(highest(), Value(12));
    ASSERT_EQ(ds.importString("40\t1\t0\ta\t0\t\n"), 1);
    EXPECT_EQ(highest(), Value(40));
    ds.reset();
    ds.insertRow(0);
    EXPECT_TRUE(highest().isNull());
    EXPECT_NE(ds.changeStamp(), before);
}

// Values rewritten as if the database had held them: rows as stored stay so, changed and new rows
// keep their state as setItem() and the NotModified status leave them, and a value the column
// cannot take leaves the old one.
TEST_F(DataStoreTest, RewritingStoredValues) {
    ds.setItem(2, "path", Value("C:\\changed"));
    const long added = ds.insertRow(0);
    const int path[] = {4};
    ds.rewriteStored(path, [](const Value& v) -> std::optional<Value> {
        if (v.isNull()) return Value("none");
        if (v.toText() == "C:\\e.ini") return Value(std::string(30, 'x'));  // longer than char(20)
        if (v.toText() == "C:\\a.exe") return std::nullopt;
        return Value(v.toText() + "!");
    });
    EXPECT_EQ(ds.getItem(1, "path"), Value("C:\\a.exe"));
    EXPECT_EQ(ds.getItem(2, "path"), Value("C:\\changed!"));
    EXPECT_EQ(ds.getItem(3, "path"), Value("C:\\O'Brien.txt!"));
    EXPECT_EQ(ds.getItem(5, "path"), Value("C:\\e.ini"));
    EXPECT_EQ(ds.getItem(added, "path"), Value("none"));
    for (long row = 1; row <= 5; ++row)
        EXPECT_EQ(ds.getItemStatus(row, 0), runtime::ItemStatus::NotModified) << row;
    EXPECT_EQ(ds.getItem(3, "path", runtime::Buffer::Primary, true), Value("C:\\O'Brien.txt!"))
        << "stored so";
    EXPECT_EQ(ds.getItemStatus(added, 0), runtime::ItemStatus::New);
    EXPECT_EQ(ds.modifiedCount(), 0);
}

class Recorder : public RowSetObserver {
public:
    void rowsChanged(Change change, long row, int column) override { events.push_back({change, row, column}); }
    struct Event {
        Change change;
        long row;
        int column;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
};

TEST_F(DataStoreTest, SharedRowsAreOneSetOfRows) {
    DataStore view(fileLayout());
    Recorder seen;
    view.addObserver(&seen);
    ASSERT_EQ(ds.shareData(view), 1);
    EXPECT_TRUE(view.sharesWith(ds));
    EXPECT_EQ(view.rowCount(), 5);

    view.setItem(2, "path", Value("x"));
    EXPECT_EQ(ds.getItem(2, "path"), Value("x"));
    EXPECT_EQ(ds.modifiedCount(), 1);
    long row = ds.insertRow(0);
    EXPECT_EQ(view.rowCount(), 6);
    ds.deleteRow(1);
    ds.setFilter("id = 2");
    ds.filter();
    EXPECT_EQ(view.rowCount(), 1);
    using C = RowSetObserver::Change;
    EXPECT_EQ(seen.events, (std::vector<Recorder::Event>{{C::Reset, 0, 0},
                                                         {C::ItemChanged, 2, 4},
                                                         {C::RowInserted, row, 0},
                                                         {C::RowDeleted, 1, 0},
                                                         {C::Reset, 0, 0}}));

    // A third row set joins; the first leaves and starts empty; the others keep the rows.
    DataStore third(fileLayout());
    ASSERT_EQ(view.shareData(third), 1);
    EXPECT_EQ(third.rowCount(), 1);
    EXPECT_EQ(ds.shareDataOff(), 1);
    EXPECT_EQ(ds.rowCount(), 0);
    EXPECT_EQ(third.rowCount(), 1);
    EXPECT_TRUE(third.sharesWith(view));
    view.removeObserver(&seen);
}

TEST_F(DataStoreTest, SharingNeedsTheSameColumns) {
    DataLayout other = *fileLayout();
    other.columns[0].type = "char(10)";
    DataStore different(std::make_shared<const DataLayout>(other));
    EXPECT_EQ(ds.shareData(different), -1);
    EXPECT_EQ(ds.shareData(ds), -1);
    // Other names for the same columns are fine.
    DataLayout renamed = *fileLayout();
    renamed.columns[5].name = "stringvar_linktext";
    DataStore props(std::make_shared<const DataLayout>(renamed));
    ASSERT_EQ(ds.shareData(props), 1);
    EXPECT_EQ(props.getItem(1, "stringvar_linktext"), Value("A"));
}

TEST_F(DataStoreTest, ShareSurvivesTheDestructionOfARowSet) {
    {
        DataStore view(fileLayout());
        ds.shareData(view);
    }
    ds.setItem(1, "path", Value("y"));
    EXPECT_EQ(ds.rowCount(), 5);
}

TEST(DataStoreImport, ImportsTabSeparatedTextAsNewRows) {
    testing_support::TempFolder folder("import");
    struct Case {
        const char* name;
        std::string text;
        long result;
        long rows;
    };
    const std::vector<Case> cases = {
        {"lines", "7\t2\t3\tC:\\x\t1\tX\r\n8\t2\t3\tC:\\y\t0\tY\r\n", 2, 2},
        {"no closing line end", "7\t2\t3\tC:\\x\t1\tX", 1, 1},
        {"fewer fields", "7\t2\n", 1, 1},
        {"more fields", "7\t2\t3\tp\t1\tX\textra\n", 1, 1},
        {"empty file", "", 0, 0},
        {"too long text", "7\t2\t3\tC:\\x\t1\tX\n8\t2\t3\tC:\\y\t0\tmuch too long\n", -4, 0},
        {"text in a number", "7\tseven\n", -4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataStore ds(fileLayout());
        auto file = folder / "rows.txt";
        testing_support::writeFile(file, c.text);
        EXPECT_EQ(ds.importFile(file), c.result);
        EXPECT_EQ(ds.rowCount(), c.rows);
        if (c.rows > 0) {
            EXPECT_EQ(ds.getItem(1, "id"), Value(7));
            EXPECT_EQ(ds.getItemStatus(1, 0), ItemStatus::NewModified);
        }
    }
    DataStore ds(fileLayout());
    EXPECT_EQ(ds.importFile(folder / "missing.txt"), -1);
}

TEST_F(DataStoreTest, DescribeAnswersTheLayout) {
    struct Case {
        const char* attribute;
        const char* answer;
    };
    const std::vector<Case> cases = {
        {"datawindow.column.count", "6"},
        {"DataWindow.Table.UpdateTable", "FILE"},
        {"#1.Name", "id"},
        {"#6.name", "linktext"},
        {"#7.name", "!"},
        {"path.coltype", "char(20)"},
        {"#2.ColType", "decimal(0)"},
        {"id.key", "yes"},
        {"path.key", "no"},
        {"path.update", "yes"},
        {"path.dbname", "FILE.PATH"},
        {"exe.Edit.Style", "checkbox"},
        {"path.edit.style", "edit"},
        {"path.protect", "0"},
        {"t_width.width", "2423"},
        {"t_title.text", "Files"},
        {"detail.height", "1344"},
        {"DataWindow.Header.Height", "120"},
        {"datawindow.zoom", "100"},
        {"c_max_id.expression", "max(  id  for all )"},
        {"nosuch.width", "!"},
        {"id.nosuch", "!"},
        {"evaluate('if(exe=0, 1, 0)', 2)", "1"},
        {"evaluate('if(exe=0, 1, 0)',1)", "0"},
        {"evaluate('path', 3)", "C:\\O'Brien.txt"},
        {"evaluate('upper(path) = ''C:\\O''''BRIEN.TXT''', 3)", "true"},
        {"evaluate('c_max_id + 1', 1)", "6"},
        {"evaluate('id =', 1)", "!"},
        {"evaluate('id', 99)", "!"},
        {"id.key path.key", "yes\nno"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attribute);
        EXPECT_EQ(ds.describe(c.attribute), c.answer);
    }
}

TEST_F(DataStoreTest, ModifySetsProtectAndColourExpressions) {
    // As the data-window ancestor builds it; the protect part has no blank before "=".
    std::string text =
        "linktext.Protect ='0\tif(exe=0, 1, 0)' linktext.Color = '0\tif(exe=0, 8421504, 0)' "
        "linktext.Background.Color='0\tif(exe=0, 12632256, 16777215)'";
    EXPECT_EQ(ds.modify(text), "");
    EXPECT_EQ(ds.describe("linktext.Protect"), "0\tif(exe=0, 1, 0)\"");
    EXPECT_EQ(ds.describe("linktext.color"), "0\tif(exe=0, 8421504, 0)\"");
    // Row 1 has exe = 1, row 2 exe = 0, row 4 exe null.
    EXPECT_EQ(ds.columnAttribute(1, 6, "protect"), Value(0));
    EXPECT_EQ(ds.columnAttribute(2, 6, "protect"), Value(1));
    EXPECT_EQ(ds.columnAttribute(4, 6, "protect"), Value(0));
    EXPECT_EQ(ds.columnAttribute(2, 6, "color"), Value(8421504));
    EXPECT_EQ(ds.columnAttribute(1, 6, "background.color"), Value(16777215));
    EXPECT_EQ(ds.columnAttribute(1, 4, "protect"), Value(0));  // never set
    // The caller's way of reading it back: after the tab, without the last character.
    std::string answer = ds.describe("linktext.Protect");
    std::string expression = answer.substr(answer.find('\t') + 1);
    expression.pop_back();
    EXPECT_EQ(ds.describe("evaluate('" + expression + "',2)"), "1");
}

// Describe answers one vocabulary of edit styles, whatever name a layout or Modify used. The
// data-window ancestor tells editable fields by the first four letters ("edit" or "drop"):
// that catches edit and editmask, never the drop-down, check box or radio button styles.
TEST(DataStoreEditStyles, DescribeAnswersOneVocabulary) {
    struct Case {
        const char* declared;
        const char* described;
        bool editPrefix;
    };
    const Case cases[] = {
        {"", "edit", true},
        {"edit", "edit", true},
        {"EditMask", "editmask", true},
        {"checkbox", "checkbox", false},
        {"radiobuttons", "radiobuttons", false},
        {"RadioButton", "radiobuttons", false},
        {"ddlb", "ddlb", false},
        {"dropdownlistbox", "ddlb", false},
        {"DDDW", "dddw", false},
        {"dropdowndatawindow", "dddw", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declared);
        DataLayout layout = *fileLayout();
        layout.columns[3].editStyle = c.declared;
        DataStore declared(std::make_shared<const DataLayout>(layout));
        EXPECT_EQ(declared.describe("path.Edit.Style"), c.described);
        DataStore modified(fileLayout());
        EXPECT_EQ(modified.modify(std::string("path.Edit.Style='") + c.declared + "'"), "");
        EXPECT_EQ(modified.describe("PATH.edit.style"), c.described);
        std::string prefix = std::string(c.described).substr(0, 4);
        EXPECT_EQ(prefix == "edit" || prefix == "drop", c.editPrefix);
    }
}

TEST_F(DataStoreTest, ModifyIsAllOrNothing) {
    struct Case {
        const char* text;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"t_title.Text = 'Program files'", true},
        {"t_title.Text='It''s ~'here~''", true},
        {"t_title.Text = 'C:\\PROGRA~1\\x'", true},
        {"datawindow.zoom = 50", true},
        {"DataWindow.Detail.Height=200", true},
        {"t_width.width = 100 t_title.text = 'x'", true},
        {"linktext.protect = '0\tif(exe=, 1, 0)'", false},
        {"linktext.protect = '0\tif(nosuch=0, 1, 0)'", false},
        {"nosuch.Protect = '1'", false},
        {"t_title.Text = 'unclosed", false},
        {"t_title.Text 'x'", false},
        {"linktext.frobnicate = 1", false},
        {"datawindow.zoom = big", false},
        {"t_title.text = 'changed' nosuch.text = 'x'", false},  // first part not applied
    };
    const char* probe = "t_title.text datawindow.zoom detail.height linktext.protect";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DataStore fresh(fileLayout());
        std::string before = fresh.describe(probe);
        std::string error = fresh.modify(c.text);
        EXPECT_EQ(error.empty(), c.ok) << error;
        if (!c.ok) {
            EXPECT_EQ(fresh.describe(probe), before);
        }
    }
    EXPECT_EQ(ds.modify("t_title.Text='It''s ~'here~''"), "");
    EXPECT_EQ(ds.describe("t_title.text"), "It's 'here'");
    EXPECT_EQ(ds.modify("t_title.Text = 'C:\\PROGRA~1\\x'"), "");  // a short name's tilde stays
    EXPECT_EQ(ds.describe("t_title.text"), "C:\\PROGRA~1\\x");
    EXPECT_EQ(ds.modify("datawindow.zoom=75 detail.height = 10"), "");
    EXPECT_EQ(ds.describe("datawindow.zoom detail.height"), "75\n10");
}

TEST_F(DataStoreTest, BlocksOfValuesAreCopiedAtOnce) {
    // Names and values of one row set into a two-column list, as the string-variable list does.
    DataLayout listLayout;
    listLayout.name = "d_list";
    for (const char* name : {"name", "value"}) {
        ColumnLayout c;
        c.name = name;
        c.type = "char(20)";
        listLayout.columns.push_back(c);
    }
    DataStore list(std::make_shared<const DataLayout>(listLayout));
    auto block = ds.getBlock(1, 4, 3, 4);
    ASSERT_EQ(block.size(), 3u);
    for (auto& line : block) line.push_back(Value("v"));
    EXPECT_EQ(list.setBlock(1, 1, block), 1);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.getItem(3, "name"), Value("C:\\O'Brien.txt"));
    EXPECT_EQ(list.getItem(3, 2), Value("v"));
    EXPECT_EQ(list.getItemStatus(3, 0), ItemStatus::NewModified);
    // A value a column cannot take: nothing is written.
    EXPECT_EQ(list.setBlock(3, 1, {{Value("ok")}, {Value("far too long for twenty")}}), -1);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.getItem(3, 1), Value("C:\\O'Brien.txt"));
    EXPECT_THROW(list.setBlock(5, 1, block), RuntimeError);
    EXPECT_THROW(ds.getBlock(1, 1, 9, 2), RuntimeError);
}

TEST(DataStoreLayouts, RowSetsAreGivenLayoutsByName) {
    DataLayout l = *fileLayout();
    l.name = "d_registered_test";
    registerLayout(l);
    DataStore ds;
    ds.setDataObject("D_Registered_Test");
    EXPECT_EQ(ds.dataObject(), "d_registered_test");
    EXPECT_EQ(ds.columnCount(), 6);
    EXPECT_THROW(ds.setDataObject("d_nosuch"), RuntimeError);
}

}  // namespace

namespace {

// A report layout: one group per component, counts and sums per group and for all rows.
std::shared_ptr<const DataLayout> summaryLayout() {
    DataLayout l;
    l.name = "d_summary_test";
    auto col = [&](const char* name, const char* type) {
        ColumnLayout c;
        c.name = name;
        c.type = type;
        l.columns.push_back(c);
    };
    col("proggrp", "char(32)");
    col("filegrp", "char(32)");
    col("files", "long");
    col("size", "long");
    l.groups = {"proggrp"};
    l.sort = "proggrp A, filegrp A";
    l.computed = {
        {"compute_8", "count(filegrp for group 1)"},
        {"compute_1", "if(compute_8 = 1, '1 filegroup', string(compute_8, '###,###,###,##0') + ' filegroups')"},
        {"compute_2", "string(sum(files for group 1), '###,###,###,##0')"},
        {"compute_9", "count(proggrp for all distinct)"},
        {"compute_6", "string(sum(size for all), '###,###,###,##0') + ' bytes'"},
        {"compute_3", "sum(size for group 1)"},
    };
    return std::make_shared<const DataLayout>(std::move(l));
}

}  // namespace

TEST(DataStoreReport, GroupsAndTheirAggregates) {
    DataStore ds(summaryLayout());
    ASSERT_EQ(ds.importString("Main\tBinaries\t1200\t5000000\n"
                              "Docs\tManuals\t3\t1000\n"
                              "Main\tLibraries\t2\t\n"
                              "Empty\t\t0\t0\n"),
              4);
    ds.sort();
    EXPECT_EQ(ds.getItem(1, "proggrp"), Value("Docs"));
    ds.setItem(2, "filegrp", Value());  // a component without file groups has no value there
    EXPECT_EQ(ds.groupCount(), 1);
    EXPECT_EQ(ds.groupRows(3, 1), (std::pair<long, long>{3, 4}));
    EXPECT_EQ(ds.groupRows(2, 1), (std::pair<long, long>{2, 2}));
    struct Case {
        long row;
        const char* column;
        Value expected;
    };
    const std::vector<Case> cases = {
        {1, "compute_1", Value("1 filegroup")},
        {2, "compute_8", Value(0)},  // the component without file groups
        {2, "compute_1", Value("0 filegroups")},
        {3, "compute_1", Value("2 filegroups")},
        {4, "compute_2", Value("1,202")},
        {4, "compute_3", Value(5000000)},  // the null size is skipped
        {1, "compute_9", Value(3)},
        {2, "compute_6", Value("5,001,000 bytes")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " row " + std::to_string(c.row));
        EXPECT_EQ(ds.getItem(c.row, c.column), c.expected);
    }
    EXPECT_EQ(ds.describe("evaluate('sum(files for group 1)', 3)"), "1202");
    EXPECT_THROW(ds.groupRows(1, 2), RuntimeError);
}
