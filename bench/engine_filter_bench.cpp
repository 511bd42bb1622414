// Row filter speed over 10^6 rows: the engine's compiled filter on a cursor against the same
// WHERE run by SQLite, over the engine's own virtual table and over a plain SQLite copy, all in
// one run over the same data.
//
// The table (Id I key, Name A20, Amount N) is built once per process in a temporary folder and
// removed at exit. Amount is spread evenly over 0..999.99, so "Amount < 100" keeps about 10%.
#include "engine/cursor.h"
#include "engine/durability.h"
#include "engine/query.h"
#include "engine/table.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using namespace ravelda::engine;
using Op = FilterExpr::Op;

namespace {

constexpr std::int64_t kRows = 1'000'000;
constexpr double kThreshold = 100.0;

double amountOf(std::int64_t i) {
    return static_cast<double>((i * 7919) % 100'000) / 100.0;
}
std::string nameOf(std::int64_t i) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "Name%07lld", static_cast<long long>((i * 31) % kRows));
    return buf;
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

struct Data {
    fs::path dir;
    std::unique_ptr<Table> table;
    sqlite3* vtab = nullptr;  // the engine table through the "paradox" module
    sqlite3* plain = nullptr; // an in-memory SQLite copy

    Data() {
        char pattern[] = "/tmp/ravelda-filter-bench-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
        dir = pattern;
        const fs::path path = dir / "Big.DB";
        setSyncToDisk(false);
        Table::create(path,
                      {{"Id", FieldType::Long, 0},
                       {"Name", FieldType::Alpha, 20},
                       {"Amount", FieldType::Number, 0}},
                      1);
        table = Table::open(path);
        std::vector<std::vector<Value>> rows;
        rows.reserve(kRows);
        for (std::int64_t i = 0; i < kRows; ++i)
            rows.push_back({Value::integer(i), Value::text(nameOf(i)), Value::number(amountOf(i))});
        table->insertRows(rows);

        check(sqlite3_open(":memory:", &vtab), vtab, "open");
        registerParadoxModule(vtab);
        const std::string create =
            "CREATE VIRTUAL TABLE Big USING paradox('" + path.string() + "')";
        check(sqlite3_exec(vtab, create.c_str(), nullptr, nullptr, nullptr), vtab, "vtab");

        check(sqlite3_open(":memory:", &plain), plain, "open");
        check(sqlite3_exec(plain,
                           "CREATE TABLE Big(Id INTEGER PRIMARY KEY, Name TEXT, Amount REAL)",
                           nullptr, nullptr, nullptr),
              plain, "create");
        sqlite3_exec(plain, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(plain, "INSERT INTO Big VALUES(?,?,?)", -1, &ins, nullptr);
        for (std::int64_t i = 0; i < kRows; ++i) {
            const std::string n = nameOf(i);
            sqlite3_bind_int64(ins, 1, i);
            sqlite3_bind_text(ins, 2, n.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(ins, 3, amountOf(i));
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        check(sqlite3_exec(plain, "COMMIT", nullptr, nullptr, nullptr), plain, "commit");
    }
    ~Data() {
        sqlite3_close(vtab);
        sqlite3_close(plain);
        table.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Data& data() {
    static Data d;
    return d;
}

FilterExpr amountBelow() {
    return FilterExpr::compare(Op::Less, 2, Value::number(kThreshold));
}
FilterExpr nameIs() {
    return FilterExpr::compare(Op::Equal, 1, Value::text(nameOf(123'456)));
}

// Counting the accepted rows (a full scan; the filter is installed anew each time so that no
// count is remembered between iterations).
void countWithFilter(benchmark::State& state, const FilterExpr& expr) {
    Cursor c(*data().table);
    std::int64_t n = 0;
    for (auto _ : state) {
        c.setFilter(expr);
        n = c.recordCount();
        benchmark::DoNotOptimize(n);
    }
    state.counters["rows"] = static_cast<double>(n);
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_FilterCount_Amount(benchmark::State& state) {
    countWithFilter(state, amountBelow());
}
void BM_FilterCount_Name(benchmark::State& state) {
    countWithFilter(state, nameIs());
}

// Walking the accepted rows and reading a field of each.
void BM_FilterScan_Amount(benchmark::State& state) {
    Cursor c(*data().table);
    c.setFilter(amountBelow());
    std::int64_t n = 0;
    for (auto _ : state) {
        n = 0;
        std::int64_t sum = 0;
        for (bool on = c.first(); on; on = c.next()) {
            sum += c.value(0).asInteger();
            ++n;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = static_cast<double>(n);
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The record filter alone (each row decoded and handed to a function).
void BM_RecordFilterCount_Amount(benchmark::State& state) {
    Cursor c(*data().table);
    std::int64_t n = 0;
    for (auto _ : state) {
        c.setRecordFilter([](const std::vector<Value>& row) {
            return !row[2].isNull() && row[2].asDouble() < kThreshold;
        });
        n = c.recordCount();
        benchmark::DoNotOptimize(n);
    }
    state.counters["rows"] = static_cast<double>(n);
    state.SetItemsProcessed(state.iterations() * kRows);
}

void runSql(benchmark::State& state, sqlite3* db, const char* sql, bool readColumn) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, sql);
    std::int64_t n = 0, sum = 0;
    for (auto _ : state) {
        n = 0;
        sum = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            sum += sqlite3_column_int64(st, 0);
            ++n;
        }
        check(rc, db, sql);
        sqlite3_reset(st);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(st);
    // A count(*) returns its count as the one value.
    state.counters["rows"] = static_cast<double>(readColumn ? n : sum);
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_SqlVtabCount_Amount(benchmark::State& state) {
    runSql(state, data().vtab, "SELECT count(*) FROM Big WHERE Amount < 100", false);
}
void BM_SqlVtabCount_Name(benchmark::State& state) {
    const std::string sql = "SELECT count(*) FROM Big WHERE Name = '" + nameOf(123'456) + "'";
    runSql(state, data().vtab, sql.c_str(), false);
}
void BM_SqlVtabScan_Amount(benchmark::State& state) {
    runSql(state, data().vtab, "SELECT Id FROM Big WHERE Amount < 100", true);
}
void BM_SqlPlainCount_Amount(benchmark::State& state) {
    runSql(state, data().plain, "SELECT count(*) FROM Big WHERE Amount < 100", false);
}
void BM_SqlPlainScan_Amount(benchmark::State& state) {
    runSql(state, data().plain, "SELECT Id FROM Big WHERE Amount < 100", true);
}

} // namespace

BENCHMARK(BM_FilterCount_Amount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlVtabCount_Amount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlPlainCount_Amount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterScan_Amount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlVtabScan_Amount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlPlainScan_Amount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterCount_Name)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlVtabCount_Name)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordFilterCount_Amount)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
