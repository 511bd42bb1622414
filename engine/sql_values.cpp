// How field values and types appear in SQL.
#include "engine/codepage.h"
#include "engine/csv.h"
#include "engine/sql_vtab.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace ravelda::engine::sql {

namespace {

constexpr const char* kTag = "PARADOX_";

const char* affinityOf(FieldType type) {
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        return "TEXT";
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Logical:
        return "INTEGER";
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bcd:
        return "REAL";
    default:
        return "BLOB";
    }
}

// Temporal texts only use ASCII, so any code page parses them.
const TextCodec& asciiCodec() {
    thread_local const TextCodec codec(1252); // iconv handles are not shared across threads
    return codec;
}

} // namespace

std::string declaredType(const FieldDef& field) {
    return std::string(affinityOf(field.type)) + " " + kTag +
           std::to_string(static_cast<int>(field.type)) + "_" + std::to_string(field.size);
}

std::optional<FieldDef> parseDeclaredType(const char* declared) {
    if (!declared) return std::nullopt;
    const char* tag = std::strstr(declared, kTag);
    if (!tag) return std::nullopt;
    char* end = nullptr;
    const long code = std::strtol(tag + std::strlen(kTag), &end, 10);
    if (*end != '_' || code < 0 || code > 255 || !isKnownFieldType(static_cast<std::uint8_t>(code)))
        return std::nullopt;
    const char* sizeText = end + 1;
    const long size = std::strtol(sizeText, &end, 10);
    if (end == sizeText || *end != '\0' || size < 0 || size > 255) return std::nullopt;
    return FieldDef{"", static_cast<FieldType>(code), static_cast<int>(size)};
}

std::string temporalText(const Value& value) {
    const FieldType type = value.kind() == Value::Kind::Date   ? FieldType::Date
                           : value.kind() == Value::Kind::Time ? FieldType::Time
                                                               : FieldType::Timestamp;
    std::string text = csv::formatValue(FieldDef{"", type, 0}, value, asciiCodec());
    if (type == FieldType::Timestamp && text.size() > 10 && text[10] == 'T') text[10] = ' ';
    return text;
}

std::optional<Value> parseTemporal(FieldType type, std::string_view text) {
    std::string t(text);
    if (type == FieldType::Timestamp) {
        if (t.size() <= 10 || t[10] != ' ') return std::nullopt;
        t[10] = 'T';
    }
    if (t.empty()) return std::nullopt;
    try {
        return csv::parseValue(FieldDef{"", type, 0}, t, asciiCodec());
    } catch (const Error&) {
        return std::nullopt;
    }
}

void setResult(sqlite3_context* ctx, const FieldDef& field, const Value& value,
               const TextCodec& codec) {
    switch (value.kind()) {
    case Value::Kind::Null:
        sqlite3_result_null(ctx);
        return;
    case Value::Kind::Integer:
        sqlite3_result_int64(ctx, value.asInteger());
        return;
    case Value::Kind::Double:
        sqlite3_result_double(ctx, value.asDouble());
        return;
    case Value::Kind::Bool:
        sqlite3_result_int(ctx, value.asBool() ? 1 : 0);
        return;
    case Value::Kind::Decimal:
        sqlite3_result_double(ctx, std::strtod(value.asDecimal().c_str(), nullptr));
        return;
    case Value::Kind::Date:
    case Value::Kind::Time:
    case Value::Kind::Timestamp: {
        const std::string text = temporalText(value);
        sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return;
    }
    case Value::Kind::Text: {
        const std::string text = codec.toUtf8(value.asText());
        sqlite3_result_text64(ctx, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    case Value::Kind::Binary:
        sqlite3_result_blob64(ctx, value.asBinary().data(), value.asBinary().size(),
                              SQLITE_TRANSIENT);
        return;
    }
    (void)field;
}

std::optional<Value> exactFieldValue(const FieldDef& field, sqlite3_value* value,
                                     const TextCodec& codec) {
    const int type = sqlite3_value_type(value);
    switch (field.type) {
    case FieldType::Alpha: {
        if (type != SQLITE_TEXT) return std::nullopt;
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(value));
        try {
            return Value::text(codec.fromUtf8(
                std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(value)))));
        } catch (const Error&) {
            return std::nullopt;
        }
    }
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        if (type == SQLITE_INTEGER) return Value::integer(sqlite3_value_int64(value));
        return std::nullopt;
    case FieldType::Number:
    case FieldType::Money:
        if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
            return Value::number(sqlite3_value_double(value));
        return std::nullopt;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp: {
        if (type != SQLITE_TEXT) return std::nullopt;
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return parseTemporal(
            field.type, std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(value))));
    }
    default:
        return std::nullopt;
    }
}

} // namespace ravelda::engine::sql
