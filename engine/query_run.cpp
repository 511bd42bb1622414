// Running a query: a private SQLite connection over the folder's tables, one statement, its rows
// materialised into a read-only result table.
#include "engine/query.h"
#include "engine/query_result.h"
#include "engine/sql_vtab.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace ravelda::engine {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string quotedName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// Runs DDL of our own; false (with SQLite's message) when SQLite refuses it.
bool exec(sqlite3* db, const std::string& sql, std::string& message) {
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) message = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    return rc == SQLITE_OK;
}

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close_v2(db); }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

// What the authorizer refused while a statement was prepared.
struct Guard {
    std::string refused;
};

const char* actionName(int action) {
    switch (action) {
    case SQLITE_INSERT:
        return "INSERT";
    case SQLITE_UPDATE:
        return "UPDATE";
    case SQLITE_DELETE:
        return "DELETE";
    case SQLITE_ATTACH:
        return "ATTACH";
    case SQLITE_DETACH:
        return "DETACH";
    case SQLITE_PRAGMA:
        return "PRAGMA";
    case SQLITE_TRANSACTION:
        return "a transaction";
    case SQLITE_SAVEPOINT:
        return "SAVEPOINT";
    default:
        return action >= SQLITE_CREATE_INDEX && action <= SQLITE_DROP_VIEW ? "CREATE or DROP"
               : action == SQLITE_ALTER_TABLE                              ? "ALTER TABLE"
                                                                           : "this statement";
    }
}

// Only reading is allowed: a query must not change tables, files or the connection.
int authorize(void* data, int action, const char* target, const char*, const char*, const char*) {
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        // SQLite's own bookkeeping of the schema after a table that could not be opened;
        // a statement that writes the schema itself is refused as not read-only.
        if (target && std::string_view(target).rfind("sqlite_", 0) == 0) return SQLITE_OK;
        [[fallthrough]];
    default: {
        auto* guard = static_cast<Guard*>(data);
        if (guard->refused.empty()) guard->refused = actionName(action);
        return SQLITE_DENY;
    }
    }
}

bool blank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) {
        return c == ';' || std::isspace(static_cast<unsigned char>(c));
    });
}

} // namespace

void registerParadoxModule(sqlite3* db) {
    (void)sql::moduleState(db);
}

void attachFolderTables(sqlite3* db, const std::filesystem::path& folder) {
    sql::ModuleState& state = sql::moduleState(db);
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw Error(Error::Kind::NotFound, folder, "no such folder");
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto& p = it->path();
        if (lower(p.extension().string()) == ".db" && it->is_regular_file(ec)) files.push_back(p);
    }
    if (ec) throw Error(Error::Kind::Io, folder, "cannot list the folder: " + ec.message());
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.filename() < b.filename(); });

    std::set<std::string> used;
    for (const auto& file : files) {
        const std::string stem = file.stem().string();
        const std::string name = file.filename().string();
        // Of two files that differ only in case, the first in byte order is the one named.
        if (stem.empty() || used.count(lower(stem)) || used.count(lower(name))) continue;
        used.insert(lower(stem));
        used.insert(lower(name));
        char* literal = sqlite3_mprintf("%Q", file.string().c_str());
        const std::string create =
            "CREATE VIRTUAL TABLE temp." + quotedName(stem) + " USING paradox(" + literal + ")";
        sqlite3_free(literal);
        std::string message;
        state.lastError.reset();
        if (!exec(db, create, message)) {
            const Error why =
                state.lastError ? *state.lastError : Error(Error::Kind::Corrupt, file, message);
            state.unreadable.insert_or_assign(lower(stem), why);
            state.unreadable.insert_or_assign(lower(name), why);
            state.lastError.reset();
            continue;
        }
        if (!exec(db,
                  "CREATE TEMP VIEW " + quotedName(name) + " AS SELECT * FROM temp." +
                      quotedName(stem),
                  message))
            throw Error(Error::Kind::Io, file, "cannot name the table in queries: " + message);
    }
}

std::unique_ptr<QueryResult> runQuery(const std::filesystem::path& folder, const std::string& text,
                                      QueryLanguage language, const QueryOptions& options) {
    const std::string sqlText = language == QueryLanguage::QBE ? qbeToSql(text, options) : text;
    if (blank(sqlText)) throw Error(Error::Kind::InvalidArgument, {}, "the query is empty");

    Connection conn;
    if (sqlite3_open_v2(":memory:", &conn.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        throw Error(Error::Kind::Io, {}, "cannot start the query engine");
    sqlite3_extended_result_codes(conn.db, 1);
    attachFolderTables(conn.db, folder);
    sql::ModuleState& state = sql::moduleState(conn.db);

    Guard guard;
    sqlite3_set_authorizer(conn.db, authorize, &guard);
    state.lastError.reset();
    state.firstCodePage = 0;

    Statement st;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(conn.db, sqlText.c_str(), static_cast<int>(sqlText.size()),
                                      &st.stmt, &tail);
    if (rc != SQLITE_OK) {
        if (!guard.refused.empty())
            throw Error(Error::Kind::Unsupported, {},
                        "a query only reads rows (" + guard.refused + " is not allowed)");
        if (state.lastError) throw *state.lastError;
        std::string message = sqlite3_errmsg(conn.db);
        const std::string noTable = "no such table: ";
        if (message.rfind(noTable, 0) == 0) {
            std::string name = message.substr(noTable.size());
            for (const char* schema : {"main.", "temp."})
                if (lower(name).rfind(schema, 0) == 0)
                    name = name.substr(std::string(schema).size());
            auto it = state.unreadable.find(lower(name));
            if (it != state.unreadable.end()) throw it->second;
        }
        throw Error(Error::Kind::InvalidArgument, {}, message);
    }
    if (!st.stmt) throw Error(Error::Kind::InvalidArgument, {}, "the query is empty");
    if (tail && !blank(tail)) {
        // Only comments may follow the statement.
        Statement rest;
        if (sqlite3_prepare_v2(conn.db, tail, -1, &rest.stmt, nullptr) != SQLITE_OK || rest.stmt)
            throw Error(Error::Kind::InvalidArgument, {}, "a query is one statement");
    }
    if (!sqlite3_stmt_readonly(st.stmt))
        throw Error(Error::Kind::Unsupported, {}, "a query only reads rows");
    if (sqlite3_column_count(st.stmt) == 0)
        throw Error(Error::Kind::InvalidArgument, {}, "the statement gives no columns");

    return materialiseResult(conn.db, st.stmt, state, options, sqlText);
}

} // namespace ravelda::engine
