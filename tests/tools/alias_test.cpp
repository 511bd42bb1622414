// ravelda-db alias list | add | remove, and tables given as :ALIAS:Name.DB.
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ravelda::test::readText;
using ravelda::test::runTool;
using ravelda::test::writeText;

namespace {

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

class ToolAlias : public ::testing::Test {
protected:
    ravelda::test::TempDir dir;
    fs::path aliases = dir / "conf/aliases.conf";
    ravelda::test::ToolResult run(const std::vector<std::string>& args) {
        return runTool(args, aliases);
    }
};

} // namespace

TEST_F(ToolAlias, AddListReplaceRemove) {
    fs::create_directories(dir / "data");
    auto r = run({"alias", "list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "no aliases defined")) << r.err;

    r = run({"alias", "add", "quennarix", (dir / "data/").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, "added alias quennarix")) << r.out;
    EXPECT_EQ(readText(aliases), "quennarix=" + (dir / "data").string() + "\n");

    r = run({"alias", "add", "other", "relative/missing"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.err, "does not exist")) << r.err; // a warning only

    r = run({"alias", "list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "quennarix\t" + (dir / "data").string() + "\nother\t" +
                         (fs::current_path() / "relative/missing").string() + "\n");

    r = run({"alias", "add", "QUENNARIX", dir.path().string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(contains(r.out, "replaced alias QUENNARIX")) << r.out;

    r = run({"alias", "remove", "Other"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = run({"alias", "list"});
    EXPECT_EQ(r.out, "QUENNARIX\t" + dir.path().string() + "\n");
}

TEST_F(ToolAlias, RemovingAnUnknownAliasIsRefused) {
    auto r = run({"alias", "remove", "nosuch"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "alias 'nosuch' is not defined in " + aliases.string())) << r.err;
    EXPECT_FALSE(fs::exists(aliases));
}

TEST_F(ToolAlias, MalformedAliasFileIsReportedWithItsLine) {
    fs::create_directories(aliases.parent_path());
    writeText(aliases, "# comment\nthis line is wrong\n");
    auto r = run({"alias", "list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, aliases.string() + ": line 2: expected NAME=FOLDER")) << r.err;
}

TEST_F(ToolAlias, TableReferencesNameWhatIsMissing) {
    fs::create_directories(dir / "data");
    run({"alias", "add", "q", (dir / "data").string()});
    run({"alias", "add", "gone", (dir / "nowhere").string()});
    struct Case {
        std::string table;
        std::string message;
    } cases[] = {
        {":nosuch:Keys.DB", "alias 'nosuch' is not defined"},
        {":gone:Keys.DB", (dir / "nowhere").string() + ": folder of alias 'gone' does not exist"},
        {":q:Keys.DB", "table 'Keys.DB' does not exist in " + (dir / "data").string()},
        {(dir / "data/Missing.DB").string(), "Missing.DB: table does not exist"},
    };
    for (const auto& c : cases) {
        for (const char* command : {"info", "dump", "check"}) {
            SCOPED_TRACE(std::string(command) + " " + c.table);
            auto r = run({command, c.table});
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(contains(r.err, c.message)) << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
    }
    auto r = run({"create", ":gone:New.DB", "--fields", "A:S"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(contains(r.err, "folder of alias 'gone' does not exist")) << r.err;
}

TEST_F(ToolAlias, ConcurrentAddsKeepEveryAlias) {
    const int runs = 20;
    // Every child waits on the pipe until the parent closes it, so all start together.
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < runs; ++i) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char c;
            if (::read(start[0], &c, 1) != 0) ::_exit(125);
            auto r = run({"alias", "add", "a" + std::to_string(i), dir.path().string()});
            ::_exit(r.exitCode == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const std::string listed = run({"alias", "list"}).out;
    for (int i = 0; i < runs; ++i)
        EXPECT_TRUE(contains(listed, "a" + std::to_string(i) + "\t" + dir.path().string() + "\n"))
            << i << "\n"
            << listed;
}
