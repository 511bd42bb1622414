// Table engine speed on a keyed table shaped like Keys.DB (Tabella A30, Anno A4, Registro S,
// Chiave I; key = the first three), with SQLite and pxlib measured as peers in the same run.
//
// fsync: the engine syncs every write. For "fsync aside" figures this executable interposes
// fsync/fdatasync and skips them while gSkipSync is set (table building and the *NoSync
// benchmarks); BM_InsertSynced keeps them. pread calls are counted the same way, to show how
// many reads a locate or an open costs.
//
// Tables are built once under $RAVELDA_BENCH_DIR (default /tmp/ravelda-bench) and reused.
#include "engine/cursor.h"
#include "engine/table.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sqlite3.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" {
#include <paradox.h>
}

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

bool gSkipSync = false;
long gReads = 0;

} // namespace

// Interposed C library calls (this executable's definitions win over libc's).
extern "C" int fsync(int fd) {
    return gSkipSync ? 0 : static_cast<int>(::syscall(SYS_fsync, fd));
}
extern "C" int fdatasync(int fd) {
    return gSkipSync ? 0 : static_cast<int>(::syscall(SYS_fdatasync, fd));
}
extern "C" ssize_t pread(int fd, void* buf, size_t n, off_t off) {
    ++gReads;
    return ::syscall(SYS_pread64, fd, buf, n, off);
}
extern "C" ssize_t pread64(int fd, void* buf, size_t n, off_t off) {
    ++gReads;
    return ::syscall(SYS_pread64, fd, buf, n, off);
}

