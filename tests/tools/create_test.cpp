// ravelda-db create --overwrite: it replaces only the table's own files, and never a table that
// is open.
#include "engine/table.h"
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

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

class ToolCreate : public ::testing::Test {
protected:
    ravelda::test::TempDir dir;
    std::string keys = (dir / "Keys.DB").string();
    ToolResult run(const std::vector<std::string>& args, const std::string& in = {}) {
        return runTool(args, dir / "aliases.conf", in);
    }
    // The key counter table with a memo (.MB) and a picture (.VAL), holding one row.
    void createKeys() {
        auto r = run({"create", keys, "--fields", "Tabella:A30,Anno:A4,Registro:S,Note:M", "--key",
                      "3", "--picture", "Anno=####"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(run({"import", keys, "-"}, "Tabella,Anno,Registro\nFatture,2024,1\n").exitCode,
                  0);
    }
    ToolResult overwrite() { return run({"create", keys, "--fields", "Nuovo:I", "--overwrite"}); }
};

const char* kDump = "Tabella,Anno,Registro,Note\r\nFatture,2024,1,\r\n";

} // namespace

TEST_F(ToolCreate, OverwriteRemovesTheTablesFilesAndKeepsItsNeighbours) {
    createKeys();
    writeText(dir / "Keys.csv", run({"dump", keys}).out);
    writeText(dir / "keys.txt", "notes");
    writeText(dir / "Keys.X02", "a secondary index");
    writeText(dir / "Keys.DB-journal", "a journal");
    struct Case {
        const char* name;
        bool kept;
    } cases[] = {
        {"Keys.csv", true}, {"keys.txt", true},  {"Keys.PX", false},         {"Keys.VAL", false},
        {"Keys.MB", false}, {"Keys.X02", false}, {"Keys.DB-journal", false},
    };
    for (const auto& c : cases)
        ASSERT_TRUE(fs::exists(dir / c.name)) << c.name;
    auto r = overwrite();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(dir / c.name), c.kept) << c.name;
    EXPECT_EQ(readText(dir / "Keys.csv"), kDump);
    EXPECT_EQ(readText(dir / "keys.txt"), "notes");
    EXPECT_EQ(run({"dump", keys}).out, "Nuovo\r\n");
}

TEST_F(ToolCreate, OverwriteRefusesATableThatIsOpen) {
    using ravelda::engine::OpenMode;
    for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::Exclusive}) {
        SCOPED_TRACE(mode == OpenMode::Exclusive ? "exclusive" : "shared");
        createKeys();
        {
            ravelda::engine::OpenOptions options;
            options.mode = mode;
            auto held = ravelda::engine::Table::open(keys, options); // by this, another process
            auto r = overwrite();
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(contains(r.err, keys + ": cannot replace the table: it is in use"))
                << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
        EXPECT_EQ(run({"dump", keys}).out, kDump);
        EXPECT_EQ(run({"check", keys}).exitCode, 0);
        ASSERT_EQ(overwrite().exitCode, 0);
        fs::remove(keys); // the next round creates it afresh
    }
}
