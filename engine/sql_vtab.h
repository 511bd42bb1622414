#pragma once
// Engine internals of the query facility: the state the "paradox" module keeps per connection,
// and how field values and types appear in SQL.
#include "engine/error.h"
#include "engine/types.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

namespace ravelda::engine {
class TextCodec;
}

namespace ravelda::engine::sql {

// What the module keeps per connection, beyond SQLite's own state.
struct ModuleState {
    // The first engine failure of the running statement; SQLite only carries its text, the
    // caller gets the engine's kind back from here.
    std::optional<Error> lastError;
    // The code page of the first table a statement read (0 until one is read).
    int firstCodePage = 0;
    // Tables of the attached folder that could not be opened, by lower-case name, with why.
    std::map<std::string, Error> unreadable;

    void fail(const Error& e) {
        if (!lastError) lastError = e;
    }
};

// Registers the module on db once and returns its state (owned by the connection).
ModuleState& moduleState(sqlite3* db);

// The declared column type of a field: the SQL affinity word followed by a tag naming the
// Paradox type and size ("TEXT PARADOX_1_30"), which sqlite3_column_decltype hands back for
// plain result columns.
std::string declaredType(const FieldDef& field);
// The field type and size a declared type names (the name left empty); none for other types.
std::optional<FieldDef> parseDeclaredType(const char* declared);

// A field value as an SQL result value (UTF-8 text through the codec).
void setResult(sqlite3_context* ctx, const FieldDef& field, const Value& value,
               const TextCodec& codec);
// The text SQL sees for a date, time or timestamp value.
std::string temporalText(const Value& value);
// The value of a field that an SQL value stands for when it converts exactly (text in the form
// temporalText writes for temporal fields, integers for integer fields, numbers for reals);
// none otherwise.
std::optional<Value> exactFieldValue(const FieldDef& field, sqlite3_value* value,
                                     const TextCodec& codec);
// Parses the text temporalText writes for a field of this temporal type; none when it is not.
std::optional<Value> parseTemporal(FieldType type, std::string_view text);

} // namespace ravelda::engine::sql
