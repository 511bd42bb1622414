// Bookmarks of unkeyed rows: they stay on their row through edits of any field and through
// inserts and deletes of other rows (also when those move rows between blocks), become invalid
// with their row, and compare the same throughout. A keyed row's bookmark is its key
// (cursor_test.cpp).
#include "enginetest.h"

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

int chiave(const Cursor& c) {
    return static_cast<int>(c.row()[3].asInteger());
}

// Every pair's comparison, for checking that the order stays.
std::vector<int> compareAll(const Cursor& c, const std::vector<Bookmark>& marks) {
    std::vector<int> out;
    for (const Bookmark& a : marks)
        for (const Bookmark& b : marks)
            out.push_back(c.compare(a, b));
    return out;
}

// A bookmark of every row of an unkeyed numbered table, in cursor order.
std::vector<Bookmark> markEveryRow(Cursor& c) {
    std::vector<Bookmark> marks;
    if (!c.first()) return marks;
    do
        marks.push_back(c.bookmark());
    while (c.next());
    return marks;
}

void removeChiave(Cursor& c, int k) {
    ASSERT_TRUE(c.locate({3}, {Value::integer(k)})) << k;
    c.remove();
}

const std::vector<FieldDef> kEveryKind = {
    {"Id", FieldType::Long, 0},      {"A", FieldType::Alpha, 20},    {"D", FieldType::Date, 0},
    {"S", FieldType::Short, 0},      {"M", FieldType::Money, 0},     {"N", FieldType::Number, 0},
    {"L", FieldType::Logical, 0},    {"Memo", FieldType::Memo, 20},  {"Bin", FieldType::Blob, 10},
    {"F", FieldType::FmtMemo, 15},   {"G", FieldType::Graphic, 12},  {"T", FieldType::Time, 0},
    {"TS", FieldType::Timestamp, 0}, {"Inc", FieldType::AutoInc, 0}, {"Dec", FieldType::Bcd, 2},
    {"Y", FieldType::Bytes, 6},      {"O", FieldType::Ole, 10},
};

} // namespace

TEST(UnkeyedBookmarkTest, StaysOnItsRowThroughAnEditOfEachFieldKind) {
    TempDir dir;
    const auto path = dir / "All.DB";
    Table::create(path, kEveryKind, 0);
    auto t = Table::open(path);
    Cursor c(*t);
    for (int id = 1; id <= 3; ++id) {
        std::vector<Value> row(kEveryKind.size());
        row[0] = Value::integer(id);
        row[1] = Value::text("row " + std::to_string(id));
        c.insert(row);
    }
    const std::vector<Bookmark> marks = markEveryRow(c);
    ASSERT_EQ(marks.size(), 3u);
    const std::vector<int> order = compareAll(c, marks);
    const Bookmark& mark = marks[1];
    const struct {
        int field;
        Value value;
    } cases[] = {
        {1, Value::text("changed")},
        {2, Value::date(Date::fromYmd(2026, 3, 1))},
        {3, Value::integer(-7)},
        {4, Value::number(12.5)},
        {5, Value::number(-0.25)},
        {6, Value::boolean(true)},
        {7, Value::text(std::string(300, 'm'))}, // beyond the record's leader: in the .MB
        {8, Value::binary(std::string("\0\1\2", 3))},
        {9, Value::binary("formatted")},
        {10, Value::binary(std::string(200, 'g'))},
        {11, Value::time(Time{3600000})},
        {12, Value::timestamp(Timestamp::of(Date::fromYmd(2026, 1, 2), Time{1000}))},
        {13, Value::integer(40)},
        {14, Value::decimal("-3.25")},
        {15, Value::binary("bytes!")},
        {16, Value::binary("ole")},
        {0, Value::integer(20)},
    };
    for (const auto& e : cases) {
        SCOPED_TRACE(kEveryKind[static_cast<size_t>(e.field)].name);
        ASSERT_TRUE(c.gotoBookmark(mark));
        auto row = c.row();
        row[static_cast<size_t>(e.field)] = e.value;
        c.update(row);
        c.first();
        EXPECT_TRUE(c.bookmarkValid(mark));
        ASSERT_TRUE(c.gotoBookmark(mark));
        EXPECT_EQ(c.row()[static_cast<size_t>(e.field)], e.value);
        EXPECT_EQ(compareAll(c, marks), order);
        // A bookmark taken after the edit names the same row.
        EXPECT_EQ(c.compare(c.bookmark(), mark), bmSame);
    }
    ASSERT_TRUE(c.gotoBookmark(mark));
    c.remove();
    EXPECT_FALSE(c.bookmarkValid(mark));
    EXPECT_FALSE(c.gotoBookmark(mark));
    EXPECT_EQ(compareAll(c, marks), order); // a deleted row keeps its place in the order
}

