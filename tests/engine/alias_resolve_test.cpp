// From alias and table name to a path: the errors must say exactly what is missing.
#include "engine/alias.h"
#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

class AliasResolveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("RAVELDA_ALIAS_FILE", file.c_str(), 1);
        fs::create_directories(dir / "data");
        std::ofstream(dir / "data/Keys.DB") << "x";
        std::ofstream(dir / "data/orders.db") << "x";
        std::ofstream(file) << "quennarix=" << (dir / "data").string() << "\n"
                            << "gone=" << (dir / "nowhere").string() << "\n"
                            << "afile=" << (dir / "data/Keys.DB").string() << "\n";
    }
    void TearDown() override { ::unsetenv("RAVELDA_ALIAS_FILE"); }

    static std::string failure(const std::function<void()>& f, Error::Kind kind) {
        try {
            f();
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), kind) << e.what();
            return e.what();
        }
        ADD_FAILURE() << "no error";
        return {};
    }

    ravelda::test::TempDir dir;
    fs::path file = dir / "aliases.conf";
};

bool contains(const std::string& s, const std::string& part) {
    return s.find(part) != std::string::npos;
}

} // namespace

TEST_F(AliasResolveTest, ResolvesAliasAndTableCaseInsensitively) {
    EXPECT_EQ(resolveAlias("QUENNARIX"), dir / "data");
    EXPECT_EQ(resolveTable("quennarix", "Keys.DB"), dir / "data/Keys.DB");
    EXPECT_EQ(resolveTable("quennarix", "Keys"), dir / "data/Keys.DB");
    EXPECT_EQ(resolveTable("quennarix", "KEYS.db"), dir / "data/Keys.DB");
    EXPECT_EQ(resolveTable("quennarix", "Orders.DB"), dir / "data/orders.db");
    EXPECT_EQ(resolveTable("quennarix", "New.DB", false), dir / "data/New.DB");
}

TEST_F(AliasResolveTest, UndefinedAliasNamesAliasAndFile) {
    auto msg = failure([] { resolveAlias("nosuch"); }, Error::Kind::NotFound);
    EXPECT_TRUE(contains(msg, "'nosuch'")) << msg;
    EXPECT_TRUE(contains(msg, "not defined")) << msg;
    EXPECT_TRUE(contains(msg, file.string())) << msg;
}

TEST_F(AliasResolveTest, UndefinedAliasWithoutAliasFileSaysSo) {
    fs::remove(file);
    auto msg = failure([] { resolveTable("quennarix", "Keys.DB"); }, Error::Kind::NotFound);
    EXPECT_TRUE(contains(msg, "'quennarix' is not defined")) << msg;
    EXPECT_TRUE(contains(msg, "no alias file exists")) << msg;
    EXPECT_TRUE(contains(msg, file.string())) << msg;
}

TEST_F(AliasResolveTest, MissingFolderNamesFolderAndAlias) {
    auto msg = failure([] { resolveTable("gone", "Keys.DB"); }, Error::Kind::NotFound);
    EXPECT_TRUE(contains(msg, (dir / "nowhere").string())) << msg;
    EXPECT_TRUE(contains(msg, "'gone'")) << msg;
    EXPECT_TRUE(contains(msg, "does not exist")) << msg;
    msg = failure([] { resolveAlias("afile"); }, Error::Kind::NotFound);
    EXPECT_TRUE(contains(msg, "not a folder")) << msg;
}

TEST_F(AliasResolveTest, MissingTableNamesTableAndFolder) {
    auto msg = failure([] { resolveTable("quennarix", "Nope.DB"); }, Error::Kind::NotFound);
    EXPECT_TRUE(contains(msg, "'Nope.DB'")) << msg;
    EXPECT_TRUE(contains(msg, (dir / "data").string())) << msg;
}

TEST_F(AliasResolveTest, TableNamesWithFoldersOrAmbiguousCaseAreRefused) {
    failure([] { resolveTable("quennarix", "../Keys.DB"); }, Error::Kind::InvalidArgument);
    failure([] { resolveTable("quennarix", ""); }, Error::Kind::InvalidArgument);
    std::ofstream(dir / "data/ORDERS.DB") << "x";
    auto msg =
        failure([] { resolveTable("quennarix", "Orders.db"); }, Error::Kind::InvalidArgument);
    EXPECT_TRUE(contains(msg, "ambiguous")) << msg;
}

TEST(TableRefParse, AliasFormsAndPaths) {
    struct Case {
        const char* text;
        const char* alias;
        const char* name;
    } cases[] = {
        {":quennarix:Keys.DB", "quennarix", "Keys.DB"},
        {":Q:Keys", "Q", "Keys"},
        {"Keys.DB", "", "Keys.DB"},
        {"/srv/data/Keys.DB", "", "/srv/data/Keys.DB"},
        {"./a:b.DB", "", "./a:b.DB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TableRef r = parseTableRef(c.text);
        EXPECT_EQ(r.alias, c.alias);
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(r.byAlias(), *c.alias != 0);
    }
    for (const char* bad : {"", ":noclose", "::Keys.DB", ":bad name:Keys.DB", ":q:"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(parseTableRef(bad), Error);
    }
}

TEST_F(AliasResolveTest, ReferencesResolveToPaths) {
    EXPECT_EQ(resolveTableRef(parseTableRef(":Quennarix:keys.db")), dir / "data/Keys.DB");
    fs::path p = dir / "data/Keys.DB";
    EXPECT_EQ(resolveTableRef(parseTableRef(p.string())), p);
    failure([&] { resolveTableRef(parseTableRef((dir / "x.DB").string())); },
            Error::Kind::NotFound);
    EXPECT_EQ(resolveTableRef(parseTableRef((dir / "x.DB").string()), false), dir / "x.DB");
}
