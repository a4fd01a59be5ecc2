// The authoring program on products of 1,000, 10,000 and 100,000 files (groups of 100 files under
// 100 components, with string variables and registry entries), each step timed against a baseline
// measured in the same run:
//
//   project_open   the project window until its tree and the first file group's files show;
//                  baseline: a bare ODBC fetch of the rows it reads
//   file_add       10,000 files added through the file dialog's answers (32 names each, as the
//                  dialog gives them) with the duplicate search after each; baseline: the same
//                  answers' folders read and stored as the product's setting and their rows
//                  inserted into a row set, without any search
//   project_save   saving those files; baseline: one prepared INSERT of the same rows, executed
//                  per row in one transaction
//   summary        the summary report; baseline: a bare fetch of its rows and each file's length
//   duplicate      copying the product; baseline: one INSERT ... SELECT per table
//   delete         deleting the copy; baseline: one DELETE per table
//   db_build       a build read from the database; baseline: the writer given the same product
//
// It prints one line per step and size, the ratios at the largest size and authoring_growth: the
// largest time ratio between 10,000 and 100,000 files over all steps (10 when time grows with the
// product).
//
// Usage: bench_authoring_scale [--postgres] [files ...]
//   (a temporary SQLite database and data source are made; --postgres makes a database on the
//   server that RUX_TEST_POSTGRES names, as scripts/test-postgres.sh prints it)
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/core/pakomo.h"
#include "authoring/menus/m_a.h"
#include "authoring/project/nv_create_setup.h"
#include "authoring/windows/w_mdi_frame.h"
#include "authoring/windows/w_summary.h"
#include "bench/BenchCommon.h"
#include "libraries/build/ProjectReader.h"
#include "libraries/build/SetupWriter.h"
#include "libraries/build/nv_build.h"
#include "libraries/duplicate/nv_duplicate.h"
#include "libraries/project/uo_project_files.h"
#include "libraries/project/w_project.h"
#include "platform/Machine.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/QtRuntime.h"
#include "runtime/ui/Services.h"
#include "standard/register_standard.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::die;
using bench::seconds;

namespace {

const char* kDsn = "rux_bench_authoring";
constexpr int kComponents = 100;
constexpr int kGroupSize = 100;
constexpr int kStrings = 100;
constexpr int kAdded = 10000;
constexpr int kAnswer = 32;  // names per answer of the file dialog

// The bare connection with the two baselines of its own: a table's columns and the files' INSERT.
class Bare : public bench::Bare {
public:
    using bench::Bare::Bare;
    // The names of a table's columns, in order.
    std::vector<std::string> columns(const std::string& table) {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, handle(), &st);
        std::string sql = "SELECT * FROM " + table + " WHERE 1 = 0";
        if (!SQL_SUCCEEDED(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS))) die(sql);
        SQLSMALLINT count = 0;
        SQLNumResultCols(st, &count);
        std::vector<std::string> out;
        for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
            SQLCHAR name[128];
            SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            SQLDescribeCol(st, c, name, sizeof name, &length, &type, &size, &digits, &nullable);
            out.emplace_back(reinterpret_cast<const char*>(name));
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return out;
    }
    // The FILE rows of `rows`, through one prepared INSERT in one transaction.
    void insertFiles(const std::vector<std::vector<std::string>>& rows) {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, handle(), &st);
        const char* sql =
            "INSERT INTO FILE (ID, PRODID, FILEGRPID, PATH, README, EXE, LINKTEXT, SHARED) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
        if (!SQL_SUCCEEDED(SQLPrepare(st, (SQLCHAR*)sql, SQL_NTS)))
            die("prepare: " + bench::diagnostics(SQL_HANDLE_STMT, st));
        SQLBIGINT id = 0, prodid = 0, group = 0;
        double readme = 0, exe = 0, shared = 0;
        char path[256] = {}, link[2] = {};
        SQLLEN pathLength = 0, linkLength = SQL_NULL_DATA, zero = 0;
        SQLBindParameter(st, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &id, 0, &zero);
        SQLBindParameter(st, 2, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &prodid, 0, &zero);
        SQLBindParameter(st, 3, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &group, 0, &zero);
        SQLBindParameter(st, 4, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 254, 0, path, sizeof path,
                         &pathLength);
        SQLBindParameter(st, 5, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &readme, 0, &zero);
        SQLBindParameter(st, 6, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &exe, 0, &zero);
        SQLBindParameter(st, 7, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 64, 0, link, sizeof link,
                         &linkLength);
        SQLBindParameter(st, 8, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &shared, 0, &zero);
        for (const auto& r : rows) {
            id = std::atoll(r[0].c_str());
            prodid = std::atoll(r[1].c_str());
            group = std::atoll(r[2].c_str());
            std::snprintf(path, sizeof path, "%s", r[3].c_str());
            pathLength = static_cast<SQLLEN>(std::strlen(path));
            if (!SQL_SUCCEEDED(SQLExecute(st))) die("insert: " + bench::diagnostics(SQL_HANDLE_STMT, st));
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        commit();
    }
};