// 60 rows, 25 to a block: Chiave 0..24 in block 1, 25..49 in block 2, 50..59 in block 3.
TEST(UnkeyedBookmarkTest, StaysOnItsRowWhileOtherRowsComeAndGo) {
    struct Case {
        const char* name;
        std::vector<int> deleted; // Chiave values, deleted in this order
        int inserted = 0;         // rows appended first
    };
    std::vector<int> firstBlock, secondBlock, lastBlock, everyOther;
    for (int k = 0; k < 25; ++k)
        firstBlock.push_back(k);
    for (int k = 25; k < 50; ++k)
        secondBlock.push_back(k);
    for (int k = 50; k < 60; ++k)
        lastBlock.push_back(k);
    for (int k = 26; k < 50; k += 2)
        everyOther.push_back(k);
    const Case cases[] = {
        {"an insert", {}, 3},
        {"the row before", {29}},
        {"the row after", {31}},
        {"every other row of a block", everyOther},
        {"a block's first and last rows", {25, 49}},
        {"the first block (the next block's rows move into it)", firstBlock},
        {"a middle block (freed)", secondBlock},
        {"the last block (freed)", lastBlock},
        {"inserts, then rows of every block", {3, 30, 55, 0, 24, 59}, 2},
    };
    for (const Case& e : cases) {
        SCOPED_TRACE(e.name);
        NumberedKeysTable f(60, false);
        Cursor c(*f.table);
        const std::vector<Bookmark> marks = markEveryRow(c);
        ASSERT_EQ(marks.size(), 60u);
        const std::vector<int> order = compareAll(c, marks);
        for (int i = 0; i < e.inserted; ++i)
            c.insert(keysRow("New", "2026", 1, 100 + i));
        for (int k : e.deleted)
            removeChiave(c, k);
        for (int k = 0; k < 60; ++k) {
            SCOPED_TRACE(k);
            const bool gone = std::find(e.deleted.begin(), e.deleted.end(), k) != e.deleted.end();
            EXPECT_EQ(c.bookmarkValid(marks[static_cast<size_t>(k)]), !gone);
            if (gone) continue;
            ASSERT_TRUE(c.gotoBookmark(marks[static_cast<size_t>(k)]));
            EXPECT_EQ(chiave(c), k);
        }
        EXPECT_EQ(compareAll(c, marks), order);
        EXPECT_EQ(problems(f.path), "");
    }
}

// Bookmarks taken at different times, with edits between: each follows its row.
TEST(UnkeyedBookmarkTest, BookmarksOfDifferentTimesFollowTheirRows) {
    NumberedKeysTable f(60, false);
    Cursor c(*f.table);
    std::vector<std::pair<Bookmark, int>> marks;
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(c.locate({3}, {Value::integer(5 + round * 9)}));
        marks.emplace_back(c.bookmark(), chiave(c));
        auto row = c.row();
        row[1] = Value::text(std::to_string(round));
        c.update(row);
        removeChiave(c, round); // rows of the first block: the others move up
        c.insert(keysRow("New", "2026", 1, 100 + round));
    }
    for (const auto& [mark, k] : marks) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(c.gotoBookmark(mark));
        EXPECT_EQ(chiave(c), k);
    }
    for (size_t i = 0; i + 1 < marks.size(); ++i)
        EXPECT_EQ(c.compare(marks[i].first, marks[i + 1].first), bmBefore);
}

// Rows another opener (another program, or another table object here) wrote are not followed:
// a bookmark is then looked for by its row's content, at its place or above within its block.
TEST(UnkeyedBookmarkTest, AfterAnotherOpenersWriteTheRowIsLookedForByItsContent) {
    struct Case {
        const char* name;
        std::function<void(Cursor& other)> write;
        bool valid;
    };
    const Case cases[] = {
        {"another row edited",
         [](Cursor& o) {
             ASSERT_TRUE(o.locate({3}, {Value::integer(35)}));
             auto row = o.row();
             row[1] = Value::text("2027");
             o.update(row);
         },
         true},
        {"an earlier row of its block deleted", [](Cursor& o) { removeChiave(o, 26); }, true},
        {"a row appended", [](Cursor& o) { o.insert(keysRow("New", "2026", 1, 100)); }, true},
        {"the row deleted", [](Cursor& o) { removeChiave(o, 30); }, false},
        {"the row edited (which no content can tell from a delete)",
         [](Cursor& o) {
             ASSERT_TRUE(o.locate({3}, {Value::integer(30)}));
             auto row = o.row();
             row[2] = Value::integer(9);
             o.update(row);
         },
         false},
    };
    for (const Case& e : cases) {
        SCOPED_TRACE(e.name);
        NumberedKeysTable f(60, false);
        Cursor c(*f.table);
        ASSERT_TRUE(c.locate({3}, {Value::integer(30)}));
        const Bookmark mark = c.bookmark();
        {
            auto other = Table::open(f.path);
            Cursor o(*other);
            e.write(o);
        }
        c.first();
        EXPECT_EQ(c.bookmarkValid(mark), e.valid);
        if (!e.valid) continue;
        // The row is followed again through this object's own writes since.
        removeChiave(c, 27);
        ASSERT_TRUE(c.gotoBookmark(mark));
        auto row = c.row();
        row[1] = Value::text("own");
        c.update(row);
        c.first();
        ASSERT_TRUE(c.gotoBookmark(mark));
        EXPECT_EQ(chiave(c), 30);
        EXPECT_EQ(c.row()[1], Value::text("own"));
    }
}

// A bookmark of one table object, used on another of the same table (a table closed and opened
// again), finds its row by content.
TEST(UnkeyedBookmarkTest, ABookmarkOfAnotherTableObjectFindsItsRowByContent) {
    NumberedKeysTable f(60, false);
    Bookmark mark;
    {
        Cursor c(*f.table);
        c.setRecordNumber(40);
        mark = c.bookmark();
    }
    f.table.reset();
    auto again = Table::open(f.path);
    Cursor c(*again);
    ASSERT_TRUE(c.gotoBookmark(mark));
    EXPECT_EQ(chiave(c), 39);
    EXPECT_EQ(c.compare(mark, c.bookmark()), bmSame);
}
