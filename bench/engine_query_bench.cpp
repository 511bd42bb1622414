// Query speed: SQL through the virtual table module over a keyed engine table, against the
// engine's own cursor scan in the same run.
//
// Table: Id I (key), Amount N, Name A20; Amount is spread 0..999 so that "Amount < 100" keeps a
// tenth of the rows. Tables are built once under $RAVELDA_BENCH_DIR (default
// /tmp/ravelda-bench) and reused.
#include "engine/cursor.h"
#include "engine/durability.h"
#include "engine/query.h"
#include "engine/table.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

fs::path benchFolder(std::int64_t rows) {
    const char* base = std::getenv("RAVELDA_BENCH_DIR");
    const fs::path folder =
        fs::path(base ? base : "/tmp/ravelda-bench") / ("query-" + std::to_string(rows));
    if (fs::exists(folder / "T.DB")) return folder;
    fs::create_directories(folder);
    setSyncToDisk(false);
    CreateOptions o;
    o.blockSizeKiB = 4;
    Table::create(folder / "T.DB",
                  {{"Id", FieldType::Long, 0},
                   {"Amount", FieldType::Number, 0},
                   {"Name", FieldType::Alpha, 20}},
                  1, o);
    auto t = Table::open(folder / "T.DB");
    const std::int64_t chunk = 100000;
    for (std::int64_t start = 0; start < rows; start += chunk) {
        std::vector<std::vector<Value>> batch;
        for (std::int64_t i = start; i < std::min(rows, start + chunk); ++i)
            batch.push_back({Value::integer(i + 1),
                             Value::number(static_cast<double>((i * 7919) % 1000)),
                             Value::text("name " + std::to_string(i))});
        t->insertRows(batch);
    }
    setSyncToDisk(true);
    return folder;
}

void runSql(benchmark::State& state, const std::string& sql) {
    const fs::path folder = benchFolder(state.range(0));
    std::int64_t resultRows = 0;
    for (auto _ : state) {
        auto result = runQuery(folder, sql, QueryLanguage::SQL);
        resultRows = result->table().recordCount();
        benchmark::DoNotOptimize(resultRows);
    }
    state.counters["result_rows"] = static_cast<double>(resultRows);
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SqlWhereCount(benchmark::State& state) {
    runSql(state, "SELECT COUNT(*) FROM T WHERE Amount < 100");
}

void BM_SqlWhereRows(benchmark::State& state) {
    runSql(state, "SELECT * FROM T WHERE Amount < 100");
}

void BM_SqlKeyRange(benchmark::State& state) {
    runSql(state, "SELECT COUNT(*) FROM T WHERE Id BETWEEN " + std::to_string(state.range(0) / 2) +
                      " AND " + std::to_string(state.range(0) / 2 + 100));
}

void BM_SqlKeyEqual(benchmark::State& state) {
    runSql(state, "SELECT * FROM T WHERE Id = " + std::to_string(state.range(0) / 3));
}

// The same condition through the engine's cursor alone.
void BM_EngineScanCount(benchmark::State& state) {
    const fs::path folder = benchFolder(state.range(0));
    OpenOptions o;
    o.mode = OpenMode::ReadOnly;
    auto table = Table::open(folder / "T.DB", o);
    for (auto _ : state) {
        Cursor c(*table);
        std::int64_t n = 0;
        for (bool on = c.first(); on; on = c.next())
            if (c.value(1).asDouble() < 100) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_SqlWhereCount)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlWhereRows)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlKeyRange)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqlKeyEqual)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineScanCount)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