// The ANSI driver of psqlODBC.
fs::path postgresDriver() {
    std::error_code ec;
    for (const fs::path& lib : {fs::path("/usr/lib"), fs::path("/usr/lib64"), fs::path("/usr/local/lib")}) {
        for (const fs::path& candidate : {lib / "odbc" / "psqlodbca.so", lib / "psqlodbca.so"})
            if (fs::exists(candidate, ec)) return candidate;
        for (fs::directory_iterator it(lib, ec), end; !ec && it != end; it.increment(ec)) {
            fs::path candidate = it->path() / "odbc" / "psqlodbca.so";
            if (fs::exists(candidate, ec)) return candidate;
        }
    }
    return {};
}

struct Step {
    double implementation = 1e30, baseline = 1e30;
    void keep(double i, double b) {
        implementation = std::min(implementation, i);
        baseline = std::min(baseline, b);
    }
    double ratio() const { return implementation / baseline; }
};

const char* const kStepNames[] = {"project_open", "file_add", "project_save", "summary",
                                  "duplicate",    "delete",   "db_build"};
enum StepId { Open, Add, Save, Summary, Duplicate, Delete, Build, StepCount };

// Answers the file dialog with the next names of a list, at most kAnswer at a time.
class Answers : public runtime::FileDialogProvider {
public:
    Answers(std::string folder, std::vector<std::string> names)
        : folder_(std::move(folder)), names_(std::move(names)) {
        previous_ = runtime::setFileDialogProvider(this);
    }
    ~Answers() override { runtime::setFileDialogProvider(previous_); }
    runtime::FileOpenAnswer open(const runtime::FileOpenRequest&) override {
        runtime::FileOpenAnswer a;
        const size_t n = std::min<size_t>(kAnswer, names_.size() - next_);
        if (n == 0) return a;
        a.result = 1;
        a.folder = folder_;
        a.files.assign(names_.begin() + static_cast<std::ptrdiff_t>(next_),
                       names_.begin() + static_cast<std::ptrdiff_t>(next_ + n));
        next_ += n;
        return a;
    }
    bool done() const { return next_ >= names_.size(); }

private:
    std::string folder_;
    std::vector<std::string> names_;
    size_t next_ = 0;
    runtime::FileDialogProvider* previous_;
};

class Bench {
public:
    Bench(pakomo::pakomo& app, fs::path folder, std::string dsn)
        : app_(app), folder_(std::move(folder)), dsn_(std::move(dsn)) {}

