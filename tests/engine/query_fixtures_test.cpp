// Queries over real Paradox tables, checked against pxlib's reading of the same files.
#include "engine/alias.h"
#include "querytest.h"
#include "tests/support/fixtures.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace ravelda::engine::test {
namespace {

using ravelda::test::paradoxFixture;

// The oracle's description of one table: its header lines and its first records.
std::string oracleSection(const std::string& relative) {
    std::ifstream in(paradoxFixture("pxlib-oracle-output/leonhad__paradoxdriver.pxlib-0.6.10.txt"));
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    const std::string head = "== ./" + relative + "\n";
    const auto at = text.find(head);
    if (at == std::string::npos) return "";
    const auto end = text.find("\n== ", at + head.size());
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string oracleRecord(const std::string& section, int n) {
    const std::string tag = "  rec " + std::to_string(n) + " (";
    const auto at = section.find(tag);
    if (at == std::string::npos) return "";
    return section.substr(at, section.find('\n', at) - at);
}

// A result value as the oracle prints it.
std::string oracleValue(const FieldDef& f, const Value& v, const TextCodec& codec) {
    if (v.isNull()) return "NULL";
    switch (f.type) {
    case FieldType::Alpha:
        return "'" + codec.toUtf8(v.asText()) + "'";
    case FieldType::Date:
        return csv::formatValue(f, v, codec) + "(";
    case FieldType::Money:
    case FieldType::Number: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", v.asDouble());
        return buf;
    }
    default:
        return csv::formatValue(f, v, codec);
    }
}

// Each result row appears, field by field, in the oracle's record of the same position.
void expectOracleRows(QueryResult& result, const std::string& section, std::vector<int> records) {
    Table& t = result.table();
    const auto rows = allRows(t);
    ASSERT_EQ(rows.size(), records.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string line = oracleRecord(section, records[r]);
        ASSERT_FALSE(line.empty()) << "record " << records[r];
        for (std::size_t f = 0; f < t.fields().size(); ++f) {
            const std::string expected =
                result.columnNames()[f] + "=" + oracleValue(t.fields()[f], rows[r][f], t.codec());
            EXPECT_NE(line.find(expected), std::string::npos) << expected << " in " << line;
        }
    }
}

std::filesystem::path mtdemo() {
    return paradoxFixture("leonhad__paradoxdriver/mtdemo");
}

TEST(QueryFixtures, FirstRowsInKeyOrderMatchTheOracle) {
    RAVELDA_REQUIRE_FIXTURES();
    auto films = runQuery(mtdemo(),
                          "SELECT \"Film #\", \"Film Title\", \"# in Stock\", \"Rental Fee\" "
                          "FROM FILMS LIMIT 3",
                          QueryLanguage::SQL);
    expectOracleRows(*films, oracleSection("mtdemo/FILMS.DB"), {0, 1, 2});
    auto rentals =
        runQuery(mtdemo(), "SELECT Date, \"Customer #\", \"Film #\", City FROM KRENTAL LIMIT 3",
                 QueryLanguage::SQL);
    expectOracleRows(*rentals, oracleSection("mtdemo/KRENTAL.DB"), {0, 1, 2});
}

TEST(QueryFixtures, ConditionsOnFixtureColumns) {
    RAVELDA_REQUIRE_FIXTURES();
    const std::string films = oracleSection("mtdemo/FILMS.DB");
    auto byKey = runQuery(mtdemo(),
                          "SELECT \"Film #\", \"Film Title\" FROM FILMS WHERE \"Film #\" = 'A1002'",
                          QueryLanguage::SQL);
    expectOracleRows(*byKey, films, {1});
    auto byTitle = runQuery(mtdemo(),
                            "SELECT \"Film Title\", Year FROM \"films.db\" WHERE \"Film Title\" "
                            "LIKE 'sophie%' AND Year = 1982",
                            QueryLanguage::SQL);
    expectOracleRows(*byTitle, films, {2});
    auto qbe = runQuery(mtdemo(),
                        "Query\nFILMS.DB | Film #                | Film Title |\n"
                        "         | Check A1001 or A1003 | Check      |\n",
                        QueryLanguage::QBE);
    expectOracleRows(*qbe, films, {0, 2});
}

TEST(QueryFixtures, CountsMatchTheOracle) {
    RAVELDA_REQUIRE_FIXTURES();
    const auto areas = paradoxFixture("leonhad__paradoxdriver/areas");
    const std::string section = oracleSection("areas/ZIPCODES.DB");
    const auto at = section.find("records=");
    ASSERT_NE(at, std::string::npos);
    const std::string records = section.substr(at + 8, section.find(' ', at) - at - 8);
    auto count = runQuery(areas, "SELECT COUNT(*) FROM ZIPCODES", QueryLanguage::SQL);
    EXPECT_EQ(rowsText(*count), std::vector<std::string>{records});
    auto first =
        runQuery(areas, "SELECT Zip, State, City FROM ZIPCODES WHERE Zip < '00600' LIMIT 3",
                 QueryLanguage::SQL);
    expectOracleRows(*first, section, {0, 1, 2});
    EXPECT_EQ(first->table().codePage(), 437);
}

TEST(QueryFixtures, KeySearchesAgreeWithScansOnAMultiLevelIndex) {
    RAVELDA_REQUIRE_FIXTURES();
    const auto areas = paradoxFixture("leonhad__paradoxdriver/areas");
    for (const char* zip : {"00501", "10001", "99950", "55555", "00000"}) {
        auto searched =
            runQuery(areas, std::string("SELECT * FROM ZIPCODES WHERE Zip = '") + zip + "'",
                     QueryLanguage::SQL);
        auto scanned =
            runQuery(areas, std::string("SELECT * FROM ZIPCODES WHERE +Zip = '") + zip + "'",
                     QueryLanguage::SQL);
        EXPECT_EQ(rowsText(*searched), rowsText(*scanned)) << zip;
    }
}

TEST(QueryFixtures, JoinOfFixtureTables) {
    RAVELDA_REQUIRE_FIXTURES();
    auto joined = runQuery(
        mtdemo(), "SELECT COUNT(*) FROM KRENTAL r JOIN FILMS f ON f.\"Film #\" = r.\"Film #\"",
        QueryLanguage::SQL);
    auto counted = runQuery(
        mtdemo(), "SELECT COUNT(*) FROM KRENTAL WHERE \"Film #\" IN (SELECT \"Film #\" FROM FILMS)",
        QueryLanguage::SQL);
    EXPECT_EQ(rowsText(*joined), rowsText(*counted));
    auto some = runQuery(
        mtdemo(),
        "SELECT f.\"Film Title\" FROM KRENTAL r JOIN FILMS f ON f.\"Film #\" = r.\"Film #\" "
        "WHERE r.Date = '1989-01-01' AND r.\"Customer #\" = '1332' ORDER BY r.\"Line #\"",
        QueryLanguage::SQL);
    EXPECT_EQ(rowsText(*some),
              (std::vector<std::string>{"The Blob", "Bachelor & The Bobby-Soxer"}));
}

} // namespace
} // namespace ravelda::engine::test

