#pragma once
// A small database folder for the query tests, and a readable form of result rows.
#include "engine/codepage.h"
#include "engine/csv.h"
#include "engine/cursor.h"
#include "engine/query.h"
#include "enginetest.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravelda::engine::test {

// Keys (the key counter table), Clienti (keyed on Id) and Ordini (keyed on Numero), code page
// 1252, with code-page characters, blanks, dates, times and timestamps.
class QueryDb : public ::testing::Test {
protected:
    void SetUp() override {
        const CreateOptions cp1252 = makeOptions();
        createKeys(dir.path(), cp1252);
        auto keys = Table::open(dir / "Keys.DB");
        keys->insertRows({keysRow("Fatture", "2023", 1, 120), keysRow("Fatture", "2024", 1, 7),
                          keysRow("Fatture", "2024", 2, 3), keysRow("DDT", "2024", 1, 44),
                          keysRow("Ordini", "2024", 1, 0)});

        Table::create(dir / "Clienti.DB",
                      {{"Id", FieldType::Long, 0},
                       {"Nome", FieldType::Alpha, 20},
                       {"Citta", FieldType::Alpha, 20},
                       {"Nato", FieldType::Date, 0},
                       {"Saldo", FieldType::Number, 0},
                       {"Attivo", FieldType::Logical, 0},
                       {"Note", FieldType::Memo, 20}},
                      1, cp1252);
        auto clienti = Table::open(dir / "Clienti.DB");
        auto text = [&](const char* utf8) { return Value::text(clienti->codec().fromUtf8(utf8)); };
        auto date = [](int y, int m, int d) { return Value::date(Date::fromYmd(y, m, d)); };
        clienti->insertRows({
            {Value::integer(1), text("Rossi"), text("Forlì"), date(1975, 3, 2), Value::number(10.5),
             Value::boolean(true), text("cliente storico")},
            {Value::integer(2), text("Bianchi"), text("Cesena"), date(1982, 11, 30), Value::null(),
             Value::boolean(false), Value::null()},
            {Value::integer(3), text("Verdi"), text("Forlì"), date(1990, 1, 1), Value::number(-3),
             Value::boolean(true), Value::null()},
            {Value::integer(4), text("Nicolò"), text("Rimini"), Value::null(), Value::number(200),
             Value::null(), Value::null()},
        });

        Table::create(dir / "Ordini.DB",
                      {{"Numero", FieldType::Short, 0},
                       {"Cliente", FieldType::Long, 0},
                       {"Importo", FieldType::Money, 0},
                       {"Ora", FieldType::Time, 0},
                       {"Quando", FieldType::Timestamp, 0}},
                      1, cp1252);
        auto ordini = Table::open(dir / "Ordini.DB");
        auto at = [](int y, int m, int d, int ms) {
            return Value::timestamp(Timestamp::of(Date::fromYmd(y, m, d), Time{ms}));
        };
        ordini->insertRows({
            {Value::integer(10), Value::integer(1), Value::number(99.9),
             Value::time(Time{9 * 3600000}), at(2024, 5, 1, 9 * 3600000)},
            {Value::integer(11), Value::integer(1), Value::number(5),
             Value::time(Time{13 * 3600000 + 500}), at(2024, 5, 2, 13 * 3600000 + 500)},
            {Value::integer(12), Value::integer(3), Value::number(42), Value::null(),
             Value::null()},
            {Value::integer(13), Value::integer(9), Value::number(1), Value::null(), Value::null()},
        });
    }

    std::unique_ptr<QueryResult> sql(const std::string& text, const QueryOptions& o = {}) {
        return runQuery(dir.path(), text, QueryLanguage::SQL, o);
    }

    ravelda::test::TempDir dir;
};

// Each row as its CSV values joined by "|" (NULL empty), in the result's order.
inline std::vector<std::string> rowsText(QueryResult& result) {
    std::vector<std::string> out;
    Table& t = result.table();
    for (const auto& row : allRows(t)) {
        std::string line;
        const auto fields = csv::rowFields(t.fields(), row, t.codec());
        for (std::size_t i = 0; i < fields.size(); ++i)
            line += (i ? "|" : "") + fields[i];
        out.push_back(line);
    }
    return out;
}

} // namespace ravelda::engine::test
