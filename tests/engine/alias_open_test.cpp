// Opening tables by alias goes through the same resolution and reports what is missing first.
#include "engine/alias.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

class AliasOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("RAVELDA_ALIAS_FILE", (dir / "aliases.conf").c_str(), 1);
        fs::create_directories(dir / "db");
        std::ofstream(dir / "aliases.conf") << "quennarix=" << (dir / "db").string() << "\n";
        Table::create(dir / "db/Keys.DB",
                      {{"Tabella", FieldType::Alpha, 30},
                       {"Anno", FieldType::Alpha, 4},
                       {"Registro", FieldType::Short, 2},
                       {"Chiave", FieldType::Long, 4}},
                      3);
    }
    void TearDown() override { ::unsetenv("RAVELDA_ALIAS_FILE"); }
    ravelda::test::TempDir dir;
};

} // namespace

TEST_F(AliasOpenTest, OpensByAliasAndName) {
    auto table = openTable("Quennarix", "keys");
    EXPECT_EQ(table->path(), dir / "db/Keys.DB");
    EXPECT_EQ(table->keyFieldCount(), 3);
    table->cursor()->insert(
        {Value::text("Fatture"), Value::text("2024"), Value::integer(1), Value::integer(0)});
    auto again = openTable(parseTableRef(":quennarix:Keys.DB"));
    EXPECT_EQ(again->recordCount(), 1);
    auto byPath = openTable(parseTableRef((dir / "db/Keys.DB").string()));
    EXPECT_EQ(byPath->recordCount(), 1);
}

TEST_F(AliasOpenTest, MissingPiecesAreReportedBeforeAnyOpen) {
    struct Case {
        const char* alias;
        const char* table;
        const char* message;
    } cases[] = {
        {"nosuch", "Keys.DB", "alias 'nosuch' is not defined"},
        {"quennarix", "Missing.DB", "table 'Missing.DB' does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            openTable(c.alias, c.table);
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::NotFound);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}
