// Cursor movement, record numbers, bookmarks, locate and refresh on tables the test builds.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

using Fixture = NumberedKeysTable;

int chiave(const Cursor& c) {
    return static_cast<int>(c.row()[3].asInteger());
}

class CursorKindTest : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(CursorKindTest, MovesAndFlagsFollowTheClassicRules) {
    Fixture f(100, GetParam());
    Cursor c(*f.table);
    EXPECT_TRUE(c.hasRow());
    EXPECT_EQ(chiave(c), 0); // a new cursor is on the first row
    EXPECT_TRUE(c.first());
    EXPECT_TRUE(c.bof());
    EXPECT_FALSE(c.eof());
    EXPECT_FALSE(c.prior());
    EXPECT_TRUE(c.bof());
    EXPECT_EQ(chiave(c), 0);
    EXPECT_TRUE(c.next());
    EXPECT_FALSE(c.bof());
    EXPECT_EQ(chiave(c), 1);
    EXPECT_TRUE(c.last());
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(chiave(c), 99);
    EXPECT_FALSE(c.next());
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(chiave(c), 99);
    EXPECT_EQ(c.moveBy(-10), -10);
    EXPECT_EQ(chiave(c), 89);
    EXPECT_FALSE(c.eof());
    EXPECT_EQ(c.moveBy(20), 10);
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(c.moveBy(-150), -99);
    EXPECT_TRUE(c.bof());
    EXPECT_EQ(c.moveBy(0), 0);
    // Record numbers, read and set.
    for (int n : {1, 26, 27, 50, 100}) {
        c.setRecordNumber(n);
        EXPECT_EQ(c.recordNumber(), n);
        EXPECT_EQ(chiave(c), n - 1);
    }
    c.setRecordNumber(1000);
    EXPECT_EQ(c.recordNumber(), 100);
    EXPECT_EQ(c.recordCount(), 100);
    int seen = 1;
    c.first();
    while (c.next())
        ++seen;
    EXPECT_EQ(seen, 100);
}

TEST_P(CursorKindTest, BookmarksSurviveOtherInsertsAndDeletes) {
    Fixture f(60, GetParam());
    Cursor c(*f.table);
    c.setRecordNumber(30);
    const Bookmark mark = c.bookmark();
    const int marked = chiave(c);
    c.setRecordNumber(10);
    const Bookmark early = c.bookmark();
    EXPECT_EQ(c.compare(early, mark), bmBefore);
    EXPECT_EQ(c.compare(mark, early), bmAfter);
    EXPECT_EQ(c.compare(mark, mark), bmSame);
    // Delete rows before the marked one, insert others around it.
    for (int i = 0; i < 5; ++i) {
        c.setRecordNumber(2);
        c.remove();
    }
    c.insert(keysRow("A0000", "2024", 1, 1000));
    c.insert(keysRow("Z9999", "2024", 1, 1001));
    EXPECT_TRUE(c.bookmarkValid(mark));
    ASSERT_TRUE(c.gotoBookmark(mark));
    EXPECT_EQ(chiave(c), marked);
    // A bookmark of a deleted row is invalid and leaves the cursor where it was.
    c.first();
    const Bookmark gone = c.bookmark();
    c.remove();
    EXPECT_FALSE(c.bookmarkValid(gone));
    c.setRecordNumber(5);
    const int here = chiave(c);
    EXPECT_FALSE(c.gotoBookmark(gone));
    EXPECT_EQ(chiave(c), here);
    EXPECT_FALSE(c.gotoBookmark(Bookmark()));
    EXPECT_TRUE(Bookmark().empty());
}

