// Filtered cursors: moves, ends, counts, record numbers, locate and bookmarks among the accepted
// rows of keyed and unkeyed tables; the record filter; rows stored or changed under a filter;
// filters changed on an open cursor; failures inside the record filter.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;
using Op = FilterExpr::Op;

namespace {

constexpr int kChiave = 3;

using Fixture = NumberedKeysTable;

int chiave(const Cursor& c) {
    return static_cast<int>(c.value(kChiave).asInteger());
}

FilterExpr chiaveIs(Op op, int v) {
    return FilterExpr::compare(op, kChiave, Value::integer(v));
}

FilterExpr both(FilterExpr a, FilterExpr b) {
    return FilterExpr::binary(Op::And, std::move(a), std::move(b));
}

RecordFilter chiaveWhere(std::function<bool(int)> keep) {
    return [keep](const std::vector<Value>& row) {
        return keep(static_cast<int>(row[kChiave].asInteger()));
    };
}

// One way of filtering, with the rows (Chiave values) it must leave.
struct FilterCase {
    const char* what;
    std::optional<FilterExpr> expr;
    std::function<bool(int)> record; // empty: no record filter
    std::function<bool(int)> keeps;
};

std::vector<FilterCase> filterCases() {
    return {
        {"expression range",
         both(chiaveIs(Op::GreaterEqual, 20), chiaveIs(Op::Less, 80)),
         {},
         [](int k) { return k >= 20 && k < 80; }},
        {"expression at both ends",
         FilterExpr::binary(Op::Or, chiaveIs(Op::Less, 3), chiaveIs(Op::Greater, 196)),
         {},
         [](int k) { return k < 3 || k > 196; }},
        {"record filter", std::nullopt, [](int k) { return k % 7 == 3; },
         [](int k) { return k % 7 == 3; }},
        {"both filters", chiaveIs(Op::Greater, 50), [](int k) { return k % 2 == 0; },
         [](int k) { return k > 50 && k % 2 == 0; }},
        {"a single row", chiaveIs(Op::Equal, 123), {}, [](int k) { return k == 123; }},
        {"every row", chiaveIs(Op::GreaterEqual, 0), {}, [](int) { return true; }},
    };
}

void install(Cursor& c, const FilterCase& f) {
    c.setFilter(f.expr);
    c.setRecordFilter(f.record ? chiaveWhere(f.record) : RecordFilter());
}

class FilteredCursorTest : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(FilteredCursorTest, MovesCountsAndNumbersFollowTheAcceptedRows) {
    constexpr int n = 200;
    Fixture fx(n, GetParam());
    for (const FilterCase& f : filterCases()) {
        SCOPED_TRACE(f.what);
        std::vector<int> want;
        for (int k = 0; k < n; ++k)
            if (f.keeps(k)) want.push_back(k);
        const auto count = static_cast<std::int64_t>(want.size());
        Cursor c(*fx.table);
        install(c, f);
        EXPECT_TRUE(c.filtered());
        EXPECT_EQ(c.recordCount(), count);
        // Forward and backward walks.
        std::vector<int> seen;
        ASSERT_TRUE(c.first());
        EXPECT_TRUE(c.bof());
        EXPECT_FALSE(c.eof());
        do
            seen.push_back(chiave(c));
        while (c.next());
        EXPECT_EQ(seen, want);
        EXPECT_TRUE(c.eof());
        EXPECT_EQ(chiave(c), want.back()); // next() at the end stays on the last row
        seen.clear();
        ASSERT_TRUE(c.last());
        EXPECT_TRUE(c.eof());
        do
            seen.insert(seen.begin(), chiave(c));
        while (c.prior());
        EXPECT_EQ(seen, want);
        EXPECT_TRUE(c.bof());
        EXPECT_EQ(chiave(c), want.front());
        // Record numbers among the accepted rows.
        for (std::int64_t i : {std::int64_t{1}, count / 2, count}) {
            if (i < 1) continue;
            c.setRecordNumber(i);
            EXPECT_EQ(chiave(c), want[static_cast<std::size_t>(i - 1)]);
            EXPECT_EQ(c.recordNumber(), i);
        }
        c.setRecordNumber(count + 50);
        EXPECT_EQ(chiave(c), want.back());
        c.setRecordNumber(-4);
        EXPECT_EQ(chiave(c), want.front());
        // Moves by a distance, long ones included.
        EXPECT_EQ(c.moveBy(100), std::min<std::int64_t>(100, count - 1));
        EXPECT_EQ(c.recordNumber(), std::min<std::int64_t>(101, count));
        const std::int64_t at = c.recordNumber();
        EXPECT_EQ(c.moveBy(-1000), -(at - 1));
        EXPECT_TRUE(c.bof());
        EXPECT_EQ(chiave(c), want.front());
    }
}

TEST_P(FilteredCursorTest, NoAcceptedRow) {
    Fixture fx(50, GetParam());
    Cursor c(*fx.table);
    c.setRecordFilter(chiaveWhere([](int) { return false; }));
    EXPECT_FALSE(c.hasRow());
    EXPECT_TRUE(c.bof());
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(c.recordCount(), 0);
    EXPECT_EQ(c.recordNumber(), 0);
    EXPECT_FALSE(c.first());
    EXPECT_FALSE(c.last());
    EXPECT_FALSE(c.next());
    EXPECT_FALSE(c.prior());
    EXPECT_EQ(c.moveBy(5), 0);
    c.setRecordNumber(3);
    EXPECT_FALSE(c.hasRow());
    EXPECT_THROW(c.row(), Error);
    EXPECT_TRUE(c.bookmark().empty());
    // Taking the filter away shows the rows again, from the first.
    c.setRecordFilter({});
    EXPECT_FALSE(c.filtered());
    ASSERT_TRUE(c.hasRow());
    EXPECT_EQ(chiave(c), 0);
    EXPECT_EQ(c.recordCount(), 50);
}

TEST_P(FilteredCursorTest, LocateFindsOnlyAcceptedRows) {
    Fixture fx(100, GetParam());
    Cursor c(*fx.table);
    c.setFilter(chiaveIs(Op::GreaterEqual, 50));
    c.setRecordNumber(5);
    ASSERT_EQ(chiave(c), 54);
    const struct {
        int field;
        Value value;
        LocateOptions options;
        int found; // -1: not found
    } cases[] = {
        {kChiave, Value::integer(10), {}, -1},
        {kChiave, Value::integer(60), {}, 60},
        {0, Value::text(numberedName(20)), {}, -1}, // through the index on keyed tables
        {0, Value::text(numberedName(70)), {}, 70},
        {0, Value::text("n00"), {true, true}, 50}, // partial and without case: first accepted
        {0, Value::text("N00"), {true, false}, 50},
        {0, Value::text("N002"), {true, false}, -1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(describe(FilterExpr::compare(Op::Equal, k.field, k.value)));
        c.setRecordNumber(5);
        EXPECT_EQ(c.locate({k.field}, {k.value}, k.options), k.found >= 0);
        EXPECT_EQ(chiave(c), k.found >= 0 ? k.found : 54);
    }
}

TEST(FilteredCursorKeyedTest, LocateOnAKeyPrefixSkipsRejectedRowsWithThatPrefix) {
    TempDir dir;
    const auto path = dir / "P.DB";
    Table::create(path, keysFields(), 3, makeOptions(0x0C, 1252, 1));
    auto table = Table::open(path);
    Cursor c(*table);
    for (int t = 0; t < 3; ++t)
        for (int r = 0; r < 40; ++r)
            c.insert(keysRow("T" + std::to_string(t), "2024", r, t * 100 + r));
    c.setFilter(FilterExpr::compare(Op::GreaterEqual, 2, Value::integer(25)));
    ASSERT_TRUE(c.locate({0}, {Value::text("T1")}));
    EXPECT_EQ(chiave(c), 125);
    ASSERT_TRUE(c.locate({0, 1}, {Value::text("T2"), Value::text("2024")}));
    EXPECT_EQ(chiave(c), 225);
    c.setFilter(FilterExpr::compare(Op::Greater, 2, Value::integer(99)));
    EXPECT_FALSE(c.locate({0}, {Value::text("T1")}));
}

TEST_P(FilteredCursorTest, BookmarksOfRejectedRowsAreRefused) {
    Fixture fx(100, GetParam());
    Cursor c(*fx.table);
    c.setRecordNumber(61);
    const Bookmark sixty = c.bookmark();
    c.setRecordNumber(31);
    const Bookmark thirty = c.bookmark();
    c.setFilter(chiaveIs(Op::Less, 50));
    EXPECT_EQ(chiave(c), 30);
    EXPECT_FALSE(c.bookmarkValid(sixty));
    EXPECT_FALSE(c.gotoBookmark(sixty));
    EXPECT_EQ(chiave(c), 30);
    c.first();
    EXPECT_TRUE(c.bookmarkValid(thirty));
    EXPECT_TRUE(c.gotoBookmark(thirty));
    EXPECT_EQ(chiave(c), 30);
    EXPECT_EQ(c.compare(thirty, sixty), bmBefore); // order is that of all rows
    c.setFilter(std::nullopt);
    EXPECT_TRUE(c.gotoBookmark(sixty));
    EXPECT_EQ(chiave(c), 60);
}

TEST_P(FilteredCursorTest, ChangingTheFilterKeepsOrMovesTheCursor) {
    Fixture fx(100, GetParam());
    Cursor c(*fx.table);
    c.setRecordNumber(31);
    const struct {
        std::optional<FilterExpr> expr;
        int at; // -1: no row
        bool eof;
    } steps[] = {
        {chiaveIs(Op::GreaterEqual, 20), 30, false}, // still accepted: stays
        {chiaveIs(Op::GreaterEqual, 40), 40, false}, // rejected: the next accepted one
        {chiaveIs(Op::Less, 10), 9, true},           // none follows: the last accepted one
        {chiaveIs(Op::Less, 0), -1, true},           // none at all
        {std::nullopt, 0, false},                    // unfiltered again: the first row
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.expr ? describe(*s.expr) : std::string("no filter"));
        c.setFilter(s.expr);
        EXPECT_EQ(c.hasRow(), s.at >= 0);
        if (s.at >= 0) {
            EXPECT_EQ(chiave(c), s.at);
        }
        EXPECT_EQ(c.eof(), s.eof);
    }
}

TEST_P(FilteredCursorTest, RowsStoredOrChangedUnderAFilter) {
    Fixture fx(100, GetParam());
    Cursor c(*fx.table);
    c.setFilter(chiaveIs(Op::Less, 50));
    c.setRecordNumber(11);
    // A stored row the filter rejects stays current until the cursor moves.
    c.insert(keysRow(numberedName(500), "2024", 1, 500));
    ASSERT_TRUE(c.hasRow());
    EXPECT_EQ(chiave(c), 500);
    EXPECT_EQ(c.recordCount(), 50);
    EXPECT_EQ(c.recordNumber(), 51); // where it stands among the accepted rows
    EXPECT_FALSE(c.next());          // nothing accepted follows it
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(chiave(c), 500);
    EXPECT_TRUE(c.prior());
    EXPECT_EQ(chiave(c), 49);
    EXPECT_FALSE(c.locate({kChiave}, {Value::integer(500)}));
    // An accepted row changed so that it is rejected: the same.
    c.setRecordNumber(21);
    ASSERT_EQ(chiave(c), 20);
    auto row = c.row();
    row[kChiave] = Value::integer(900);
    c.update(row);
    EXPECT_EQ(chiave(c), 900);
    EXPECT_EQ(c.recordCount(), 49);
    // A refresh lets the rejected row go: the next accepted row after it.
    c.refresh();
    ASSERT_TRUE(c.hasRow());
    EXPECT_EQ(chiave(c), 21);
    // A stored row the filter accepts is found like any other.
    c.insert(keysRow(numberedName(20) + "b", "2024", 1, -1));
    EXPECT_EQ(chiave(c), -1);
    EXPECT_EQ(c.recordCount(), 50);
    EXPECT_TRUE(c.locate({kChiave}, {Value::integer(-1)}));
}

TEST_P(FilteredCursorTest, RemovingLandsOnAnAcceptedRow) {
    Fixture fx(60, GetParam());
    Cursor c(*fx.table);
    c.setRecordFilter(chiaveWhere([](int k) { return k % 10 == 0; }));
    c.setRecordNumber(2);
    ASSERT_EQ(chiave(c), 10);
    c.remove();
    EXPECT_EQ(chiave(c), 20); // the next accepted row
    EXPECT_EQ(c.recordCount(), 5);
    c.last();
    ASSERT_EQ(chiave(c), 50);
    c.remove();
    EXPECT_EQ(chiave(c), 40); // none follows: the new last one
    EXPECT_TRUE(c.eof());
    for (int left = 4; left > 0; --left) {
        c.remove();
        EXPECT_EQ(c.recordCount(), left - 1);
    }
    EXPECT_FALSE(c.hasRow());
    EXPECT_TRUE(c.bof());
    EXPECT_TRUE(c.eof());
    c.setRecordFilter({});
    EXPECT_EQ(c.recordCount(), 54);
}

TEST_P(FilteredCursorTest, OtherWritersRowsFollowTheFilter) {
    Fixture fx(50, GetParam());
    Cursor c(*fx.table);
    c.setFilter(chiaveIs(Op::GreaterEqual, 25));
    c.setRecordNumber(3);
    ASSERT_EQ(chiave(c), 27);
    {
        // Another cursor deletes the current row and the one after it.
        Cursor other(*fx.table);
        ASSERT_TRUE(other.locate({kChiave}, {Value::integer(27)}));
        other.remove();
        ASSERT_TRUE(other.locate({kChiave}, {Value::integer(28)}));
        other.remove();
        other.insert(keysRow(numberedName(0) + "x", "2024", 1, 5)); // rejected
    }
    EXPECT_EQ(chiave(c), 29);
    EXPECT_EQ(c.recordCount(), 23);
    EXPECT_EQ(c.recordNumber(), 3);
    // Another cursor changes the current row: still accepted, it stays; rejected, it goes.
    const std::pair<int, int> changes[] = {{29, 31}, {31, 3}};
    for (const auto& [from, to] : changes) {
        Cursor other(*fx.table);
        ASSERT_TRUE(other.locate({kChiave}, {Value::integer(from)}));
        auto row = other.row();
        row[kChiave] = Value::integer(to);
        other.update(row);
    }
    EXPECT_EQ(chiave(c), 30);
    EXPECT_EQ(c.recordCount(), 22);
}

TEST_P(FilteredCursorTest, RecordFilterSeesOnlyRowsTheExpressionAccepted) {
    Fixture fx(100, GetParam());
    Cursor c(*fx.table);
    int calls = 0, rejectedByExpression = 0;
    c.setFilter(chiaveIs(Op::Less, 40));
    c.setRecordFilter([&](const std::vector<Value>& row) {
        ++calls;
        if (row[kChiave].asInteger() >= 40) ++rejectedByExpression;
        return row[kChiave].asInteger() % 2 == 1;
    });
    calls = 0;
    EXPECT_EQ(c.recordCount(), 20);
    EXPECT_EQ(calls, 40); // one call per row the expression let through
    EXPECT_EQ(rejectedByExpression, 0);
    // It may be asked again for rows already seen: counting asks each time.
    calls = 0;
    EXPECT_EQ(c.recordCount(), 20);
    EXPECT_EQ(calls, 40);
    c.first();
    EXPECT_EQ(chiave(c), 1);
    calls = 0;
    EXPECT_TRUE(c.next());
    EXPECT_EQ(chiave(c), 3);
    EXPECT_EQ(calls, 2);
}

TEST_P(FilteredCursorTest, RecordFilterCannotMoveItsOwnCursor) {
    Fixture fx(20, GetParam());
    Cursor c(*fx.table);
    Cursor other(*fx.table);
    int otherCount = -1;
    EXPECT_THROW(c.setRecordFilter([&](const std::vector<Value>&) {
        otherCount = static_cast<int>(other.recordCount()); // another cursor is fine
        c.next();
        return true;
    }),
                 Error);
    EXPECT_FALSE(c.filtered()); // refused while installing: the cursor keeps no filter
    EXPECT_EQ(otherCount, 20);
    try {
        c.setRecordFilter([&](const std::vector<Value>&) {
            c.first();
            return true;
        });
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::InvalidArgument);
        EXPECT_NE(e.problem().find("inside its own record filter"), std::string::npos);
    }
    // Reading the row handed over is what the filter is for.
    c.setRecordFilter([](const std::vector<Value>& row) { return row[kChiave].asInteger() > 5; });
    EXPECT_EQ(c.recordCount(), 14);
    EXPECT_EQ(chiave(c), 6);
}

