// The main window's record navigator: its stored buttons, the states it computes once the key
// table is open, the page moves, and the stored description that reads and writes back.
#include "app/form1.h"
#include "app/startup.h"
#include "app/units.h"
#include "common/wwintl.h"
#include "data/wwdatsrc.h"
#include "data/wwtable.h"
#include "navigator/wwdbnavigator.h"
#include "navigator/wwnavglyphs.h"
#include "platform/dfmwriter.h"
#include "platform/resources.h"
#include "platform/testseams.h"
#include "tests/app/app_support.h"
#include "tests/dialogs/dialog_support.h"
#include "tests/platform/control_support.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace ravelda::test;

namespace {

struct StoredButton {
    const char* name;
    TwwNavButtonStyle style;
    const char* hint;
    bool enabled; // as stored: the state on the first row of a non-empty table
};
const StoredButton kButtons[] = {
    {"wwDBNavigator1First", nbsFirst, "Move to first record", false},
    {"wwDBNavigator1PriorPage", nbsPriorPage, "Move backward 10 records", false},
    {"wwDBNavigator1Prior", nbsPrior, "Move to prior record", false},
    {"wwDBNavigator1Next", nbsNext, "Move to next record", true},
    {"wwDBNavigator1NextPage", nbsNextPage, "Move forward 10 records", true},
    {"wwDBNavigator1Last", nbsLast, "Move to last record", true},
    {"wwDBNavigator1Insert", nbsInsert, "Insert new record", true},
    {"wwDBNavigator1Delete", nbsDelete, "Delete current record", true},
    {"wwDBNavigator1Edit", nbsEdit, "Edit current record", true},
    {"wwDBNavigator1Post", nbsPost, "Post changes of current record", false},
    {"wwDBNavigator1Cancel", nbsCancel, "Cancel changes made to current record", false},
    {"wwDBNavigator1Refresh", nbsRefresh, "Refresh the contents of the dataset", true},
    {"wwDBNavigator1SaveBookmark", nbsSaveBookmark, "Bookmark current record", true},
    {"wwDBNavigator1RestoreBookmark", nbsRestoreBookmark, "Go back to saved bookmark", false},
};

std::vector<KeyRow> Rows(int count) {
    std::vector<KeyRow> rows;
    for (int i = 1; i <= count; ++i)
        rows.push_back({"BOLLE.DB", std::to_string(2000 + i), 0, i});
    return rows;
}

class MainNavigator : public ::testing::Test {
protected:
    // The buttons as the window's fields hold them, in stored order.
    static std::vector<TwwNavButton*> Fields(const TForm1& f) {
        return {
            f.wwDBNavigator1First,        f.wwDBNavigator1PriorPage,      f.wwDBNavigator1Prior,
            f.wwDBNavigator1Next,         f.wwDBNavigator1NextPage,       f.wwDBNavigator1Last,
            f.wwDBNavigator1Insert,       f.wwDBNavigator1Delete,         f.wwDBNavigator1Edit,
            f.wwDBNavigator1Post,         f.wwDBNavigator1Cancel,         f.wwDBNavigator1Refresh,
            f.wwDBNavigator1SaveBookmark, f.wwDBNavigator1RestoreBookmark};
    }
    static std::vector<bool> States(const TForm1& f) {
        std::vector<bool> states;
        for (TwwNavButton* b : Fields(f))
            states.push_back(b->Enabled());
        return states;
    }
    static qint64 Chiave(const TForm1& f) { return f.wwTable1Chiave->AsInteger(); }

