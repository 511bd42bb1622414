// Storing imported rows in one write: all or none, and which row a refusal concerns.
#include "engine/csv.h"
#include "tests/engine/enginetest.h"

#include <gtest/gtest.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;

namespace {

std::vector<std::vector<Value>> numberedRows(int from, int to) {
    std::vector<std::vector<Value>> rows;
    for (int i = from; i < to; ++i)
        rows.push_back(keysRow(numberedName(i), "2024", 1, i));
    return rows;
}

} // namespace

TEST(CsvStoreRows, NamesTheRefusedRowAndStoresNothing) {
    struct Case {
        const char* what;
        std::vector<Value> row; // put at index 700 of 1000 new rows
        Error::Kind kind;
    } cases[] = {
        {"key already stored", keysRow(numberedName(3), "2024", 1, 0), Error::Kind::KeyViolation},
        {"key repeated in the rows", keysRow(numberedName(1200), "2024", 1, 0),
         Error::Kind::KeyViolation},
        {"value the field cannot hold", keysRow("x", "2024", 70000, 0),
         Error::Kind::InvalidArgument},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ravelda::test::TempDir dir;
        const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
        auto table = Table::open(path);
        ASSERT_FALSE(csv::storeRows(*table, numberedRows(0, 10)));

        auto rows = numberedRows(1000, 2000);
        rows[700] = c.row;
        const auto refused = csv::storeRows(*table, rows);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->index, 700u);
        EXPECT_EQ(refused->error.kind(), c.kind) << refused->error.what();
        EXPECT_EQ(allRows(*table), numberedRows(0, 10));
        EXPECT_EQ(problems(path), "");

        // The rows before the refused one go in as they are.
        rows.resize(700);
        EXPECT_FALSE(csv::storeRows(*table, rows));
        EXPECT_EQ(table->recordCount(), 710);
        EXPECT_EQ(problems(path), "");
    }
}

TEST(CsvStoreRows, FailuresOfTheTableAreThrown) {
    ravelda::test::TempDir dir;
    const auto path = createKeys(dir.path());
    OpenOptions readOnly;
    readOnly.mode = OpenMode::ReadOnly;
    auto table = Table::open(path, readOnly);
    EXPECT_THROW(csv::storeRows(*table, numberedRows(0, 3)), Error);
}
