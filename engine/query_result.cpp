// The rows of a query, stored as a private read-only table.
#include "engine/query_result.h"

#include "engine/ascii.h"
#include "engine/durability.h"
#include "engine/scopeguard.h"

#include "engine/codepage.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <set>
#include <variant>

namespace ravelda::engine {

namespace {

struct Blob {
    std::string bytes;
};
// One result value as SQLite gave it.
using Cell = std::variant<std::monostate, std::int64_t, double, std::string, Blob>;

std::string numberText(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// The fixed-point text of v with this many decimals, or none when it needs more than BCD's 32
// digits.
std::optional<std::string> bcdText(double v, int decimals) {
    if (!std::isfinite(v)) return std::nullopt;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    // BCD holds 32 digits: the integer part without leading zeros, then the decimals.
    int digits = decimals;
    bool leading = true;
    for (const char* p = buf; *p && *p != '.'; ++p) {
        if (*p < '0' || *p > '9') continue;
        if (*p != '0') leading = false;
        if (!leading) ++digits;
    }
    if (digits > 32) return std::nullopt;
    return std::string(buf);
}

bool fitsInt(std::int64_t v, std::int64_t lo, std::int64_t hi) {
    return v >= lo && v <= hi;
}

// The value of a field of this declared type that the cell holds, or none when it does not fit.
std::optional<Value> toDeclared(const FieldDef& f, const Cell& cell, const TextCodec& codec) {
    if (std::holds_alternative<std::monostate>(cell)) return Value::null();
    const auto* i = std::get_if<std::int64_t>(&cell);
    const auto* d = std::get_if<double>(&cell);
    const auto* t = std::get_if<std::string>(&cell);
    const auto* b = std::get_if<Blob>(&cell);
    switch (f.type) {
    case FieldType::Alpha: {
        if (!t) return std::nullopt;
        std::string bytes = codec.fromUtf8(*t);
        if (static_cast<int>(bytes.size()) > f.size) return std::nullopt;
        return Value::text(std::move(bytes));
    }
    case FieldType::Memo:
        if (!t) return std::nullopt;
        return Value::text(codec.fromUtf8(*t));
    case FieldType::Short:
        if (i && fitsInt(*i, -32767, 32767)) return Value::integer(*i);
        return std::nullopt;
    case FieldType::Long:
    case FieldType::AutoInc:
        if (i && fitsInt(*i, -2147483647, 2147483647)) return Value::integer(*i);
        return std::nullopt;
    case FieldType::Logical:
        if (i && (*i == 0 || *i == 1)) return Value::boolean(*i == 1);
        return std::nullopt;
    case FieldType::Number:
    case FieldType::Money:
        if (i) return Value::number(static_cast<double>(*i));
        if (d) return Value::number(*d);
        return std::nullopt;
    case FieldType::Bcd: {
        if (!i && !d) return std::nullopt;
        auto text = bcdText(i ? static_cast<double>(*i) : *d, f.size);
        if (!text) return std::nullopt;
        return Value::decimal(*text);
    }
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        if (!t) return std::nullopt;
        return sql::parseTemporal(f.type, *t);
    case FieldType::Bytes:
        if (!b || static_cast<int>(b->bytes.size()) > f.size) return std::nullopt;
        return Value::binary(b->bytes);
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        if (!b) return std::nullopt;
        return Value::binary(b->bytes);
    }
    return std::nullopt;
}

// Converts a column to its source field's type; false when a value does not fit it.
bool convertDeclared(FieldDef& f, const std::vector<std::vector<Cell>>& rows, std::size_t col,
                     const TextCodec& codec, std::vector<std::vector<Value>>& out) {
    if (f.type == FieldType::AutoInc) f.type = FieldType::Long; // the result issues no numbers
    for (std::size_t r = 0; r < rows.size(); ++r) {
        auto v = toDeclared(f, rows[r][col], codec);
        if (!v) return false;
        out[r][col] = std::move(*v);
    }
    return true;
}

// The type the values of a computed column call for, and the values in it.
FieldType convertInferred(const std::vector<std::vector<Cell>>& rows, std::size_t col,
                          const TextCodec& codec, std::vector<std::vector<Value>>& out, int& size) {
    bool anyInt = false, anyReal = false, anyText = false, anyBlob = false, wide = false;
    for (const auto& row : rows) {
        const Cell& c = row[col];
        if (const auto* i = std::get_if<std::int64_t>(&c)) {
            anyInt = true;
            if (!fitsInt(*i, -2147483647, 2147483647)) wide = true;
        }
        anyReal |= std::holds_alternative<double>(c);
        anyText |= std::holds_alternative<std::string>(c);
        anyBlob |= std::holds_alternative<Blob>(c);
    }
    auto textOf = [](const Cell& c) -> std::string {
        if (const auto* i = std::get_if<std::int64_t>(&c)) return std::to_string(*i);
        if (const auto* d = std::get_if<double>(&c)) return numberText(*d);
        if (const auto* t = std::get_if<std::string>(&c)) return *t;
        return std::get<Blob>(c).bytes;
    };
    size = 0;
    if (anyBlob) {
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (!std::holds_alternative<std::monostate>(rows[r][col]))
                out[r][col] = Value::binary(textOf(rows[r][col]));
        size = 10;
        return FieldType::Blob;
    }
    if (anyText) {
        std::size_t longest = 1;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (std::holds_alternative<std::monostate>(rows[r][col])) continue;
            std::string bytes = codec.fromUtf8(textOf(rows[r][col]));
            longest = std::max(longest, bytes.size());
            out[r][col] = Value::text(std::move(bytes));
        }
        if (longest > 255) {
            size = 10;
            return FieldType::Memo;
        }
        size = static_cast<int>(longest);
        return FieldType::Alpha;
    }
    if (anyReal || wide) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const Cell& c = rows[r][col];
            if (const auto* i = std::get_if<std::int64_t>(&c))
                out[r][col] = Value::number(static_cast<double>(*i));
            else if (const auto* d = std::get_if<double>(&c))
                out[r][col] = Value::number(*d);
        }
        return FieldType::Number;
    }
    if (anyInt) {
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (const auto* i = std::get_if<std::int64_t>(&rows[r][col]))
                out[r][col] = Value::integer(*i);
        return FieldType::Long;
    }
    size = 1;
    return FieldType::Alpha; // only NULLs
}

