// TwwTable's row filters over real engine tables: what is installed when, the is-sequenced test,
// moves, counts, record numbers and locate of a filtered table, OnFilter reading the filtered
// row's fields, the warning and "Fail to set filter" boxes, the setters on an open table,
// ofoEnabled, the hourglass and arrow cursors, and Escape stopping the record filter.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/wwtable.h"
#include "engine/table.h"
#include "platform/keyqueue.h"
#include "platform/screen.h"
#include "platform/strings.h"
#include "platform/testseams.h"
#include "tests/support/dataset_helpers.h"

#include <QLocale>

#include <gtest/gtest.h>
#include <vector>

using ravelda::test::RecordingDataLink;
using ravelda::test::TempAlias;

namespace {

using Texts = std::vector<const char*>;

QStringList Lines(const Texts& List) {
    QStringList lines;
    for (const char* t : List)
        lines << QString::fromUtf8(t);
    return lines;
}

// A table "Numeri" with Id 1..count and Name "Row <id>".
class Numbered : public ::testing::Test {
protected:
    void Prepare(int Count) {
        alias.createNumberedTable("Numeri.DB", Count);
        table.SetDatabaseName(alias.aliasName());
        table.SetTableName(QStringLiteral("Numeri.DB"));
        source.SetDataSet(&table);
    }
    void SetUp() override {
        // The screen cursor is global: every test starts from the default.
        Screen()->SetCursor(crDefault);
    }
    void TearDown() override {
        link.SetDataSource(nullptr);
        table.Close();
    }
    void SetFilter(const Texts& Filter) {
        TStringList list;
        list.SetStrings(Lines(Filter));
        table.SetwwFilter(&list);
    }
    int Id() { return table.FieldByName(QStringLiteral("Id"))->AsInteger(); }
    // The Ids of every row from the first, and the record numbers met on the way.
    std::vector<int> Ids(std::vector<int>* RecNos = nullptr) {
        std::vector<int> ids;
        for (table.First(); !table.Eof(); table.Next()) {
            ids.push_back(Id());
            if (RecNos) RecNos->push_back(table.RecNo());
        }
        return ids;
    }
    static std::vector<int> Range(int From, int To) {
        std::vector<int> v;
        for (int i = From; i <= To; ++i)
            v.push_back(i);
        return v;
    }

