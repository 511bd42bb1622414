// libFuzzer target over the virtual table module's key searches: conditions on every kind of
// leading key field, with values of any SQL type, must give the same rows as a full scan.
#include "engine/cursor.h"
#include "engine/durability.h"
#include "engine/error.h"
#include "engine/query.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace ravelda::engine;

namespace {

// Keyed tables over a Long, a Number, a Date, a Time, a Short and an Alpha key.
std::filesystem::path folder() {
    static const std::filesystem::path dir = [] {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "ravelda-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        setSyncToDisk(false);
        const FieldType types[] = {FieldType::Long, FieldType::Number, FieldType::Date,
                                   FieldType::Time, FieldType::Short,  FieldType::Alpha};
        int n = 0;
        for (FieldType t : types) {
            const auto path = std::filesystem::path(tmpl) / ("T" + std::to_string(n++) + ".DB");
            Table::create(path,
                          {{"K", t, t == FieldType::Alpha ? 8 : 0}, {"V", FieldType::Long, 0}}, 1);
            auto table = Table::open(path);
            std::vector<std::vector<Value>> rows;
            for (int i = -20; i < 40; i += 3) {
                Value k;
                switch (t) {
                case FieldType::Long:
                case FieldType::Short:
                    k = Value::integer(i * 7);
                    break;
                case FieldType::Number:
                    k = Value::number(i * 0.5);
                    break;
                case FieldType::Date:
                    k = Value::date(Date::fromYmd(2000 + i, 1 + (i + 20) % 12, 1));
                    break;
                case FieldType::Time:
                    k = Value::time(Time{(i + 20) * 1000000});
                    break;
                default:
                    k = Value::text(std::string(1, static_cast<char>('a' + i + 20)));
                    break;
                }
                rows.push_back({k, Value::integer(i)});
            }
            table->insertRows(rows);
        }
        return std::filesystem::path(tmpl);
    }();
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        });
        return true;
    }();
    (void)cleanup;
    return dir;
}

std::string sqlText(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

std::string rowsOf(const std::string& sql) {
    try {
        auto result = runQuery(folder(), sql, QueryLanguage::SQL);
        std::string out;
        auto c = result->table().cursor();
        for (bool on = c->first(); on; on = c->next())
            out += std::to_string(c->value(0).isNull() ? -999 : c->value(0).asInteger()) + ",";
        return out;
    } catch (const Error& e) {
        return std::string("error: ") + e.what();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const char* ops[] = {"=", "<", "<=", ">", ">=", "IN"};
    const int table = data[0] % 6;
    const char* op = ops[data[1] % 6];
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (text.find('\0') != std::string::npos) return 0;
    // The value as text, as a number when it reads as one, or as a blob.
    std::string value = sqlText(text);
    if (!text.empty() && (data[1] / 6) % 3 == 1) {
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        if (*end == '\0') value = text;
    } else if ((data[1] / 6) % 3 == 2) {
        value = "CAST(" + sqlText(text) + " AS BLOB)";
    }
    const std::string cond =
        std::string(op) == "IN" ? " IN (" + value + ", 7)" : std::string(" ") + op + " " + value;
    const std::string base = "SELECT V FROM T" + std::to_string(table) + " WHERE ";
    const std::string searched = rowsOf(base + "K" + cond + " ORDER BY V");
    // A CAST of the same affinity keeps SQLite's comparison rules and hides the key.
    static const char* affinity[] = {"INTEGER", "REAL", "TEXT", "TEXT", "INTEGER", "TEXT"};
    const std::string scanned =
        rowsOf(base + "CAST(K AS " + affinity[table] + ")" + cond + " ORDER BY V");
    if (searched != scanned) __builtin_trap();
    return 0;
}
