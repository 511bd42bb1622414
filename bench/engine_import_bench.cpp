// `ravelda-db import` against the sqlite3 shell's `.import` of the very same CSV file: 10^5 rows
// shaped like Keys.DB (Tabella A30, Anno A4, Registro S, Chiave I; key = the first three), once
// in key order (as `dump` writes them) and once shuffled.
//
// Both peers run as real processes, as a user would run them, with their normal durable writes:
// every sync is kept (ravelda-db syncs each batch; sqlite3 commits .import as one transaction
// in its default rollback-journal mode). The table is created before the clock starts; the
// figure is the wall time of the import alone (its process's CPU time is reported as
// cpu_ms/op). Files live in $RAVELDA_BENCH_DIR (default /tmp/ravelda-bench).
#include "engine/table.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <spawn.h>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

fs::path benchDir() {
    const char* env = std::getenv("RAVELDA_BENCH_DIR");
    fs::path d = env && *env ? env : "/tmp/ravelda-bench";
    fs::create_directories(d);
    return d;
}

// The CSV of n rows (header first), written on first use: key order, or a fixed shuffle.
fs::path keysCsv(std::int64_t n, bool shuffled) {
    fs::path p =
        benchDir() / ("import-keys" + std::to_string(n) + (shuffled ? "-shuffled" : "") + ".csv");
    if (fs::exists(p)) return p;
    std::vector<std::int64_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937_64(3));
    std::ofstream out(p, std::ios::binary);
    out << "Tabella,Anno,Registro,Chiave\r\n";
    char line[64];
    for (std::int64_t i : order) {
        std::snprintf(line, sizeof line, "Doc%06lld,%04lld,%lld,%lld\r\n",
                      static_cast<long long>(i / 1000), static_cast<long long>(1900 + i / 10 % 100),
                      static_cast<long long>(i % 10 + 1), static_cast<long long>(i));
        out << line;
    }
    return p;
}

// Runs a program (looked up in PATH) with its output discarded; false unless it exits with 0.
bool runProgram(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double childCpuMs() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void removeTables(const fs::path& dir) {
    for (const char* f : {"Keys.DB", "Keys.PX", "keys.sqlite", "keys.sqlite-journal"})
        fs::remove(dir / f);
}

std::int64_t sqliteCount(const fs::path& db) {
    sqlite3* conn = nullptr;
    sqlite3_stmt* st = nullptr;
    std::int64_t n = -1;
    if (sqlite3_open_v2(db.c_str(), &conn, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(conn, "SELECT COUNT(*) FROM keys", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(conn);
    return n;
}

// One benchmark: create the empty table (untimed), import the file (timed), check the count.
template <typename Create, typename Import, typename Count>
void importBench(benchmark::State& state, Create create, Import import, Count count) {
    const std::int64_t n = state.range(0);
    const fs::path csv = keysCsv(n, state.range(1) != 0);
    const fs::path dir = benchDir() / "import";
    fs::create_directories(dir);
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        removeTables(dir);
        if (!create(dir)) {
            state.SkipWithError("cannot create the table");
            break;
        }
        const double before = childCpuMs();
        state.ResumeTiming();
        const bool ok = import(dir, csv);
        state.PauseTiming();
        cpu += childCpuMs() - before;
        if (!ok || count(dir) != n) {
            state.SkipWithError("the import failed");
            break;
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["cpu_ms/op"] = benchmark::Counter(
        cpu / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1)));
}

void BM_ImportRavelda(benchmark::State& state) {
    importBench(
        state,
        [](const fs::path& dir) {
            return runProgram({RAVELDA_DB_TOOL, "create", (dir / "Keys.DB").string(), "--fields",
                               "Tabella:A30,Anno:A4,Registro:S,Chiave:I", "--key", "3"});
        },
        [](const fs::path& dir, const fs::path& csv) {
            return runProgram(
                {RAVELDA_DB_TOOL, "import", (dir / "Keys.DB").string(), csv.string()});
        },
        [](const fs::path& dir) {
            ravelda::engine::OpenOptions ro;
            ro.mode = ravelda::engine::OpenMode::ReadOnly;
            return ravelda::engine::Table::open(dir / "Keys.DB", ro)->recordCount();
        });
}

void BM_ImportSqlite(benchmark::State& state) {
    importBench(
        state,
        [](const fs::path& dir) {
            return runProgram({"sqlite3", (dir / "keys.sqlite").string(),
                               "CREATE TABLE keys(Tabella TEXT, Anno TEXT, Registro INTEGER, "
                               "Chiave INTEGER, PRIMARY KEY(Tabella, Anno, Registro))"});
        },
        [](const fs::path& dir, const fs::path& csv) {
            return runProgram({"sqlite3", (dir / "keys.sqlite").string(),
                               ".import --csv --skip 1 " + csv.string() + " keys"});
        },
        [](const fs::path& dir) { return sqliteCount(dir / "keys.sqlite"); });
}

// Arguments: rows, shuffled (0: key order). The peers take turns, so both see the same load.
BENCHMARK(BM_ImportRavelda)->Args({100000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportSqlite)->Args({100000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportRavelda)->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportSqlite)->Args({100000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