    TempAlias alias;
    TwwTable table{nullptr};
    TDataSource source{nullptr};
    RecordingDataLink link;
};

TEST_F(Numbered, NothingIsInstalledWithEmptyFilters) {
    Prepare(5);
    TTestMessageBoxes boxes;
    SetFilter({"", "  \t"});
    table.Open();
    EXPECT_FALSE(table.ExpressionFilterInstalled());
    EXPECT_FALSE(table.RecordFilterInstalled());
    EXPECT_TRUE(table.IsSequenced());
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(Numbered, IsSequencedOnlyWithoutRowFilters) {
    struct Case {
        Texts filter;
        bool onFilter;
        bool expression, record, sequenced;
    } cases[] = {
        {{}, false, false, false, true},
        {{"Id > 2"}, false, true, false, false},
        {{}, true, false, true, false},
        {{"Id > 2"}, true, true, true, false},
    };
    Prepare(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << Lines(c.filter).join('|').toStdString() << " " << c.onFilter);
        SetFilter(c.filter);
        table.SetOnFilter(c.onFilter ? TwwTableFilterEvent([](TDataSet*, bool&) {})
                                     : TwwTableFilterEvent());
        EXPECT_EQ(table.IsSequenced(), c.sequenced); // closed: by the properties alone
        table.Open();
        EXPECT_EQ(table.ExpressionFilterInstalled(), c.expression);
        EXPECT_EQ(table.RecordFilterInstalled(), c.record);
        EXPECT_EQ(table.IsSequenced(), c.sequenced);
        table.Close();
    }
}

TEST_F(Numbered, FilteredTableMovesCountsAndNumbersItsRows) {
    struct Case {
        Texts filter;
        int modulo; // OnFilter keeps the Ids divisible by it (0: no OnFilter)
        std::vector<int> ids;
    } cases[] = {
        {{"Id > 5", "Id <= 15"}, 0, Range(6, 15)},
        {{"Name = \"Row 3\" OR Id > 18"}, 0, {3, 19, 20}},
        {{"(Id) * (2) > 30"}, 0, Range(16, 20)},
        {{"Id >= 4 AND Id <= 6 OR Id = 1"}, 0, {1, 4, 5, 6}},
        {{}, 5, {5, 10, 15, 20}},
        {{"Id > 10"}, 3, {12, 15, 18}},
        {{"Id < 0"}, 0, {}},
    };
    Prepare(20);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << Lines(c.filter).join('|').toStdString() << " / " << c.modulo);
        SetFilter(c.filter);
        const int modulo = c.modulo;
        table.SetOnFilter(
            modulo == 0 ? TwwTableFilterEvent()
                        : TwwTableFilterEvent([modulo](TDataSet* t, bool& accept) {
                              accept =
                                  t->FieldByName(QStringLiteral("Id"))->AsInteger() % modulo == 0;
                          }));
        table.Open();
        EXPECT_EQ(table.RecordCount(), static_cast<int>(c.ids.size()));
        std::vector<int> recNos;
        EXPECT_EQ(Ids(&recNos), c.ids);
        EXPECT_EQ(recNos, Range(1, static_cast<int>(c.ids.size())));
        if (c.ids.empty()) {
            EXPECT_TRUE(table.IsEmpty());
            EXPECT_TRUE(table.Bof());
            EXPECT_TRUE(table.Eof());
        } else {
            table.Last();
            EXPECT_EQ(Id(), c.ids.back());
            EXPECT_EQ(table.RecNo(), static_cast<int>(c.ids.size()));
            table.Next();
            EXPECT_TRUE(table.Eof());
            table.First();
            EXPECT_TRUE(table.Bof());
            EXPECT_EQ(Id(), c.ids.front());
            table.Prior();
            EXPECT_TRUE(table.Bof());
            EXPECT_EQ(table.MoveBy(100), static_cast<int>(c.ids.size()) - 1);
            EXPECT_EQ(Id(), c.ids.back());
            table.SetRecNo(1);
            EXPECT_EQ(Id(), c.ids.front());
        }
        table.Close();
    }
}

