// ravelda-db query: SQL and QBE over the tables of an alias or a folder, results as CSV.
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ravelda::test::runTool;
using ravelda::test::ToolResult;
using ravelda::test::writeText;

namespace {

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

// An alias "ditta" over a folder with the key counter table, loaded through the tool itself.
class ToolQuery : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "data");
        ASSERT_EQ(run({"alias", "add", "ditta", (dir / "data").string()}).exitCode, 0);
        auto r = run({"create", ":ditta:Keys.DB", "--fields",
                      "Tabella:A30,Anno:A4,Registro:S,Chiave:I", "--key", "3"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        writeText(dir / "keys.csv", "Tabella,Anno,Registro,Chiave\n"
                                    "Fatture,2023,1,120\n"
                                    "Fatture,2024,1,7\n"
                                    "\"Città, nuove\",2024,2,3\n");
        r = run({"import", ":ditta:Keys.DB", (dir / "keys.csv").string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    ToolResult run(const std::vector<std::string>& args, const std::string& in = {}) {
        return runTool(args, dir / "aliases.conf", in);
    }
    ravelda::test::TempDir dir;
};

} // namespace

TEST_F(ToolQuery, PrintsRowsAsCsv) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::string folder = (dir / "data").string();
    const Case cases[] = {
        {{"query", "ditta",
          "SELECT Anno, Chiave FROM Keys WHERE Tabella = 'Fatture' ORDER BY Anno DESC"},
         "Anno,Chiave\r\n2024,7\r\n2023,120\r\n"},
        {{"query", folder, "SELECT Tabella, COUNT(*) AS N FROM \"Keys.DB\" GROUP BY Tabella"},
         "Tabella,N\r\n\"Città, nuove\",1\r\nFatture,2\r\n"},
        {{"query", "ditta", "SELECT * FROM Keys WHERE Chiave > 1000"},
         "Tabella,Anno,Registro,Chiave\r\n"},
        {{"query", "ditta", "SELECT NULL AS Niente, date('2024-02-29', '+1 day') AS Giorno"},
         "Niente,Giorno\r\n,2024-03-01\r\n"},
    };
    for (const auto& c : cases) {
        auto r = run(c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args.back();
    }
}

TEST_F(ToolQuery, RunsQbeFromAFileOrStandardInput) {
    const std::string qbe = "Query\r\nANSWER: :PRIV:ANSWER.DB\r\n\r\n"
                            "Keys.DB | Tabella | Anno  | Chiave |\r\n"
                            "        | Check   | Check | >5     |\r\n";
    writeText(dir / "q.qbe", qbe);
    auto r = run({"query", "ditta", "--qbe", (dir / "q.qbe").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Tabella,Anno\r\nFatture,2023\r\nFatture,2024\r\n");

    r = run({"query", "ditta", "--qbe", "-"}, qbe);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Tabella,Anno\r\nFatture,2023\r\nFatture,2024\r\n");

    r = run({"query", "ditta", "--qbe", "-", "--translate"}, qbe);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "SELECT DISTINCT \"Tabella\", \"Anno\" FROM \"Keys.DB\" WHERE \"Chiave\" > '5' "
              "ORDER BY \"Tabella\", \"Anno\"\n");
}

TEST_F(ToolQuery, Refusals) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    const Case cases[] = {
        {{"query", "ditta", "SELECT * FROM Nope"}, 1, "no such table: Nope"},
        {{"query", "ditta", "SELEC 1"}, 1, "syntax error"},
        {{"query", "ditta", "DELETE FROM Keys"}, 1, "DELETE is not allowed"},
        {{"query", "ditta", "--qbe", "-"}, 1, "first line must be \"Query\""},
        {{"query", "nessuno", "SELECT 1"}, 1, "nessuno"},
        {{"query", "./nowhere/at/all", "SELECT 1"}, 1, "no such folder"},
        {{"query", "ditta"}, 2, "DATABASE and the SQL text"},
        {{"query", "ditta", "SELECT 1", "--ignore-case"}, 2, "for QBE queries"},
        {{"query", "ditta", "SELECT 1", "--code-page", "x"}, 2, "code-page"},
    };
    for (const auto& c : cases) {
        auto r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << ": " << r.err;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_EQ(r.out, "");
    }
    // The table is unchanged after the refused DELETE.
    auto r = run({"query", "ditta", "SELECT COUNT(*) FROM Keys"});
    EXPECT_EQ(r.out, "COUNT(*)\r\n3\r\n");
}

TEST_F(ToolQuery, RefusesANameThatFilesDifferingOnlyInCaseAnswerTo) {
    for (const char* name : {"Dup.DB", "dup.DB"}) {
        auto r = run({"create", (dir / "data" / name).string(), "--fields", "Nome:A10"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    for (const char* sql : {"SELECT * FROM \"dup.DB\"", "SELECT * FROM \"Dup.DB\"",
                            "SELECT * FROM dup", "SELECT COUNT(*) FROM Keys, DUP"}) {
        auto r = run({"query", "ditta", sql});
        EXPECT_EQ(r.exitCode, 1) << sql;
        EXPECT_TRUE(contains(r.err, "is ambiguous: files Dup.DB, dup.DB differ only in case"))
            << sql << ": " << r.err;
        EXPECT_EQ(r.out, "");
    }
    // Tables that no query names do not stand in the way.
    auto r = run({"query", "ditta", "SELECT COUNT(*) FROM Keys"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "COUNT(*)\r\n3\r\n");
}

TEST_F(ToolQuery, HelpNamesTheCommand) {
    auto r = run({"help", "query"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.out, "ravelda-db query DATABASE 'SQL'")) << r.out;
    r = run({"help"});
    EXPECT_TRUE(contains(r.out, "query DATABASE --qbe FILE")) << r.out;
}
