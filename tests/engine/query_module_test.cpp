// The "paradox" module on a connection of one's own.
#include "querytest.h"

#include <sqlite3.h>

namespace ravelda::engine::test {
namespace {

class QueryModule : public QueryDb {
protected:
    void SetUp() override {
        QueryDb::SetUp();
        ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    }
    void TearDown() override { sqlite3_close(db); }

    // The first column of every row, as text ("NULL" for NULL); the error text on failure.
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            return {std::string("error: ") + sqlite3_errmsg(db)};
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* t = sqlite3_column_text(st, 0);
            out.emplace_back(t ? reinterpret_cast<const char*>(t) : "NULL");
        }
        if (rc != SQLITE_DONE) out.push_back(std::string("error: ") + sqlite3_errmsg(db));
        sqlite3_finalize(st);
        return out;
    }

    sqlite3* db = nullptr;
};

TEST_F(QueryModule, FolderTablesOnAnOwnConnection) {
    attachFolderTables(db, dir.path());
    EXPECT_EQ(column("SELECT Nome FROM Clienti WHERE Id = 2"), std::vector<std::string>{"Bianchi"});
    EXPECT_EQ(column("SELECT COUNT(*) FROM \"ORDINI.db\""), std::vector<std::string>{"4"});
    EXPECT_EQ(
        column("SELECT typeof(Attivo) || typeof(Nato) || typeof(Saldo) FROM Clienti WHERE Id = 1"),
        std::vector<std::string>{"integertextreal"});
    EXPECT_EQ(column("SELECT a.Id FROM Clienti a JOIN Clienti b ON b.Id = a.Id + 1 ORDER BY a.Id"),
              (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(QueryModule, ColumnsDeclareTheirParadoxType) {
    attachFolderTables(db, dir.path());
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT Tabella, Registro, Nome || '' FROM Keys, Clienti", -1,
                                 &st, nullptr),
              SQLITE_OK);
    EXPECT_STREQ(sqlite3_column_decltype(st, 0), "TEXT PARADOX_1_30");
    EXPECT_STREQ(sqlite3_column_decltype(st, 1), "INTEGER PARADOX_3_2");
    EXPECT_EQ(sqlite3_column_decltype(st, 2), nullptr);
    sqlite3_finalize(st);
}

TEST_F(QueryModule, ChangesAreRefused) {
    attachFolderTables(db, dir.path());
    for (const char* sql : {"INSERT INTO Keys VALUES ('X', '2024', 1, 1)",
                            "UPDATE Keys SET Chiave = 0", "DELETE FROM Clienti"}) {
        EXPECT_EQ(column(sql), std::vector<std::string>{std::string("error: ") + kQueryReadOnly})
            << sql;
    }
    EXPECT_EQ(allRows(*Table::open(dir / "Keys.DB")).size(), 5u);
}

TEST_F(QueryModule, OneTableByPath) {
    registerParadoxModule(db);
    registerParadoxModule(db); // a second registration changes nothing
    const std::string create =
        "CREATE VIRTUAL TABLE k USING paradox('" + (dir / "Keys.DB").string() + "')";
    EXPECT_EQ(column(create), std::vector<std::string>{});
    EXPECT_EQ(column("SELECT SUM(Chiave) FROM k"), std::vector<std::string>{"174"});
    const auto missing =
        column("CREATE VIRTUAL TABLE m USING paradox('" + (dir / "Nope.DB").string() + "')");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_NE(missing[0].find("Nope.DB"), std::string::npos) << missing[0];
    EXPECT_NE(column("CREATE VIRTUAL TABLE n USING paradox")[0].find("file path is missing"),
              std::string::npos);
}

} // namespace
} // namespace ravelda::engine::test

namespace ravelda::engine::test {
namespace {

// Paths and table names reach SQL quoted: quotes, commas, parentheses and spaces are just
// characters.
TEST(QueryNames, OddFolderAndTableNames) {
    ravelda::test::TempDir dir;
    const auto folder = dir / "it's (a, \"test\")";
    std::filesystem::create_directories(folder);
    Table::create(folder / "Le \"vendite\" d'oggi.DB", {{"N", FieldType::Long, 0}}, 0,
                  makeOptions());
    Table::open(folder / "Le \"vendite\" d'oggi.DB")->insertRows({{Value::integer(7)}});
    auto result =
        runQuery(folder, "SELECT N FROM \"Le \"\"vendite\"\" d'oggi\"", QueryLanguage::SQL);
    EXPECT_EQ(rowsText(*result), std::vector<std::string>{"7"});
    result =
        runQuery(folder, "Query\nLe \"vendite\" d'oggi.DB | N |\n | Check |\n", QueryLanguage::QBE);
    EXPECT_EQ(rowsText(*result), std::vector<std::string>{"7"});
}

} // namespace
} // namespace ravelda::engine::test
