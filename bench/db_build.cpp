// Builds a product of 2,000 files from the project database (read over ODBC, then written) and
// the same product given to the build's writer directly, in turns, and prints the ratio of the
// best times of each.
//
// Usage: bench_db_build [files] [rounds] [windows]   (a temporary SQLite database and data source are
// made; with "windows" the source files are named by paths of the machine's drive C:)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"
#include "libraries/build/ProjectReader.h"
#include "libraries/build/SetupWriter.h"
#include "platform/Machine.h"
#include "runtime/db/Transaction.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::die;
using bench::execute;
using bench::seconds;

namespace {

const char* kDsn = "rux_bench_db_build";
constexpr int kComponents = 10;

// Source files that compress like programs and data do: runs of text with random bytes between.
std::string content(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s;
    s.reserve(size);
    while (s.size() < size) {
        if (rng() % 2)
            s += "the quick brown fox jumps over the lazy dog " + std::to_string(rng() % 1000);
        else
            for (int i = 0; i < 64; ++i) s += static_cast<char>(rng());
    }
    s.resize(size);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    bench::programName = "db_build";
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
    const bool windowsPaths = argc > 3 && std::string(argv[3]) == "windows";
    const fs::path folder = fs::temp_directory_path() / ("rux_db_build_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);

    bench::useSqliteDataSource(folder, kDsn);
    runtime::Transaction sqlca;
    bench::connect(sqlca, kDsn);
    bench::createSchema(sqlca, RUX_SCHEMA_SCRIPT);

    // One product: components with a file group each, the files spread over them.
    execute(
        sqlca,
        "INSERT INTO PRODUCT VALUES (1, 'Bench', '1.0', 0, 1, 0, 1, '^PROGRAMFILESDIR^\\Bench', 'Empty')");
    execute(sqlca, "INSERT INTO WINDOWS VALUES (1, 1, 0, 0, 1, 1)");
    execute(sqlca, "INSERT INTO WMAIN VALUES (1, 'Setup of ^PRODUCTNAME^', 8421376)");
    execute(sqlca, "INSERT INTO PROGRESS VALUES (1, 'Installing ...', 1)");
    for (int c = 1; c <= kComponents; ++c) {
        const std::string id = std::to_string(c);
        execute(sqlca, "INSERT INTO PROGGRP VALUES (" + id + ", 1, 'Part " + id + "', '^SETUPPATH^\\part" +
                           id + "', 0, 0, 1, 1, 'Component " + id + "', 0)");
        execute(sqlca, "INSERT INTO FILEGRP VALUES (" + id + ", 1, 'Group " + id + "', " + id + ")");
        execute(sqlca, "INSERT INTO REGKEYS VALUES (" + id + ", 1, " + id + ", 3, 'Software\\Bench', 'Part" +
                           id + "', '^PATH_Part " + id + "^', 1)");
    }
    auto machine = platform::Machine::openAt(folder / "machine");
    if (!machine) die("machine: " + machine.error().text);
    const fs::path sources = windowsPaths ? folder / "machine" / "drive_c" / "Sources" : folder / "sources";
    fs::create_directories(sources);
    for (int f = 1; f <= files; ++f) {
        const std::string name = "file" + std::to_string(f) + ".bin";
        std::ofstream(sources / name, std::ios::binary)
            << content(8192 + static_cast<size_t>(f % 7) * 4096, uint32_t(f));
        const std::string path = windowsPaths ? "C:\\Sources\\" + name : (sources / name).string();
        execute(sqlca, "INSERT INTO FILE VALUES (" + std::to_string(f) + ", 1, " +
                           std::to_string(f % kComponents + 1) + ", '" + path + "', 0, 0, '', 0)");
    }
    if (sqlca.commit() != 0) die("commit: " + sqlca.sqlErrText);

    const pakomo::ProjectProduct once = pakomo::read_project_product(sqlca, 1, *machine);
    if (!once.ok()) die(once.error);
    if (once.product.files.size() != static_cast<size_t>(files)) die("not every file was read");

    build::BuildOptions options;
    double bestDirect = 1e9, bestFromDatabase = 1e9, bestRead = 1e9, bestWrite = 1e9;
    // Turns alternate which of the two goes first, so that neither always finds the caches warm.
    for (int r = 0; r < rounds * 2; ++r) {
        // Every build writes into a fresh folder, as a first build does.
        fs::remove_all(folder / "direct");
        fs::remove_all(folder / "database");
        ::sync();
        auto t0 = Clock::now();
        if ((r % 2) == ((r / 2) % 2)) {
            options.outputFolder = folder / "direct";
            build::BuildResult direct = build::writeSetup(once.product, options);
            if (!direct.ok()) die(direct.error);
            bestDirect = std::min(bestDirect, seconds(t0, Clock::now()));
        } else {
            options.outputFolder = folder / "database";
            pakomo::ProjectProduct read = pakomo::read_project_product(sqlca, 1, *machine);
            if (!read.ok()) die(read.error);
            auto tr = Clock::now();
            bestRead = std::min(bestRead, seconds(t0, tr));
            build::BuildResult fromDatabase = build::writeSetup(read.product, options);
            bestWrite = std::min(bestWrite, seconds(tr, Clock::now()));
            if (!fromDatabase.ok()) die(fromDatabase.error);
            bestFromDatabase = std::min(bestFromDatabase, seconds(t0, Clock::now()));
        }
    }
    sqlca.disconnect();
    fs::remove_all(folder);

    std::printf("files: %d, best of %d rounds\n", files, rounds);
    std::printf("writer given the product: %.3f s\n", bestDirect);
    std::printf("read from the database and written: %.3f s (best reading %.4f s, best writing %.3f s)\n",
                bestFromDatabase, bestRead, bestWrite);
    std::printf("db_build_ratio: %.3f\n", bestFromDatabase / bestDirect);
    return 0;
}