TEST_F(Numbered, LocateFindsOnlyRowsTheFiltersLetThrough) {
    Prepare(20);
    SetFilter({"Id > 5", "Id <= 15"});
    table.SetOnFilter([](TDataSet* t, bool& accept) {
        accept = t->FieldByName(QStringLiteral("Id"))->AsInteger() != 9;
    });
    table.Open();
    struct Case {
        int id;
        bool found;
        int idAfter;
    } cases[] = {{12, true, 12}, {3, false, 12}, {9, false, 12}, {6, true, 6}, {16, false, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(table.Locate(QStringLiteral("Id"), c.id), c.found);
        EXPECT_EQ(Id(), c.idAfter);
    }
    EXPECT_TRUE(table.Locate(QStringLiteral("Name"), QStringLiteral("row 1"),
                             TLocateOptions{loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(Id(), 10); // the first "Row 1..." that passes
    EXPECT_EQ(table.RecNo(), 4);
    EXPECT_TRUE(table.Lookup(QStringLiteral("Id"), 3, QStringLiteral("Name")).isNull());
}

TEST_F(Numbered, OnFilterReadsTheFieldsOfTheRowBeingFiltered) {
    Prepare(12);
    struct Seen {
        int id;
        QString name;
        bool inFilter;
    };
    std::vector<Seen> seen;
    table.SetOnFilter([&](TDataSet* t, bool& accept) {
        auto* ww = static_cast<TwwTable*>(t);
        const int id = t->FieldByName(QStringLiteral("Id"))->AsInteger();
        seen.push_back({id, t->FieldByName(QStringLiteral("Name"))->AsString(), ww->InFilter()});
        accept = id % 4 == 0;
    });
    table.Open();
    EXPECT_EQ(Ids(), (std::vector<int>{4, 8, 12}));
    ASSERT_FALSE(seen.empty());
    for (const Seen& s : seen) {
        EXPECT_EQ(s.name, QStringLiteral("Row %1").arg(s.id));
        EXPECT_TRUE(s.inFilter);
    }
    EXPECT_FALSE(table.InFilter());
    // Outside the event the fields read the current row again.
    table.Last();
    EXPECT_EQ(table.FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Row 12"));
}

TEST_F(Numbered, AnExceptionInOnFilterLeavesTheFlagsClear) {
    Prepare(5);
    bool fail = false;
    table.SetOnFilter([&](TDataSet* t, bool& accept) {
        if (fail) DatabaseError(QStringLiteral("stop"));
        accept = t->FieldByName(QStringLiteral("Id"))->AsInteger() != 2;
    });
    table.Open();
    fail = true;
    EXPECT_THROW(table.Next(), EDatabaseError);
    EXPECT_FALSE(table.InFilter());
    fail = false;
    EXPECT_EQ(Ids(), (std::vector<int>{1, 3, 4, 5}));
}

TEST_F(Numbered, BadExpressionsShowTheirBoxesAndInstallNothing) {
    const QString notFound = QStringLiteral("Nome\rField not found in Table. ");
    const QString failed = QStringLiteral("Fail to set filter");
    struct Case {
        Texts filter;
        bool setWhileOpen;
        QStringList boxes;
    } cases[] = {
        // A name that is no field: the warning at opening; on an open table the failure too.
        {{"Nome = \"x\""}, false, {notFound}},
        {{"Nome = \"x\""}, true, {notFound, failed}},
        {{"Id > 2", "nome = \"x\""},
         true,
         {QStringLiteral("nome\rField not found in Table. "), failed}},
        // Text that cannot be read or installed.
        {{"Id >"}, true, {failed}},
        {{"Id = \"abc\""}, true, {failed}},
        {{"(Name) + (1) > 2"}, true, {failed}},
        // At opening too: the rows would all show without a word.
        {{"Id >"}, false, {failed}},
    };
    Prepare(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << Lines(c.filter).join('|').toStdString() << " open " << c.setWhileOpen);
        TTestMessageBoxes boxes;
        if (c.setWhileOpen) {
            SetFilter({"Id > 3"}); // a working filter first: it must go
            table.Open();
            EXPECT_EQ(table.RecordCount(), 2);
            SetFilter(c.filter);
        } else {
            SetFilter(c.filter);
            table.Open();
        }
        QStringList shown;
        for (const TMessageBoxRequest& r : boxes.Shown()) {
            shown << r.Text;
            EXPECT_EQ(r.Type, mtWarning);
            EXPECT_EQ(r.Buttons, TMsgDlgButtons{mbOK});
        }
        EXPECT_EQ(shown, c.boxes);
        EXPECT_FALSE(table.ExpressionFilterInstalled());
        EXPECT_EQ(table.RecordCount(), 5);
        EXPECT_EQ(Ids(), Range(1, 5));
        table.Close();
    }
}

TEST_F(Numbered, SettingWwFilterOnAnOpenTableFiltersAndRefreshes) {
    Prepare(20);
    link.SetDataSource(&source);
    table.Open();
    ASSERT_TRUE(table.Locate(QStringLiteral("Id"), 10));
    struct Case {
        Texts filter;
        int idAfter; // the current row stays when it passes, else the next one that does
        int count;
    } cases[] = {
        {{"Id >= 8"}, 10, 13},
        {{"Id > 12"}, 13, 8},
        {{"Id < 5"}, 4, 4},
        {{}, 4, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        link.take();
        SetFilter(c.filter);
        EXPECT_EQ(Id(), c.idAfter);
        EXPECT_EQ(table.RecordCount(), c.count);
        EXPECT_TRUE(link.take().contains(QStringLiteral("changed")));
    }
    EXPECT_FALSE(table.ExpressionFilterInstalled());
    EXPECT_TRUE(table.IsSequenced());
}

TEST_F(Numbered, SettingWwFilterSettlesAPendingEditFirst) {
    Prepare(5);
    table.Open();
    table.Edit();
    table.FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Kept"));
    SetFilter({"Name = \"Kept\""});
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(Ids(), (std::vector<int>{1}));
}

TEST_F(Numbered, SettingOnFilterOnAnOpenTableRereads) {
    // With an active index the table is refreshed, else resynchronised: the rows are the same.
    for (const char* index : {"", "Id"}) {
        SCOPED_TRACE(index);
        Prepare(10);
        table.SetIndexFieldNames(QString::fromLatin1(index));
        link.SetDataSource(&source);
        table.Open();
        ASSERT_TRUE(table.Locate(QStringLiteral("Id"), 5));
        link.take();
        table.SetOnFilter([](TDataSet* t, bool& accept) {
            accept = t->FieldByName(QStringLiteral("Id"))->AsInteger() % 2 == 0;
        });
        EXPECT_TRUE(table.RecordFilterInstalled());
        EXPECT_EQ(Id(), 6); // the current row went; the next one that passes
        EXPECT_TRUE(link.take().contains(QStringLiteral("changed")));
        EXPECT_EQ(table.RecordCount(), 5);
        EXPECT_FALSE(table.IsSequenced());
        table.SetOnFilter({});
        EXPECT_FALSE(table.RecordFilterInstalled());
        EXPECT_EQ(Id(), 6);
        EXPECT_EQ(table.RecordCount(), 10);
        EXPECT_TRUE(table.IsSequenced());
        link.SetDataSource(nullptr);
        table.Close();
    }
}

TEST_F(Numbered, RemovingOfoEnabledLetsEveryRowThrough) {
    Prepare(10);
    int calls = 0;
    table.SetOnFilter([&](TDataSet* t, bool& accept) {
        ++calls;
        accept = t->FieldByName(QStringLiteral("Id"))->AsInteger() > 7;
    });
    table.Open();
    EXPECT_EQ(Ids(), (std::vector<int>{8, 9, 10}));
    table.Last();
    table.SetOnFilterOptions(TwwOnFilterOptions{ofoShowHourGlass});
    EXPECT_EQ(Id(), 10); // resynchronised at the current row
    calls = 0;
    EXPECT_EQ(table.RecordCount(), 10);
    EXPECT_EQ(Ids(), Range(1, 10));
    EXPECT_EQ(calls, 0);
    // Giving it back filters again.
    table.SetOnFilterOptions(TwwOnFilterOptions{ofoEnabled, ofoShowHourGlass});
    EXPECT_EQ(Ids(), (std::vector<int>{8, 9, 10}));
}

TEST_F(Numbered, TheHourglassShowsWhileRowsAreRejectedAndTheArrowAfterwards) {
    struct Case {
        TwwOnFilterOptions options;
        bool rejectSome;
        std::vector<int> cursors;
    } cases[] = {
        {{ofoEnabled, ofoShowHourGlass}, true, {crHourGlass, crArrow}},
        {{ofoEnabled, ofoShowHourGlass}, false, {}},
        {{ofoEnabled}, true, {}},
        {{ofoShowHourGlass}, true, {}},
    };
    Prepare(10);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.options.Contains(ofoEnabled) << c.rejectSome);
        Screen()->SetCursor(crDefault);
        TTestShell shell;
        const bool reject = c.rejectSome;
        table.SetOnFilterOptions(c.options);
        table.SetOnFilter([reject](TDataSet* t, bool& accept) {
            accept = !reject || t->FieldByName(QStringLiteral("Id"))->AsInteger() > 3;
        });
        table.Open();
        EXPECT_EQ(shell.Cursors(), c.cursors);
        table.Close();
    }
}

TEST_F(Numbered, EscapeStopsTheRecordFilterWithinAHundredRows) {
    struct Case {
        std::vector<TPendingKey> keys;
        int callsAtEscape; // 0: never stopped
    } cases[] = {
        {{{VK_ESCAPE, true}}, 100},
        {{{'A', true}, {VK_ESCAPE, true}}, 200},
        {{{VK_ESCAPE, false}, {VK_RETURN, true}, {VK_ESCAPE, true}}, 300},
        {{}, 0},
    };
    Prepare(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.callsAtEscape);
        TTestKeyQueue queue;
        for (const TPendingKey& k : c.keys)
            queue.Push(k.Key, k.KeyDown);
        int calls = 0, escapes = 0, callsAtEscape = 0;
        TwwTable fresh(nullptr);
        fresh.SetDatabaseName(alias.aliasName());
        fresh.SetTableName(QStringLiteral("Numeri.DB"));
        fresh.SetOnFilterOptions(TwwOnFilterOptions{ofoEnabled, ofoCancelOnEscape});
        fresh.SetOnFilter([&](TDataSet*, bool& accept) {
            ++calls;
            accept = false;
        });
        fresh.OnFilterEscape = [&](TDataSet* d) {
            EXPECT_EQ(d, &fresh);
            ++escapes;
            callsAtEscape = calls;
        };
        fresh.Open();
        if (c.callsAtEscape == 0) {
            EXPECT_EQ(escapes, 0);
            EXPECT_TRUE(fresh.IsEmpty());
            EXPECT_TRUE(fresh.OnFilterOptions().Contains(ofoEnabled));
            EXPECT_EQ(queue.Looks(), calls / 100); // one look every 100 rows
        } else {
            EXPECT_EQ(escapes, 1);
            EXPECT_EQ(callsAtEscape, c.callsAtEscape);
            EXPECT_FALSE(fresh.OnFilterOptions().Contains(ofoEnabled));
            // The rest pass: the first row shown is the one after the row that saw Escape.
            EXPECT_EQ(fresh.FieldByName(QStringLiteral("Id"))->AsInteger(), c.callsAtEscape + 1);
            EXPECT_EQ(calls, c.callsAtEscape);
            EXPECT_EQ(queue.Pending(), 0);
        }
    }
}

TEST_F(Numbered, TheEscapeCounterRestartsAt32000) {
    Prepare(100);
    TTestKeyQueue queue;
    int calls = 0;
    table.SetOnFilterOptions(TwwOnFilterOptions{ofoEnabled, ofoCancelOnEscape});
    table.SetOnFilter([&](TDataSet*, bool&) { ++calls; });
    table.Open();
    while (calls < 32050) {
        EXPECT_EQ(table.EscapeCounter(), calls % 32000);
        table.RecordCount(); // every count looks at each row
    }
    EXPECT_EQ(table.EscapeCounter(), calls % 32000);
    EXPECT_EQ(queue.Looks(), calls / 100);
}

TEST_F(Numbered, OnFilterSetOnAClosedTableIsInstalledAtOpening) {
    Prepare(6);
    table.SetOnFilter([](TDataSet* t, bool& accept) {
        accept = t->FieldByName(QStringLiteral("Id"))->AsInteger() <= 2;
    });
    EXPECT_FALSE(table.RecordFilterInstalled());
    table.Open();
    EXPECT_TRUE(table.RecordFilterInstalled());
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2}));
    table.Close();
    EXPECT_FALSE(table.RecordFilterInstalled());
    table.Open();
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2}));
}