// The longest prefix of a UTF-8 name whose code-page form has at most max bytes.
std::optional<std::string> encodedPrefix(std::string utf8, const TextCodec& codec,
                                         std::size_t max) {
    while (!utf8.empty()) {
        try {
            std::string bytes = codec.fromUtf8(utf8);
            if (bytes.size() <= max) return bytes;
        } catch (const Error&) {
            return std::nullopt;
        }
        // Drop the last character (its continuation bytes first).
        std::size_t cut = utf8.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
            --cut;
        utf8.resize(cut);
    }
    return std::nullopt;
}

Error withColumn(const Error& e, const std::string& column) {
    return Error(e.kind(), e.file(), "column '" + column + "' of the result: " + e.problem());
}

int blockSizeFor(const std::vector<FieldDef>& fields) {
    int record = 0;
    for (const auto& f : fields)
        record += storedSize(f);
    for (int kib : {2, 4, 8, 16, 32})
        if (record <= kib * 1024 - 6) return kib;
    throw Error(Error::Kind::Unsupported, {},
                "the result's rows (" + std::to_string(record) +
                    " bytes) are too wide for a table; choose fewer or narrower columns");
}

std::filesystem::path makePrivateFolder(const std::filesystem::path& parent) {
    const std::filesystem::path base =
        parent.empty() ? std::filesystem::temp_directory_path() : parent;
    std::string tmpl = (base / "ravelda-query-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw Error(Error::Kind::Io, base, "cannot make a folder for the query result");
    return tmpl;
}

} // namespace

std::vector<std::string> resultFieldNames(const std::vector<std::string>& columnNames,
                                          const TextCodec& codec) {
    constexpr std::size_t kMax = 25;
    std::vector<std::string> out;
    std::set<std::string> used;
    for (std::size_t i = 0; i < columnNames.size(); ++i) {
        std::string base = encodedPrefix(columnNames[i], codec, kMax).value_or("");
        if (base.empty()) base = "Field" + std::to_string(i + 1);
        std::string name = base;
        for (int n = 2; used.count(asciiLower(name)); ++n) {
            const std::string suffix = "_" + std::to_string(n);
            name = base.substr(0, kMax - suffix.size()) + suffix;
        }
        used.insert(asciiLower(name));
        out.push_back(name);
    }
    return out;
}