    // One product of `files` files as product `prodid`, its files on disk.
    void generate(int prodid, int files) {
        const std::string p = std::to_string(prodid), n = std::to_string(files);
        const int groups = std::max(1, files / kGroupSize);
        const fs::path sources = folder_ / ("sources" + p);
        for (int g = 1; g <= groups; ++g) fs::create_directories(sources / ("g" + std::to_string(g)));
        for (int f = 1; f <= files; ++f) {
            std::ofstream out(sources / ("g" + std::to_string((f - 1) / kGroupSize + 1)) /
                              ("f" + std::to_string(f) + ".txt"));
            out << "file " << f << " of product " << prodid << ": "
                << std::string(static_cast<size_t>(64 + f % 200), 'a' + f % 26) << "\n";
        }
        const std::string src = sources.string();
        auto run = [&](const std::string& sql) {
            if (app_.sqlca.executeImmediate(sql) != 0) die(sql + ": " + app_.sqlca.sqlErrText);
        };
        auto series = [&](const std::string& count, const std::string& insert) {
            run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + count + ") " +
                insert);
        };
        run("INSERT INTO PRODUCT VALUES (" + p + ", 'Scale " + n +
            "', '1.0', 0, 1, 0, 1, '^PROGRAMFILESDIR^\\Scale', 'Empty')");
        run("INSERT INTO WINDOWS VALUES (" + p + ", 1, 0, 0, 1, 1)");
        run("INSERT INTO WMAIN VALUES (" + p + ", 'Setup of ^PRODUCTNAME^', 8421376)");
        run("INSERT INTO PROGRESS VALUES (" + p + ", 'Installing ...', 1)");
        series(std::to_string(kComponents),
               "INSERT INTO PROGGRP SELECT i, " + p +
                   ", 'Component ' || i, '^SETUPPATH^\\part' || i, 0, 0, 1, 7, '', 0 FROM n");
        series(std::to_string(groups), "INSERT INTO FILEGRP SELECT i, " + p + ", 'Group ' || i, (i - 1) % " +
                                           std::to_string(kComponents) + " + 1 FROM n");
        series(n, "INSERT INTO FILE SELECT i, " + p + ", (i - 1) / " + std::to_string(kGroupSize) +
                      " + 1, '" + src + "/g' || ((i - 1) / " + std::to_string(kGroupSize) +
                      " + 1) || '/f' || i || '.txt', 0, 0, '', 0 FROM n");
        series(std::to_string(kStrings),
               "INSERT INTO STRINGS SELECT i, " + p + ", 'VAR' || i, 'value ' || i FROM n");
        series(std::to_string(std::max(1, files / 10)),
               "INSERT INTO REGKEYS SELECT i, " + p + ", (i - 1) % " + std::to_string(kComponents) +
                   " + 1, 3, 'Software\\Scale\\Key' || (i % 100), 'Value' || i, '^VAR' || (i % " +
                   std::to_string(kStrings) + " + 1) || '^', 1 FROM n");
        if (app_.sqlca.commit() != 0) die("commit: " + app_.sqlca.sqlErrText);
    }

    void measure(int prodid, int files, int rounds, std::vector<Step>& steps) {
        steps.assign(StepCount, Step());
        for (int r = 0; r < rounds; ++r) {
            measureOpenAddSave(prodid, files, steps);
            measureSummary(prodid, steps);
            measureCopy(prodid, files, steps);
            measureBuild(prodid, steps);
        }
    }

