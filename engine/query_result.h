#pragma once
// Engine internals: turning a prepared statement's rows into a query result.
#include "engine/query.h"
#include "engine/sql_vtab.h"

#include <sqlite3.h>

namespace ravelda::engine {

struct QueryResult::Parts {
    std::filesystem::path folder;
    std::unique_ptr<Table> table;
    std::vector<std::string> columnNames;
    std::string sql;
};

// Steps the statement to its end and stores its rows (see query.h for the result's types).
std::unique_ptr<QueryResult> materialiseResult(sqlite3* db, sqlite3_stmt* stmt,
                                               sql::ModuleState& state, const QueryOptions& options,
                                               const std::string& sqlText);

// The result's field names: the column names made valid and unique in the code page.
std::vector<std::string> resultFieldNames(const std::vector<std::string>& columnNames,
                                          const TextCodec& codec);

} // namespace ravelda::engine
