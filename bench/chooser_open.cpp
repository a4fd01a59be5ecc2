// Fills the project database with 10,000 products, opens the product chooser on them and sorts its
// list, and prints the ratio of that time to a bare ODBC fetch of the same rows in the same run.
//
// Usage: bench_chooser_open [products]   (a temporary SQLite database and data source are made)
#include <QApplication>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/pakomo.h"
#include "authoring/menus/m_a.h"
#include "authoring/project/nv_create_setup.h"
#include "authoring/windows/w_choose_product.h"
#include "authoring/windows/w_mdi_frame.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/QtRuntime.h"
#include "standard/register_standard.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kDsn = "rux_bench_chooser";
const char* kSelect =
    "SELECT PRODUCT.ID, PRODUCT.PRODNAME, PRODUCT.PRODVERS, PRODUCT.README, PRODUCT.SETUPNORM, "
    "PRODUCT.SETUPMIN, PRODUCT.SETUPCUST, PRODUCT.BASEPATH, PRODUCT.LABEL FROM PRODUCT ORDER BY PRODUCT.ID ASC";

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "chooser_open: %s\n", what.c_str());
    std::exit(1);
}

// The catalogue's SELECT with nothing but the driver's calls: every cell read as text.
long bareFetch() {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT st = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string conn = std::string("DSN=") + kDsn;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)conn.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT)))
        die("bare connect failed");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)kSelect, SQL_NTS))) die("bare select failed");
    SQLSMALLINT columns = 0;
    SQLNumResultCols(st, &columns);
    char buffer[512];
    long rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(st))) {
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
            SQLLEN indicator = 0;
            SQLGetData(st, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        }
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    long products = argc > 1 ? std::atol(argv[1]) : 10000;
    if (products < 1 || products > 32767) die("bad product count");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    fs::path folder = fs::temp_directory_path() / ("rux-bench-chooser-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::path db = folder / "bench.db";
    std::ofstream(db).close();
    {
        std::ofstream ini(folder / "odbc.ini");
        ini << "[" << kDsn << "]\nDriver=SQLite3\nDatabase=" << db.string() << "\nNoCreat=1\n";
    }
    setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);
    setenv("RUX_MACHINE", (folder / "machine").c_str(), 1);

    QApplication qt(argc, argv);
    runtime::installQtRuntime();
    pakomo::registerCoreLayouts();
    pakomo::register_standard();
    pakomo::register_project();
    pakomo::register_menus();
    pakomo::register_windows();
    pakomo::pakomo application;
    runtime::Transaction& sqlca = application.sqlca;
    sqlca.dbms = "ODBC";
    sqlca.dbParm = std::string("Connectstring='DSN=") + kDsn + "'";
    if (sqlca.connect() != 0) die("connect: " + sqlca.sqlErrText);
    auto exec = [&](const std::string& sql) {
        if (sqlca.executeImmediate(sql) != 0) die(sql + ": " + sqlca.sqlErrText);
    };
    exec("CREATE TABLE PRODUCT (ID DECIMAL(10,0) NOT NULL PRIMARY KEY, PRODNAME VARCHAR(32), PRODVERS VARCHAR(16), "
         "README DOUBLE PRECISION, SETUPNORM DOUBLE PRECISION, SETUPMIN DOUBLE PRECISION, SETUPCUST DOUBLE PRECISION, "
         "BASEPATH VARCHAR(254), LABEL VARCHAR(32))");
    // Names in an order other than the ids', so that sorting the list moves items.
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(products) +
         ") INSERT INTO PRODUCT SELECT i, 'Product ' || ((i * 7919) % 10007), '1.00.' || (i % 100), 0, 1, 0, 1, "
         "'^PROGRAMFILESDIR^\\^PRODUCTNAME^', 'Empty' FROM n");
    if (sqlca.commit() != 0) die("commit: " + sqlca.sqlErrText);

    application.gnv_win32api = runtime::createByName("nv_winapi");
    application.gnv_create_setup = runtime::createByName("nv_create_setup").as<pakomo::nv_a>();

    const int runs = 5;
    double bestChooser = 1e30, bestBare = 1e30;
    long bareRows = 0;
    int items = 0;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        bareRows = bareFetch();
        auto t1 = Clock::now();
        auto chooser = runtime::createByName("w_choose_product").as<pakomo::w_choose_product>();
        chooser->open();
        runtime::processPendingEvents();  // ue_init: share, re-read and fill the list
        chooser->lv_choice->sort(runtime::ListView::SortType::Ascending);
        items = chooser->lv_choice->totalItems();
        auto t2 = Clock::now();
        chooser->close();
        runtime::processPendingEvents();
        bestBare = std::min(bestBare, seconds(t0, t1));
        bestChooser = std::min(bestChooser, seconds(t1, t2));
    }
    if (bareRows != products || items != products + 1)
        die("counts differ: bare " + std::to_string(bareRows) + ", list " + std::to_string(items));

    std::printf("products: %ld\n", products);
    std::printf("bare_select_seconds: %.4f\n", bestBare);
    std::printf("chooser_open_sort_seconds: %.4f\n", bestChooser);
    std::printf("chooser_open_ratio: %.3f\n", bestChooser / bestBare);

    // Where the time goes: the catalogue's read, the list's fill and its sort, each alone.
    {
        auto chooser = runtime::createByName("w_choose_product").as<pakomo::w_choose_product>();
        chooser->open();
        runtime::processPendingEvents();
        auto& service = *application.gnv_create_setup.as<pakomo::nv_create_setup>();
        auto t0 = Clock::now();
        service.fnv_retrieve_all_products();
        auto t1 = Clock::now();
        chooser->fw_populate_treeview();
        auto t2 = Clock::now();
        chooser->lv_choice->sort(runtime::ListView::SortType::Ascending);
        auto t3 = Clock::now();
        std::printf("catalogue_read_seconds: %.4f\n", seconds(t0, t1));
        std::printf("list_fill_seconds: %.4f\n", seconds(t1, t2));
        std::printf("list_sort_seconds: %.4f\n", seconds(t2, t3));
        chooser->close();
        runtime::processPendingEvents();
    }

    runtime::destroy(application.gnv_create_setup);
    runtime::destroy(application.gnv_win32api);
    sqlca.disconnect();
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
