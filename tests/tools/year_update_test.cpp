// ravelda-db year-update: the counter rows of a year, as a table of cases run through the real
// executable; the table is prepared with create and import and read back with dump.
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ravelda::test::runTool;
using ravelda::test::ToolResult;
using ravelda::test::writeText;

namespace {

const char* kHeader = "Tabella,Anno,Registro,Chiave\r\n";

// The six rows of 2031 at zero, in key order (which is also the order the update adds them).
const std::vector<std::string> kSix = {
    "BOLLE.DB,2031,0,0",   "FATTURE.DB,2031,0,0",    "FATTURE.DB,2031,1,0",
    "ORDINIF.DB,2031,0,0", "PREVENTIVI.DB,2031,0,0", "PREVENTIVIF.DB,2031,0,0",
};

// What the command prints for the rows it adds.
std::string AddedLine(const std::string& row, const char* verb = "added") {
    std::string t = row.substr(0, row.rfind(','));
    for (char& c : t)
        if (c == ',') c = ' ';
    return std::string(verb) + " " + t + "\n";
}

std::string Csv(const std::vector<std::string>& rows) {
    std::string s = kHeader;
    for (const auto& r : rows)
        s += r + "\r\n";
    return s;
}

class ToolYearUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "data");
        ASSERT_EQ(run({"alias", "add", "quennarix", (dir / "data").string()}).exitCode, 0);
    }
    // Keys.DB with these CSV rows (without header), optionally with a stored picture.
    void Keys(const std::vector<std::string>& rows, const std::string& picture = {}) {
        std::vector<std::string> args = {"create",   ":quennarix:Keys.DB",
                                         "--fields", "Tabella:A30,Anno:A4,Registro:S,Chiave:I",
                                         "--key",    "3"};
        if (!picture.empty()) args.insert(args.end(), {"--picture", picture});
        auto r = run(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        if (rows.empty()) return;
        std::string csv = "Tabella,Anno,Registro,Chiave\n";
        for (const auto& row : rows)
            csv += row + "\n";
        r = run({"import", ":quennarix:Keys.DB", "-"}, csv);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    std::string Dump() {
        auto r = run({"dump", ":quennarix:Keys.DB"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
    ToolResult run(const std::vector<std::string>& args, const std::string& in = {}) {
        return runTool(args, dir / "aliases.conf", in);
    }
    ravelda::test::TempDir dir;
};

TEST_F(ToolYearUpdate, AddsWhatIsMissing) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::vector<std::string> added; // in the order the command reports them
        std::vector<std::string> after; // key order
    };
    const std::vector<std::string> other = {"BOLLE.DB,2030,0,412", "CLIENTI.DB,2031,0,88",
                                            "FATTURE.DB,2031,2,5"};
    const Case cases[] = {
        {"all six present",
         {"BOLLE.DB,2031,0,10", "FATTURE.DB,2031,0,11", "FATTURE.DB,2031,1,12",
          "ORDINIF.DB,2031,0,13", "PREVENTIVI.DB,2031,0,14", "PREVENTIVIF.DB,2031,0,15"},
         {},
         {"BOLLE.DB,2031,0,10", "FATTURE.DB,2031,0,11", "FATTURE.DB,2031,1,12",
          "ORDINIF.DB,2031,0,13", "PREVENTIVI.DB,2031,0,14", "PREVENTIVIF.DB,2031,0,15"}},
        {"none present",
         other,
         kSix,
         {"BOLLE.DB,2030,0,412", kSix[0], "CLIENTI.DB,2031,0,88", kSix[1], kSix[2],
          "FATTURE.DB,2031,2,5", kSix[3], kSix[4], kSix[5]}},
        {"empty table", {}, kSix, kSix},
        {"some present",
         {"FATTURE.DB,2031,1,250", "PREVENTIVI.DB,2031,0,9"},
         {kSix[0], kSix[1], kSix[3], kSix[5]},
         {kSix[0], kSix[1], "FATTURE.DB,2031,1,250", kSix[3], "PREVENTIVI.DB,2031,0,9", kSix[5]}},
        {"a lower-case name does not count",
         {"fatture.db,2031,0,44", "Bolle.DB,2031,0,3"},
         kSix,
         {kSix[0], "Bolle.DB,2031,0,3", kSix[1], kSix[2], kSix[3], kSix[4], kSix[5],
          "fatture.db,2031,0,44"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir / "data");
        fs::create_directories(dir / "data");
        Keys(c.before);
        auto r = run({"year-update", "quennarix", "--year", "2031"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::string out;
        for (const auto& row : c.added)
            out += AddedLine(row);
        out += c.added.empty() ? "nothing missing: the 6 counter rows of 2031 exist\n"
                               : "Aggiornamento Effettuato\n";
        EXPECT_EQ(r.out, out);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Dump(), Csv(c.after));
        // A second run finds every row.
        r = run({"year-update", "quennarix", "--year=2031"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "nothing missing: the 6 counter rows of 2031 exist\n");
        EXPECT_EQ(Dump(), Csv(c.after));
    }
}

TEST_F(ToolYearUpdate, APictureThatRefusesARowStopsThereAndKeepsTheRowsBefore) {
    // Register 0 only: the third row (FATTURE.DB register 1) is refused on its post.
    Keys({"ORDINIF.DB,2031,0,7"}, "Registro=0");
    auto r = run({"year-update", "quennarix", "--year", "2031"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, AddedLine(kSix[0]) + AddedLine(kSix[1]));
    EXPECT_NE(r.err.find("Keys.DB: row FATTURE.DB 2031 1 refused: Invalid characters. Field : "
                         "Registro\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("year update stopped; 2 rows added before it\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(Dump(), Csv({kSix[0], kSix[1], "ORDINIF.DB,2031,0,7"}));
}

TEST_F(ToolYearUpdate, ADryRunReportsAndWritesNothing) {
    Keys({"FATTURE.DB,2031,1,250"});
    const std::string before = Dump();
    auto r = run({"year-update", "quennarix", "--year", "2031", "--dry-run"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, AddedLine(kSix[0], "would add") + AddedLine(kSix[1], "would add") +
                         AddedLine(kSix[3], "would add") + AddedLine(kSix[4], "would add") +
                         AddedLine(kSix[5], "would add") +
                         "dry run: 5 rows missing, nothing written\n");
    EXPECT_EQ(Dump(), before);
    // The table still holds its one row.
    auto check = run({"info", ":quennarix:Keys.DB"});
    EXPECT_NE(check.out.find("Records:      1\n"), std::string::npos) << check.out;
}

TEST_F(ToolYearUpdate, UsageErrorsExitWithTwoAndWriteNothing) {
    Keys({});
    const std::vector<std::vector<std::string>> cases = {
        {"year-update", "quennarix", "--year", "999"},
        {"year-update", "quennarix", "--year", "10000"},
        {"year-update", "quennarix", "--year", "0"},
        {"year-update", "quennarix", "--year", "-2031"},
        {"year-update", "quennarix", "--year", "20x1"},
        {"year-update", "quennarix", "--year"},
        {"year-update"},
        {"year-update", "quennarix", "extra"},
        {"year-update", "quennarix", "--force"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.size() > 3 ? args[3] : args.back());
        auto r = run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: ravelda-db year-update DATABASE"), std::string::npos) << r.err;
    }
    auto r = run({"year-update", "quennarix", "--year", "999"});
    EXPECT_NE(r.err.find("--year needs a whole number from 1000 to 9999, not '999'"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Dump(), kHeader);
}

TEST_F(ToolYearUpdate, AMissingAliasOrTableIsRefused) {
    auto r = run({"year-update", "nope", "--year", "2031"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("alias 'nope' is not defined"), std::string::npos) << r.err;
    // The alias exists, its folder holds no Keys.DB.
    r = run({"year-update", "quennarix", "--year", "2031"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Keys.DB"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "data" / "Keys.DB"));
}

TEST_F(ToolYearUpdate, WithoutAYearTheCurrentOneIsPrepared) {
    const auto year = [] {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return tm.tm_year + 1900;
    };
    Keys({});
    const int before = year();
    auto r = run({"year-update", "quennarix"});
    if (year() != before) GTEST_SKIP() << "the year changed during the run";
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string y = std::to_string(before);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "added BOLLE.DB " + y + " 0\n");
    EXPECT_NE(Dump().find("PREVENTIVIF.DB," + y + ",0,0\r\n"), std::string::npos);
}

TEST_F(ToolYearUpdate, HelpNamesTheOptions) {
    auto r = run({"help", "year-update"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--dry-run"), std::string::npos);
    EXPECT_NE(r.out.find("--year YYYY"), std::string::npos);
    r = run({"help"});
    EXPECT_NE(r.out.find("year-update DATABASE"), std::string::npos);
}

} // namespace