private:
    // The project window's reads, fetched bare.
    double bareOpen(int prodid) {
        app_.sqlca.commit();
        const std::string p = std::to_string(prodid);
        auto t0 = Clock::now();
        Bare bare(dsn_);
        bare.fetch("SELECT ID, PRODNAME, PRODVERS, BASEPATH, LABEL FROM PRODUCT WHERE ID = " + p);
        bare.fetch("SELECT ID, PRODID, NAME, VALUE FROM STRINGS WHERE PRODID = " + p);
        bare.fetch(
            "SELECT ID, PRODID, NAME, INSTALLPTH, PROGGRPID, REQPROGID, VISIBLE, SETUPTYPES, PATHCHANGE FROM "
            "PROGGRP WHERE PRODID = " +
            p);
        bare.fetch("SELECT ID, PRODID, PROGGRPID, ROOTKEY, REGKEY, VALUENAME FROM REGKEYS WHERE PRODID = " +
                   p);
        bare.fetch("SELECT ID, PRODID, NAME, PROGGRPID FROM FILEGRP WHERE PRODID = " + p);
        bare.fetch(
            "SELECT ID, PRODID, FILEGRPID, PATH, README, EXE, LINKTEXT, SHARED FROM FILE WHERE PRODID = " +
            p);
        return seconds(t0, Clock::now());
    }

    void measureOpenAddSave(int prodid, int files, std::vector<Step>& steps) {
        const double bare = bareOpen(prodid);
        auto t0 = Clock::now();
        app_.gi_prod_id = static_cast<int16_t>(prodid);
        auto project = runtime::createByName("w_project").as<pakomo::w_project>();
        project->open();
        runtime::processPendingEvents();
        pakomo::uo_project_files* pane = nullptr;
        for (auto& p : project->i_panes)
            if (auto* f = dynamic_cast<pakomo::uo_project_files*>(p.get())) pane = f;
        if (!pane) die("the project window has no files pane");
        using Nav = runtime::TreeView::Navigation;
        const long component = pane->tv_project->findItem(Nav::Root, 0);
        const long group = pane->tv_project->findItem(Nav::Child, component);
        pane->tv_project->selectItem(group);
        runtime::processPendingEvents();
        auto t1 = Clock::now();
        if (pane->lv_files->totalItems() != std::min(files, kGroupSize))
            die("the first group shows " + std::to_string(pane->lv_files->totalItems()) + " files");
        steps[Open].keep(seconds(t0, t1), bare);

        // The added files: new paths, in a folder of their own.
        std::vector<std::string> names;
        for (int i = 1; i <= kAdded; ++i) names.push_back("added" + std::to_string(i) + ".txt");
        const std::string addFolder = (folder_ / "added").string();
        pakomo::nv_filegrp& service = *pane->inv_filegrp;
        long groupId = 0;
        pane->fu_selected(groupId);

        // Baseline: each answer's folder read and stored as the product's setting (which every
        // answer must do) and its rows put into a row set of the same layout, ids counted; no
        // duplicate search.
        double baseAdd = 0;
        {
            auto rows = runtime::create<pakomo::u_ds_create_setup_a>();
            rows->setDataObject("d_files");
            rows->setTransObject(&app_.sqlca);
            rows->retrieve(std::vector<runtime::Value>{runtime::Value(prodid)});
            long next = files;
            auto b0 = Clock::now();
            for (size_t i = 0; i < names.size(); ++i) {
                const std::string& name = names[i];
                if (i % kAnswer == 0) {
                    app_.gnv_registry->fnv_get_selectfiles_path(".");
                    app_.gnv_registry->fnv_set_selectfiles_path(addFolder);
                }
                const long row = rows->insertRow(0);
                rows->setItem(row, 1, runtime::Value(++next));
                rows->setItem(row, 2, runtime::Value(prodid));
                rows->setItem(row, 4, runtime::Value(addFolder + "\\" + name));
                rows->setItem(row, 3, runtime::Value(groupId));
            }
            baseAdd = seconds(b0, Clock::now());
            runtime::destroy(rows);
        }
        Answers answers(addFolder, names);
        auto a0 = Clock::now();
        while (!answers.done())
            if (!service.fnv_add_file(project->handle(), groupId)) die("a dialog answer added nothing");
        auto a1 = Clock::now();
        if (pane->ids_file->rowCount() != files + kAdded) die("not every file was added");
        steps[Add].keep(seconds(a0, a1), baseAdd);

        // Baseline: the same rows through one prepared INSERT, into a product of their own.
        std::vector<std::vector<std::string>> rows;
        const std::string scratch = std::to_string(20000 + prodid);
        for (long r = 1; r <= pane->ids_file->rowCount(); ++r) {
            if (pane->ids_file->getItemStatus(r, 0) != runtime::ItemStatus::NewModified) continue;
            rows.push_back({pane->ids_file->getItemString(r, "id"), scratch,
                            pane->ids_file->getItemString(r, "filegrpid"),
                            pane->ids_file->getItemString(r, "path")});
        }
        double baseSave = 0;
        {
            app_.sqlca.commit();
            Bare bare(dsn_);
            auto b0 = Clock::now();
            bare.insertFiles(rows);
            baseSave = seconds(b0, Clock::now());
            bare.execute("DELETE FROM FILE WHERE PRODID = " + scratch);
            bare.commit();
        }
        auto s0 = Clock::now();
        if (!project->fw_save()) die("the project was not saved");
        auto s1 = Clock::now();
        steps[Save].keep(seconds(s0, s1), baseSave);
        project->close();
        runtime::processPendingEvents();
        // The product as it was, for the next round and the steps after.
        if (app_.sqlca.executeImmediate("DELETE FROM FILE WHERE PRODID = " + std::to_string(prodid) +
                                        " AND ID > " + std::to_string(files)) != 0 ||
            app_.sqlca.commit() != 0)
            die("cleaning up: " + app_.sqlca.sqlErrText);
    }

    void measureSummary(int prodid, std::vector<Step>& steps) {
        app_.sqlca.commit();
        const std::string p = std::to_string(prodid);
        auto b0 = Clock::now();
        {
            Bare bare(dsn_);
            bare.fetch("SELECT ID, PRODNAME, PRODVERS, LABEL FROM PRODUCT WHERE ID = " + p);
            bare.fetch("SELECT ID, PRODID, NAME FROM PROGGRP WHERE PRODID = " + p);
            bare.fetch("SELECT ID, PRODID, NAME, PROGGRPID FROM FILEGRP WHERE PRODID = " + p);
            bare.fetch("SELECT ID, PRODID, FILEGRPID, PATH FROM FILE WHERE PRODID = " + p, 4,
                       [](const char* path) {
                           std::error_code ec;
                           (void)fs::file_size(path, ec);
                       });
        }
        const double base = seconds(b0, Clock::now());
        app_.gi_prod_id = static_cast<int16_t>(prodid);
        auto summary = runtime::createByName("w_summary").as<runtime::Window>();
        Clock::time_point shown;
        long reportRows = 0;
        auto* timer = new QTimer(QCoreApplication::instance());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
            if (runtime::EventQueue::pendingCount() > 0) return;
            for (runtime::Window* w : runtime::Window::openWindows()) {
                if (w->className() != "w_summary" || !w->isOpen()) continue;
                shown = Clock::now();
                reportRows = dynamic_cast<pakomo::w_summary&>(*w).dw_1->store().rowCount();
                timer->stop();
                timer->deleteLater();
                w->close();
                return;
            }
        });
        auto t0 = Clock::now();
        timer->start();
        summary->open();
        runtime::processPendingEvents();
        if (reportRows < 1) die("the summary shows nothing");
        steps[Summary].keep(seconds(t0, shown), base);
    }

    void measureCopy(int prodid, int files, std::vector<Step>& steps) {
        static const std::vector<std::string> tables = {
            "PRODUCT",  "STRINGS",  "PROGGRP", "FILEGRP", "FILE",    "REGKEYS", "WINDOWS", "WMAIN",
            "MAINTEXT", "WWELCOME", "WLICAGR", "WUSER",   "WFINISH", "WCREGRP", "README",  "PROGRESS"};
        app_.sqlca.commit();
        double baseCopy = 0, baseDelete = 0;
        {
            Bare bare(dsn_);
            const std::string from = std::to_string(prodid), to = std::to_string(30000 + prodid);
            std::vector<std::string> copies, deletes;
            for (const std::string& table : tables) {
                const std::string key = table == "PRODUCT" ? "ID" : "PRODID";
                std::string select;
                for (const std::string& c : bare.columns(table)) {
                    std::string upper = c;
                    for (char& ch : upper)
                        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
                    select += (select.empty() ? "" : ", ") + (upper == key ? to : c);
                }
                copies.push_back("INSERT INTO " + table + " SELECT " + select + " FROM " + table + " WHERE " +
                                 key + " = " + from);
                deletes.push_back("DELETE FROM " + table + " WHERE " + key + " = " + to);
            }
            auto b0 = Clock::now();
            for (const std::string& s : copies) bare.execute(s);
            bare.commit();
            auto b1 = Clock::now();
            for (const std::string& s : deletes) bare.execute(s);
            bare.commit();
            auto b2 = Clock::now();
            baseCopy = seconds(b0, b1);
            baseDelete = seconds(b1, b2);
        }
        app_.gi_prod_id = static_cast<int16_t>(prodid);
        auto t0 = Clock::now();
        auto copy = runtime::createByName("nv_duplicate").as<pakomo::nv_duplicate>();
        const int16_t copyId = copy->ii_new_prod_id;
        auto t1 = Clock::now();
        runtime::destroy(copy);
        if (copyId <= 0) die("the product was not copied");
        long copied = 0;
        runtime::SqlRow count;
        app_.sqlca.selectInto("SELECT COUNT(*) FROM FILE WHERE PRODID = " + std::to_string(copyId), {},
                              count);
        copied = count[0] ? std::atol(count[0]->c_str()) : 0;
        if (copied != files) die("the copy holds " + std::to_string(copied) + " files");
        auto& service = *app_.gnv_create_setup.as<pakomo::nv_create_setup>();
        auto t2 = Clock::now();
        if (!service.fnv_delete_product(runtime::Value(int{copyId}))) die("the copy was not deleted");
        auto t3 = Clock::now();
        steps[Duplicate].keep(seconds(t0, t1), baseCopy);
        steps[Delete].keep(seconds(t2, t3), baseDelete);
    }

    void measureBuild(int prodid, std::vector<Step>& steps) {
        auto machine = platform::Machine::openAt(folder_ / "machine");
        if (!machine) die("machine: " + machine.error().text);
        app_.sqlca.commit();
        const pakomo::ProjectProduct once =
            pakomo::read_project_product(app_.sqlca, static_cast<int16_t>(prodid), *machine);
        if (!once.ok()) die(once.error);
        build::BuildOptions options;
        double direct = 1e30, fromDatabase = 1e30;
        // Turns alternate which goes first, so that neither always finds the caches warm.
        for (int turn = 0; turn < 2; ++turn) {
            for (int which = 0; which < 2; ++which) {
                fs::remove_all(folder_ / "build");
                ::sync();
                options.outputFolder = folder_ / "build";
                auto t0 = Clock::now();
                if ((which + turn) % 2 == 0) {
                    build::BuildResult result = build::writeSetup(once.product, options);
                    if (!result.ok()) die(result.error);
                    direct = std::min(direct, seconds(t0, Clock::now()));
                } else {
                    pakomo::ProjectProduct read =
                        pakomo::read_project_product(app_.sqlca, static_cast<int16_t>(prodid), *machine);
                    if (!read.ok()) die(read.error);
                    build::BuildResult result = build::writeSetup(read.product, options);
                    if (!result.ok()) die(result.error);
                    fromDatabase = std::min(fromDatabase, seconds(t0, Clock::now()));
                }
            }
        }
        app_.sqlca.commit();
        fs::remove_all(folder_ / "build");
        steps[Build].keep(fromDatabase, direct);
    }

    pakomo::pakomo& app_;
    fs::path folder_;
    std::string dsn_;
};

}  // namespace

