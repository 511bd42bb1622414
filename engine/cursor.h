#pragma once
// A cursor over the rows of an open table: key order for keyed tables, physical (block chain)
// order for unkeyed ones.
//
// Movement follows the classic dataset rules: first() and last() set bof()/eof() for an empty
// table; next() on the last row leaves the cursor there and sets eof(); prior() on the first row
// sets bof(). Any successful move clears both flags except that first() sets bof() and last()
// sets eof().
#include "engine/filter.h"
#include "engine/types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravelda::engine {

class Table;

// An opaque, copyable mark of one row. It stays on its row when other rows are inserted or
// deleted and when the row's fields change; it becomes invalid when its own row is deleted (or,
// in a keyed table, whose bookmark is the key, its key changed). An unkeyed row is followed
// through the writes of the table object that gave the bookmark; after a write of someone else
// (another program or table object) it is looked for by its content, at its place or above
// within its block, and is invalid when it changed or moved further.
class Bookmark {
public:
    Bookmark() = default;
    bool empty() const { return data_.empty(); }
    bool operator==(const Bookmark&) const = default;
    // For engine use: the encoded identity of the row.
    explicit Bookmark(std::string data) : data_(std::move(data)) {}
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

// What a row held when a cursor read it. Passed back to Cursor::update() or remove(), it has
// them refused (Error Conflict) when another writer changed or deleted the row since.
class RowVersion {
public:
    RowVersion() = default;
    bool empty() const { return data_.empty(); }
    bool operator==(const RowVersion&) const = default;
    // For engine use and for storing beside a row: the encoded state of the row.
    explicit RowVersion(std::string data) : data_(std::move(data)) {}
    const std::string& data() const { return data_; }

private:
    std::string data_;
};

// Results of Cursor::compare, with the classic values.
enum BookmarkOrder : int {
    bmBefore = -1, // the first bookmark is before the second
    bmSame = 0,    // the same row
    bmAfter = 1,   // the first bookmark is after the second
    bmSameKey = 2, // different rows with equal keys (not possible with a primary key)
};

// A caller's test of one decoded row (one value per field): true keeps the row.
using RecordFilter = std::function<bool(const std::vector<Value>& row)>;

struct LocateOptions {
    bool partialKey = false;      // a Text value matches a field that starts with it
    bool caseInsensitive = false; // Text compared without regard to case
};

class Cursor {
public:
    explicit Cursor(Table& table);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    Table& table() const;

    // Moves; each returns whether the cursor is on a row afterwards.
    bool first();
    bool last();
    bool next();  // false (and eof) at the end
    bool prior(); // false (and bof) at the start
    // Moves n rows forward (negative: backward); returns the distance actually moved (signed).
    std::int64_t moveBy(std::int64_t n);
    bool bof() const;
    bool eof() const;
    // Whether the cursor is on a row (false on an empty table or after the current row went).
    bool hasRow() const;

    std::int64_t recordCount() const;
    // 1-based position of the current row in cursor order; 0 when there is none.
    std::int64_t recordNumber() const;
    // Moves to the row at 1-based position n (clamped to 1..recordCount()).
    void setRecordNumber(std::int64_t n);

    // The current row, one value per field (Error NotFound when there is no current row).
    std::vector<Value> row() const;
    Value value(int fieldIndex) const;

    Bookmark bookmark() const; // of the current row (empty when there is none)
    // Moves to the bookmarked row; false (cursor unchanged) when the row is gone.
    bool gotoBookmark(const Bookmark& bookmark);
    // Whether gotoBookmark would succeed: the row is there (and the filters accept it).
    bool bookmarkValid(const Bookmark& bookmark) const;
    // bmBefore, bmSame, bmAfter or bmSameKey; bookmarks of rows that are gone compare by the
    // position they had (just before the row that took their place). The answer for two rows
    // stays the same while they exist.
    int compare(const Bookmark& a, const Bookmark& b) const;

    // Finds the first row (in cursor order) whose fields equal the values. Uses the primary index
    // when the fields are a prefix of the key and the comparison allows. Found: the row becomes
    // current and true is returned; else the cursor stays and false is returned.
    bool locate(const std::vector<int>& fieldIndexes, const std::vector<Value>& values,
                const LocateOptions& options = {});

    // Every move, locate, count and record number sees every write committed before it began, by
    // this or any other process; row(), value() and bookmark() give the row where the last of
    // them left the cursor (refresh() reads it again). The values a cursor has shown of its row
    // are what update() and remove() expect to find: another writer's change or delete of that
    // row since makes them fail with Error Conflict (kRecordChanged, kRecordDeleted) and write
    // nothing.

    // The current row as this cursor last read it (empty when there is none).
    RowVersion version() const;

    // Stores a new row (one value per field; Null AutoInc fields are issued); the cursor then
    // sits on it. Error KeyViolation ("Key violation") for a duplicate key, nothing written.
    void insert(const std::vector<Value>& row);
    // Replaces the current row (the key may change; the cursor follows the row). With a version,
    // the row that version names is replaced, wherever the cursor stands.
    void update(const std::vector<Value>& row);
    void update(const std::vector<Value>& row, const RowVersion& expected);
    // Deletes the current row (or the one a version names); the cursor moves to the row that
    // followed it (or the new last).
    void remove();
    void remove(const RowVersion& expected);

    // Re-reads the file state and returns to the current row (or its position when it went).
    void refresh();

    // Filters. A filtered cursor shows only the rows that both the expression filter and the
    // record filter accept: moves skip the others, bof()/eof() mark the ends of the accepted
    // rows, recordCount() counts them (a scan of the table), recordNumber() and
    // setRecordNumber() are positions among them, locate() finds only accepted rows and
    // gotoBookmark() of a rejected row returns false with the cursor unchanged.
    //
    // Installing or removing a filter keeps the cursor on its row when that row is accepted,
    // else moves it to the next accepted row (the last one when none follows; no row when none
    // is accepted). insert() and update() store the row even when the filters reject it; the
    // cursor then stays on it, as the classic engines did, until it moves; recordNumber() then
    // gives the place it would have among the accepted rows. refresh() and remove() land on an
    // accepted row by the same rule as installing a filter, and so does a cursor whose row
    // another writer deleted or changed.
    // Texts compare by the table's sort order, whether or not a key uses it.
    //
    // setFilter: std::nullopt removes the expression filter. Error InvalidArgument for a tree
    // that does not fit the table's fields; the cursor then keeps the filter it had.
    void setFilter(std::optional<FilterExpr> expr);
    const std::optional<FilterExpr>& filter() const;
    // Called for each row the cursor considers, after the expression filter accepted it (so
    // possibly several times per row: counting and moving both consider rows). An empty function
    // removes it. The cursor never calls it re-entrantly: while it runs, moving this cursor is
    // refused with Error InvalidArgument. An exception thrown by it propagates out of the cursor
    // call and leaves the cursor where it was before that call.
    void setRecordFilter(RecordFilter filter);
    bool filtered() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace ravelda::engine
