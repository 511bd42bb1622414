// The locate and search dialogs on a real key table: what they find, where the cursor ends, and
// what they say when nothing matches.
#include "platform/testseams.h"
#include "tests/dialogs/dialog_support.h"

#include <QLabel>

using namespace ravelda::test;

namespace {

class Locate : public KeysTable {
protected:
    void SetUp() override {
        KeysTable::SetUp();
        dialog.SetDataSource(&source);
    }
    void set(const char* field, const QString& value, bool caseSensitive,
             TwwLocateMatchType match) {
        dialog.SetSearchField(QString::fromLatin1(field));
        dialog.SetFieldValue(value);
        dialog.SetCaseSensitive(caseSensitive);
        dialog.SetMatchType(match);
    }
    TwwLocateDialog dialog{nullptr};
};

TEST_F(Locate, FindFirstMatchesByTheChosenRule) {
    struct {
        const char* field;
        const char* value;
        bool caseSensitive;
        TwwLocateMatchType match;
        int found; // Chiave of the row found; 0: none, the cursor stays
    } cases[] = {
        {"Tabella", "fatture.db", false, mtExactMatch, 2},
        {"Tabella", "fatture.db", true, mtExactMatch, 0},
        {"Tabella", "FATTURE.DB", true, mtExactMatch, 2},
        {"Tabella", "FATT", false, mtExactMatch, 0},
        {"Tabella", "fatt", false, mtPartialMatchStart, 2},
        {"Tabella", "fatt", true, mtPartialMatchStart, 0},
        {"Tabella", "ORD", true, mtPartialMatchStart, 5},
        {"Tabella", "ivi", false, mtPartialMatchAny, 6},
        {"Tabella", "ivi", true, mtPartialMatchAny, 0},
        {"Tabella", "TURE", true, mtPartialMatchAny, 2},
        {"Anno", "2031", false, mtExactMatch, 4},
        {"Registro", "1", false, mtExactMatch, 3},
        {"Chiave", "05", false, mtExactMatch, 5}, // by value, not by text
        {"Chiave", "9", false, mtExactMatch, 0},
        {"Chiave", "6", false, mtPartialMatchStart, 6},
        {"Chiave", "", false, mtPartialMatchAny, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.value);
        moveTo(3);
        set(c.field, QString::fromLatin1(c.value), c.caseSensitive, c.match);
        EXPECT_EQ(dialog.FindFirst(), c.found != 0);
        EXPECT_EQ(chiave(), c.found ? c.found : 3);
    }
}

TEST_F(Locate, FindNextGoesOnFromTheCurrentRowAndStopsAtTheLast) {
    set("Tabella", QStringLiteral("fatture"), false, mtPartialMatchStart);
    table.First();
    std::vector<int> seen;
    while (dialog.FindNext())
        seen.push_back(static_cast<int>(chiave()));
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(chiave(), 4); // no more: the cursor stays on the last match

    set("Tabella", QStringLiteral(".db"), false, mtPartialMatchAny);
    moveTo(5);
    EXPECT_TRUE(dialog.FindNext());
    EXPECT_EQ(chiave(), 6);
    EXPECT_FALSE(dialog.FindNext()); // on the last row
    EXPECT_EQ(chiave(), 6);
}

TEST_F(Locate, SettlesAPendingEditBeforeSearching) {
    for (TwwLocateMatchType match : {mtExactMatch, mtPartialMatchAny}) {
        SCOPED_TRACE(static_cast<int>(match));
        table.First();
        table.Edit();
        table.FieldByName(QStringLiteral("Chiave"))->SetAsInteger(100 + match);
        set("Anno", QStringLiteral("2031"), false, match);
        ASSERT_TRUE(dialog.FindFirst());
        EXPECT_EQ(table.State(), dsBrowse);
        EXPECT_EQ(chiave(), 4);
        table.First();
        EXPECT_EQ(chiave(), 100 + match); // posted, not dropped
    }
}

TEST_F(Locate, EmptyTableAndBadInput) {
    set("Registro", QStringLiteral("x"), false, mtExactMatch);
    EXPECT_THROW(dialog.FindFirst(), EConvertError);
    set("Nope", QStringLiteral("1"), false, mtExactMatch);
    EXPECT_THROW(dialog.FindFirst(), EDatabaseError);

    TempAlias empty("vuoto");
    empty.createKeysTable();
    TwwTable none(nullptr);
    none.SetDatabaseName(QStringLiteral("vuoto"));
    none.SetTableName(QStringLiteral("Keys.DB"));
    none.Open();
    source.SetDataSet(&none);
    for (TwwLocateMatchType match : {mtExactMatch, mtPartialMatchStart, mtPartialMatchAny}) {
        set("Tabella", QStringLiteral("B"), false, match);
        EXPECT_FALSE(dialog.FindFirst());
        EXPECT_FALSE(dialog.FindNext());
    }
    source.SetDataSet(&table);
}

TEST_F(Locate, TheWindowSearchesAndSaysWhenNothingMore) {
    TTestMessageBoxes boxes;
    std::vector<int> seen;
    ScopedDialogRunner runner([&](QDialog& w) {
        Choose(w, "FieldCombo", QStringLiteral("Tabella"));
        Type(w, "ValueEdit", QStringLiteral("fatt"));
        Click(w, "MatchStart");
        Click(w, "FirstButton");
        seen.push_back(static_cast<int>(chiave()));
        for (int i = 0; i < 3; ++i) {
            Click(w, "NextButton");
            seen.push_back(static_cast<int>(chiave()));
        }
        Click(w, "CloseButton");
    });
    table.First();
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 4}));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("No more matches found"));
    EXPECT_EQ(boxes.Last().Type, mtInformation);
    // The choices stay for the next run.
    EXPECT_EQ(dialog.SearchField(), QStringLiteral("Tabella"));
    EXPECT_EQ(dialog.FieldValue(), QStringLiteral("fatt"));
    EXPECT_EQ(dialog.MatchType(), mtPartialMatchStart);
}