int main(int argc, char** argv) {
    bench::programName = "authoring_scale";
    bool postgres = false;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--postgres")
            postgres = true;
        else if (std::atoi(a.c_str()) >= kGroupSize)
            sizes.push_back(std::atoi(a.c_str()));
        else
            die("usage: bench_authoring_scale [--postgres] [files ...]");
    }
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const fs::path folder = fs::temp_directory_path() / ("rux-bench-authoring-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string database;  // on the server, dropped at the end
    if (postgres) {
        {
            std::ofstream ini(folder / "odbc.ini");
            const char* server = std::getenv("RUX_TEST_POSTGRES");
            const fs::path driver = postgresDriver();
            if (!server || !*server)
                die("--postgres needs RUX_TEST_POSTGRES (scripts/test-postgres.sh env <folder>)");
            if (driver.empty()) die("the PostgreSQL ODBC driver (psqlodbca.so) is not installed");
            std::string lines;
            for (std::string_view s = server; !s.empty();) {
                const size_t end = s.find(';');
                lines.append(s.substr(0, end)).append("\n");
                if (end == std::string_view::npos) break;
                s.remove_prefix(end + 1);
            }
            database = "rux_bench_" + std::to_string(getpid());
            for (const auto& [name, db] : {std::pair<std::string, std::string>{"rux_bench_admin", "postgres"},
                                           std::pair<std::string, std::string>{kDsn, database}})
                ini << "[" << name << "]\nDriver=" << driver.string() << "\n"
                    << lines << "Database=" << db << "\n\n";
        }
        setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);
    } else {
        bench::useSqliteDataSource(folder, kDsn);
    }
    setenv("RUX_MACHINE", (folder / "machine").c_str(), 1);
    if (postgres) Bare("rux_bench_admin", true).execute("CREATE DATABASE " + database);

    QApplication qt(argc, argv);
    runtime::installQtRuntime();
    pakomo::registerCoreLayouts();
    pakomo::register_standard();
    pakomo::register_project();
    pakomo::register_menus();
    pakomo::register_windows();
    pakomo::register_build_library();
    pakomo::register_duplicate_library();
    pakomo::register_project_library();
    int status = 0;
    {
        pakomo::pakomo application;
        application.g_str_pass.full_appname = "Pakomo 1.0e";
        runtime::Transaction& sqlca = application.sqlca;
        bench::connect(sqlca, kDsn);
        bench::createSchema(sqlca, RUX_SCHEMA_SCRIPT);

        Bench bench(application, folder, kDsn);
        for (size_t i = 0; i < sizes.size(); ++i) bench.generate(static_cast<int>(i + 1), sizes[i]);
        application.gnv_registry = runtime::create<pakomo::nv_registry_create_setup>();
        application.gnv_win32api = runtime::createByName("nv_winapi");
        application.gnv_create_setup = runtime::createByName("nv_create_setup").as<pakomo::nv_a>();
        application.gnv_regobjects = runtime::createByName("nv_regobjects").as<pakomo::nv_a>();

        std::printf("database: %s\n", postgres ? "PostgreSQL" : "SQLite");
        std::map<int, std::vector<Step>> results;
        for (size_t i = 0; i < sizes.size(); ++i) {
            const int rounds = sizes[i] >= 100000 ? 2 : 3;
            bench.measure(static_cast<int>(i + 1), sizes[i], rounds, results[sizes[i]]);
            for (int s = 0; s < StepCount; ++s) {
                const Step& step = results[sizes[i]][static_cast<size_t>(s)];
                std::printf("%-13s files %6d: %8.4f s, baseline %8.4f s, ratio %6.3f\n", kStepNames[s],
                            sizes[i], step.implementation, step.baseline, step.ratio());
            }
            std::fflush(stdout);
        }
        const std::vector<Step>& largest = results[sizes.back()];
        std::printf("project_open_ratio: %.3f\n", largest[Open].ratio());
        std::printf("file_add_ratio: %.3f\n", largest[Add].ratio());
        std::printf("project_save_ratio: %.3f\n", largest[Save].ratio());
        std::printf("summary_ratio: %.3f\n", largest[Summary].ratio());
        std::printf("duplicate_ratio: %.3f\n", largest[Duplicate].ratio());
        std::printf("delete_ratio: %.3f\n", largest[Delete].ratio());
        std::printf("db_build_ratio: %.3f\n", largest[Build].ratio());
        if (results.count(10000) && results.count(100000)) {
            double growth = 0;
            const char* worst = "";
            for (int s = 0; s < StepCount; ++s) {
                const double g = results[100000][static_cast<size_t>(s)].implementation /
                                 results[10000][static_cast<size_t>(s)].implementation;
                if (g > growth) {
                    growth = g;
                    worst = kStepNames[s];
                }
            }
            std::printf("authoring_growth: %.3f (%s)\n", growth, worst);
        }

        for (auto* object : {&application.gnv_regobjects, &application.gnv_create_setup})
            if (*object) runtime::destroy(*object);
        runtime::destroy(application.gnv_win32api);
        runtime::destroy(application.gnv_registry);
        sqlca.disconnect();
    }
    if (postgres)
        Bare("rux_bench_admin", true).execute("DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
    std::error_code ec;
    fs::remove_all(folder, ec);
    return status;
}
