// libFuzzer target over the QBE translator: any text is translated or refused with an engine
// Error, and what it translates is SQL that SQLite parses (names and texts correctly quoted).
#include "engine/error.h"
#include "engine/query.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <string>

using namespace ravelda::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        sqlite3_open(":memory:", &d);
        return d;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string sql;
    try {
        QueryOptions options;
        options.blanksAsZero = size % 2 == 1;
        options.caseInsensitive = size % 3 == 1;
        sql = qbeToSql(text, options);
    } catch (const Error&) {
        return 0;
    }
    if (sql.rfind("SELECT ", 0) != 0) __builtin_trap();
    // No table exists, so a well-formed statement fails on its table name; a syntax error would
    // mean a name or a text escaped its quotes.
    sqlite3_stmt* stmt = nullptr;
    const int rc =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    if (rc == SQLITE_OK || std::strncmp(sqlite3_errmsg(db), "no such table: ", 15) != 0)
        __builtin_trap();
    return 0;
}
