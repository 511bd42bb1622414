// SQL queries over engine tables: the rows they give.
#include "querytest.h"

namespace ravelda::engine::test {
namespace {

struct RowsCase {
    const char* what;
    const char* sql;
    std::vector<std::string> rows;
};

void PrintTo(const RowsCase& c, std::ostream* os) {
    *os << c.what;
}

class QuerySqlRows : public QueryDb, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(QuerySqlRows, GivesTheRows) {
    const RowsCase& c = GetParam();
    auto result = sql(c.sql);
    EXPECT_EQ(rowsText(*result), c.rows) << c.sql;
}

const RowsCase kRowsCases[] = {
    // Conditions, on key fields (searched through the key) and on others.
    {"equality on the leading text key",
     "SELECT Anno, Registro, Chiave FROM Keys WHERE Tabella = 'Fatture'",
     {"2023|1|120", "2024|1|7", "2024|2|3"}},
    {"equality on the key with no match", "SELECT * FROM Keys WHERE Tabella = 'Nope'", {}},
    {"equality on two key fields",
     "SELECT Chiave FROM Keys WHERE Tabella = 'Fatture' AND Anno = '2024' AND Registro = 2",
     {"3"}},
    {"integer key range, both bounds",
     "SELECT Id FROM Clienti WHERE Id >= 2 AND Id < 4",
     {"2", "3"}},
    {"integer key range, exclusive lower", "SELECT Id FROM Clienti WHERE Id > 2", {"3", "4"}},
    {"integer key range, inclusive upper", "SELECT Id FROM Clienti WHERE Id <= 2", {"1", "2"}},
    {"integer key range past the end", "SELECT Id FROM Clienti WHERE Id > 99", {}},
    {"integer key with a real bound", "SELECT Id FROM Clienti WHERE Id > 2.5", {"3", "4"}},
    {"integer key against text", "SELECT Id FROM Clienti WHERE Id = '2'", {"2"}},
    {"text key against a number", "SELECT Chiave FROM Keys WHERE Anno = 2023", {"120"}},
    {"short key equality", "SELECT Cliente FROM Ordini WHERE Numero = 12", {"3"}},
    {"key range reversed", "SELECT Id FROM Clienti WHERE 3 > Id ORDER BY Id DESC", {"2", "1"}},
    {"IN on the key", "SELECT Id FROM Clienti WHERE Id IN (4, 1)", {"1", "4"}},
    {"condition on a plain field",
     "SELECT Nome FROM Clienti WHERE Saldo > 0 ORDER BY Nome",
     {"Nicolò", "Rossi"}},
    {"OR of conditions",
     "SELECT Id FROM Clienti WHERE Id = 1 OR Citta = 'Rimini' ORDER BY Id",
     {"1", "4"}},
    {"logical field", "SELECT Id FROM Clienti WHERE Attivo ORDER BY Id", {"1", "3"}},
    // Joins.
    {"two tables",
     "SELECT o.Numero, c.Nome FROM Ordini o JOIN Clienti c ON c.Id = o.Cliente ORDER BY o.Numero",
     {"10|Rossi", "11|Rossi", "12|Verdi"}},
    {"left join keeps unmatched rows",
     "SELECT o.Numero, c.Nome FROM Ordini o LEFT JOIN Clienti c ON c.Id = o.Cliente WHERE c.Id IS "
     "NULL",
     {"13|"}},
    {"self-join",
     "SELECT a.Nome, b.Nome FROM Clienti a JOIN Clienti b ON a.Citta = b.Citta AND a.Id < b.Id",
     {"Rossi|Verdi"}},
    {"correlated subquery",
     "SELECT Nome FROM Clienti c WHERE EXISTS (SELECT 1 FROM Ordini WHERE Cliente = c.Id) ORDER BY "
     "Nome",
     {"Rossi", "Verdi"}},
    // Sorting.
    {"descending text",
     "SELECT Nome FROM Clienti ORDER BY Nome DESC",
     {"Verdi", "Rossi", "Nicolò", "Bianchi"}},
    {"two sort keys",
     "SELECT Citta, Nome FROM Clienti ORDER BY Citta, Nome DESC",
     {"Cesena|Bianchi", "Forlì|Verdi", "Forlì|Rossi", "Rimini|Nicolò"}},
    {"blank numbers sort first", "SELECT Id FROM Clienti ORDER BY Saldo", {"2", "3", "1", "4"}},
    // Aggregates.
    {"count and sum", "SELECT COUNT(*), COUNT(Saldo), SUM(Saldo) FROM Clienti", {"4|3|207.5"}},
    {"group by",
     "SELECT Cliente, COUNT(*), SUM(Importo) FROM Ordini GROUP BY Cliente ORDER BY Cliente",
     {"1|2|104.9", "3|1|42", "9|1|1"}},
    {"having", "SELECT Tabella FROM Keys GROUP BY Tabella HAVING COUNT(*) > 1", {"Fatture"}},
    {"max of text", "SELECT MAX(Nome), MIN(Nato) FROM Clienti", {"Verdi|1975-03-02"}},
    {"aggregate over nothing",
     "SELECT COUNT(*), SUM(Chiave) FROM Keys WHERE Tabella = 'X'",
     {"0|"}},
    // NULLs.
    {"is null", "SELECT Id FROM Clienti WHERE Saldo IS NULL", {"2"}},
    {"null never equals", "SELECT Id FROM Clienti WHERE Saldo <> 10.5 ORDER BY Id", {"3", "4"}},
    {"blank date and memo", "SELECT Nato, Note FROM Clienti WHERE Id = 4", {"|"}},
    {"coalesce", "SELECT COALESCE(Saldo, 0) FROM Clienti WHERE Id = 2", {"0"}},
    // Dates, times and timestamps as text that compares and sorts.
    {"date before",
     "SELECT Nome FROM Clienti WHERE Nato < '1985-01-01' ORDER BY Nato",
     {"Rossi", "Bianchi"}},
    {"date equal to date()", "SELECT Id FROM Clienti WHERE Nato = date('1990-01-01')", {"3"}},
    {"year of a date", "SELECT strftime('%Y', Nato) FROM Clienti WHERE Id = 2", {"1982"}},
    {"date arithmetic",
     "SELECT julianday(MAX(Nato)) - julianday(MIN(Nato)) FROM Clienti",
     {"5419"}},
    {"time with milliseconds", "SELECT Ora FROM Ordini WHERE Ora > '12:00:00'", {"13:00:00.500"}},
    {"timestamp against datetime()",
     "SELECT Numero FROM Ordini WHERE Quando >= datetime('2024-05-02')",
     {"11"}},
    {"timestamp text", "SELECT Quando FROM Ordini WHERE Numero = 10", {"2024-05-01T09:00:00"}},
    // Code-page text and LIKE.
    {"code-page text equality",
     "SELECT Id FROM Clienti WHERE Citta = 'Forlì' ORDER BY Id",
     {"1", "3"}},
    {"code-page text in the result",
     "SELECT Nome || ' da ' || Citta FROM Clienti WHERE Id = 4",
     {"Nicolò da Rimini"}},
    {"like, any case", "SELECT Nome FROM Clienti WHERE Nome LIKE 'ro%'", {"Rossi"}},
    {"like with a code-page character",
     "SELECT Nome FROM Clienti WHERE Nome LIKE '%olò'",
     {"Nicolò"}},
    {"memo text", "SELECT Id FROM Clienti WHERE Note LIKE '%storico%'", {"1"}},
    // Table names.
    {"quoted file name", "SELECT COUNT(*) FROM \"Keys.DB\"", {"5"}},
    {"name in another case",
     "SELECT COUNT(*) FROM KEYS k JOIN \"clienti.db\" c ON c.Id = k.Registro",
     {"5"}},
    {"no table at all", "SELECT 1 + 1, 'x'", {"2|x"}},
    {"comments", "/* quanti */ SELECT COUNT(*) FROM Keys; -- tutti", {"5"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, QuerySqlRows, ::testing::ValuesIn(kRowsCases));

// A range or equality searched through the key gives exactly the rows a full scan gives.
TEST_F(QueryDb, KeySearchesAgreeWithFullScans) {
    const char* conditions[] = {"Id = 3",
                                "Id > 1",
                                "Id >= 1 AND Id <= 3",
                                "Id < 1",
                                "Id > 2 AND Id < 2",
                                "Id BETWEEN 2 AND 9",
                                "Id = 3.0",
                                "Id > -5"};
    for (const char* cond : conditions) {
        std::string where(cond);
        std::string scanned;
        for (char ch : where) {
            if (ch == 'I') scanned += "+";
            scanned += ch;
        }
        auto searched = sql(std::string("SELECT Id FROM Clienti WHERE ") + cond);
        auto full = sql("SELECT Id FROM Clienti WHERE " + scanned);
        EXPECT_EQ(rowsText(*searched), rowsText(*full)) << cond;
        searched = sql(std::string("SELECT Id FROM Clienti WHERE ") + cond + " ORDER BY Id");
        full = sql("SELECT Id FROM Clienti WHERE " + scanned + " ORDER BY +Id");
        EXPECT_EQ(rowsText(*searched), rowsText(*full)) << cond;
    }
}

TEST_F(QueryDb, KeepsTheStatementItRan) {
    auto result = sql("SELECT Nome FROM Clienti");
    EXPECT_EQ(result->sql(), "SELECT Nome FROM Clienti");
    EXPECT_EQ(result->columnNames(), std::vector<std::string>{"Nome"});
}

} // namespace
} // namespace ravelda::engine::test

namespace ravelda::engine::test {
namespace {

// The key order of a scan stands in for ORDER BY on the key: negative numbers, blanks and dates
// must come out in SQL's order.
TEST_F(QueryDb, KeyOrderServesAscendingSorts) {
    Table::create(dir / "Misure.DB", {{"V", FieldType::Number, 0}, {"D", FieldType::Date, 0}}, 1,
                  makeOptions());
    Table::create(dir / "Giorni.DB", {{"D", FieldType::Date, 0}, {"V", FieldType::Number, 0}}, 1,
                  makeOptions());
    auto misure = Table::open(dir / "Misure.DB");
    auto giorni = Table::open(dir / "Giorni.DB");
    const double values[] = {5, -2.5, -100, 0, 1e6, 0.25, -1e-3};
    int day = 1;
    for (double v : values) {
        const Value d = Value::date(Date::fromYmd(1990 + day * 7, day % 12 + 1, day));
        misure->insertRows({{Value::number(v), d}});
        giorni->insertRows({{d, Value::number(v)}});
        ++day;
    }
    misure->insertRows({{Value::null(), Value::null()}});
    for (const char* table : {"Misure", "Giorni"}) {
        for (const char* column : {"V", "D"}) {
            const std::string base = std::string("SELECT V, D FROM ") + table + " ORDER BY ";
            EXPECT_EQ(rowsText(*sql(base + column)), rowsText(*sql(base + "+" + column)))
                << table << " " << column;
        }
    }
}

} // namespace
} // namespace ravelda::engine::test

namespace ravelda::engine::test {
namespace {

// Text keys in an international sort order: an equality searched through the key still finds
// every row whose text is exactly the one asked for, whatever its neighbours in that order.
TEST_F(QueryDb, TextKeyEqualityInAnInternationalOrder) {
    for (const char* order : {"intl", "ANSII850", "ascii"}) {
        ravelda::test::TempDir folder;
        Table::create(folder / "Keys.DB", keysFields(), 3, makeOptions(0x0C, 1252, 2, order));
        auto keys = Table::open(folder / "Keys.DB");
        std::vector<std::vector<Value>> rows;
        int n = 0;
        for (const char* text : {"abc", "ABC", "Abc", "àbc", "abd", "ab", "abc ", "Àbc"})
            for (const char* anno : {"2023", "2024"})
                rows.push_back(keysRow(keys->codec().fromUtf8(text), anno, 1, ++n));
        keys->insertRows(rows);
        for (const char* text : {"abc", "ABC", "àbc", "Àbc", "ab", "abc ", "abz"}) {
            const std::string where = std::string(" = '") + text + "' ORDER BY Chiave";
            auto searched = runQuery(folder.path(), "SELECT Chiave FROM Keys WHERE Tabella" + where,
                                     QueryLanguage::SQL);
            auto scanned = runQuery(folder.path(),
                                    "SELECT Chiave FROM Keys WHERE CAST(Tabella AS TEXT)" + where,
                                    QueryLanguage::SQL);
            EXPECT_EQ(rowsText(*searched), rowsText(*scanned)) << order << " " << text;
            EXPECT_EQ(rowsText(*searched).size(), std::string(text) == "abz" ? 0u : 2u)
                << order << " " << text;
        }
    }
}

} // namespace
} // namespace ravelda::engine::test