    FreshApplication app;
    TTestMessageBoxes boxes;
    // The units in start-up order.
    TUnitScope units{RaveldaUnits()};
    TempAlias alias;
};

TEST_F(MainNavigator, TheStoredButtons) {
    alias.createKeysTable(Rows(3));
    TForm1 form(nullptr);
    TwwDBNavigator* nav = form.wwDBNavigator1;
    ASSERT_NE(nav, nullptr);
    EXPECT_EQ(nav->Parent(), &form);
    EXPECT_EQ(nav->BoundsRect(), Bounds(44, 4, 350, 25));
    EXPECT_EQ(nav->DataSource(), form.wwDataSource1);
    EXPECT_EQ(nav->RepeatInterval()->InitialDelay(), 500);
    EXPECT_EQ(nav->RepeatInterval()->Interval(), 100);
    EXPECT_EQ(nav->MoveBy(), 10);
    EXPECT_EQ(nav->Options(), TwwNavOptions{noConfirmDelete});
    EXPECT_TRUE(nav->Flat());
    EXPECT_FALSE(nav->ShowHint());
    EXPECT_FALSE(nav->TabStop());
    EXPECT_EQ(nav->AutosizeStyle(), asSizeNavigator);

    ASSERT_EQ(nav->Buttons()->Count(), 14);
    const std::vector<TwwNavButton*> fields = Fields(form);
    for (int i = 0; i < 14; ++i) {
        const StoredButton& s = kButtons[i];
        SCOPED_TRACE(s.name);
        TwwNavButton* b = nav->Buttons()->Buttons(i);
        EXPECT_EQ(b, fields[static_cast<size_t>(i)]);
        EXPECT_EQ(b->Name(), QString::fromLatin1(s.name));
        EXPECT_EQ(b->Index(), i);
        EXPECT_EQ(b->Style(), s.style);
        EXPECT_EQ(b->BoundsRect(), Bounds(25 * i, 0, 25, 25));
        EXPECT_EQ(b->Hint(), QString::fromLatin1(s.hint));
        EXPECT_FALSE(b->ShowHint());
        EXPECT_EQ(b->Caption(), QString::fromLatin1(s.name));
        EXPECT_EQ(b->ImageIndex(), -1);
        EXPECT_EQ(b->NumGlyphs(), 2);
        EXPECT_EQ(b->Spacing(), 4);
        EXPECT_FALSE(b->Transparent());
        EXPECT_EQ(b->DisabledTextColors()->ShadeColor(), clGray);
        EXPECT_EQ(b->DisabledTextColors()->HighlightColor(), clBtnHighlight);
    }
}

TEST_F(MainNavigator, StatesAfterStartUpEqualTheStoredOnes) {
    std::vector<bool> stored;
    for (const StoredButton& s : kButtons)
        stored.push_back(s.enabled);
    // The stored states are those of the first row of a non-empty table, whatever its size (the
    // end flag is only set by a move that reaches the end).
    for (int count : {1, 2, 25}) {
        SCOPED_TRACE(count);
        TempAlias table;
        table.createKeysTable(Rows(count));
        TForm1 form(nullptr);
        EXPECT_EQ(States(form), stored);

        form.wwDBNavigator1Next->Click();
        std::vector<bool> moved = stored;
        for (int i : {0, 1, 2})
            moved[static_cast<size_t>(i)] = true;
        if (count == 1) // that move tried to pass the end: the end flag is set
            for (int i : {3, 4, 5})
                moved[static_cast<size_t>(i)] = false;
        EXPECT_EQ(States(form), moved);

        form.wwDBNavigator1Last->Click();
        std::vector<bool> last = stored;
        for (int i : {0, 1, 2})
            last[static_cast<size_t>(i)] = true;
        for (int i : {3, 4, 5})
            last[static_cast<size_t>(i)] = false;
        EXPECT_EQ(States(form), last);
    }
}

TEST_F(MainNavigator, AnEmptyTableDisablesTheMovesAndDelete) {
    alias.createKeysTable();
    TForm1 form(nullptr);
    std::vector<bool> expected;
    for (const StoredButton& s : kButtons)
        expected.push_back(s.enabled);
    for (int i : {3, 4, 5, 7})
        expected[static_cast<size_t>(i)] = false;
    EXPECT_EQ(States(form), expected);
}

TEST_F(MainNavigator, PageButtonsMoveByTenAndStopAtTheEnds) {
    alias.createKeysTable(Rows(25));
    TForm1 form(nullptr);
    struct {
        TwwNavButton* TForm1::*button;
        int at; // Chiave afterwards (row number)
    } steps[] = {
        {&TForm1::wwDBNavigator1NextPage, 11}, {&TForm1::wwDBNavigator1NextPage, 21},
        {&TForm1::wwDBNavigator1NextPage, 25}, {&TForm1::wwDBNavigator1PriorPage, 15},
        {&TForm1::wwDBNavigator1PriorPage, 5}, {&TForm1::wwDBNavigator1PriorPage, 1},
    };
    for (const auto& s : steps) {
        (form.*s.button)->Click();
        EXPECT_EQ(Chiave(form), s.at);
    }
}

TEST_F(MainNavigator, DeleteAsksAndRemovesTheLastRow) {
    alias.createKeysTable(Rows(3));
    TForm1 form(nullptr);
    form.wwDBNavigator1Last->Click();
    boxes.Answer(mrCancel);
    form.wwDBNavigator1Delete->Click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(boxes.Last().Caption, QStringLiteral("Confirm"));
    EXPECT_EQ(ReadKeyRows().size(), 3u);
    boxes.Answer(mrOk);
    form.wwDBNavigator1Delete->Click();
    EXPECT_EQ(ReadKeyRows(),
              (std::vector<KeyRow>{{"BOLLE.DB", "2001", 0, 1}, {"BOLLE.DB", "2002", 0, 2}}));
}

// The navigator's block of a description: from its "object" line to its "end".
QString NavigatorBlock(const QString& text) {
    const qsizetype start = text.indexOf(QStringLiteral("  object wwDBNavigator1: "));
    const qsizetype end = text.indexOf(QStringLiteral("\n  end\n"), start);
    if (start < 0 || end < 0) return QString();
    return text.mid(start, end + 7 - start);
}

TEST_F(MainNavigator, TheStoredDescriptionReadsAndWritesBack) {
    alias.createKeysTable(Rows(3));
    TForm1 form(nullptr);
    const QString stored = QString::fromUtf8(FindResourceData(QStringLiteral("TFORM1")));
    // Written just after start-up on the first row, the buttons' states are the stored ones, so
    // the navigator comes back as it was stored.
    const QString written = WriteComponentText(&form);
    ASSERT_FALSE(NavigatorBlock(stored).isEmpty());
    EXPECT_EQ(NavigatorBlock(written), NavigatorBlock(stored));
    // Created first, as the window lists its components.
    EXPECT_LT(written.indexOf(QStringLiteral("object wwDBNavigator1:")),
              written.indexOf(QStringLiteral("object BitBtn1:")));
    EXPECT_EQ(form.Components(0), form.wwDBNavigator1);
}

TEST_F(MainNavigator, DialogButtonsRunRealDialogsOnTheKeyTable) {
    alias.createKeysTable(Rows(12));
    TForm1 form(nullptr);
    TwwDBNavigator* nav = form.wwDBNavigator1;
    nav->Buttons()->AddDialogButtons();
    ASSERT_EQ(nav->Buttons()->Count(), 18);
    QStringList ran;
    ScopedDialogRunner runner([&](QDialog& w) {
        ran << w.windowTitle();
        if (w.findChild<QAbstractButton*>(QStringLiteral("FirstButton"))) { // the locate dialog
            Choose(w, "FieldCombo", QStringLiteral("Anno"));
            Click(w, "MatchExact");
            Type(w, "ValueEdit", QStringLiteral("2007"));
            Click(w, "FirstButton");
            Click(w, "CloseButton");
        } else {
            w.reject();
        }
    });
    struct {
        TwwNavButtonStyle style;
        const char* className;
        TComponent* owner;
    } cases[] = {
        {nbsFilterDialog, "TwwFilterDialog", form.wwTable1},
        {nbsRecordViewDialog, "TwwRecordViewDialog", nav},
        {nbsLocateDialog, "TwwLocateDialog", nav},
        {nbsSearchDialog, "TwwSearchDialog", nav},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        TwwNavButton* b = nav->Buttons()->Buttons(static_cast<int>(c.style));
        ASSERT_EQ(b->Style(), c.style);
        EXPECT_TRUE(b->Enabled());
        b->Click();
        ASSERT_NE(b->Dialog(), nullptr);
        EXPECT_EQ(b->Dialog()->ClassName(), QString::fromLatin1(c.className));
        EXPECT_EQ(b->Dialog()->Owner(), c.owner);
        EXPECT_TRUE(b->Dialog()->IsBoundTo(form.wwTable1));
        // A second click runs the same dialog.
        TwwCustomDialog* first = b->Dialog();
        const int owned = c.owner->ComponentCount();
        b->Click();
        EXPECT_EQ(b->Dialog(), first);
        EXPECT_EQ(c.owner->ComponentCount(), owned);
    }
    EXPECT_EQ(ran, (QStringList{"Filter", "Filter", "Record View", "Record View",
                                "Locate Field Value", "Locate Field Value", "Search", "Search"}));
    EXPECT_EQ(Chiave(form), 7); // found by the locate dialog
}

// A whole run: the units come up before the window (the glyphs are there while it runs) and go
// when the run ends; a real click on the navigator's Delete position deletes the current row.
TEST(MainNavigatorRun, ClicksReachTheButtonsAndTheUnitsFinishAfterTheRun) {
    FreshApplication app;
    TTestMessageBoxes boxes;
    TempAlias alias;
    alias.createKeysTable(Rows(3));
    bool glyphsDuringRun = false, textsDuringRun = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(Form1, nullptr);
        glyphsDuringRun = wwNavDefaultGlyphs() != nullptr;
        textsDuringRun = wwIntl() != nullptr;
        boxes.Answer(mrOk);
        // Button i of the navigator lies at 25 i; Last is 5, Delete is 7.
        ClickAt(Form1->wwDBNavigator1->Handle(), QPoint(25 * 5 + 12, 12));
        ClickAt(Form1->wwDBNavigator1->Handle(), QPoint(25 * 7 + 12, 12));
        Form1->Close();
    });
    EXPECT_EQ(RunRavelda(), 0);
    EXPECT_TRUE(glyphsDuringRun);
    EXPECT_TRUE(textsDuringRun);
    EXPECT_EQ(wwNavDefaultGlyphs(), nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(ReadKeyRows(),
              (std::vector<KeyRow>{{"BOLLE.DB", "2001", 0, 1}, {"BOLLE.DB", "2002", 0, 2}}));
}

} // namespace
