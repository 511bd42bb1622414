// Running a query: a private SQLite connection over the folder's tables, one statement, its rows
// materialised into a read-only result table.
#include "engine/ascii.h"
#include "engine/query.h"
#include "engine/query_result.h"
#include "engine/sql_vtab.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace ravelda::engine {

namespace {

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

namespace {

struct FolderTable {
    std::filesystem::path file;
    std::string stem; // the name without extension
    std::string name; // the file name
};

// The .DB tables of a folder in byte order of their names.
std::vector<FolderTable> folderTables(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw Error(Error::Kind::NotFound, folder, "no such folder");
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto& p = it->path();
        if (asciiLower(p.extension().string()) == ".db" && it->is_regular_file(ec))
            files.push_back(p);
    }
    if (ec) throw Error(Error::Kind::Io, folder, "cannot list the folder: " + ec.message());
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
    std::vector<FolderTable> out;
    for (const auto& file : files) {
        FolderTable t{file, file.stem().string(), file.filename().string()};
        if (!t.stem.empty()) out.push_back(std::move(t));
    }
    return out;
}

// Every table by both its names in lower case. SQL names ignore case, so a name that several
// files answer to (their names differ only in case) leads to all of them.
std::map<std::string, std::vector<std::size_t>>
tablesByName(const std::vector<FolderTable>& tables) {
    std::map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t t = 0; t < tables.size(); ++t)
        for (const std::string* name : {&tables[t].stem, &tables[t].name}) {
            auto& found = byName[asciiLower(*name)];
            if (found.empty() || found.back() != t) found.push_back(t);
        }
    return byName;
}

// The one table a name of a statement stands for; Error InvalidArgument when files whose names
// differ only in case all answer to it, since picking one would read a table nobody chose.
const FolderTable& namedTable(const std::filesystem::path& folder,
                              const std::vector<FolderTable>& tables,
                              const std::vector<std::size_t>& matches, const std::string& name) {
    if (matches.size() == 1) return tables[matches.front()];
    std::string files;
    for (std::size_t t : matches)
        files += (files.empty() ? "" : ", ") + tables[t].name;
    throw Error(Error::Kind::InvalidArgument, folder,
                "table name '" + name + "' is ambiguous: files " + files + " differ only in case");
}

// Gives one table its two SQL names. False when it cannot be opened; why is then kept in
// state.unreadable under both names.
bool attachTable(sqlite3* db, sql::ModuleState& state, const FolderTable& t) {
    char* literal = sqlite3_mprintf("%Q", t.file.string().c_str());
    const std::string create =
        "CREATE VIRTUAL TABLE temp." + quotedName(t.stem) + " USING paradox(" + literal + ")";
    sqlite3_free(literal);
    std::string message;
    state.lastError.reset();
    if (!exec(db, create, message)) {
        const Error why =
            state.lastError ? *state.lastError : Error(Error::Kind::Corrupt, t.file, message);
        state.unreadable.insert_or_assign(asciiLower(t.stem), why);
        state.unreadable.insert_or_assign(asciiLower(t.name), why);
        state.lastError.reset();
        return false;
    }
    if (!exec(db,
              "CREATE TEMP VIEW " + quotedName(t.name) + " AS SELECT * FROM temp." +
                  quotedName(t.stem),
              message))
        throw Error(Error::Kind::Io, t.file, "cannot name the table in queries: " + message);
    return true;
}

// The table a "no such table: NAME" message names, without a schema prefix ("" for another
// message).
std::string missingTable(const std::string& message) {
    const std::string noTable = "no such table: ";
    if (message.rfind(noTable, 0) != 0) return "";
    std::string name = message.substr(noTable.size());
    for (const std::string schema : {"main.", "temp."})
        if (asciiLower(name).rfind(schema, 0) == 0) name = name.substr(schema.size());
    return name;
}

} // namespace

void attachFolderTables(sqlite3* db, const std::filesystem::path& folder) {
    sql::ModuleState& state = sql::moduleState(db);
    // Of tables whose names differ only in case, the first takes the names.
    std::set<std::string> used;
    for (const auto& t : folderTables(folder)) {
        if (used.count(asciiLower(t.stem)) || used.count(asciiLower(t.name))) continue;
        used.insert(asciiLower(t.stem));
        used.insert(asciiLower(t.name));
        attachTable(db, state, t);
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
    sql::ModuleState& state = sql::moduleState(conn.db);
    // Tables are opened as the statement names them, so a query pays only for what it reads.
    const std::vector<FolderTable> tables = folderTables(folder);
    const auto byName = tablesByName(tables);
    std::set<std::string> attached;

    Guard guard;
    Statement st;
    const char* tail = nullptr;
    for (;;) {
        guard.refused.clear();
        state.lastError.reset();
        state.firstCodePage = 0;
        sqlite3_set_authorizer(conn.db, authorize, &guard);
        const int rc = sqlite3_prepare_v2(conn.db, sqlText.c_str(),
                                          static_cast<int>(sqlText.size()), &st.stmt, &tail);
        sqlite3_set_authorizer(conn.db, nullptr, nullptr);
        if (rc == SQLITE_OK) break;
        if (!guard.refused.empty())
            throw Error(Error::Kind::Unsupported, {},
                        "a query only reads rows (" + guard.refused + " is not allowed)");
        if (state.lastError) throw *state.lastError;
        const std::string message = sqlite3_errmsg(conn.db);
        const std::string name = missingTable(message);
        auto it = name.empty() ? byName.end() : byName.find(asciiLower(name));
        if (it == byName.end()) throw Error(Error::Kind::InvalidArgument, {}, message);
        const FolderTable& table = namedTable(folder, tables, it->second, name);
        if (!attached.insert(table.name).second)
            throw Error(Error::Kind::InvalidArgument, {}, message);
        if (!attachTable(conn.db, state, table)) throw state.unreadable.at(asciiLower(name));
    }
    sqlite3_set_authorizer(conn.db, authorize, &guard);
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
