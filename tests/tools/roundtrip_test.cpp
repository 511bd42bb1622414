// ravelda-db on real tables: create → import → dump round trips, info, check, and the refusals
// of import (stopping at the first bad row, keeping the rows before it).
#include "tests/support/fixtures.h"
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ravelda::test::readText;
using ravelda::test::runTool;
using ravelda::test::ToolResult;
using ravelda::test::writeText;

namespace {

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

class ToolTables : public ::testing::Test {
protected:
    ravelda::test::TempDir dir;
    fs::path aliases = dir / "aliases.conf";
    ToolResult run(const std::vector<std::string>& args, const std::string& in = {}) {
        return runTool(args, aliases, in);
    }
    std::string path(const char* name) { return (dir / name).string(); }

    // Creates the key counter table and returns its path.
    std::string keysTable() {
        auto r =
            run({"create", path("Keys.DB"), "--fields", "Tabella:A30,Anno:A4,Registro:S,Chiave:I",
                 "--key", "3", "--picture", "Anno=####"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path("Keys.DB");
    }
};

const char* kKeysHeader = "Tabella,Anno,Registro,Chiave\r\n";

} // namespace

TEST_F(ToolTables, KeyCounterTableRoundTrip) {
    std::string keys = keysTable();
    EXPECT_TRUE(fs::exists(dir / "Keys.PX"));
    EXPECT_TRUE(fs::exists(dir / "Keys.VAL"));
    // Header in another order, a missing field (NULL), quotes, LF line ends, UTF-8 text.
    writeText(dir / "in.csv", "Registro,Anno,Tabella\n"
                              "2,2024,Fatture\n"
                              "1,2024,\"Citt\xC3\xA0, \"\"nuova\"\"\"\n"
                              "1,2023,Fatture\n"
                              "3,2024,DDT\n");
    auto r = run({"import", keys, path("in.csv")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "4 rows imported")) << r.out;

    std::string expected = std::string(kKeysHeader) + "\"Citt\xC3\xA0, \"\"nuova\"\"\",2024,1,\r\n"
                                                      "DDT,2024,3,\r\n"
                                                      "Fatture,2023,1,\r\n"
                                                      "Fatture,2024,2,\r\n";
    r = run({"dump", keys});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected); // key order, whatever the file order was

