// TwwTable running its Query text: SQL conditions, joins, grouping and sorting over real engine
// tables and over the Paradox fixtures, QBE, the read-only result, engine errors with their
// message, the hourglass while the statement runs, and filters over a result.
#include "data/fields.h"
#include "data/wwtable.h"
#include "engine/cursor.h"
#include "engine/table.h"
#include "platform/screen.h"
#include "platform/strings.h"
#include "platform/testseams.h"
#include "tests/support/dataset_helpers.h"
#include "tests/support/fixtures.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>

using ravelda::test::KeyRow;
using ravelda::test::TempAlias;
namespace engine = ravelda::engine;
namespace fs = std::filesystem;

namespace {

const std::vector<KeyRow> kKeys = {
    {"BOLLE.DB", "2025", 0, 7},   {"BOLLE.DB", "2026", 0, 2},   {"FATTURE.DB", "2025", 1, 40},
    {"FATTURE.DB", "2026", 1, 9}, {"FATTURE.DB", "2026", 2, 3}, {"ORDINI.DB", "2026", 0, 0},
};

// Every row of the open dataset, fields joined by "|".
QStringList Rows(TDataSet& Table) {
    QStringList rows;
    for (Table.First(); !Table.Eof(); Table.Next()) {
        QStringList values;
        for (int i = 0; i < Table.FieldCount(); ++i)
            values << Table.Fields(i)->AsString();
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

void SetQuery(TwwTable& Table, const QStringList& Lines) {
    TStringList list;
    list.SetStrings(Lines);
    Table.SetQuery(&list);
}

class Queries : public ::testing::Test {
protected:
    void SetUp() override {
        alias.createKeysTable(kKeys);
        // Descrizioni: Tabella A30 (key), Descrizione A40.
        const fs::path path = alias.folder() / "Descrizioni.DB";
        engine::Table::create(path,
                              {{"Tabella", engine::FieldType::Alpha, 30},
                               {"Descrizione", engine::FieldType::Alpha, 40}},
                              1);
        auto t = engine::Table::open(path);
        auto cursor = t->cursor();
        for (const auto& [name, text] : std::map<std::string, std::string>{
                 {"BOLLE.DB", "Bolle di consegna"}, {"FATTURE.DB", "Fatture di vendita"}})
            cursor->insert({engine::Value::text(name), engine::Value::text(text)});
        table.SetDatabaseName(alias.aliasName());
        Screen()->SetCursor(crDefault);
    }

    TempAlias alias;
    TwwTable table{nullptr};
};

TEST_F(Queries, SqlReturnsTheRightRows) {
    struct Case {
        QStringList lines;
        QStringList rows;
    } cases[] = {
        {{QStringLiteral("SELECT Tabella, Anno, Chiave FROM Keys WHERE Chiave > 5"),
          QStringLiteral("ORDER BY Chiave DESC")},
         {QStringLiteral("FATTURE.DB|2025|40"), QStringLiteral("FATTURE.DB|2026|9"),
          QStringLiteral("BOLLE.DB|2025|7")}},
        {{QStringLiteral("SELECT k.Anno, d.Descrizione, k.Registro"),
          QStringLiteral("FROM Keys k JOIN Descrizioni d ON d.Tabella = k.Tabella"),
          QStringLiteral("WHERE k.Anno = '2026'"),
          QStringLiteral("ORDER BY d.Descrizione DESC, k.Registro")},
         {QStringLiteral("2026|Fatture di vendita|1"), QStringLiteral("2026|Fatture di vendita|2"),
          QStringLiteral("2026|Bolle di consegna|0")}},
        {{QStringLiteral("SELECT k.Tabella, d.Descrizione FROM Keys k"),
          QStringLiteral("LEFT JOIN Descrizioni d ON d.Tabella = k.Tabella"),
          QStringLiteral("WHERE d.Descrizione IS NULL")},
         {QStringLiteral("ORDINI.DB|")}},
        {{QStringLiteral("SELECT Anno, COUNT(*) AS Righe, SUM(Chiave) AS Totale"),
          QStringLiteral("FROM \"Keys.DB\" GROUP BY Anno ORDER BY Anno")},
         {QStringLiteral("2025|2|47"), QStringLiteral("2026|4|14")}},
        {{QStringLiteral("SELECT Tabella FROM Keys WHERE Tabella LIKE 'X%'")}, {}},
        // A comment at the end of a line ends with that line, not with the statement.
        {{QStringLiteral("SELECT Tabella, Chiave -- the counter"), QStringLiteral("FROM Keys"),
          QStringLiteral("WHERE Chiave = 0 -- unused rows")},
         {QStringLiteral("ORDINI.DB|0")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(QLatin1Char(' ')).toStdString());
        SetQuery(table, c.lines);
        table.Open();
        EXPECT_EQ(table.QueryKind(), QStringLiteral("SQL"));
        EXPECT_EQ(Rows(table), c.rows);
        EXPECT_EQ(table.RecordCount(), c.rows.size());
        table.Close();
    }
}

TEST_F(Queries, TheResultIsReadOnly) {
    SetQuery(table, {QStringLiteral("SELECT * FROM Keys ORDER BY Chiave")});
    table.Open();
    EXPECT_FALSE(table.CanModify());
    EXPECT_EQ(table.FieldByName(QStringLiteral("Chiave"))->AsInteger(), 0);
    struct Case {
        const char* what;
        void (*act)(TwwTable&);
    } cases[] = {
        {"edit", [](TwwTable& t) { t.Edit(); }},
        {"insert", [](TwwTable& t) { t.Insert(); }},
        {"append", [](TwwTable& t) { t.Append(); }},
        {"delete", [](TwwTable& t) { t.Delete(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.act(table);
            ADD_FAILURE() << "not refused";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot modify a read-only dataset"));
        }
        EXPECT_EQ(table.State(), dsBrowse);
    }
    EXPECT_EQ(table.RecordCount(), 6);
}

TEST_F(Queries, FieldsComeFromTheResult) {
    SetQuery(table, {QStringLiteral("SELECT Tabella, Registro, Chiave * 2 AS Doppio FROM Keys")});
    table.Open();
    ASSERT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.Fields(0)->FieldName(), QStringLiteral("Tabella"));
    EXPECT_EQ(table.Fields(0)->DataType(), ftString);
    EXPECT_EQ(table.Fields(0)->Size(), 30);
    EXPECT_EQ(table.Fields(1)->DataType(), ftSmallint);
    EXPECT_EQ(table.Fields(2)->FieldName(), QStringLiteral("Doppio"));
    EXPECT_EQ(table.Fields(2)->DataType(), ftInteger);
}

TEST_F(Queries, EngineErrorsAreRaisedWithTheirMessage) {
    struct Case {
        QStringList lines;
        const char* message;
    } cases[] = {
        {{QStringLiteral("SELEC * FROM Keys")}, "near \"SELEC\": syntax error"},
        {{QStringLiteral("SELECT * FROM Nope")}, "no such table: Nope"},
        {{QStringLiteral("SELECT Nope FROM Keys")}, "no such column: Nope"},
        {{QStringLiteral("DELETE FROM Keys")}, nullptr},
        {{QStringLiteral("Query"), QStringLiteral("Keys.DB | Tabella | Anno |"),
          QStringLiteral(" | Check | _x |")},
         "QBE: an example element"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(QLatin1Char(' ')).toStdString());
        SetQuery(table, c.lines);
        TTestShell shell;
        try {
            table.Open();
            ADD_FAILURE() << "opened";
        } catch (const EDatabaseError& e) {
            if (c.message) {
                EXPECT_TRUE(e.Message().contains(QString::fromLatin1(c.message)))
                    << e.Message().toStdString();
            }
            EXPECT_FALSE(e.Message().isEmpty());
        }
        EXPECT_FALSE(table.Active());
        // The hourglass went back even though the statement failed.
        EXPECT_EQ(shell.Cursors(), (std::vector<int>{crHourGlass, crDefault}));
        EXPECT_EQ(Screen()->Cursor(), crDefault);
    }
    // The rows are untouched.
    SetQuery(table, {QStringLiteral("SELECT COUNT(*) FROM Keys")});
    table.Open();
    EXPECT_EQ(table.Fields(0)->AsInteger(), 6);
}

TEST_F(Queries, TheHourglassShowsWhileTheStatementRuns) {
    SetQuery(table, {QStringLiteral("SELECT * FROM Keys")});
    TTestShell shell;
    table.Open();
    EXPECT_EQ(shell.Cursors(), (std::vector<int>{crHourGlass, crDefault}));
}

TEST_F(Queries, UnknownAliasIsAClearError) {
    table.SetDatabaseName(QStringLiteral("nessuno"));
    SetQuery(table, {QStringLiteral("SELECT * FROM Keys")});
    try {
        table.Open();
        ADD_FAILURE() << "opened";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("nessuno"))) << e.Message().toStdString();
    }
}

TEST_F(Queries, QbeRunsWithItsLinesJoined) {
    struct Case {
        QStringList lines;
        QStringList rows;
    } cases[] = {
        {{QStringLiteral("Query"), QStringLiteral(""),
          QStringLiteral("Keys.DB | Tabella    | Anno  | Chiave |"),
          QStringLiteral("        | Check      | Check | >5     |")},
         {QStringLiteral("BOLLE.DB|2025"), QStringLiteral("FATTURE.DB|2025"),
          QStringLiteral("FATTURE.DB|2026")}},
        {{QStringLiteral("query"), QStringLiteral("Keys | Tabella | Registro |"),
          QStringLiteral(" | CheckPlus | 2 |")},
         {QStringLiteral("FATTURE.DB")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(QLatin1Char(' ')).toStdString());
        SetQuery(table, c.lines);
        table.Open();
        EXPECT_EQ(table.QueryKind(), QStringLiteral("QBE"));
        EXPECT_EQ(Rows(table), c.rows);
        EXPECT_FALSE(table.CanModify());
        table.Close();
    }
}

TEST_F(Queries, ClosingKeepsTheQueryAndNoTableName) {
    SetQuery(table, {QStringLiteral("SELECT * FROM Keys")});
    table.Open();
    table.Close();
    EXPECT_EQ(table.TableName(), QString());
    EXPECT_EQ(table.Query()->Count(), 1);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 6);
    // A table name replaces the query.
    table.Close();
    table.SetTableName(QStringLiteral("Keys.DB"));
    EXPECT_EQ(table.Query()->Count(), 0);
    table.Open();
    EXPECT_TRUE(table.CanModify());
}

TEST_F(Queries, FiltersNarrowAResult) {
    SetQuery(table, {QStringLiteral("SELECT Tabella, Chiave FROM Keys ORDER BY Chiave")});
    TStringList filter;
    filter.SetStrings({QStringLiteral("Chiave >= 3")});
    table.SetwwFilter(&filter);
    table.SetOnFilter([](TDataSet* t, bool& accept) {
        accept =
            t->FieldByName(QStringLiteral("Tabella"))->AsString() != QStringLiteral("BOLLE.DB");
    });
    table.Open();
    EXPECT_EQ(Rows(table),
              (QStringList{QStringLiteral("FATTURE.DB|3"), QStringLiteral("FATTURE.DB|9"),
                           QStringLiteral("FATTURE.DB|40")}));
    EXPECT_EQ(table.RecordCount(), 3);
}

// An alias naming a fixture folder, used in place (the engine only reads it).
class FixtureAlias {
public:
    FixtureAlias(const std::string& Name, const fs::path& Folder) {
        if (const char* old = std::getenv("RAVELDA_ALIAS_FILE")) previous_ = old;
        const fs::path file = dir_.path() / "aliases.conf";
        std::ofstream(file) << Name << " = " << Folder.string() << "\n";
        setenv("RAVELDA_ALIAS_FILE", file.c_str(), 1);
    }
    ~FixtureAlias() {
        if (previous_)
            setenv("RAVELDA_ALIAS_FILE", previous_->c_str(), 1);
        else
            unsetenv("RAVELDA_ALIAS_FILE");
    }

private:
    ravelda::test::TempDir dir_;
    std::optional<std::string> previous_;
};

// The rows of a fixture table read through TTable, for results worked out by hand.
std::vector<std::map<QString, QString>> ReadAll(const QString& Alias, const QString& Name) {
    TTable t(nullptr);
    t.SetDatabaseName(Alias);
    t.SetTableName(Name);
    t.SetReadOnly(true);
    t.Open();
    std::vector<std::map<QString, QString>> rows;
    for (t.First(); !t.Eof(); t.Next()) {
        std::map<QString, QString> row;
        for (int i = 0; i < t.FieldCount(); ++i)
            row[t.Fields(i)->FieldName()] = t.Fields(i)->AsString();
        rows.push_back(row);
    }
    return rows;
}

TEST(WwTableFixtureQueries, JoinOfRentalsAndCustomersMatchesTheTables) {
    RAVELDA_REQUIRE_FIXTURES();
    const fs::path customers =
        ravelda::test::paradoxFixture("leonhad__paradoxdriver/mtdemo/CUSTOMER.DB");
    ASSERT_FALSE(customers.empty());
    FixtureAlias alias("mtdemo", customers.parent_path());
    const auto customerRows = ReadAll(QStringLiteral("mtdemo"), QStringLiteral("CUSTOMER.DB"));
    const auto rentalRows = ReadAll(QStringLiteral("mtdemo"), QStringLiteral("KRENTAL.DB"));

    // Rentals per customer of one state, by hand.
    std::map<QString, int> expected;
    for (const auto& c : customerRows) {
        if (c.at(QStringLiteral("Customer State")) != QStringLiteral("CA")) continue;
        int n = 0;
        for (const auto& r : rentalRows)
            if (r.at(QStringLiteral("Customer #")) == c.at(QStringLiteral("Customer #"))) ++n;
        if (n > 0) expected[c.at(QStringLiteral("Last Name"))] += n;
    }
    ASSERT_FALSE(expected.empty());
    QStringList wanted;
    for (const auto& [name, n] : expected)
        wanted << name + QLatin1Char('|') + QString::number(n);

    TwwTable table(nullptr);
    table.SetDatabaseName(QStringLiteral("mtdemo"));
    SetQuery(table, {QStringLiteral("SELECT c.\"Last Name\", COUNT(*) AS Noleggi"),
                     QStringLiteral(
                         "FROM KRENTAL r JOIN CUSTOMER c ON c.\"Customer #\" = r.\"Customer #\""),
                     QStringLiteral("WHERE c.\"Customer State\" = 'CA'"),
                     QStringLiteral("GROUP BY c.\"Last Name\" ORDER BY c.\"Last Name\"")});
    table.Open();
    EXPECT_EQ(Rows(table), wanted);
    EXPECT_FALSE(table.CanModify());
}

TEST(WwTableFixtureQueries, ExpressionFilterOnAFixtureTableMatchesAScan) {
    RAVELDA_REQUIRE_FIXTURES();
    const fs::path customers =
        ravelda::test::paradoxFixture("leonhad__paradoxdriver/mtdemo/CUSTOMER.DB");
    ASSERT_FALSE(customers.empty());
    FixtureAlias alias("mtdemo", customers.parent_path());
    QStringList expected;
    for (const auto& c : ReadAll(QStringLiteral("mtdemo"), QStringLiteral("CUSTOMER.DB")))
        if (c.at(QStringLiteral("Customer State")) == QStringLiteral("CA") &&
            c.at(QStringLiteral("Customer #")) > QStringLiteral("1"))
            expected << c.at(QStringLiteral("Customer #"));
    ASSERT_FALSE(expected.isEmpty());

    TwwTable table(nullptr);
    table.SetDatabaseName(QStringLiteral("mtdemo"));
    table.SetTableName(QStringLiteral("CUSTOMER.DB"));
    table.SetReadOnly(true);
    TStringList filter;
    // Names with spaces and "#" are field names.
    filter.SetStrings(
        {QStringLiteral("Customer State = \"CA\""), QStringLiteral("Customer # > \"1\"")});
    table.SetwwFilter(&filter);
    table.Open();
    QStringList got;
    for (table.First(); !table.Eof(); table.Next())
        got << table.FieldByName(QStringLiteral("Customer #"))->AsString();
    EXPECT_EQ(got, expected);
    EXPECT_EQ(table.RecordCount(), expected.size());
}

} // namespace
