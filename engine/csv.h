#pragma once
// Table rows as CSV text (RFC 4180, UTF-8), the exchange format of `ravelda-db dump` and
// `ravelda-db import`.
//
// Value conventions, the same both ways:
//   NULL                 empty field
//   Alpha, Memo          the text in UTF-8 (converted from and to the table's code page)
//   Short, Long, AutoInc decimal integer
//   Number, Money        shortest text that reads back as the same double, "." as separator
//   BCD                  the decimal digits as stored, e.g. -123.45
//   Logical              true / false
//   Date                 YYYY-MM-DD
//   Time                 HH:MM:SS, or HH:MM:SS.mmm when not a whole second
//   Timestamp            YYYY-MM-DDTHH:MM:SS[.mmm]
//   Bytes and blobs      lower-case hex of the bytes (a Bytes field is fixed width: a shorter
//                        value reads back with trailing zero bytes); with blobSizesOnly, blobs
//                        (Memo too) as "<n bytes>", which import refuses
// Records end with CRLF. Fields are quoted when they hold a comma, a quote or a line break; a
// record made of one empty field is written as "" so that it is not read as a blank line.
#include "engine/codepage.h"
#include "engine/error.h"
#include "engine/table.h"
#include "engine/types.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelda::engine::csv {

// Appends one field, quoted when needed, to out (no separator).
void appendField(std::string& out, std::string_view field);
// One record: the fields joined by "," and ended by CRLF.
std::string formatRecord(const std::vector<std::string>& fields);

// Reads RFC 4180 records: quoted fields may hold commas, doubled quotes and line breaks; LF and
// CRLF both end a record; a UTF-8 byte order mark at the start is skipped, and so are blank
// lines. Error InvalidArgument naming the line for an unterminated quote or text after a
// closing quote.
class Reader {
public:
    explicit Reader(std::istream& in) : in_(in) {}
    // The next record into fields; false at the end of the input.
    bool next(std::vector<std::string>& fields);
    // Line (1-based) on which the last record read begins.
    std::int64_t line() const { return recordLine_; }
    // Bytes consumed so far (for progress reports).
    std::int64_t offset() const { return offset_; }

private:
    int get();
    int peek();
    std::istream& in_;
    std::string pending_; // bytes taken while looking for a byte order mark
    std::int64_t lineNo_ = 1;
    std::int64_t recordLine_ = 0;
    std::int64_t offset_ = 0;
    bool started_ = false;
};

struct FormatOptions {
    bool blobSizesOnly = false; // blobs as "<n bytes>" instead of hex
};

// The CSV text of a value of this field (empty for NULL). Error Encoding when text cannot be
// converted from the table's code page.
std::string formatValue(const FieldDef& field, const Value& value, const TextCodec& codec,
                        const FormatOptions& options = {});

// The value of this field that the text stands for (NULL for empty text). Error InvalidArgument
// (or Encoding) whose problem says what is wrong with the text, without naming line or field.
Value parseValue(const FieldDef& field, std::string_view text, const TextCodec& codec);

// The header record: the field names in UTF-8.
std::vector<std::string> headerFields(const std::vector<FieldDef>& fields, const TextCodec& codec);
// One record of formatted values.
std::vector<std::string> rowFields(const std::vector<FieldDef>& fields,
                                   const std::vector<Value>& row, const TextCodec& codec,
                                   const FormatOptions& options = {});

// How the columns of an imported file map onto a table's fields: the header names fields in any
// order (ASCII case ignored); fields it does not name are NULL in every row.
class ImportLayout {
public:
    // Error InvalidArgument (naming line 1) for an empty, unknown or repeated field name.
    ImportLayout(const std::vector<FieldDef>& fields, const std::vector<std::string>& header,
                 const TextCodec& codec);
    // A full row (one value per table field) from a record read on line. Error InvalidArgument
    // "line N, field 'X': …" for a bad value, "line N: …" for a wrong number of fields.
    std::vector<Value> row(const std::vector<std::string>& record, std::int64_t line) const;
    // Column → field index.
    const std::vector<int>& columns() const { return columns_; }

private:
    const std::vector<FieldDef>& fields_;
    const TextCodec& codec_;
    std::vector<int> columns_;
    std::vector<std::string> names_; // UTF-8 names of the columns, for messages
};

// A row that storeRows refused: its index in the rows given, and why.
struct RefusedRow {
    std::size_t index = 0;
    Error error;
};

// Stores rows as one write, all or none (one journal and one sync), like Table::insertRows, and
// tells which row was refused: a key already stored or repeated in the rows, a value its field
// cannot hold, a full table. Nothing is stored then. A failure that is not about a row (the files
// cannot be written or are damaged, another process holds the table) is thrown as Error.
std::optional<RefusedRow> storeRows(Table& table, const std::vector<std::vector<Value>>& rows);

} // namespace ravelda::engine::csv