TEST_F(Numbered, TheRecordWindowHoldsOnlyRowsThatPass) {
    Prepare(30);
    link.SetBufferCount(4);
    link.SetDataSource(&source);
    SetFilter({"Id > 10 AND Id <= 24"});
    table.SetOnFilter([](TDataSet* t, bool& accept) {
        accept = t->FieldByName(QStringLiteral("Id"))->AsInteger() % 2 == 0;
    });
    table.Open();
    // The rows the window shows, read as a grid reads them.
    const auto window = [&] {
        std::vector<int> ids;
        const int active = link.ActiveRecord();
        for (int i = 0; i < link.RecordCount(); ++i) {
            link.SetActiveRecord(i);
            ids.push_back(Id());
        }
        link.SetActiveRecord(active);
        return ids;
    };
    EXPECT_EQ(window(), (std::vector<int>{12, 14, 16, 18}));
    table.MoveBy(4);
    EXPECT_EQ(Id(), 20);
    EXPECT_EQ(window(), (std::vector<int>{14, 16, 18, 20}));
    table.Last();
    EXPECT_EQ(window(), (std::vector<int>{18, 20, 22, 24}));
    EXPECT_EQ(table.RecNo(), 7);
    table.SetRecNo(2);
    EXPECT_EQ(Id(), 14);
}

