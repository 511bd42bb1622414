// The record window as data links see it: notifications, scroll distances, ActiveRecord and
// RecordCount for scripted sequences over real tables (window of 5 over 3, 5 and 20 rows).
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "tests/support/dataset_helpers.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

using ravelda::test::RecordingDataLink;
using ravelda::test::TempAlias;

namespace {

struct Window {
    TempAlias alias;
    TTable table{nullptr};
    TDataSource source{nullptr};
    RecordingDataLink link;

    Window(int rows, int buffers) {
        alias.createNumberedTable("T.DB", rows);
        table.SetDatabaseName(alias.aliasName());
        table.SetTableName(QStringLiteral("T.DB"));
        source.SetDataSet(&table);
        link.SetBufferCount(buffers);
        link.SetDataSource(&source);
        table.Open();
        link.take();
    }
    ~Window() { link.SetDataSource(nullptr); }

    // The Ids the link's window holds, read by moving the link's ActiveRecord like a grid.
    std::vector<int> ids() {
        std::vector<int> out;
        const int saved = link.ActiveRecord();
        for (int i = 0; i < link.RecordCount(); ++i) {
            link.SetActiveRecord(i);
            TField* id = table.FieldByName(QStringLiteral("Id"));
            out.push_back(id->IsNull() ? 0 : static_cast<int>(id->AsInteger()));
        }
        link.SetActiveRecord(saved);
        return out;
    }
    int current() {
        TField* id = table.FieldByName(QStringLiteral("Id"));
        return id->IsNull() ? 0 : static_cast<int>(id->AsInteger());
    }
};

struct WindowCase {
    const char* name;
    int rows;
    std::function<void(TTable&)> setup;  // not recorded
    std::function<void(TTable&)> action; // recorded
    QStringList log;
    int activeRecord;
    std::vector<int> window; // Ids; 0 marks the new blank row
    bool bof, eof;
};

void Moves(TTable& t, int n) {
    t.MoveBy(n);
}

const WindowCase kCases[] = {
    {"open20", 20, nullptr, nullptr, {}, 0, {1, 2, 3, 4, 5}, true, false},
    {"open3", 3, nullptr, nullptr, {}, 0, {1, 2, 3}, true, false},
    {"open5", 5, nullptr, nullptr, {}, 0, {1, 2, 3, 4, 5}, true, false},
    {"inside",
     20,
     nullptr,
     [](TTable& t) { Moves(t, 3); },
     {"check", "scrolled 0"},
     3,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"pastBottomByOne",
     20,
     [](TTable& t) { Moves(t, 3); },
     [](TTable& t) { Moves(t, 2); },
     {"check", "scrolled 1"},
     4,
     {2, 3, 4, 5, 6},
     false,
     false},
    {"moreThanWindow",
     20,
     [](TTable& t) { Moves(t, 5); },
     [](TTable& t) { Moves(t, 10); },
     {"check", "scrolled 10"},
     4,
     {12, 13, 14, 15, 16},
     false,
     false},
    {"next",
     20,
     [](TTable& t) { Moves(t, 4); },
     [](TTable& t) { t.Next(); },
     {"check", "scrolled 1"},
     4,
     {2, 3, 4, 5, 6},
     false,
     false},
    {"last",
     20,
     nullptr,
     [](TTable& t) { t.Last(); },
     {"check", "changed"},
     4,
     {16, 17, 18, 19, 20},
     false,
     true},
    {"first",
     20,
     [](TTable& t) { t.Last(); },
     [](TTable& t) { t.First(); },
     {"check", "changed"},
     0,
     {1, 2, 3, 4, 5},
     true,
     false},
    {"priorPastTop",
     20,
     [](TTable& t) { t.Last(); },
     [](TTable& t) { Moves(t, -5); },
     {"check", "scrolled -1"},
     0,
     {15, 16, 17, 18, 19},
     false,
     false},
    {"priorAtFirstRow",
     20,
     [](TTable& t) { Moves(t, 1); },
     [](TTable& t) { t.Prior(); },
     {"check", "scrolled 0"},
     0,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"priorAtBof",
     20,
     nullptr,
     [](TTable& t) { t.Prior(); },
     {"check"},
     0,
     {1, 2, 3, 4, 5},
     true,
     false},
    {"priorBeyondStart",
     20,
     [](TTable& t) { Moves(t, 1); },
     [](TTable& t) { Moves(t, -3); },
     {"check", "scrolled 0"},
     0,
     {1, 2, 3, 4, 5},
     true,
     false},
    {"nextAtEnd3",
     3,
     [](TTable& t) { Moves(t, 2); },
     [](TTable& t) { t.Next(); },
     {"check", "scrolled 0"},
     2,
     {1, 2, 3},
     false,
     true},
    {"moveByBeyondEnd3",
     3,
     nullptr,
     [](TTable& t) { Moves(t, 5); },
     {"check", "scrolled 0"},
     2,
     {1, 2, 3},
     false,
     true},
    {"nextAtEof",
     5,
     [](TTable& t) { t.Last(); },
     [](TTable& t) { t.Next(); },
     {"check"},
     4,
     {1, 2, 3, 4, 5},
     false,
     true},
    {"lastWindow5",
     5,
     nullptr,
     [](TTable& t) { t.Last(); },
     {"check", "changed"},
     4,
     {1, 2, 3, 4, 5},
     false,
     true},
    {"insertTop",
     20,
     nullptr,
     [](TTable& t) { t.Insert(); },
     {"check", "editing 1", "changed"},
     0,
     {0, 1, 2, 3, 4},
     true,
     false},
    {"insertMiddle",
     20,
     [](TTable& t) { Moves(t, 2); },
     [](TTable& t) { t.Insert(); },
     {"check", "editing 1", "changed"},
     2,
     {1, 2, 0, 3, 4},
     false,
     false},
    {"insertBottom",
     20,
     [](TTable& t) { Moves(t, 4); },
     [](TTable& t) { t.Insert(); },
     {"check", "editing 1", "changed"},
     4,
     {1, 2, 3, 4, 0},
     false,
     false},
    {"insertMiddle3",
     3,
     [](TTable& t) { Moves(t, 1); },
     [](TTable& t) { t.Insert(); },
     {"check", "editing 1", "changed"},
     1,
     {1, 0, 2, 3},
     false,
     false},
    {"append",
     20,
     nullptr,
     [](TTable& t) { t.Append(); },
     {"check", "editing 1", "changed"},
     4,
     {17, 18, 19, 20, 0},
     false,
     true},
    {"append3",
     3,
     nullptr,
     [](TTable& t) { t.Append(); },
     {"check", "editing 1", "changed"},
     3,
     {1, 2, 3, 0},
     false,
     true},
    {"cancelInsertMiddle",
     20,
     [](TTable& t) {
         Moves(t, 2);
         t.Insert();
     },
     [](TTable& t) { t.Cancel(); },
     {"check", "editing 0", "changed"},
     2,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"cancelInsertTop",
     20,
     [](TTable& t) { t.Insert(); },
     [](TTable& t) { t.Cancel(); },
     {"check", "editing 0", "changed"},
     0,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"cancelAppend",
     20,
     [](TTable& t) { t.Append(); },
     [](TTable& t) { t.Cancel(); },
     {"check", "editing 0", "changed"},
     4,
     {16, 17, 18, 19, 20},
     false,
     false},
    {"cancelAppend3",
     3,
     [](TTable& t) { t.Append(); },
     [](TTable& t) { t.Cancel(); },
     {"check", "editing 0", "changed"},
     2,
     {1, 2, 3},
     false,
     false},
    {"deleteMiddle",
     20,
     [](TTable& t) { Moves(t, 2); },
     [](TTable& t) { t.Delete(); },
     {"check", "changed"},
     2,
     {1, 2, 4, 5, 6},
     false,
     false},
    {"deleteLast",
     20,
     [](TTable& t) { t.Last(); },
     [](TTable& t) { t.Delete(); },
     {"check", "changed"},
     4,
     {15, 16, 17, 18, 19},
     false,
     false},
    {"deleteLast3",
     3,
     [](TTable& t) { t.Last(); },
     [](TTable& t) { t.Delete(); },
     {"check", "changed"},
     1,
     {1, 2},
     false,
     false},
    {"deleteWhileInserting",
     20,
     [](TTable& t) { t.Insert(); },
     [](TTable& t) { t.Delete(); },
     {"check", "editing 0", "changed"},
     0,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"postInsertMovesInKeyOrder",
     20,
     [](TTable& t) {
         Moves(t, 2);
         t.Insert();
         t.FieldByName(QStringLiteral("Id"))->SetAsInteger(100);
     },
     [](TTable& t) { t.Post(); },
     {"update", "check", "editing 0", "changed"},
     4,
     {17, 18, 19, 20, 100},
     false,
     false},
    {"postInsertKeepsRow",
     20,
     [](TTable& t) {
         t.Delete(); // Id 1 is gone; a new Id 1 goes back to the top
         Moves(t, 2);
         t.Insert();
         t.FieldByName(QStringLiteral("Id"))->SetAsInteger(1);
     },
     [](TTable& t) { t.Post(); },
     {"update", "check", "editing 0", "changed"},
     0,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"postEditMiddle",
     20,
     [](TTable& t) {
         Moves(t, 2);
         t.Edit();
         t.FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("changed"));
     },
     [](TTable& t) { t.Post(); },
     {"update", "check", "editing 0", "changed"},
     2,
     {1, 2, 3, 4, 5},
     false,
     false},
    {"locateCentres",
     20,
     nullptr,
     [](TTable& t) { t.Locate(QStringLiteral("Id"), 10); },
     {"check", "changed"},
     2,
     {8, 9, 10, 11, 12},
     false,
     false},
};

class WindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowTest, LinkSeesWindow) {
    const WindowCase& c = GetParam();
    Window w(c.rows, 5);
    if (c.setup) c.setup(w.table);
    w.link.take();
    if (c.action) c.action(w.table);
    EXPECT_EQ(w.link.take(), c.log);
    EXPECT_EQ(w.link.ActiveRecord(), c.activeRecord);
    EXPECT_EQ(w.link.RecordCount(), static_cast<int>(c.window.size()));
    EXPECT_EQ(w.link.BufferCount(), 5);
    EXPECT_EQ(w.ids(), c.window);
    EXPECT_EQ(w.table.Bof(), c.bof);
    EXPECT_EQ(w.table.Eof(), c.eof);
    // Reading the other rows left the current one current.
    EXPECT_EQ(w.current(), c.window[static_cast<size_t>(c.activeRecord)]);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Window, MoveByReturnsDistanceMoved) {
    Window w(20, 5);
    EXPECT_EQ(w.table.MoveBy(7), 7);
    EXPECT_EQ(w.table.MoveBy(-100), -7);
    EXPECT_TRUE(w.table.Bof());
    EXPECT_EQ(w.table.MoveBy(-1), 0);
    w.table.Last();
    EXPECT_EQ(w.table.MoveBy(3), 0);
    EXPECT_EQ(w.table.MoveBy(-3), -3);
    EXPECT_EQ(w.current(), 17);
}

