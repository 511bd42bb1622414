// The record-view and filter dialogs on a real key table: what they show, what they store, and
// how they refuse what cannot be done.
#include "data/table.h"
#include "platform/properties.h"
#include "platform/strings.h"
#include "platform/testseams.h"
#include "tests/dialogs/dialog_support.h"

using namespace ravelda::test;

namespace {

// ---- Record view

class RecordView : public KeysTable {
protected:
    void SetUp() override {
        KeysTable::SetUp();
        dialog.SetDataSource(&source);
    }
    // Chiave of every stored row in key order, read through a second table.
    std::vector<int> storedKeys() {
        TTable other(nullptr);
        other.SetDatabaseName(QStringLiteral("quennarix"));
        other.SetTableName(QStringLiteral("Keys.DB"));
        other.Open();
        std::vector<int> keys;
        for (; !other.Eof(); other.Next())
            keys.push_back(
                static_cast<int>(other.FieldByName(QStringLiteral("Chiave"))->AsInteger()));
        return keys;
    }
    TwwRecordViewDialog dialog{nullptr};
};

TEST_F(RecordView, ShowsTheCurrentRecordReadOnly) {
    dialog.SetReadOnly(true);
    QStringList shown;
    bool allReadOnly = true;
    ScopedDialogRunner runner([&](QDialog& w) {
        for (const char* name : {"Edit_Tabella", "Edit_Anno", "Edit_Registro", "Edit_Chiave"}) {
            shown << Child<QLineEdit>(w, name).text();
            allReadOnly = allReadOnly && Child<QLineEdit>(w, name).isReadOnly();
        }
        EXPECT_EQ(w.findChild<QAbstractButton*>(QStringLiteral("OkButton")), nullptr);
        Click(w, "CloseButton");
    });
    moveTo(3);
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(shown, (QStringList{"FATTURE.DB", "2030", "1", "3"}));
    EXPECT_TRUE(allReadOnly);
    EXPECT_EQ(table.State(), dsBrowse);
}

TEST_F(RecordView, OkPostsTheChangedValues) {
    ScopedDialogRunner runner([&](QDialog& w) {
        EXPECT_FALSE(Child<QLineEdit>(w, "Edit_Chiave").isReadOnly());
        EXPECT_EQ(Child<QLineEdit>(w, "Edit_Tabella").maxLength(), 30);
        Type(w, "Edit_Chiave", QStringLiteral("42"));
        Click(w, "OkButton");
    });
    moveTo(2);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(storedKeys(), (std::vector<int>{1, 42, 3, 4, 5, 6}));
}

TEST_F(RecordView, CancelWithChangesAsksFirst) {
    struct {
        TModalResult answer;
        bool result;
        int stored; // Chiave of the second row afterwards
        int boxes;
    } cases[] = {
        {mrNo, false, 2, 1},
        {mrYes, true, 77, 1},
        {mrCancel, false, 2, 2}, // stays open; the second Cancel is answered No
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        TTestMessageBoxes boxes;
        boxes.Answer(c.answer);
        boxes.Answer(mrNo);
        ScopedDialogRunner runner([&](QDialog& w) {
            Type(w, "Edit_Chiave", QStringLiteral("77"));
            Click(w, "CancelButton");
            if (StillOpen(w)) Click(w, "CancelButton");
        });
        table.First();
        table.Next();
        EXPECT_EQ(dialog.Execute(), c.result);
        EXPECT_EQ(table.State(), dsBrowse);
        EXPECT_EQ(storedKeys()[1], c.stored);
        ASSERT_EQ(boxes.Count(), c.boxes);
        EXPECT_EQ(boxes.Shown()[0].Text,
                  QStringLiteral("Changes have been made!  Do you wish to save your changes?"));
        EXPECT_EQ(boxes.Shown()[0].Type, mtConfirmation);
        if (c.answer == mrYes) {
            // Put it back for the next case.
            table.Edit();
            table.FieldByName(QStringLiteral("Chiave"))->SetAsInteger(2);
            table.Post();
        }
    }
}

TEST_F(RecordView, CancelWithoutChangesAsksNothing) {
    TTestMessageBoxes boxes;
    ScopedDialogRunner runner([&](QDialog& w) { Click(w, "CancelButton"); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(RecordView, AFailedPostKeepsTheWindowAndWhatWasTyped) {
    TTestMessageBoxes boxes;
    QString kept;
    ScopedDialogRunner runner([&](QDialog& w) {
        Type(w, "Edit_Registro", QStringLiteral("70000")); // no smallint holds it
        Click(w, "OkButton");
        EXPECT_TRUE(StillOpen(w));
        kept = Child<QLineEdit>(w, "Edit_Registro").text();
        Type(w, "Edit_Registro", QStringLiteral("7"));
        Click(w, "OkButton");
    });
    moveTo(5);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(kept, QStringLiteral("70000"));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Type, mtError);
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.FieldByName(QStringLiteral("Registro"))->AsInteger(), 7);
}

// ---- Filter

class Filter : public KeysTable {
protected:
    void SetUp() override {
        KeysTable::SetUp();
        dialog.SetDataSource(&source);
    }
    void set(const char* field, const char* op, const char* value) {
        dialog.SetFieldName(QString::fromLatin1(field));
        dialog.SetOperator(QString::fromLatin1(op));
        dialog.SetValue(QString::fromLatin1(value));
    }
    QStringList filterLines() const {
        QStringList lines;
        const TStrings* list = GetStringsProp(&table, QStringLiteral("wwFilter"));
        for (int i = 0; list && i < list->Count(); ++i)
            lines << list->Strings(i);
        return lines;
    }
    // The rows the table shows, by Chiave.
    std::vector<int> visibleKeys() {
        std::vector<int> keys;
        for (table.First(); !table.Eof(); table.Next())
            keys.push_back(static_cast<int>(chiave()));
        return keys;
    }
    TwwFilterDialog dialog{nullptr};
};

TEST_F(Filter, CriterionTextFollowsTheFieldType) {
    struct {
        const char* field;
        const char* op;
        const char* value;
        const char* text; // nullptr: refused
    } cases[] = {
        {"Tabella", "=", "FATTURE.DB", "Tabella = \"FATTURE.DB\""},
        {"tabella", "<>", "", "Tabella <> \"\""},
        {"Anno", ">=", "2031", "Anno >= \"2031\""},
        {"Registro", "<>", "1", "Registro <> 1"},
        {"Chiave", "<", " 5 ", "Chiave < 5"},
        {"Chiave", "<=", "abc", nullptr},
        {"Registro", "=", "70000", nullptr},
        {"Tabella", "=", "a\"b", nullptr},
        {"Tabella", "~", "a", nullptr},
        {"Nope", "=", "1", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + c.op + c.value);
        set(c.field, c.op, c.value);
        if (c.text)
            EXPECT_EQ(dialog.CriterionText(), QString::fromLatin1(c.text));
        else
            EXPECT_THROW(dialog.CriterionText(), Exception);
    }
}

TEST_F(Filter, ApplyReplacesOrAddsAndClearShowsEverything) {
    ASSERT_TRUE(dialog.CanFilter());
    set("Tabella", "=", "FATTURE.DB");
    dialog.ApplyFilter();
    EXPECT_EQ(filterLines(), QStringList{"Tabella = \"FATTURE.DB\""});
    EXPECT_EQ(visibleKeys(), (std::vector<int>{2, 3, 4}));

    set("Registro", "=", "1");
    dialog.SetAddToFilter(true);
    dialog.ApplyFilter();
    EXPECT_EQ(filterLines(), (QStringList{"Tabella = \"FATTURE.DB\"", "Registro = 1"}));
    EXPECT_EQ(visibleKeys(), (std::vector<int>{3}));

    dialog.SetAddToFilter(false);
    set("Anno", "=", "2030");
    dialog.ApplyFilter();
    EXPECT_EQ(visibleKeys(), (std::vector<int>{1, 2, 3}));

    dialog.ClearFilter();
    EXPECT_TRUE(filterLines().isEmpty());
    EXPECT_EQ(visibleKeys(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(Filter, TheWindowAppliesAndKeepsARefusedCriterionOpen) {
    TTestMessageBoxes boxes;
    ScopedDialogRunner runner([&](QDialog& w) {
        Choose(w, "FieldCombo", QStringLiteral("Chiave"));
        Choose(w, "OperatorCombo", QStringLiteral(">="));
        Type(w, "ValueEdit", QStringLiteral("cinque"));
        Click(w, "ApplyButton");
        EXPECT_TRUE(StillOpen(w));
        Type(w, "ValueEdit", QStringLiteral("5"));
        Click(w, "ApplyButton");
    });
    EXPECT_TRUE(dialog.Execute());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Type, mtError);
    EXPECT_EQ(filterLines(), QStringList{"Chiave >= 5"});
    EXPECT_EQ(visibleKeys(), (std::vector<int>{5, 6}));

    ScopedDialogRunner cancel([&](QDialog& w) {
        EXPECT_EQ(Child<QLineEdit>(w, "ValueEdit").text(), QStringLiteral("5"));
        Type(w, "ValueEdit", QStringLiteral("1"));
        Click(w, "CancelButton");
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(filterLines(), QStringList{"Chiave >= 5"});
}

TEST_F(Filter, ADatasetWithoutAFilterListIsToldSo) {
    TTable plain(nullptr);
    plain.SetName(QStringLiteral("Plain"));
    plain.SetDatabaseName(QStringLiteral("quennarix"));
    plain.SetTableName(QStringLiteral("Keys.DB"));
    plain.Open();
    source.SetDataSet(&plain);
    TTestMessageBoxes boxes;
    ScopedDialogRunner runner([&](QDialog& w) { w.accept(); });
    EXPECT_FALSE(dialog.CanFilter());
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(runner.runs, 0);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("The dataset Plain cannot be filtered."));
    set("Tabella", "=", "X");
    EXPECT_THROW(dialog.ApplyFilter(), EInvalidOperation);
    source.SetDataSet(&table);
}

} // namespace
