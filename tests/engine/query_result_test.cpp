// The result of a query: its field types and names, read-only, its errors and its private folder.
#include "querytest.h"

#include <fstream>

namespace ravelda::engine::test {
namespace {

struct TypeCase {
    const char* what;
    const char* sql;
    std::vector<FieldDef> fields;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
    *os << c.what;
}

class QueryResultTypes : public QueryDb, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(QueryResultTypes, AreTheSourceFieldsOrFitTheValues) {
    const TypeCase& c = GetParam();
    auto result = sql(c.sql);
    EXPECT_EQ(result->table().fields(), c.fields) << c.sql;
}

const TypeCase kTypeCases[] = {
    {"plain columns keep type and size",
     "SELECT Tabella, Registro, Chiave FROM Keys",
     {{"Tabella", FieldType::Alpha, 30},
      {"Registro", FieldType::Short, 2},
      {"Chiave", FieldType::Long, 4}}},
    {"every scalar source type",
     "SELECT Nato, Saldo, Attivo, Note FROM Clienti",
     {{"Nato", FieldType::Date, 4},
      {"Saldo", FieldType::Number, 8},
      {"Attivo", FieldType::Logical, 1},
      {"Note", FieldType::Memo, 20}}},
    {"money, time, timestamp",
     "SELECT Importo, Ora, Quando FROM \"Ordini.DB\"",
     {{"Importo", FieldType::Money, 8},
      {"Ora", FieldType::Time, 4},
      {"Quando", FieldType::Timestamp, 8}}},
    {"columns through a subquery keep their type",
     "SELECT Nome FROM (SELECT Nome FROM Clienti WHERE Id < 3)",
     {{"Nome", FieldType::Alpha, 20}}},
    {"computed columns take the type of their values",
     "SELECT COUNT(*), SUM(Saldo), Nome || '!' AS Grido, date(Nato) FROM Clienti WHERE Id = 4",
     {{"COUNT(*)", FieldType::Long, 4},
      {"SUM(Saldo)", FieldType::Number, 8},
      {"Grido", FieldType::Alpha, 7},
      {"date(Nato)", FieldType::Alpha, 1}}},
    {"integers beyond 32 bits",
     "SELECT 5000000000 AS Big, 7 AS Small",
     {{"Big", FieldType::Number, 8}, {"Small", FieldType::Long, 4}}},
    {"reals and integers mixed",
     "SELECT 1 AS X UNION ALL SELECT 2.5",
     {{"X", FieldType::Number, 8}}},
    {"text beyond 255 bytes is a memo",
     "SELECT printf('%300s', 'x') AS Lungo",
     {{"Lungo", FieldType::Memo, 10}}},
    {"blobs", "SELECT x'00ff' AS Dati", {{"Dati", FieldType::Blob, 10}}},
    {"only NULLs", "SELECT NULL AS Niente", {{"Niente", FieldType::Alpha, 1}}},
    {"a value that does not fit the source field",
     "SELECT Registro FROM Keys UNION ALL SELECT 'nove'",
     {{"Registro", FieldType::Alpha, 4}}},
    {"a text too long for the source field",
     "SELECT Anno FROM Keys UNION ALL SELECT 'duemila'",
     {{"Anno", FieldType::Alpha, 7}}},
    {"the same name twice",
     "SELECT a.Nome, b.Nome, a.Id AS nome_2 FROM Clienti a, Clienti b WHERE a.Id = 1 AND b.Id = 2",
     {{"Nome", FieldType::Alpha, 20},
      {"Nome_2", FieldType::Alpha, 20},
      {"nome_2_2", FieldType::Long, 4}}},
    {"names cut to 25 characters",
     "SELECT 1 AS UnNomeDavveroMoltoMoltoLungo, 2 AS UnNomeDavveroMoltoMoltoLunghissimo",
     {{"UnNomeDavveroMoltoMoltoLu", FieldType::Long, 4},
      {"UnNomeDavveroMoltoMolto_2", FieldType::Long, 4}}},
    {"an empty name", "SELECT 1 AS \"\"", {{"Field1", FieldType::Long, 4}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, QueryResultTypes, ::testing::ValuesIn(kTypeCases));

TEST_F(QueryDb, ResultHoldsTheValuesOfEachType) {
    auto result = sql("SELECT Nato, Saldo, Attivo, Note, Importo, Ora, Quando FROM Clienti, Ordini "
                      "WHERE Id = 1 AND Numero = 11");
    EXPECT_EQ(rowsText(*result),
              std::vector<std::string>{"1975-03-02|10.5|true|cliente storico|5|13:00:00.500|"
                                       "2024-05-02T13:00:00.500"});
}

TEST_F(QueryDb, ResultIsReadOnly) {
    auto result = sql("SELECT * FROM Keys");
    Table& t = result->table();
    EXPECT_FALSE(t.canModify());
    Cursor c(t);
    ASSERT_TRUE(c.first());
    const auto row = c.row();
    EXPECT_THROW(c.insert(row), Error);
    EXPECT_THROW(c.update(row), Error);
    EXPECT_THROW(c.remove(), Error);
    EXPECT_EQ(allRows(t).size(), 5u);
}

TEST_F(QueryDb, ResultMovesLikeATable) {
    auto result = sql("SELECT Nome FROM Clienti ORDER BY Nome");
    Cursor c(result->table());
    EXPECT_EQ(c.recordCount(), 4);
    ASSERT_TRUE(c.last());
    EXPECT_EQ(c.recordNumber(), 4);
    const Bookmark mark = c.bookmark();
    ASSERT_TRUE(c.first());
    ASSERT_TRUE(c.locate({0}, {Value::text("Rossi")}));
    EXPECT_EQ(c.recordNumber(), 3);
    ASSERT_TRUE(c.gotoBookmark(mark));
    EXPECT_EQ(c.value(0), Value::text("Verdi"));
}

TEST_F(QueryDb, PrivateFolderGoesWithTheResult) {
    ravelda::test::TempDir parent;
    QueryOptions o;
    o.tempParent = parent.path();
    auto result = sql("SELECT * FROM Clienti", o);
    EXPECT_EQ(result->table().path().parent_path().parent_path(), parent.path());
    EXPECT_FALSE(std::filesystem::is_empty(parent.path()));
    result.reset();
    EXPECT_TRUE(std::filesystem::is_empty(parent.path()));
}

TEST_F(QueryDb, SourceTablesAreLeftAsTheyWere) {
    const auto before = std::filesystem::last_write_time(dir / "Keys.DB");
    auto result = sql("SELECT * FROM Keys k JOIN Keys j ON k.Tabella = j.Tabella");
    EXPECT_EQ(std::filesystem::last_write_time(dir / "Keys.DB"), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
    EXPECT_EQ(allRows(*Table::open(dir / "Keys.DB")).size(), 5u);
}

// Code page of the result: the first table read, else the one asked for, else 1252.
TEST_F(QueryDb, ResultCodePage) {
    Table::create(dir / "Dos.DB", {{"Nome", FieldType::Alpha, 10}}, 0, makeOptions(0x0C, 850));
    auto dos = Table::open(dir / "Dos.DB");
    dos->insertRows({{Value::text(dos->codec().fromUtf8("Città"))}});

    EXPECT_EQ(sql("SELECT Nome FROM Dos")->table().codePage(), 850);
    EXPECT_EQ(rowsText(*sql("SELECT Nome FROM Dos")), std::vector<std::string>{"Città"});
    EXPECT_EQ(sql("SELECT 'x'")->table().codePage(), 1252);
    QueryOptions o;
    o.codePage = 1250;
    auto polish = sql("SELECT 'Łódź' AS Citta", o);
    EXPECT_EQ(polish->table().codePage(), 1250);
    EXPECT_EQ(rowsText(*polish), std::vector<std::string>{"Łódź"});
}

TEST_F(QueryDb, TextTheCodePageCannotHoldIsRefused) {
    try {
        sql("SELECT Nome || ' Łódź' AS Dove FROM Clienti");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::Encoding);
        EXPECT_NE(std::string(e.what()).find("column 'Dove'"), std::string::npos) << e.what();
    }
}

struct ErrorCase {
    const char* what;
    const char* sql;
    Error::Kind kind;
    const char* message; // a part of what()
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.what;
}

class QueryErrors : public QueryDb, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(QueryErrors, AreClear) {
    const ErrorCase& c = GetParam();
    try {
        sql(c.sql);
        FAIL() << "no error for " << c.sql;
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), c.kind) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
}

const ErrorCase kErrorCases[] = {
    {"syntax error", "SELEC * FROM Keys", Error::Kind::InvalidArgument,
     "near \"SELEC\": syntax error"},
    {"unknown table", "SELECT * FROM Nope", Error::Kind::InvalidArgument, "no such table: Nope"},
    {"unknown column", "SELECT Nope FROM Keys", Error::Kind::InvalidArgument,
     "no such column: Nope"},
    {"empty", "  ; ", Error::Kind::InvalidArgument, "the query is empty"},
    {"two statements", "SELECT 1; SELECT 2", Error::Kind::InvalidArgument, "one statement"},
    {"a bad second statement", "SELECT 1; nonsense", Error::Kind::InvalidArgument, "one statement"},
    {"insert", "INSERT INTO Keys VALUES ('X', '2024', 1, 1)", Error::Kind::Unsupported,
     "INSERT is not allowed"},
    {"update", "UPDATE Keys SET Chiave = 0", Error::Kind::Unsupported, "UPDATE is not allowed"},
    {"delete", "DELETE FROM Clienti", Error::Kind::Unsupported, "DELETE is not allowed"},
    {"create", "CREATE TABLE t (x)", Error::Kind::Unsupported, "only reads rows"},
    {"attach", "ATTACH DATABASE 'x.sqlite' AS x", Error::Kind::Unsupported,
     "ATTACH is not allowed"},
    {"pragma", "PRAGMA writable_schema = 1", Error::Kind::Unsupported, "PRAGMA is not allowed"},
    {"writing the schema", "UPDATE sqlite_temp_master SET sql = ''", Error::Kind::InvalidArgument,
     "may not be modified"},
    {"error while running", "SELECT abs(-9223372036854775807 - 1)", Error::Kind::InvalidArgument,
     "integer overflow"},
};

INSTANTIATE_TEST_SUITE_P(Cases, QueryErrors, ::testing::ValuesIn(kErrorCases));

TEST_F(QueryDb, DamagedTableRaisesTheEngineError) {
    {
        std::ofstream bad(dir / "Rotto.DB", std::ios::binary);
        bad << "not a table at all";
    }
    // The other tables still answer.
    EXPECT_EQ(rowsText(*sql("SELECT COUNT(*) FROM Keys")), std::vector<std::string>{"5"});
    for (const char* name : {"Rotto", "\"Rotto.DB\"", "rotto"}) {
        try {
            sql(std::string("SELECT * FROM ") + name);
            FAIL() << "no error for " << name;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Corrupt) << e.what();
            EXPECT_EQ(e.file().filename(), "Rotto.DB") << e.what();
        }
    }
}

TEST_F(QueryDb, DamageFoundWhileReadingRaisesTheEngineError) {
    // Cut the last data block off: the header still opens, the rows cannot all be read.
    Table::create(dir / "Corto.DB", {{"N", FieldType::Long, 0}}, 0, makeOptions());
    {
        auto t = Table::open(dir / "Corto.DB");
        std::vector<std::vector<Value>> rows;
        for (int i = 0; i < 2000; ++i)
            rows.push_back({Value::integer(i)});
        t->insertRows(rows);
    }
    const auto size = std::filesystem::file_size(dir / "Corto.DB");
    std::filesystem::resize_file(dir / "Corto.DB", size - 2048);
    try {
        sql("SELECT SUM(N) FROM Corto");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(e.kind(), Error::Kind::InvalidArgument) << e.what();
        EXPECT_EQ(e.file().filename(), "Corto.DB") << e.what();
    }
}

TEST(QueryFolder, MissingFolderIsNotFound) {
    try {
        runQuery("/nonexistent/ravelda", "SELECT 1", QueryLanguage::SQL);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::NotFound);
    }
}

} // namespace
} // namespace ravelda::engine::test

namespace ravelda::engine::test {
namespace {

// A query opens only the tables it names: one held exclusively elsewhere stops only the queries
// that read it, with the engine's Locked error.
TEST_F(QueryDb, ATableHeldExclusivelyStopsOnlyItsQueries) {
    OpenOptions exclusive;
    exclusive.mode = OpenMode::Exclusive;
    auto held = Table::open(dir / "Ordini.DB", exclusive);
    EXPECT_EQ(rowsText(*sql("SELECT COUNT(*) FROM Clienti")), std::vector<std::string>{"4"});
    try {
        sql("SELECT * FROM Clienti c JOIN Ordini o ON o.Cliente = c.Id");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::Locked) << e.what();
        EXPECT_EQ(e.file().filename(), "Ordini.DB") << e.what();
    }
    held.reset();
    EXPECT_EQ(rowsText(*sql("SELECT COUNT(*) FROM Ordini")), std::vector<std::string>{"4"});
}

} // namespace
} // namespace ravelda::engine::test
