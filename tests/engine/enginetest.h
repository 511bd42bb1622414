#pragma once
// Helpers shared by the engine's tests: the key-counter table shape and row builders.
#include "engine/check.h"
#include "engine/cursor.h"
#include "engine/durability.h"
#include "engine/table.h"
#include "tests/support/tempdir.h"

#include <cstdio>
#include <memory>

#include <filesystem>
#include <string>
#include <vector>

namespace ravelda::engine::test {

// Writes in these tests skip the disk syncs (they protect against power loss, which no test
// simulates); the journal and locks work exactly the same. Tests of syncing switch it back on.
inline const bool kWritesUnsynced = [] {
    setSyncToDisk(false);
    return true;
}();

// Tabella A30, Anno A4, Registro S, Chiave I; keyed on the first three.
inline std::vector<FieldDef> keysFields() {
    return {{"Tabella", FieldType::Alpha, 30},
            {"Anno", FieldType::Alpha, 4},
            {"Registro", FieldType::Short, 0},
            {"Chiave", FieldType::Long, 0}};
}

inline std::vector<Value> keysRow(const std::string& tabella, const std::string& anno, int registro,
                                  int chiave) {
    return {Value::text(tabella), Value::text(anno), Value::integer(registro),
            Value::integer(chiave)};
}

inline std::filesystem::path createKeys(const std::filesystem::path& dir,
                                        const CreateOptions& options = {}) {
    const auto path = dir / "Keys.DB";
    Table::create(path, keysFields(), 3, options);
    return path;
}

inline CreateOptions makeOptions(int version = 0x0C, int codePage = 1252, int blockKiB = 2,
                                 std::string sortOrder = "ascii") {
    CreateOptions o;
    o.version = version;
    o.codePage = codePage;
    o.blockSizeKiB = blockKiB;
    o.sortOrder = std::move(sortOrder);
    return o;
}

// Every row in cursor order.
inline std::vector<std::vector<Value>> allRows(Table& table) {
    std::vector<std::vector<Value>> rows;
    Cursor c(table);
    if (!c.first()) return rows;
    do
        rows.push_back(c.row());
    while (c.next());
    return rows;
}

// The structural check's problems as one printable text ("" when sound).
inline std::string problems(const std::filesystem::path& path) {
    std::string out;
    for (const auto& p : checkTable(path))
        out += p.file.filename().string() + ": " + p.message + "\n";
    return out;
}

// "N0000", "N0001", …: Tabella values that sort as their numbers do.
inline std::string numberedName(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "N%04d", i);
    return buf;
}

// A keyed (Keys shape) or unkeyed table of n rows whose Chiave is 0..n-1 in cursor order, over
// several data blocks; the keyed one is stored out of key order.
struct NumberedKeysTable {
    ravelda::test::TempDir dir;
    std::filesystem::path path;
    std::unique_ptr<Table> table;

    NumberedKeysTable(int n, bool keyed) {
        path = dir / "T.DB";
        Table::create(path, keysFields(), keyed ? 3 : 0, makeOptions(0x0C, 1252, 1));
        table = Table::open(path);
        Cursor c(*table);
        for (int i = 0; i < n; ++i) {
            const int k = keyed ? (i * 37) % n : i;
            c.insert(keysRow(numberedName(k), "2024", 1, k));
        }
    }
};

} // namespace ravelda::engine::test
