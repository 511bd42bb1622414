// The locate dialog's searches over 10^5 rows of a keyed table: "First" with an exact or
// start-of-text match (the dataset's Locate), and with a match anywhere in the field (a scan of
// the rows with the controls disabled); "Next" from the first row to a match near the end (the
// scan). Each search starts from the first row and looks for the name of the last row, which no
// index covers, so every search walks the whole table.
//
// The table (Id I key, Name A20) is built once per process in a temporary folder named by a
// temporary alias file, and removed at exit.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "dialogs/wwdialog.h"
#include "engine/durability.h"
#include "engine/table.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
namespace engine = ravelda::engine;

namespace {

constexpr std::int64_t kRows = 100'000;

struct Data {
    fs::path dir;

    Data() {
        char pattern[] = "/tmp/ravelda-locate-bench-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
        dir = pattern;
        engine::setSyncToDisk(false);
        const fs::path path = dir / "Big.DB";
        engine::Table::create(
            path, {{"Id", engine::FieldType::Long, 0}, {"Name", engine::FieldType::Alpha, 20}}, 1);
        auto table = engine::Table::open(path);
        std::vector<std::vector<engine::Value>> rows;
        rows.reserve(kRows);
        for (std::int64_t i = 0; i < kRows; ++i)
            rows.push_back({engine::Value::integer(i),
                            engine::Value::text(i == kRows - 1 ? std::string("Last row")
                                                               : "Row " + std::to_string(i))});
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

struct Bound {
    TTable table{nullptr};
    TDataSource source{nullptr};
    TwwLocateDialog dialog{nullptr};
    Bound() {
        data();
        table.SetDatabaseName(QStringLiteral("bench"));
        table.SetTableName(QStringLiteral("Big.DB"));
        table.Open();
        source.SetDataSet(&table);
        dialog.SetDataSource(&source);
        dialog.SetSearchField(QStringLiteral("Name"));
    }
};

// Only the last row is named "Last row".
void Search(benchmark::State& state, TwwLocateMatchType match, const char* value, bool next) {
    Bound b;
    b.dialog.SetMatchType(match);
    b.dialog.SetFieldValue(QString::fromLatin1(value));
    for (auto _ : state) {
        b.table.First();
        const bool found = next ? b.dialog.FindNext() : b.dialog.FindFirst();
        if (!found) state.SkipWithError("not found");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void FirstExact(benchmark::State& s) {
    Search(s, mtExactMatch, "Last row", false);
}
void FirstStart(benchmark::State& s) {
    Search(s, mtPartialMatchStart, "Last", false);
}
void FirstAnywhere(benchmark::State& s) {
    Search(s, mtPartialMatchAny, "st r", false);
}
void NextAnywhere(benchmark::State& s) {
    Search(s, mtPartialMatchAny, "st r", true);
}

BENCHMARK(FirstExact)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstStart)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstAnywhere)->Unit(benchmark::kMillisecond);
BENCHMARK(NextAnywhere)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