    // The dump imports into a fresh table and dumps identically.
    writeText(dir / "dump.csv", r.out);
    r = run({"create", path("Copy.DB"), "--fields", "Tabella:A30,Anno:A4,Registro:S,Chiave:I",
             "--key", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run({"import", path("Copy.DB"), "-"}, readText(dir / "dump.csv"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(run({"dump", path("Copy.DB")}).out, expected);

    r = run({"check", keys});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_TRUE(contains(r.out, "no problems found")) << r.out;

    r = run({"info", keys});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* part :
         {"Paradox 7.x", "yes, 3 key fields: Tabella, Anno, Registro", "Records:      4",
          "Code page:    1252", "Sort order:   ascii", "Tabella                   A30    Alpha",
          "Registro                  S", "'####'", "Writable:     yes"})
        EXPECT_TRUE(contains(r.out, part)) << part << "\n" << r.out;
}

TEST_F(ToolTables, EveryFieldTypeRoundTrips) {
    auto r = run({"create", path("All.DB"), "--fields",
                  "Id:+,Name:A20,Day:D,Small:S,Big:I,Price:$,Ratio:N,Flag:L,At:T,Stamp:@,"
                  "Exact:#2,Raw:Y4,Notes:M20,Data:B,Rich:F,Picture:G",
                  "--key", "1", "--code-page", "1252"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string header =
        "Id,Name,Day,Small,Big,Price,Ratio,Flag,At,Stamp,Exact,Raw,Notes,Data,Rich,Picture\r\n";
    const std::string rows =
        "1,Perch\xC3\xA9,2024-02-29,-7,2147483647,12.5,0.1,true,23:59:59.999,"
        "2020-02-01T01:00:01,-1.23,00ff10,\"memo, with a line\r\nbreak\",424d,7b5c72,89504e47\r\n"
        "2,,,,,,,,,,,,,,,\r\n"
        "3,x,0001-01-01,32767,-2147483647,-0.25,1e+300,false,00:00:00,"
        "9999-12-31T23:59:59.500,12345.67,01,a much longer memo that goes into the MB file "
        "because it does not fit in the leader,00,,\r\n";
    writeText(dir / "all.csv", header + rows);
    r = run({"import", path("All.DB"), path("all.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run({"dump", path("All.DB")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // A Bytes field is fixed width: shorter values come back with trailing zero bytes.
    std::string stored = rows;
    stored.replace(stored.find(",00ff10,"), 8, ",00ff1000,");
    stored.replace(stored.find(",12345.67,01,"), 13, ",12345.67,01000000,");
    EXPECT_EQ(r.out, header + stored);

    r = run({"dump", path("All.DB"), "--no-blobs"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, ",00ff1000,<24 bytes>,<2 bytes>,<3 bytes>,<4 bytes>\r\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "2,,,,,,,,,,,,,,,\r\n")) << r.out;

    // A --no-blobs dump cannot be imported: the blobs are not in it.
    writeText(dir / "sizes.csv", r.out);
    r = run({"create", path("Again.DB"), "--fields",
             "Id:+,Name:A20,Day:D,Small:S,Big:I,Price:$,Ratio:N,Flag:L,At:T,Stamp:@,"
             "Exact:#2,Raw:Y4,Notes:M20,Data:B,Rich:F,Picture:G",
             "--key", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = run({"import", path("Again.DB"), path("sizes.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "line 2, field 'Notes'")) << r.err;
    EXPECT_TRUE(contains(r.err, "dumped with --no-blobs")) << r.err;

    r = run({"check", path("All.DB")});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}

TEST_F(ToolTables, ImportStopsAtTheFirstRefusedRowAndKeepsTheRowsBefore) {
    std::string keys = keysTable();
    struct Case {
        std::string csv;
        const char* reason;
        const char* kept; // the dump afterwards, without the header
    } cases[] = {
        {"Tabella,Anno,Registro\nA,2024,1\nB,2024,1\nA,2024,1\nC,2024,1\n", "line 4: Key violation",
         "A,2024,1,\r\nB,2024,1,\r\n"},
        {"Tabella,Anno,Registro\nC,2024,x\n", "line 2, field 'Registro': 'x' is not a whole number",
         "A,2024,1,\r\nB,2024,1,\r\n"},
        {"Tabella,Anno,Registro\nC,2024,1\n\"D,2024,1\n", "line 3: quoted field is not closed",
         "A,2024,1,\r\nB,2024,1,\r\nC,2024,1,\r\n"},
        {"Tabella,Anno\nE,20245\n", "line 2, field 'Anno': '20245' is 5 bytes long",
         "A,2024,1,\r\nB,2024,1,\r\nC,2024,1,\r\n"},
        {"Tabella,Anno\nE,2024,9\n", "line 2: 3 fields where the header has 2",
         "A,2024,1,\r\nB,2024,1,\r\nC,2024,1,\r\n"},
        {"Tabella,Year\nE,2024\n", "the table has no field 'Year'",
         "A,2024,1,\r\nB,2024,1,\r\nC,2024,1,\r\n"},
        {"", "the file is empty", "A,2024,1,\r\nB,2024,1,\r\nC,2024,1,\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csv);
        writeText(dir / "in.csv", c.csv);
        auto r = run({"import", keys, path("in.csv")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(contains(r.err, c.reason)) << r.err;
        EXPECT_TRUE(contains(r.err, "import stopped")) << r.err;
        EXPECT_EQ(run({"dump", keys}).out, std::string(kKeysHeader) + c.kept);
    }
    auto r = run({"import", keys, path("missing.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "missing.csv: cannot open the CSV file")) << r.err;
    EXPECT_EQ(run({"check", keys}).exitCode, 0);
}

TEST_F(ToolTables, CreateRefusesToReplaceUnlessAsked) {
    std::string keys = keysTable();
    writeText(dir / "in.csv", "Tabella,Anno,Registro\nA,2024,1\n");
    ASSERT_EQ(run({"import", keys, path("in.csv")}).exitCode, 0);
    auto r = run({"create", keys, "--fields", "Tabella:A30", "--key", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(run({"dump", keys}).out, std::string(kKeysHeader) + "A,2024,1,\r\n");
    r = run({"create", keys, "--fields", "Tabella:A30", "--key", "1", "--overwrite"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(run({"dump", keys}).out, "Tabella\r\n");
}

TEST_F(ToolTables, TablesByAlias) {
    fs::create_directories(dir / "db");
    ASSERT_EQ(run({"alias", "add", "quennarix", (dir / "db").string()}).exitCode, 0);
    auto r = run({"create", ":QUENNARIX:Keys", "--fields", "Tabella:A30,Anno:A4", "--key", "2",
                  "--version", "5", "--code-page", "850"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir / "db/Keys.DB"));
    r = run({"import", ":quennarix:keys.db", "-"}, "Anno,Tabella\n2024,Fatture\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = run({"dump", ":quennarix:Keys.DB"});
    EXPECT_EQ(r.out, "Tabella,Anno\r\nFatture,2024\r\n");
    r = run({"info", ":quennarix:Keys.DB"});
    EXPECT_TRUE(contains(r.out, "Paradox 5.x")) << r.out;
    EXPECT_TRUE(contains(r.out, "Code page:    850")) << r.out;
}

TEST_F(ToolTables, CheckListsTheProblemsOfADamagedTable) {
    std::string keys = keysTable();
    std::string csv = "Tabella,Anno,Registro\n";
    for (int i = 0; i < 20; ++i)
        csv += "T" + std::to_string(10 + i) + ",2024,1\n";
    writeText(dir / "in.csv", csv);
    ASSERT_EQ(run({"import", keys, path("in.csv")}).exitCode, 0);
    ASSERT_EQ(run({"check", keys}).exitCode, 0);
    // Put the first record's key after every other: the block is out of key order.
    {
        std::fstream f(dir / "Keys.DB", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(0x800 + 6);
        f.put('z');
    }
    auto r = run({"check", keys});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.out.empty());
    EXPECT_TRUE(contains(r.out, "Keys.")) << r.out;
    EXPECT_TRUE(contains(r.err, "problem")) << r.err;
}

TEST_F(ToolTables, DumpsRealTables) {
    RAVELDA_REQUIRE_FIXTURES();
    auto area = ravelda::test::paradoxFixture("leonhad__paradoxdriver/db/ORDERS.DB");
    ASSERT_FALSE(area.empty());
    auto r = run({"dump", area.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Order No,Customer No,Sale Date,Ship Date,Ship VIA,Total Invoice,Amount "
                          "Paid,Balance Due,Terms,Payment Method,Month\r\n"
                          "1001,1221,1988-04-03,1988-04-05,UPS,7320,7320,0,FOB,Credit,Apr\r\n",
                          0),
              0u)
        << r.out.substr(0, 300);
    auto memo = ravelda::test::paradoxFixture("leonhad__paradoxdriver/fields/memo.db");
    r = run({"dump", memo.string(), "--no-blobs"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Id,MEMO\r\n1,<555 bytes>\r\n2,<12 bytes>\r\n");
    auto encrypted = ravelda::test::paradoxFixture("leonhad__paradoxdriver/encrypt/encrypted.db");
    r = run({"dump", encrypted.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "encrypt")) << r.err;
    EXPECT_TRUE(r.out.empty());
}
