// TwwTable's row filters over 10^6 rows, against the same condition as an SQL WHERE that the
// table runs as its Query, in one run over the same table: counting the rows of "Amount < 100"
// as a wwFilter expression (the engine's compiled filter), as an OnFilter event (one call per
// row, reading a field), and as SELECT COUNT(*) ... WHERE through SQLite over the engine's
// virtual table. Each round installs its filter (or runs its query) anew and counts, as a user
// setting the filter would. Parsing the expression is measured on its own.
//
// The table (Id I key, Name A20, Amount N) is built once per process in a temporary folder named
// by a temporary alias file, and removed at exit. Amount is spread evenly over 0..999.99, so
// "Amount < 100" keeps about 10%.
#include "data/fields.h"
#include "data/wwfilterparser.h"
#include "data/wwtable.h"
#include "engine/durability.h"
#include "engine/table.h"
#include "platform/strings.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
namespace engine = ravelda::engine;

namespace {

constexpr std::int64_t kRows = 1'000'000;

double amountOf(std::int64_t i) {
    return static_cast<double>((i * 7919) % 100'000) / 100.0;
}

struct Data {
    fs::path dir;

    Data() {
        char pattern[] = "/tmp/ravelda-wwfilter-bench-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
        dir = pattern;
        engine::setSyncToDisk(false);
        const fs::path path = dir / "Big.DB";
        engine::Table::create(path,
                              {{"Id", engine::FieldType::Long, 0},
                               {"Name", engine::FieldType::Alpha, 20},
                               {"Amount", engine::FieldType::Number, 0}},
                              1);
        auto table = engine::Table::open(path);
        std::vector<std::vector<engine::Value>> rows;
        rows.reserve(kRows);
        for (std::int64_t i = 0; i < kRows; ++i)
            rows.push_back({engine::Value::integer(i),
                            engine::Value::text("Name" + std::to_string(i % 1000)),
                            engine::Value::number(amountOf(i))});
        table->insertRows(rows);
        const fs::path aliases = dir / "aliases.conf";
        std::ofstream(aliases) << "bench = " << dir.string() << "\n";
        setenv("RAVELDA_ALIAS_FILE", aliases.c_str(), 1);
    }
    ~Data() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Data& data() {
    static Data d;
    return d;
}

void prepare(TwwTable& table) {
    data();
    table.SetDatabaseName(QStringLiteral("bench"));
    table.SetTableName(QStringLiteral("Big.DB"));
}

void WwFilterCount(benchmark::State& state) {
    TwwTable table(nullptr);
    prepare(table);
    TStringList filter;
    filter.SetStrings({QStringLiteral("Amount < 100")});
    table.Open();
    int n = 0;
    for (auto _ : state) {
        // Set anew each round: the engine remembers the count of an unchanged filter.
        table.SetwwFilter(&filter);
        n = table.RecordCount();
        benchmark::DoNotOptimize(n);
    }
    state.counters["rows"] = n;
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(WwFilterCount)->Unit(benchmark::kMillisecond);

void OnFilterCount(benchmark::State& state) {
    TwwTable table(nullptr);
    prepare(table);
    table.SetOnFilterOptions(TwwOnFilterOptions{ofoEnabled});
    table.Open();
    TField* amount = table.FieldByName(QStringLiteral("Amount"));
    table.SetOnFilter([amount](TDataSet*, bool& accept) { accept = amount->AsFloat() < 100; });
    int n = 0;
    for (auto _ : state) {
        n = table.RecordCount();
        benchmark::DoNotOptimize(n);
    }
    state.counters["rows"] = n;
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(OnFilterCount)->Unit(benchmark::kMillisecond);

void SqlWhereCount(benchmark::State& state) {
    TwwTable table(nullptr);
    prepare(table);
    TStringList query;
    query.SetStrings({QStringLiteral("SELECT COUNT(*) FROM Big WHERE Amount < 100")});
    int n = 0;
    for (auto _ : state) {
        table.SetQuery(&query); // closes the result of the last round
        table.Open();
        n = table.Fields(0)->AsInteger();
        benchmark::DoNotOptimize(n);
    }
    state.counters["rows"] = n;
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(SqlWhereCount)->Unit(benchmark::kMillisecond);

void ParseExpression(benchmark::State& state) {
    const TwwFilterFormat format;
    const QString text =
        QStringLiteral("Customer State = \"CA\" AND (Amount >= 100.5 OR (Id) * (2) < 40) AND "
                       "(Last Name <> \"Rossi\")");
    for (auto _ : state) {
        TwwFilterParseResult r = wwParseFilter(text, format);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(ParseExpression);

} // namespace

BENCHMARK_MAIN();