TEST(Window, ReachingFirstRowWithPriorLeavesBofFalse) {
    Window w(20, 5);
    w.table.Next();
    w.table.Prior();
    EXPECT_FALSE(w.table.Bof());
    w.table.Prior();
    EXPECT_TRUE(w.table.Bof());
}

TEST(Window, TallerThanTable) {
    Window w(3, 20);
    EXPECT_EQ(w.link.RecordCount(), 3);
    EXPECT_EQ(w.link.BufferCount(), 20);
    w.table.Last();
    EXPECT_EQ(w.link.ActiveRecord(), 2);
    EXPECT_EQ(w.link.take(), (QStringList{"check", "changed"}));
}

TEST(Window, EmptyTable) {
    Window w(0, 5);
    EXPECT_EQ(w.link.RecordCount(), 0);
    EXPECT_TRUE(w.table.Bof());
    EXPECT_TRUE(w.table.Eof());
    EXPECT_TRUE(w.table.IsEmpty());
    w.table.Insert();
    EXPECT_EQ(w.link.RecordCount(), 1);
    EXPECT_TRUE(w.table.Bof());
    EXPECT_TRUE(w.table.Eof());
    w.table.Cancel();
    EXPECT_EQ(w.link.RecordCount(), 0);
    EXPECT_EQ(w.link.take(),
              (QStringList{"check", "editing 1", "changed", "check", "editing 0", "changed"}));
}

// A smaller link (a navigator's, one record) scrolls although the dataset's buffers did not slide;
// a larger one sees a distance 0 move inside its window.
TEST(Window, LinksOfDifferentSizes) {
    Window w(20, 5);
    RecordingDataLink small(true, QStringLiteral("small"));
    small.SetDataSource(&w.source);
    EXPECT_EQ(small.take(), QStringList{"small:active 1"});
    w.table.MoveBy(2);
    EXPECT_EQ(w.link.take(), (QStringList{"check", "scrolled 0"}));
    EXPECT_EQ(small.take(), (QStringList{"small:check", "small:scrolled 2"}));
    EXPECT_EQ(small.ActiveRecord(), 0);
    EXPECT_EQ(small.RecordCount(), 1);
    EXPECT_EQ(w.link.ActiveRecord(), 2);
    small.SetDataSource(nullptr);
}

TEST(Window, DefaultScrollIsDataSetChanged) {
    Window w(20, 5);
    RecordingDataLink forwarding(true);
    forwarding.forwardScroll = true;
    forwarding.SetDataSource(&w.source);
    forwarding.take();
    w.table.Next();
    EXPECT_EQ(forwarding.take(), (QStringList{"check", "scrolled 1", "changed"}));
    forwarding.SetDataSource(nullptr);
}

TEST(Window, GrowingKeepsCurrentRecordShrinkingKeepsItInside) {
    Window w(20, 5);
    w.table.Last();
    w.link.SetBufferCount(8);
    EXPECT_EQ(w.ids(), (std::vector<int>{13, 14, 15, 16, 17, 18, 19, 20}));
    EXPECT_EQ(w.link.ActiveRecord(), 7);
    EXPECT_EQ(w.current(), 20);
    w.link.SetBufferCount(3);
    EXPECT_EQ(w.ids(), (std::vector<int>{18, 19, 20}));
    EXPECT_EQ(w.link.ActiveRecord(), 2);
    EXPECT_EQ(w.current(), 20);
    w.table.First();
    w.link.SetBufferCount(6);
    EXPECT_EQ(w.ids(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(w.current(), 1);
}

TEST(Window, LinkActiveRecordReadsOtherRowsWithoutMoving) {
    Window w(20, 5);
    w.table.MoveBy(3);
    w.link.take();
    w.link.SetActiveRecord(0);
    EXPECT_EQ(w.current(), 1);
    w.link.SetActiveRecord(3);
    EXPECT_EQ(w.current(), 4);
    EXPECT_TRUE(w.link.take().isEmpty());
    // Moving on from a row chosen through the link continues from there.
    w.link.SetActiveRecord(4);
    w.table.Next();
    EXPECT_EQ(w.current(), 6);
}
} // namespace