QueryResult::QueryResult(Parts parts)
    : folder_(std::move(parts.folder)), table_(std::move(parts.table)),
      columnNames_(std::move(parts.columnNames)), sql_(std::move(parts.sql)) {}

QueryResult::~QueryResult() {
    table_.reset();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

std::unique_ptr<QueryResult> materialiseResult(sqlite3* db, sqlite3_stmt* stmt,
                                               sql::ModuleState& state, const QueryOptions& options,
                                               const std::string& sqlText) {
    const int columns = sqlite3_column_count(stmt);
    std::vector<std::string> names;
    std::vector<std::optional<FieldDef>> declared;
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(stmt, c);
        names.emplace_back(name ? name : "");
        declared.push_back(sql::parseDeclaredType(sqlite3_column_decltype(stmt, c)));
    }

    std::vector<std::vector<Cell>> rows;
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            if (state.lastError) throw *state.lastError;
            throw Error(Error::Kind::InvalidArgument, {}, sqlite3_errmsg(db));
        }
        std::vector<Cell>& row = rows.emplace_back(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            Cell& cell = row[static_cast<std::size_t>(c)];
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER:
                cell = static_cast<std::int64_t>(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                cell = sqlite3_column_double(stmt, c);
                break;
            case SQLITE_TEXT:
                cell = std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c)),
                                   static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)));
                break;
            case SQLITE_BLOB: {
                const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, c));
                cell = Blob{std::string(p ? p : "",
                                        static_cast<std::size_t>(sqlite3_column_bytes(stmt, c)))};
                break;
            }
            default:
                break;
            }
        }
    }

    const int codePage = options.codePage      ? options.codePage
                         : state.firstCodePage ? state.firstCodePage
                                               : 1252;
    const TextCodec codec(codePage);
    const std::vector<std::string> fieldNames = resultFieldNames(names, codec);
    std::vector<FieldDef> fields(static_cast<std::size_t>(columns));
    std::vector<std::vector<Value>> values(rows.size(),
                                           std::vector<Value>(static_cast<std::size_t>(columns)));
    for (std::size_t c = 0; c < fields.size(); ++c) {
        try {
            if (declared[c]) {
                FieldDef f = *declared[c];
                if (convertDeclared(f, rows, c, codec, values)) {
                    fields[c] = f;
                    fields[c].name = fieldNames[c];
                    for (auto& row : rows)
                        row[c] = std::monostate{};
                    continue;
                }
                for (auto& row : values)
                    row[c] = Value::null();
            }
            int size = 0;
            const FieldType type = convertInferred(rows, c, codec, values, size);
            fields[c] = FieldDef{fieldNames[c], type, size};
        } catch (const Error& e) {
            throw withColumn(e, names[c]);
        }
        // The column's values are converted: its texts need not be held twice.
        for (auto& row : rows)
            row[c] = std::monostate{};
    }
    rows.clear();
    rows.shrink_to_fit();

    QueryResult::Parts parts;
    parts.folder = makePrivateFolder(options.tempParent);
    ScopeGuard removeFolder([&parts] {
        std::error_code ec;
        std::filesystem::remove_all(parts.folder, ec);
    });
    const auto path = parts.folder / "ANSWER.DB";
    CreateOptions create;
    create.codePage = codePage;
    create.blockSizeKiB = blockSizeFor(fields);
    {
        // The result is private and rebuilt by running the query again: no syncs.
        const UnsyncedWrites unsynced;
        Table::create(path, fields, 0, create);
        if (!values.empty()) {
            auto writer = Table::open(path);
            writer->insertRows(values);
        }
    }
    OpenOptions open;
    open.mode = OpenMode::ReadOnly;
    parts.table = Table::open(path, open);
    removeFolder.dismiss();
    parts.columnNames = std::move(names);
    parts.sql = sqlText;
    return std::make_unique<QueryResult>(std::move(parts));
}

} // namespace ravelda::engine