namespace ravelda::engine::test {
namespace {

std::string describe(const std::vector<FieldDef>& fields) {
    std::string out;
    for (const auto& f : fields)
        out += f.name + " " + fieldTypeLetter(f.type) + std::to_string(f.size) + "; ";
    return out;
}

// The rows as CSV text, BCD values to 15 significant digits (SQL carries them as REAL).
std::vector<std::string> csvRows(Table& t) {
    std::vector<std::string> out;
    for (const auto& row : allRows(t)) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            std::string v;
            if (t.fields()[i].type == FieldType::Bcd && !row[i].isNull()) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.15g",
                              std::strtod(row[i].asDecimal().c_str(), nullptr));
                v = buf;
            } else {
                v = csv::formatValue(t.fields()[i], row[i], t.codec());
            }
            line += (i ? "|" : "") + v;
        }
        out.push_back(line);
    }
    return out;
}

// SELECT * over a real table gives its rows back value for value, in every field type.
TEST(QueryFixtures, EveryFieldTypeComesBackUnchanged) {
    RAVELDA_REQUIRE_FIXTURES();
    struct Case {
        const char* folder;
        const char* table;
    };
    const Case cases[] = {
        {"fields", "bcd"},   {"fields", "bytes"},      {"fields", "date35"},    {"fields", "date7"},
        {"fields", "fmemo"}, {"fields", "graphic240"}, {"fields", "logical"},   {"fields", "long"},
        {"fields", "memo"},  {"fields", "time"},       {"fields", "timestamp"}, {"db", "DECIMAL"},
        {"db", "CUSTOMER"},  {"db", "ORDERS"},         {"db", "HERCULES"},
    };
    for (const auto& c : cases) {
        const auto folder = paradoxFixture(std::string("leonhad__paradoxdriver/") + c.folder);
        const auto path = tableInFolder(folder, c.table);
        OpenOptions ro;
        ro.mode = OpenMode::ReadOnly;
        auto source = Table::open(path, ro);
        auto result =
            runQuery(folder, std::string("SELECT * FROM \"") + c.table + "\"", QueryLanguage::SQL);
        std::vector<FieldDef> expected = source->fields();
        for (auto& f : expected)
            if (f.type == FieldType::AutoInc) f.type = FieldType::Long;
        EXPECT_EQ(describe(result->table().fields()), describe(expected)) << c.table;
        EXPECT_EQ(result->table().codePage(), source->codePage()) << c.table;
        EXPECT_EQ(csvRows(result->table()), csvRows(*source)) << c.table;
    }
}

} // namespace
} // namespace ravelda::engine::test