namespace {

const std::vector<FieldDef>& keysFields() {
    static const std::vector<FieldDef> f{{"Tabella", FieldType::Alpha, 30},
                                         {"Anno", FieldType::Alpha, 4},
                                         {"Registro", FieldType::Short, 2},
                                         {"Chiave", FieldType::Long, 4}};
    return f;
}

// Row i of a table of n rows, in key order: Tabella "Doc000123", Anno 1990.., Registro 1..10.
struct KeyRow {
    std::string tabella, anno;
    int registro;
};
KeyRow keyOf(std::int64_t i) {
    char t[16], a[8];
    std::snprintf(t, sizeof t, "Doc%06lld", static_cast<long long>(i / 1000));
    std::snprintf(a, sizeof a, "%04lld", static_cast<long long>(1900 + i / 10 % 100));
    return {t, a, static_cast<int>(i % 10) + 1};
}
std::vector<Value> rowOf(std::int64_t i) {
    KeyRow k = keyOf(i);
    return {Value::text(k.tabella), Value::text(k.anno), Value::integer(k.registro),
            Value::integer(i)};
}

fs::path benchDir() {
    const char* env = std::getenv("RAVELDA_BENCH_DIR");
    fs::path d = env && *env ? env : "/tmp/ravelda-bench";
    fs::create_directories(d);
    return d;
}

// The Keys.DB-shaped table with n rows, built (fsync skipped) on first use.
fs::path keysTable(std::int64_t n) {
    fs::path p = benchDir() / ("keys" + std::to_string(n) + ".DB");
    if (fs::exists(p)) {
        OpenOptions ro;
        ro.mode = OpenMode::ReadOnly;
        if (Table::open(p, ro)->recordCount() == n) return p;
    }
    gSkipSync = true;
    CreateOptions options;
    options.overwrite = true;
    Table::create(p, keysFields(), 3, options);
    {
        auto table = Table::open(p);
        auto cursor = table->cursor();
        for (std::int64_t i = 0; i < n; ++i)
            cursor->insert(rowOf(i));
    }
    gSkipSync = false;
    return p;
}

// The same rows in SQLite, with the same primary key.
fs::path sqliteTable(std::int64_t n) {
    fs::path p = benchDir() / ("keys" + std::to_string(n) + ".sqlite");
    sqlite3* db = nullptr;
    bool fresh = !fs::exists(p);
    sqlite3_open(p.c_str(), &db);
    if (fresh) {
        sqlite3_exec(db,
                     "CREATE TABLE keys(Tabella TEXT, Anno TEXT, Registro INTEGER, Chiave "
                     "INTEGER, PRIMARY KEY(Tabella, Anno, Registro)); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO keys VALUES(?,?,?,?)", -1, &ins, nullptr);
        for (std::int64_t i = 0; i < n; ++i) {
            KeyRow k = keyOf(i);
            sqlite3_bind_text(ins, 1, k.tabella.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(ins, 2, k.anno.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 3, k.registro);
            sqlite3_bind_int64(ins, 4, i);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return p;
}

OpenOptions readOnly() {
    OpenOptions o;
    o.mode = OpenMode::ReadOnly;
    return o;
}

// Open and position on the first row: must not depend on the table's size.
void BM_Open(benchmark::State& state) {
    fs::path p = keysTable(state.range(0));
    long reads = 0;
    for (auto _ : state) {
        long before = gReads;
        auto table = Table::open(p, readOnly());
        auto cursor = table->cursor();
        benchmark::DoNotOptimize(cursor->first());
        reads += gReads - before;
    }
    state.counters["reads/op"] =
        benchmark::Counter(static_cast<double>(reads) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Open)->Arg(10)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Locate by the full key, random existing rows.
void BM_LocateFullKey(benchmark::State& state) {
    std::int64_t n = state.range(0);
    auto table = Table::open(keysTable(n), readOnly());
    auto cursor = table->cursor();
    std::mt19937_64 rng(1);
    long reads = 0;
    for (auto _ : state) {
        KeyRow k = keyOf(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(n)));
        long before = gReads;
        bool found = cursor->locate(
            {0, 1, 2}, {Value::text(k.tabella), Value::text(k.anno), Value::integer(k.registro)});
        reads += gReads - before;
        if (!found) state.SkipWithError("row not found");
        benchmark::DoNotOptimize(cursor->value(3));
    }
    state.counters["reads/op"] =
        benchmark::Counter(static_cast<double>(reads) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_LocateFullKey)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// SQLite's indexed point query on the same rows.
void BM_SqlitePointQuery(benchmark::State& state) {
    std::int64_t n = state.range(0);
    sqlite3* db = nullptr;
    sqlite3_open_v2(sqliteTable(n).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, "SELECT Chiave FROM keys WHERE Tabella=? AND Anno=? AND Registro=?", -1,
                       &q, nullptr);
    std::mt19937_64 rng(1);
    for (auto _ : state) {
        KeyRow k = keyOf(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(n)));
        sqlite3_bind_text(q, 1, k.tabella.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(q, 2, k.anno.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(q, 3, k.registro);
        if (sqlite3_step(q) != SQLITE_ROW) state.SkipWithError("row not found");
        benchmark::DoNotOptimize(sqlite3_column_int64(q, 0));
        sqlite3_reset(q);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(q);
    sqlite3_close(db);
}
BENCHMARK(BM_SqlitePointQuery)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Full scan in key order, every field decoded.
void BM_ScanEngine(benchmark::State& state) {
    std::int64_t n = state.range(0);
    fs::path p = keysTable(n);
    for (auto _ : state) {
        auto table = Table::open(p, readOnly());
        auto cursor = table->cursor();
        std::int64_t rows = 0;
        for (bool on = cursor->first(); on; on = cursor->next()) {
            benchmark::DoNotOptimize(cursor->row());
            ++rows;
        }
        if (rows != n) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ScanEngine)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// pxlib reading the same file, every field decoded.
void BM_ScanPxlib(benchmark::State& state) {
    std::int64_t n = state.range(0);
    fs::path p = keysTable(n);
    for (auto _ : state) {
        pxdoc_t* px = PX_new();
        if (PX_open_file(px, p.c_str()) < 0) {
            state.SkipWithError("pxlib cannot open the table");
            break;
        }
        int count = px->px_head->px_numrecords;
        std::vector<char> buf(static_cast<std::size_t>(PX_get_recordsize(px)));
        for (int r = 0; r < count; ++r) {
            PX_get_record(px, r, buf.data());
            char* text = nullptr;
            if (PX_get_data_alpha(px, buf.data(), 30, &text) > 0) px->free(px, text);
            if (PX_get_data_alpha(px, buf.data() + 30, 4, &text) > 0) px->free(px, text);
            short s = 0;
            long l = 0;
            PX_get_data_short(px, buf.data() + 34, 2, &s);
            PX_get_data_long(px, buf.data() + 36, 4, &l);
            benchmark::DoNotOptimize(s + l);
        }
        PX_close(px);
        PX_delete(px);
        if (count != n) state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ScanPxlib)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Insert of a new key at a random place, on a copy of the n-row table.
void insertBench(benchmark::State& state, bool sync) {
    std::int64_t n = state.range(0);
    fs::path copy = benchDir() / "insert-copy.DB";
    for (const char* ext : {".DB", ".PX"}) {
        fs::path from = keysTable(n), to = copy;
        from.replace_extension(ext);
        to.replace_extension(ext);
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
    auto table = Table::open(copy);
    auto cursor = table->cursor();
    std::mt19937_64 rng(5);
    std::int64_t extra = 0;
    gSkipSync = !sync;
    for (auto _ : state) {
        // A new key just after a random existing Tabella, so it lands anywhere in the table.
        KeyRow k = keyOf(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(n)));
        cursor->insert({Value::text(k.tabella + "x" + std::to_string(extra++)), Value::text(k.anno),
                        Value::integer(k.registro), Value::integer(0)});
    }
    gSkipSync = false;
}
void BM_InsertNoSync(benchmark::State& state) {
    insertBench(state, false);
}
void BM_InsertSynced(benchmark::State& state) {
    insertBench(state, true);
}
BENCHMARK(BM_InsertNoSync)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertSynced)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