TEST_F(Numbered, RowsPostedOutsideTheFilterAreStored) {
    Prepare(5);
    SetFilter({"Id <= 5"});
    table.Open();
    table.Append();
    table.FieldByName(QStringLiteral("Id"))->SetAsInteger(9);
    table.FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Row 9"));
    table.Post();
    table.Refresh();
    EXPECT_EQ(Ids(), Range(1, 5));
    SetFilter({});
    EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3, 4, 5, 9}));
}

TEST(WwTableFilterLocale, NumbersAndDatesAreReadInTheLocalesFormat) {
    TempAlias alias;
    const std::filesystem::path path = alias.folder() / "Prezzi.DB";
    namespace engine = ravelda::engine;
    engine::Table::create(path,
                          {{"Id", engine::FieldType::Long, 0},
                           {"Prezzo", engine::FieldType::Number, 0},
                           {"Data", engine::FieldType::Date, 0}},
                          1);
    {
        auto t = engine::Table::open(path);
        t->insertRows({
            {engine::Value::integer(1), engine::Value::number(2.25),
             engine::Value::date(engine::Date::fromYmd(2026, 1, 10))},
            {engine::Value::integer(2), engine::Value::number(2.75),
             engine::Value::date(engine::Date::fromYmd(2026, 1, 20))},
            {engine::Value::integer(3), engine::Value::number(10.5),
             engine::Value::date(engine::Date::fromYmd(2026, 2, 1))},
        });
    }
    TTestClock clock;
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    struct Case {
        const char* filter;
        std::vector<int> ids;
    } cases[] = {
        {"Prezzo > 2,5", {2, 3}},
        {"Prezzo = 10,5", {3}},
        {"Data >= \"20/01/2026\"", {2, 3}},
        {"Prezzo < 3 AND Data < \"15/01/26\"", {1}},
    };
    TTestMessageBoxes boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        TwwTable table(nullptr);
        table.SetDatabaseName(alias.aliasName());
        table.SetTableName(QStringLiteral("Prezzi.DB"));
        TStringList list;
        list.SetStrings({QString::fromUtf8(c.filter)});
        table.SetwwFilter(&list);
        table.Open();
        std::vector<int> ids;
        for (table.First(); !table.Eof(); table.Next())
            ids.push_back(table.FieldByName(QStringLiteral("Id"))->AsInteger());
        EXPECT_EQ(ids, c.ids);
    }
    EXPECT_EQ(boxes.Count(), 0);
    QLocale::setDefault(previous);
}