TEST_F(Locate, TheWindowReportsNoMatchAndErrorsAndStaysOpen) {
    TTestMessageBoxes boxes;
    bool stillOpen = false;
    ScopedDialogRunner runner([&](QDialog& w) {
        Choose(w, "FieldCombo", QStringLiteral("Tabella"));
        Type(w, "ValueEdit", QStringLiteral("XYZ"));
        Click(w, "FirstButton");
        Choose(w, "FieldCombo", QStringLiteral("Registro"));
        Click(w, "MatchExact");
        Type(w, "ValueEdit", QStringLiteral("x"));
        Click(w, "FirstButton"); // the conversion error is shown, the window stays
        stillOpen = StillOpen(w);
        Click(w, "CloseButton");
    });
    moveTo(3);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(chiave(), 3);
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Shown()[0].Text, QStringLiteral("No matches found"));
    EXPECT_EQ(boxes.Shown()[1].Type, mtError);
    EXPECT_TRUE(boxes.Shown()[1].Text.contains(QStringLiteral("'x'")));
}

// ---- Search

class Search : public KeysTable {
protected:
    void SetUp() override {
        KeysTable::SetUp();
        dialog.SetSearchTable(&table);
    }
    TwwSearchDialog dialog{nullptr};
};

TEST_F(Search, SearchForMovesToTheFirstRowBeginningWithTheText) {
    struct {
        const char* field;
        const char* text;
        bool found;
        int at; // Chiave afterwards
    } cases[] = {
        {"", "f", true, 2}, // the first field when none is named
        {"Tabella", "f", true, 2},   {"Tabella", "fatture.db", true, 2},
        {"Tabella", "Ord", true, 5}, {"Tabella", "prev", true, 6},
        {"Tabella", "zz", false, 3}, {"Tabella", "", true, 3},
        {"Anno", "2031", true, 4},   {"Chiave", "5", true, 5},
        {"Chiave", "5x", false, 3}, // not a number yet: nothing found, no error
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        moveTo(3);
        dialog.SetSearchField(QString::fromLatin1(c.field));
        EXPECT_EQ(dialog.SearchFor(QString::fromLatin1(c.text)), c.found);
        EXPECT_EQ(chiave(), c.at);
    }
    dialog.SetSearchField(QStringLiteral("Nope"));
    EXPECT_THROW(dialog.SearchFor(QStringLiteral("a")), EDatabaseError);
}

TEST_F(Search, TypingSearchesAsYouGoAndOkStays) {
    TTestShell shell;
    QStringList statuses;
    ScopedDialogRunner runner([&](QDialog& w) {
        for (const char* text : {"p", "o", "or", "orx"}) {
            Type(w, "ValueEdit", QString::fromLatin1(text));
            statuses << Child<QLabel>(w, "StatusLabel").text();
        }
        Type(w, "ValueEdit", QString());
        Choose(w, "FieldCombo", QStringLiteral("Anno"));
        Type(w, "ValueEdit", QStringLiteral("2031"));
        statuses << Child<QLabel>(w, "StatusLabel").text();
        Click(w, "OkButton");
    });
    table.First();
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(statuses, (QStringList{"Record 6 of 6", "Record 5 of 6", "Record 5 of 6",
                                     "Record 5 of 6", "Record 4 of 6"}));
    EXPECT_EQ(shell.Beeps(), 1); // "orx" found nothing
    EXPECT_EQ(chiave(), 4);
    EXPECT_EQ(dialog.SearchField(), QStringLiteral("Anno"));
}

TEST_F(Search, CancelGoesBackToWhereTheSearchStarted) {
    ScopedDialogRunner runner([&](QDialog& w) {
        Type(w, "ValueEdit", QStringLiteral("pre"));
        EXPECT_EQ(chiave(), 6);
        Click(w, "CancelButton");
    });
    moveTo(2);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(chiave(), 2);
}

} // namespace
