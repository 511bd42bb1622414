#pragma once
// Queries over the tables of a folder: SQL through SQLite, whose virtual tables read the engine's
// tables, and a small query-by-example (QBE) language translated into that SQL.
//
// Table names. Every .DB file of the folder is one virtual table, reachable by its file name
// without the extension (Keys) and by its whole file name as a quoted name ("Keys.DB"). Names are
// matched without regard to ASCII case, as on the systems the tables come from; a name that two
// files answer to (names differing only in case) is refused as ambiguous. runQuery opens,
// read-only, only the tables its statement names (their fields make the SQL columns), so a table
// that cannot be opened is reported, with the engine's error, only by a query that names it.
//
// Values as SQL sees them:
//   Alpha, Memo                    TEXT in UTF-8
//   Short, Long, AutoInc, Logical  INTEGER (Logical as 0 / 1)
//   Number, Money, BCD             REAL
//   Date                           TEXT 'YYYY-MM-DD'
//   Time                           TEXT 'HH:MM:SS', or 'HH:MM:SS.mmm' when not a whole second
//   Timestamp                      TEXT 'YYYY-MM-DD HH:MM:SS[.mmm]' (the form of datetime())
//   Bytes and the other blobs      BLOB
//   blank fields                   NULL
// Dates, times and timestamps so written sort and compare correctly as text, and compare with
// the results of SQLite's date() and datetime().
//
// The result is read-only: it is materialised into a private unkeyed Paradox table, opened
// read-only, in a temporary folder that goes with the QueryResult. A result column that is a
// plain column of a source table keeps that field's type and size (unless a value of the column
// does not fit it, e.g. through a UNION); computed columns take their type from the values:
// integers Long (Number outside 32 bits), reals Number, texts Alpha sized to the longest value
// (Memo above 255 bytes), blobs Binary blob (Blob); a column with nothing but NULLs is Alpha 1.
// Field names are the column names made unique and valid ("COUNT(*)" stays, a second "Name"
// becomes "Name_2", names are cut to 25 bytes). The result's text code page is
// QueryOptions::codePage, else that of the first table the statement read, else 1252; a value
// that code page cannot hold is refused with Error Encoding naming the column.
#include "engine/error.h"
#include "engine/table.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace ravelda::engine {

// Makes the "paradox" virtual table module known to a connection:
//   CREATE VIRTUAL TABLE x USING paradox('/path/to/Table.DB')
// The module reads through its own engine tables and cursors (one cursor per scan, so self-joins
// work) and refuses every change with "the query result is read-only".
void registerParadoxModule(sqlite3* db);

// Registers the module when needed and creates one temporary virtual table per .DB table of the
// folder, under both names described above (opening every table; one that cannot be opened is
// left out). Error NotFound when the folder does not exist, Io when it cannot be listed.
void attachFolderTables(sqlite3* db, const std::filesystem::path& folder);

enum class QueryLanguage { SQL, QBE };

struct QueryOptions {
    // Where the private result folder is made (empty: the system's temporary folder).
    std::filesystem::path tempParent;
    // The result's code page (0: that of the first table read, else 1252).
    int codePage = 0;
    // QBE: a blank numeric field compares as zero (otherwise a blank matches no condition).
    bool blanksAsZero = false;
    // QBE: texts in conditions compare without regard to ASCII case.
    bool caseInsensitive = false;
};

// A finished query: its rows in a read-only table.
class QueryResult {
public:
    ~QueryResult(); // closes the table and removes the private folder
    QueryResult(const QueryResult&) = delete;
    QueryResult& operator=(const QueryResult&) = delete;

    // The rows, opened read-only (canModify() false: "the query result is read-only").
    Table& table() { return *table_; }
    // The column names as the statement gave them (UTF-8), one per field of table().
    const std::vector<std::string>& columnNames() const { return columnNames_; }
    // The SQL that ran (the translation for a QBE query).
    const std::string& sql() const { return sql_; }

    struct Parts;
    explicit QueryResult(Parts parts);

private:
    std::filesystem::path folder_;
    std::unique_ptr<Table> table_;
    std::vector<std::string> columnNames_;
    std::string sql_;
};

// Runs one statement over the tables of folder. Errors: Error InvalidArgument with SQLite's
// message for a bad statement (e.g. "no such table: Nope", "near \"SELEC\": syntax error"),
// Unsupported naming the construct for QBE beyond the supported subset or for a statement that
// changes data, and the engine's own Error (its kind and message) when a table cannot be read.
std::unique_ptr<QueryResult> runQuery(const std::filesystem::path& folder, const std::string& text,
                                      QueryLanguage language, const QueryOptions& options = {});

// The SQL a QBE query stands for (see docs/queries.md for the supported subset). Error
// InvalidArgument for malformed text, Unsupported naming the construct beyond the subset.
std::string qbeToSql(const std::string& text, const QueryOptions& options = {});

// The problem text of every refused change to a query result.
inline constexpr const char* kQueryReadOnly = "the query result is read-only";

} // namespace ravelda::engine