TEST_P(FilteredCursorTest, AFailingRecordFilterLeavesTheCursorWhereItWas) {
    Fixture fx(100, GetParam());
    Cursor c(*fx.table);
    bool failing = false;
    c.setRecordFilter([&](const std::vector<Value>& row) {
        const auto k = row[kChiave].asInteger();
        if (failing && k == 57) throw std::runtime_error("stop at 57");
        return k % 5 == 0;
    });
    c.setRecordNumber(3);
    ASSERT_EQ(chiave(c), 10);
    failing = true;
    const std::function<void()> calls[] = {
        [&] { c.moveBy(20); },
        [&] { c.setFilter(chiaveIs(Op::Greater, 55)); },
        [&] { c.recordCount(); },
        [&] { c.setRecordNumber(15); },
        [&] { c.locate({kChiave}, {Value::integer(57)}); },
    };
    for (const auto& call : calls) {
        EXPECT_THROW(call(), std::runtime_error);
        ASSERT_TRUE(c.hasRow());
        EXPECT_EQ(chiave(c), 10);
        EXPECT_FALSE(c.eof());
        EXPECT_FALSE(c.filter().has_value());
    }
    // Moves that do not reach the failing row still work.
    EXPECT_TRUE(c.next());
    EXPECT_EQ(chiave(c), 15);
    failing = false;
    EXPECT_EQ(c.moveBy(20), 16);
    EXPECT_EQ(chiave(c), 95);
    // A filter failing while it is installed is not installed.
    EXPECT_THROW(c.setRecordFilter(
                     [](const std::vector<Value>&) -> bool { throw std::runtime_error("no"); }),
                 std::runtime_error);
    EXPECT_TRUE(c.filtered()); // the previous one stays
    EXPECT_EQ(chiave(c), 95);
    EXPECT_EQ(c.recordCount(), 20);
}

INSTANTIATE_TEST_SUITE_P(KeyedAndUnkeyed, FilteredCursorTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Keyed" : "Unkeyed"; });
