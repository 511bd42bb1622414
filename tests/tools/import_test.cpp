// ravelda-db import of files long enough to be stored in several batches: a refused row stops
// the import with exactly the rows before it stored (none with --all-or-nothing), and every
// message names the real cause: the row, the value, or the table that could not be written.
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>

namespace fs = std::filesystem;
using ravelda::test::runTool;
using ravelda::test::ToolResult;
using ravelda::test::writeText;

namespace {

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

const char* kKeysHeader = "Tabella,Anno,Registro,Chiave\r\n";
const char* kKeysFields = "Tabella:A30,Anno:A4,Registro:S,Chiave:I";

// Row i of the key table as dump writes it; rows in file order are in key order.
std::string keysRow(int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "R%05d,2024,1,%d\r\n", i, i);
    return buf;
}

// Rows from..to-1.
std::string keysRows(int from, int to) {
    std::string out;
    for (int i = from; i < to; ++i)
        out += keysRow(i);
    return out;
}

class ToolImport : public ::testing::Test {
protected:
    ravelda::test::TempDir dir;
    ToolResult run(const std::vector<std::string>& args) {
        return runTool(args, dir / "aliases.conf");
    }
    std::string path(const fs::path& name) { return (dir / name).string(); }
    // A fresh, empty key counter table.
    std::string keysTable(const fs::path& name = "Keys.DB") {
        auto r = run({"create", path(name), "--fields", kKeysFields, "--key", "3", "--overwrite"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path(name);
    }
    std::string dump(const std::string& table) {
        auto r = run({"dump", table});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return r.out;
    }
};

// The first batches hold 1024, then 2048 rows: 5000 rows take three, and row 2000 (line 2002)
// lies in the middle of the second.
constexpr int kRows = 5000;
constexpr int kRefusedRow = 2000;

} // namespace

TEST_F(ToolImport, LongFilesAreStoredWhole) {
    writeText(dir / "in.csv", kKeysHeader + keysRows(0, kRows));
    for (const bool allOrNothing : {false, true}) {
        SCOPED_TRACE(allOrNothing ? "all or nothing" : "in batches");
        const std::string keys = keysTable();
        std::vector<std::string> args{"import", keys, path("in.csv")};
        if (allOrNothing) args.push_back("--all-or-nothing");
        auto r = run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(contains(r.out, "5000 rows imported")) << r.out;
        EXPECT_EQ(dump(keys), kKeysHeader + keysRows(0, kRows));
        EXPECT_EQ(run({"check", keys}).exitCode, 0);
    }
}

TEST_F(ToolImport, RefusedRowInALaterBatchStopsWithTheRowsBeforeItStored) {
    struct Case {
        const char* what;
        std::string row; // replaces row kRefusedRow
        const char* reason;
    } cases[] = {
        {"key of a row stored by the first batch", keysRow(5), "line 2002: Key violation"},
        {"key of an earlier row of the same batch", keysRow(1500), "line 2002: Key violation"},
        {"value that is not a number", "R02000,2024,1,x\r\n",
         "line 2002, field 'Chiave': 'x' is not a whole number"},
        {"wrong number of fields", "R02000,2024\r\n", "line 2002: 2 fields where the header has 4"},
    };
    for (const auto& c : cases) {
        const std::string csv =
            kKeysHeader + keysRows(0, kRefusedRow) + c.row + keysRows(kRefusedRow + 1, kRows);
        writeText(dir / "in.csv", csv);
        for (const bool allOrNothing : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (allOrNothing ? ", all or nothing" : ""));
            const std::string keys = keysTable();
            std::vector<std::string> args{"import", keys, path("in.csv")};
            if (allOrNothing) args.push_back("--all-or-nothing");
            auto r = run(args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(contains(r.err, path("in.csv") + ": " + c.reason)) << r.err;
            EXPECT_TRUE(contains(r.err, allOrNothing ? "import stopped; no row stored"
                                                     : "import stopped; 2000 rows stored"))
                << r.err;
            EXPECT_EQ(dump(keys), kKeysHeader + (allOrNothing ? "" : keysRows(0, kRefusedRow)));
            EXPECT_EQ(run({"check", keys}).exitCode, 0);
        }
    }
}

TEST_F(ToolImport, RefusedValuesNameTheirCause) {
    struct Case {
        const char* row;
        const char* reason;
    } cases[] = {
        {"b,inf", "line 3, field 'Valore': 'inf' is outside the range of a number"},
        {"b,-inf", "line 3, field 'Valore': '-inf' is outside the range of a number"},
        {"b,Infinity", "line 3, field 'Valore': 'Infinity' is outside the range of a number"},
        {"b,nan", "line 3, field 'Valore': 'nan' is not a number"},
        {"b,-NaN", "line 3, field 'Valore': '-NaN' is not a number"},
        {"Citt\xFF,1", "line 3, field 'Nome': text at offset 4 is not valid UTF-8 (byte 0xff)"},
        {"Citt\xC3,1", "line 3, field 'Nome': text at offset 4 is not valid UTF-8 (byte 0xc3)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        auto r = run({"create", path("Misure.DB"), "--fields", "Nome:A10,Valore:N", "--overwrite"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        writeText(dir / "in.csv", std::string("Nome,Valore\na,2.5\n") + c.row + "\nc,3\n");
        r = run({"import", path("Misure.DB"), path("in.csv")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(contains(r.err, path("in.csv") + ": " + c.reason)) << r.err;
        EXPECT_TRUE(contains(r.err, "1 row stored before it")) << r.err;
        EXPECT_EQ(dump(path("Misure.DB")), "Nome,Valore\r\na,2.5\r\n");
    }
}

// A small file system of its own, so that the table's disk fills up.
class ToolImportFullDisk : public ToolImport {
protected:
    void SetUp() override {
        fs::create_directories(small);
        if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
            GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here: " << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override {
        if (mounted) ::umount2(small.c_str(), MNT_DETACH);
    }
    fs::path small = dir / "small";
    bool mounted = false;
};

TEST_F(ToolImportFullDisk, IsReportedAsTheTableNotWritten) {
    const std::string keys = keysTable("small/Keys.DB");
    writeText(dir / "in.csv", kKeysHeader + keysRows(0, kRows));
    auto r = run({"import", keys, path("in.csv")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, keys + ": the table could not be written")) << r.err;
    EXPECT_TRUE(contains(r.err, "No space left on device")) << r.err;
    EXPECT_FALSE(contains(r.err, "in.csv")) << r.err;
    // Whole batches went in before the disk filled up, and the table is sound.
    long long stored = -1;
    const auto at = r.err.find("import stopped; ");
    ASSERT_NE(at, std::string::npos) << r.err;
    ASSERT_EQ(std::sscanf(r.err.c_str() + at, "import stopped; %lld", &stored), 1) << r.err;
    EXPECT_EQ(dump(keys), kKeysHeader + keysRows(0, static_cast<int>(stored)));
    EXPECT_EQ(run({"check", keys}).exitCode, 0);
}
