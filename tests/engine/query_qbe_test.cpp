// Query by example: the supported subset, its rows, and what it refuses.
#include "querytest.h"

namespace ravelda::engine::test {
namespace {

struct QbeCase {
    const char* what;
    const char* qbe;
    std::vector<std::string> rows;
};

void PrintTo(const QbeCase& c, std::ostream* os) {
    *os << c.what;
}

class QbeRows : public QueryDb, public ::testing::WithParamInterface<QbeCase> {};

TEST_P(QbeRows, GivesTheRows) {
    const QbeCase& c = GetParam();
    auto result = runQuery(dir.path(), c.qbe, QueryLanguage::QBE);
    EXPECT_EQ(rowsText(*result), c.rows) << result->sql();
}

const QbeCase kQbeCases[] = {
    {"check sorts and removes duplicates",
     "Query\r\nANSWER: :PRIV:ANSWER.DB\r\n\r\nKeys.DB | Tabella | Anno |\r\n        | Check   |    "
     "  |\r\n",
     {"DDT", "Fatture", "Ordini"}},
    {"check plus keeps duplicates in table order",
     "Query\n\nKeys.DB | Tabella   |\n        | CheckPlus |\n",
     {"DDT", "Fatture", "Fatture", "Fatture", "Ordini"}},
    {"check descending", "Query\nKeys | Anno |\n | CheckDescending |\n", {"2024", "2023"}},
    {"equality by a plain value",
     "Query\nKeys.DB | Tabella | Anno  | Chiave |\n        | Fatture | Check | Check  |\n",
     {"2023|120", "2024|3", "2024|7"}},
    {"equality with =", "Query\nClienti | Id    | Citta   |\n | Check | =Cesena |\n", {"2"}},
    {"comparisons", "Query\nClienti | Id | Saldo |\n | Check | >0 |\n", {"1", "4"}},
    {"two conditions on a field",
     "Query\nClienti | Id | Saldo |\n | Check >=2, <4 | |\n",
     {"2", "3"}},
    {"conditions on two fields",
     "Query\nClienti | Id | Citta | Saldo |\n | Check | Forlì | <=0 |\n",
     {"3"}},
    {"or in a cell", "Query\nClienti | Id | Citta |\n | Check | Cesena or Rimini |\n", {"2", "4"}},
    {"two row lines are alternatives",
     "Query\nClienti | Id | Citta | Saldo |\n | Check | Forlì | >5 |\n | Check | Rimini | |\n",
     {"1", "4"}},
    {"a row line without conditions takes every row",
     "Query\nClienti | Id | Citta |\n | Check | Forlì |\n | Check | |\n",
     {"1", "2", "3", "4"}},
    {"not and <>", "Query\nClienti | Id | Citta |\n | Check | NOT Forlì |\n", {"2", "4"}},
    {"<>", "Query\nClienti | Id | Nome |\n | Check | <>Rossi |\n", {"2", "3", "4"}},
    {"blank", "Query\nClienti | Id | Saldo |\n | Check | BLANK |\n", {"2"}},
    {"not blank", "Query\nClienti | Id | Nato |\n | Check | NOT BLANK |\n", {"1", "2", "3"}},
    {"pattern with ..", "Query\nClienti | Nome |\n | Check ..i |\n", {"Bianchi", "Rossi", "Verdi"}},
    {"pattern with @", "Query\nClienti | Nome |\n | Check R@ssi |\n", {"Rossi"}},
    {"like", "Query\nClienti | Nome |\n | Check LIKE ni.. |\n", {"Nicolò"}},
    {"quoted text keeps commas and patterns",
     "Query\nClienti | Id | Nome |\n | Check | \"R..\" |\n",
     {}},
    {"dates", "Query\nClienti | Id | Nato |\n | Check | >= 1982-11-30 |\n", {"2", "3"}},
    {"logical values", "Query\nClienti | Id | Attivo |\n | Check | False |\n", {"2"}},
    {"code-page text", "Query\nClienti | Nome | Citta |\n | Check | Forlì |\n", {"Rossi", "Verdi"}},
    {"the fields' case does not matter",
     "Query\n\"clienti.db\" | ID | citta |\n | check | rimini |\nEndQuery\n",
     {}},
    {"end query line", "Query\nClienti | Id |\n | Check <2 |\n\nEndQuery\n", {"1"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, QbeRows, ::testing::ValuesIn(kQbeCases));

TEST(QbeSql, TranslationOfAFullExample) {
    EXPECT_EQ(qbeToSql("Query\nANSWER: :PRIV:ANSWER.DB\n\nKeys.DB | Tabella | Anno | Registro |\n"
                       "        | Check   | CheckDescending >2020 | CheckPlus 1 or 2 |\n"),
              "SELECT \"Tabella\", \"Anno\", \"Registro\" FROM \"Keys.DB\" WHERE \"Anno\" > '2020' "
              "AND (\"Registro\" = '1' OR \"Registro\" = '2') ORDER BY \"Tabella\", \"Anno\" DESC");
}

TEST(QbeSql, QuotesAreEscaped) {
    EXPECT_EQ(qbeToSql("Query\nT | F |\n | Check 'a' |\n"),
              "SELECT DISTINCT \"F\" FROM \"T\" WHERE \"F\" = '''a''' ORDER BY \"F\"");
    EXPECT_EQ(qbeToSql("Query\nT | F |\n | Check \"say \\\"hi\\\", ok\" |\n"),
              "SELECT DISTINCT \"F\" FROM \"T\" WHERE \"F\" = 'say \"hi\", ok' ORDER BY \"F\"");
}

TEST_F(QueryDb, QbeOptions) {
    QueryOptions zero;
    zero.blanksAsZero = true;
    auto blanks = runQuery(dir.path(), "Query\nClienti | Id | Saldo |\n | Check | <1 |\n",
                           QueryLanguage::QBE, zero);
    EXPECT_EQ(rowsText(*blanks), (std::vector<std::string>{"2", "3"}));
    auto plain = runQuery(dir.path(), "Query\nClienti | Id | Saldo |\n | Check | <1 |\n",
                          QueryLanguage::QBE);
    EXPECT_EQ(rowsText(*plain), (std::vector<std::string>{"3"}));

    QueryOptions nocase;
    nocase.caseInsensitive = true;
    auto any = runQuery(dir.path(), "Query\nClienti | Id | Nome |\n | Check | rossi |\n",
                        QueryLanguage::QBE, nocase);
    EXPECT_EQ(rowsText(*any), (std::vector<std::string>{"1"}));
    auto exact = runQuery(dir.path(), "Query\nClienti | Id | Nome |\n | Check | rossi |\n",
                          QueryLanguage::QBE);
    EXPECT_EQ(rowsText(*exact), std::vector<std::string>{});
}

struct RefusalCase {
    const char* what;
    const char* qbe;
    Error::Kind kind;
    const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.what;
}

class QbeRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(QbeRefusals, NameWhatIsWrong) {
    const RefusalCase& c = GetParam();
    try {
        const std::string sql = qbeToSql(c.qbe);
        FAIL() << "translated to " << sql;
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), c.kind) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
}

using K = Error::Kind;
const RefusalCase kRefusals[] = {
    {"no query line", "Keys | Anno |\n | Check |\n", K::InvalidArgument,
     "first line must be \"Query\""},
    {"empty", "", K::InvalidArgument, "first line must be \"Query\""},
    {"no table", "Query\n\n", K::InvalidArgument, "no table block"},
    {"no row line", "Query\nKeys | Anno |\n", K::InvalidArgument, "no row line"},
    {"no field names", "Query\nKeys\n | Check |\n", K::InvalidArgument, "Table | Field"},
    {"nothing checked", "Query\nKeys | Anno |\n | 2024 |\n", K::InvalidArgument,
     "no field is checked"},
    {"too many cells", "Query\nKeys | Anno |\n | Check | 1 | 2 |\n", K::InvalidArgument,
     "more cells"},
    {"open quote", "Query\nKeys | Anno |\n | Check \"2024 |\n", K::InvalidArgument, "not closed"},
    {"text after the block", "Query\nKeys | Anno |\n | Check |\n\nhello\n", K::InvalidArgument,
     "unexpected text"},
    {"marks differ between rows", "Query\nKeys | Anno |\n | Check |\n | |\n", K::InvalidArgument,
     "differ between row lines"},
    {"a condition without a value", "Query\nKeys | Anno |\n | Check >= |\n", K::InvalidArgument,
     "has no value"},
    {"two tables", "Query\nKeys | Anno |\n | Check |\n\nClienti | Id |\n | Check |\n",
     K::Unsupported, "more than one table"},
    {"example elements", "Query\nKeys | Anno |\n | Check _anno |\n", K::Unsupported,
     "example element"},
    {"calc", "Query\nKeys | Chiave |\n | Check CALC _k + 1 |\n", K::Unsupported, "CALC"},
    {"changeto", "Query\nKeys | Chiave |\n | 0, CHANGETO 1 |\n", K::Unsupported, "CHANGETO"},
    {"insert", "Query\nKeys | Chiave |\nInsert | 1 |\n", K::Unsupported, "INSERT"},
    {"delete", "Query\nKeys | Chiave |\nDelete | 1 |\n", K::Unsupported, "DELETE"},
    {"set", "Query\nKeys | Chiave |\nSet | 1 |\n", K::Unsupported, "SET"},
    {"groupby", "Query\nKeys | Chiave |\n | GroupBy |\n", K::Unsupported, "GROUPBY"},
    {"checkgroup", "Query\nKeys | Chiave |\n | CheckGroup |\n", K::Unsupported, "CheckGroup"},
    {"summaries", "Query\nKeys | Chiave |\n | Check CALC SUM |\n", K::Unsupported, "CALC"},
    {"count", "Query\nKeys | Chiave |\n | Check COUNT |\n", K::Unsupported, "COUNT"},
    {"today", "Query\nClienti | Nato |\n | Check TODAY |\n", K::Unsupported, "TODAY"},
    {"inclusion", "Query\nKeys | Chiave |\n | Check! |\n", K::Unsupported, "inclusion"},
    {"inclusion on its own", "Query\nKeys | Chiave | Anno |\n | Check | ! |\n", K::Unsupported,
     "inclusion"},
    {"sort lines", "Query\nSORT: Keys.DB->\"Anno\"\nKeys | Anno |\n | Check |\n", K::Unsupported,
     "SORT:"},
    {"another alias", "Query\n:WORK:Keys.DB | Anno |\n | Check |\n", K::Unsupported,
     "another alias"},
};

INSTANTIATE_TEST_SUITE_P(Cases, QbeRefusals, ::testing::ValuesIn(kRefusals));

} // namespace
} // namespace ravelda::engine::test
