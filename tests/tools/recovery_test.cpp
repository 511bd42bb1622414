// ravelda-db on tables left behind by accidents: a writer killed in the middle of a write, a lost
// blob file. Reading commands recover what can be recovered and say what they did.
#include "engine/cursor.h"
#include "engine/durability.h"
#include "engine/table.h"
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ravelda::engine;
using ravelda::test::runTool;

namespace {

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

void dieMidWrite(const char* stage) {
    if (std::string(stage) == "partly-written") ::_exit(42);
}

// A Keys table of 300 rows, then a writer killed while its insert was half written.
fs::path tableWithInterruptedWrite(const fs::path& dir) {
    setSyncToDisk(false);
    const auto path = dir / "Keys.DB";
    Table::create(path,
                  {{"Tabella", FieldType::Alpha, 30},
                   {"Anno", FieldType::Alpha, 4},
                   {"Registro", FieldType::Short, 0},
                   {"Chiave", FieldType::Long, 0}},
                  3, [] {
                      CreateOptions o;
                      o.blockSizeKiB = 1;
                      return o;
                  }());
    {
        auto t = Table::open(path);
        Cursor c(*t);
        for (int i = 0; i < 300; ++i)
            c.insert({Value::text("T" + std::to_string(1000 + 2 * i)), Value::text("2026"),
                      Value::integer(0), Value::integer(i)});
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        setWriteStageHook(&dieMidWrite);
        auto t = Table::open(path);
        Cursor(*t).insert(
            {Value::text("T1001"), Value::text("2026"), Value::integer(0), Value::integer(-1)});
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 42);
    EXPECT_TRUE(fs::exists(dir / "Keys.DB-journal"));
    return path;
}

} // namespace

TEST(ToolRecovery, DumpAndCheckRightAfterAKilledWrite) {
    {
        ravelda::test::TempDir dir;
        const auto path = tableWithInterruptedWrite(dir.path());
        const auto r = runTool({"dump", path.string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(contains(r.out, "T1000,2026,0,0")) << r.out;
        EXPECT_FALSE(contains(r.out, "T1001")) << r.out;
        EXPECT_FALSE(fs::exists(dir / "Keys.DB-journal"));
    }
    {
        ravelda::test::TempDir dir;
        const auto path = tableWithInterruptedWrite(dir.path());
        const auto r = runTool({"check", path.string()});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_TRUE(contains(r.out, "an interrupted write was rolled back")) << r.out;
        EXPECT_TRUE(contains(r.out, "no problems found")) << r.out;
        EXPECT_FALSE(fs::exists(dir / "Keys.DB-journal"));
    }
}

TEST(ToolRecovery, DumpWithoutTheBlobFileWarnsAndWritesTheRest) {
    ravelda::test::TempDir dir;
    const auto path = dir / "Notes.DB";
    Table::create(path, {{"Id", FieldType::Long, 0}, {"Note", FieldType::Memo, 11}}, 1);
    {
        auto t = Table::open(path);
        Cursor c(*t);
        c.insert({Value::integer(1), Value::text(std::string(300, 'n'))});
        c.insert({Value::integer(2), Value()});
    }
    fs::remove(dir / "Notes.MB");
    const auto r = runTool({"dump", path.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "warning")) << r.err;
    EXPECT_TRUE(contains(r.err, ".MB")) << r.err;
    EXPECT_EQ(r.out, "Id,Note\r\n1,\r\n2,\r\n");
    const auto info = runTool({"info", path.string()});
    EXPECT_TRUE(contains(info.out, ".MB")) << info.out;
}
