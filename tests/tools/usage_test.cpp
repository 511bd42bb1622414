// ravelda-db's command line: help, bad usage (exit code 2 with a usage text), unknown commands.
#include "tests/support/tempdir.h"
#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>

using ravelda::test::runTool;

namespace {

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

} // namespace

TEST(ToolUsage, HelpGoesToStandardOutputWithExitZero) {
    for (auto args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"help"}}) {
        auto r = runTool(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(contains(r.out, "Usage: ravelda-db COMMAND")) << r.out;
        for (const char* c : {"alias list", "info TABLE", "dump TABLE", "create TABLE",
                              "import TABLE FILE.csv", "check TABLE", ":ALIAS:Name.DB"})
            EXPECT_TRUE(contains(r.out, c)) << c;
    }
    for (const char* command : {"alias", "info", "dump", "create", "import", "check"}) {
        SCOPED_TRACE(command);
        std::string header = std::string("Usage: ravelda-db ") + command;
        auto a = runTool({command, "--help"});
        EXPECT_EQ(a.exitCode, 0);
        EXPECT_TRUE(contains(a.out, header)) << a.out;
        auto b = runTool({"help", command});
        EXPECT_EQ(b.exitCode, 0);
        EXPECT_EQ(a.out, b.out);
    }
}

TEST(ToolUsage, BadUsageExitsTwoWithTheCommandsUsage) {
    ravelda::test::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        const char* message;
        const char* usage;
    } cases[] = {
        {{}, "", "Usage: ravelda-db COMMAND"},
        {{"frobnicate"}, "unknown command 'frobnicate'", "Usage: ravelda-db COMMAND"},
        {{"help", "frobnicate"}, "unknown command 'frobnicate'", "Usage: ravelda-db COMMAND"},
        {{"alias"}, "missing alias subcommand", "Usage: ravelda-db alias"},
        {{"alias", "rename"}, "unknown alias subcommand 'rename'", "Usage: ravelda-db alias"},
        {{"alias", "add", "onlyname"}, "missing NAME and FOLDER", "Usage: ravelda-db alias"},
        {{"alias", "add", "bad:name", "/tmp"},
         "invalid alias name 'bad:name'",
         "Usage: ravelda-db alias"},
        {{"alias", "list", "extra"}, "unexpected argument 'extra'", "Usage: ravelda-db alias"},
        {{"info"}, "missing TABLE", "Usage: ravelda-db info"},
        {{"info", "a.DB", "b.DB"}, "unexpected argument 'b.DB'", "Usage: ravelda-db info"},
        {{"dump", "a.DB", "--blobs"}, "unknown option '--blobs'", "Usage: ravelda-db dump"},
        {{"dump", "a.DB", "-x"}, "unknown option '-x'", "Usage: ravelda-db dump"},
        {{"dump", "a.DB", "--code-page"},
         "option --code-page needs a value",
         "Usage: ravelda-db dump"},
        {{"dump", "a.DB", "--no-blobs=yes"},
         "option --no-blobs takes no value",
         "Usage: ravelda-db dump"},
        {{"import", "a.DB"}, "missing TABLE and FILE.csv", "Usage: ravelda-db import"},
        {{"check"}, "missing TABLE", "Usage: ravelda-db check"},
        {{"create", "t.DB"}, "missing --fields", "Usage: ravelda-db create"},
        {{"create", "t.DB", "--fields", "Anno"}, "expected NAME:TYPE", "Usage: ravelda-db create"},
        {{"create", "t.DB", "--fields", "Anno:Z4"}, "unknown type 'Z'", ""},
        {{"create", "t.DB", "--fields", "Anno:A"}, "needs a size", ""},
        {{"create", "t.DB", "--fields", "Anno:A256"}, "the size must be from 1 to 255", ""},
        {{"create", "t.DB", "--fields", "Anno:Ax"}, "'x' is not a size", ""},
        {{"create", "t.DB", "--fields", "N:S4"}, "type S takes no size", ""},
        {{"create", "t.DB", "--fields", "N:#"}, "needs the number of decimals", ""},
        {{"create", "t.DB", "--fields", "N:#33"}, "decimals must be from 0 to 32", ""},
        {{"create", "t.DB", "--fields", "N:M9"}, "the size (10 + leader)", ""},
        {{"create", "t.DB", "--fields", "A:S,,B:S"}, "empty entry", ""},
        {{"create", "t.DB", "--fields", "A:S", "--key", "2"}, "--key needs a whole number", ""},
        {{"create", "t.DB", "--fields", "A:S", "--version", "6"}, "--version must be", ""},
        {{"create", "t.DB", "--fields", "A:S", "--block-size", "3"}, "--block-size must be", ""},
        {{"create", "t.DB", "--fields", "A:S", "--picture", "B=###"}, "no field 'B'", ""},
        {{"create", "t.DB", "--fields", "A:S", "--picture", "A"}, "expected FIELD=PICTURE", ""},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        auto r = runTool(c.args, dir / "aliases.conf");
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_TRUE(contains(r.err, c.message)) << r.err;
        EXPECT_TRUE(contains(r.err, c.usage)) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "t.DB"));
}