// The other operand is read by the field's type: a bare word beside a text field is that text,
// beside a number field that is no number it names another field.
TEST(WwTableFilterOperands, AWordBesideATextFieldIsTheText) {
    TempAlias alias;
    alias.createKeysTable({{"Anno", "2026", 0, 1},
                           {"2026", "2026", 0, 2}, // Tabella equals Anno
                           {"BOLLE.DB", "2026", 3, 3},
                           {"FATTURE.DB", "Anno", 0, 4}});
    struct Case {
        const char* filter;
        std::vector<int> chiavi;
    } cases[] = {
        {"Tabella = Anno", {1}},
        {"TABELLA <> Anno", {2, 3, 4}},
        {"Anno = Anno", {4}},
        {"Chiave = Registro", {3}},
    };
    TTestMessageBoxes boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        TwwTable table(nullptr);
        table.SetDatabaseName(alias.aliasName());
        table.SetTableName(QStringLiteral("Keys.DB"));
        TStringList list;
        list.SetStrings({QString::fromUtf8(c.filter)});
        table.SetwwFilter(&list);
        table.Open();
        std::vector<int> chiavi;
        for (table.First(); !table.Eof(); table.Next())
            chiavi.push_back(table.FieldByName(QStringLiteral("Chiave"))->AsInteger());
        EXPECT_EQ(chiavi, c.chiavi);
    }
    EXPECT_EQ(boxes.Count(), 0);
}

} // namespace
