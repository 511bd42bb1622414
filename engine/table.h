#pragma once
// A Paradox table (.DB with its .PX, .MB and .VAL) opened by file path.
//
// The table object holds one open view of the files. Reads are served from a small block cache;
// every write takes the table's OS write lock, re-reads the current file state, applies the
// change to the blocks involved under a rollback journal ("<table>.DB-journal" beside the table)
// and syncs before returning. A journal left behind by a killed writer is rolled back by the
// next opener. Not thread-safe: use one table object per thread.
#include "engine/codepage.h"
#include "engine/types.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravelda::engine {

class Cursor;

enum class OpenMode {
    ReadWrite, // falls back to read-only (canModify() false, with the reason) when the file or
               // folder cannot be written or the table is one the engine must not write
    ReadOnly,
    Exclusive, // read-write, and no other opener (any mode) is admitted while open;
               // Error Locked when the table is already open elsewhere
};

struct OpenOptions {
    OpenMode mode = OpenMode::ReadWrite;
    // Overrides the code page the header names (0 = use the header's; 3.x tables, which record
    // none, read as 437, later tables saying 0 as 1252).
    int codePage = 0;
};

// A field's validity checks from the .VAL file. fieldNumber is 1-based in field order.
struct FieldCheck {
    int fieldNumber = 0;
    std::string picture; // empty when the field has none
    bool required = false;
    std::optional<Value> minimum, maximum, defaultValue;
};

// A picture by field number (1-based), as Table::create takes and Table::pictures gives them.
struct FieldPicture {
    int fieldNumber = 0;
    std::string picture;
    bool operator==(const FieldPicture&) const = default;
};

struct CreateOptions {
    // Version ID as stored at header byte 0x39: 4 (3.5), 9 (4.x), 0x0B (5.x), 0x0C (7.x).
    int version = 0x0C;
    int codePage = 1252;
    // Data block size in KiB (1 to 32).
    int blockSizeKiB = 2;
    // Sort order of the key: "ascii" (byte order) or an international order ("intl",
    // "ANSIINTL", "ANSII850", "DBWINUS0").
    std::string sortOrder = "ascii";
    // Pictures written to the .VAL file (none: no .VAL file).
    std::vector<FieldPicture> pictures;
    // Replace an existing table of that name (otherwise Error InvalidArgument when it exists):
    // its .PX, .MB, .VAL, secondary indexes and journal are removed, nothing else; Error Locked
    // while anyone has the table open.
    bool overwrite = false;
};

class Table {
public:
    // Opens the .DB at path (the .PX/.MB/.VAL beside it are found case-insensitively).
    // Error NotFound, Corrupt, Unsupported (e.g. encrypted), Locked, Io.
    static std::unique_ptr<Table> open(const std::filesystem::path& path,
                                       const OpenOptions& options = {});

    // Creates an empty table whose first keyFieldCount fields form the primary key
    // (0 = unkeyed, no .PX). Error InvalidArgument for bad definitions.
    static void create(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                       int keyFieldCount, const CreateOptions& options = {});

    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::filesystem::path& path() const;
    const std::vector<FieldDef>& fields() const;
    // Index (0-based) of the field with this name compared without regard to ASCII case, or -1.
    int fieldIndex(std::string_view name) const;
    int keyFieldCount() const;
    bool isKeyed() const { return keyFieldCount() > 0; }
    // Version ID (header byte 0x39) and its readable form: "3.0", "3.5", "4.x", "5.x", "7.x".
    int version() const;
    std::string versionName() const;
    int codePage() const;          // the one texts are converted with
    std::string sortOrder() const; // collation name: "ascii", "intl", "ANSII850", …
    int sortOrderCode() const;     // header byte 0x29
    int blockSizeKiB() const;
    std::int64_t recordCount() const; // as of the last open, refresh or own write
    bool hasSecondaryIndexes() const; // .Xnn/.Ynn/.XGn/.YGn files beside the table
    // The table has blob fields but its .MB is missing: it is read-only, and blobs stored in the
    // .MB read as Null (those short enough to live in the record still read).
    bool blobFileMissing() const;
    // This object rolled back a journal that a killed writer left beside the table.
    bool recoveredInterruptedWrite() const;

    // Whether rows may be inserted, updated or deleted, and why not ("" when they may).
    bool canModify() const;
    const std::string& readOnlyReason() const;

    // Validity checks and pictures from the .VAL (empty when there is no .VAL). Error Corrupt,
    // naming the .VAL, when that file cannot be read (the table itself stays usable).
    const std::vector<FieldCheck>& checks() const;
    std::vector<FieldPicture> pictures() const;
    // The picture of field number n (1-based), empty when none.
    std::string picture(int fieldNumber) const;

    // Converts between UTF-8 and the table's code page (refusing what it cannot hold).
    const TextCodec& codec() const;

    // A new cursor on this table (key order for keyed tables, physical order otherwise). The
    // table must outlive its cursors.
    std::unique_ptr<Cursor> cursor();

    // Re-reads the file state (another process may have written); cursors re-read lazily.
    void refresh();

    // Stores many rows as one write, all or none (for loading tables; one journal and one sync
    // for the lot). Error KeyViolation when a key is already stored or repeats in the rows.
    void insertRows(const std::vector<std::vector<Value>>& rows);

    struct State; // engine internals
    State& state() { return *state_; }

private:
    explicit Table(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace ravelda::engine