TEST_P(CursorKindTest, LocateExactPartialAndCaseInsensitive) {
    Fixture f(300, GetParam());
    Cursor c(*f.table);
    c.insert(keysRow("Fatture", "2024", 2, 5000));
    struct Case {
        std::vector<int> fields;
        std::vector<Value> values;
        LocateOptions options;
        int expect; // Chiave of the row found, -1 when none
    } cases[] = {
        {{0}, {Value::text("N0123")}, {}, 123},
        {{0, 1, 2}, {Value::text("N0200"), Value::text("2024"), Value::integer(1)}, {}, 200},
        {{0, 1, 2}, {Value::text("N0200"), Value::text("2024"), Value::integer(2)}, {}, -1},
        {{3}, {Value::integer(77)}, {}, 77}, // not a key field: a scan
        {{0}, {Value::text("N01")}, {}, -1}, // exact needs the whole value
        {{0}, {Value::text("N01")}, {true, false}, 100},
        {{0}, {Value::text("fatture")}, {}, -1},
        {{0}, {Value::text("fatture")}, {false, true}, 5000},
        {{0}, {Value::text("FATT")}, {true, true}, 5000},
        {{2, 0}, {Value::integer(2), Value::text("Fatture")}, {}, 5000},
        {{0}, {Value::text(std::string(40, 'x'))}, {}, -1},
        {{0}, {Value()}, {}, -1},
    };
    for (const auto& k : cases) {
        c.setRecordNumber(7);
        const int before = chiave(c);
        const bool found = c.locate(k.fields, k.values, k.options);
        EXPECT_EQ(found, k.expect >= 0) << k.expect;
        EXPECT_EQ(chiave(c), found ? k.expect : before)
            << k.expect << " " << k.fields.size() << k.options.partialKey
            << k.options.caseInsensitive;
    }
    EXPECT_THROW(c.locate({0}, {}), Error);
    EXPECT_THROW(c.locate({9}, {Value::integer(1)}), Error);
    EXPECT_THROW(c.locate({2}, {Value::text("x")}), Error);
}

TEST_P(CursorKindTest, RefreshSeesOtherWritersAndKeepsThePosition) {
    Fixture f(50, GetParam());
    Cursor c(*f.table);
    c.setRecordNumber(20);
    const int at = chiave(c);
    {
        auto other = Table::open(f.path);
        Cursor o(*other);
        o.insert(keysRow("Z0001", "2024", 1, 777));
        o.last();
        o.remove(); // removes Z0001 again for the keyed table; the last row for the other
        o.insert(keysRow("Z0002", "2024", 1, 778));
    }
    c.refresh();
    EXPECT_EQ(chiave(c), at);
    EXPECT_EQ(c.recordCount(), 51);
    c.last();
    EXPECT_EQ(chiave(c), 778);
}

INSTANTIATE_TEST_SUITE_P(KeyedAndUnkeyed, CursorKindTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Keyed" : "Unkeyed"; });

TEST(CursorTest, EmptyTable) {
    Fixture f(0, true);
    Cursor c(*f.table);
    EXPECT_FALSE(c.first());
    EXPECT_FALSE(c.last());
    EXPECT_FALSE(c.next());
    EXPECT_TRUE(c.bof() && c.eof());
    EXPECT_EQ(c.recordNumber(), 0);
    EXPECT_EQ(c.moveBy(5), 0);
    EXPECT_THROW(c.row(), Error);
    EXPECT_THROW(c.remove(), Error);
    EXPECT_TRUE(c.bookmark().empty());
    EXPECT_FALSE(c.locate({0}, {Value::text("x")}));
    c.setRecordNumber(3);
    EXPECT_FALSE(c.hasRow());
}

TEST(CursorTest, InternationalOrderSortsCaseAndAccentsTogether) {
    TempDir dir;
    const auto path = dir / "Intl.DB";
    Table::create(path, {{"Name", FieldType::Alpha, 20}, {"N", FieldType::Long, 0}}, 1,
                  makeOptions(0x0C, 1252, 2, "DBWINUS0"));
    auto t = Table::open(path);
    EXPECT_TRUE(t->canModify()) << t->readOnlyReason();
    Cursor c(*t);
    const char* names[] = {"banana",
                           "Apple",
                           "apple",
                           "\xC9"
                           "clair",
                           "eclair",
                           "Zebra",
                           "zoo"};
    for (int i = 0; i < 7; ++i)
        c.insert({Value::text(names[i]), Value::integer(i)});
    std::vector<std::string> order;
    for (const auto& r : allRows(*t))
        order.push_back(r[0].asText());
    EXPECT_EQ(order, (std::vector<std::string>{"Apple", "apple", "banana", "eclair",
                                               "\xC9"
                                               "clair",
                                               "Zebra", "zoo"}));
    EXPECT_TRUE(c.locate({0}, {Value::text("\xC9"
                                           "clair")}));
    EXPECT_EQ(c.row()[1].asInteger(), 3);
    EXPECT_EQ(problems(path), "");
    EXPECT_THROW(c.insert({Value::text("apple"), Value::integer(9)}), Error);
}
