// Fills the project database with 10,000 products, opens the product chooser on them and sorts its
// list, and prints the ratio of that time to a bare ODBC fetch of the same rows in the same run.
//
// Usage: bench_chooser_open [products]   (a temporary SQLite database and data source are made)
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/pakomo.h"
#include "authoring/menus/m_a.h"
#include "authoring/project/nv_create_setup.h"
#include "authoring/windows/w_choose_product.h"
#include "authoring/windows/w_mdi_frame.h"
#include "bench/BenchCommon.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/QtRuntime.h"
#include "standard/register_standard.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::die;
using bench::seconds;

namespace {

const char* kDsn = "rux_bench_chooser";
const char* kSelect =
    "SELECT PRODUCT.ID, PRODUCT.PRODNAME, PRODUCT.PRODVERS, PRODUCT.README, PRODUCT.SETUPNORM, "
    "PRODUCT.SETUPMIN, PRODUCT.SETUPCUST, PRODUCT.BASEPATH, PRODUCT.LABEL FROM PRODUCT ORDER BY PRODUCT.ID ASC";

// The catalogue's SELECT with nothing but the driver's calls: every cell read as text.
long bareFetch() { return bench::Bare(kDsn, true).fetch(kSelect); }

}  // namespace

int main(int argc, char** argv) {
    bench::programName = "chooser_open";
    long products = argc > 1 ? std::atol(argv[1]) : 10000;
    if (products < 1 || products > 32767) die("bad product count");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    fs::path folder = fs::temp_directory_path() / ("rux-bench-chooser-" + std::to_string(getpid()));
    fs::create_directories(folder);
    bench::useSqliteDataSource(folder, kDsn);
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
    bench::connect(sqlca, kDsn);
    auto exec = [&](const std::string& sql) { bench::execute(sqlca, sql); };
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
