// The year update against real key tables in a temporary alias, with the test clock standing at
// 1 March 2031 and scripted message boxes.
#include "app/form1.h"
#include "data/wwtable.h"
#include "engine/cursor.h"
#include "engine/table.h"
#include "platform/bitbtn.h"
#include "platform/testseams.h"
#include "tests/app/app_support.h"
#include "tests/platform/control_support.h"

#include <gtest/gtest.h>

using namespace ravelda::test;

namespace {

// The rows the update makes for 2031, in the order it makes them.
const std::vector<KeyRow> kRows2031 = {
    {"BOLLE.DB", "2031", 0, 0},   {"FATTURE.DB", "2031", 0, 0},    {"FATTURE.DB", "2031", 1, 0},
    {"ORDINIF.DB", "2031", 0, 0}, {"PREVENTIVI.DB", "2031", 0, 0}, {"PREVENTIVIF.DB", "2031", 0, 0},
};

// Rows of earlier years and of other tables and registers, which the update never touches.
const std::vector<KeyRow> kOtherRows = {
    {"BOLLE.DB", "2030", 0, 412}, {"FATTURE.DB", "2030", 0, 1033}, {"FATTURE.DB", "2030", 1, 17},
    {"FATTURE.DB", "2031", 2, 5}, {"CLIENTI.DB", "2031", 0, 88},   {"PREVENTIVI.DB", "2029", 0, 61},
};

std::vector<KeyRow> Sorted(std::vector<KeyRow> rows) {
    std::sort(rows.begin(), rows.end(), [](const KeyRow& a, const KeyRow& b) {
        return std::tie(a.tabella, a.anno, a.registro) < std::tie(b.tabella, b.anno, b.registro);
    });
    return rows;
}

std::vector<KeyRow> Concat(std::vector<KeyRow> a, const std::vector<KeyRow>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class YearUpdate : public ::testing::Test {
protected:
    // Builds the key table, then the main window from its stored description.
    void Start(const std::vector<KeyRow>& rows) {
        keysPath = alias.createKeysTable(rows);
        form = std::make_unique<TForm1>(nullptr);
        ASSERT_NE(form->wwTable1, nullptr);
        form->wwTable1->AfterPost = [this](TDataSet* ds) {
            posted.push_back(
                {ds->FieldByName(QStringLiteral("Tabella"))->AsString().toStdString(),
                 ds->FieldByName(QStringLiteral("Anno"))->AsString().toStdString(),
                 static_cast<int>(ds->FieldByName(QStringLiteral("Registro"))->AsInteger()),
                 static_cast<int>(ds->FieldByName(QStringLiteral("Chiave"))->AsInteger())});
        };
    }
    void Press() { form->BitBtn1Click(form->BitBtn1); }
    // A real click on the button: errors reach the event loop's display.
    void ClickButton() { ClickAt(form->BitBtn1->Handle(), QPoint(20, 12)); }
    QString Current(const char* field) const {
        return form->wwTable1->FieldByName(QString::fromLatin1(field))->AsString();
    }
    // The update ended normally: its one box, and the program told to end.
    void ExpectCompleted() {
        ASSERT_EQ(boxes.Count(), 1);
        const TMessageBoxRequest& box = boxes.Last();
        EXPECT_EQ(box.Text, QStringLiteral("Aggiornamento Effettuato"));
        EXPECT_EQ(box.Caption, Application->Title());
        EXPECT_EQ(box.Type, mtCustom);
        EXPECT_EQ(box.Buttons, TMsgDlgButtons{mbOK});
        EXPECT_TRUE(Application->Terminated());
        EXPECT_FALSE(form->Visible());
    }

    TempAlias alias;
    FreshApplication app;
    TTestMessageBoxes boxes;
    TTestClock clock{QDateTime(QDate(2031, 3, 1), QTime(10, 0))};
    std::filesystem::path keysPath;
    std::unique_ptr<TForm1> form;
    std::vector<KeyRow> posted;
};

TEST_F(YearUpdate, AllSixRowsPresentAddsNothing) {
    std::vector<KeyRow> present = kRows2031;
    for (size_t i = 0; i < present.size(); ++i)
        present[i].chiave = static_cast<int>(100 + i);
    Start(Concat(present, kOtherRows));
    Press();
    EXPECT_TRUE(posted.empty());
    ExpectCompleted();
    EXPECT_EQ(ReadKeyRows(), Sorted(Concat(present, kOtherRows)));
}

TEST_F(YearUpdate, NoRowPresentAddsTheSixInOrder) {
    Start(kOtherRows);
    form->Show();
    Press();
    EXPECT_EQ(posted, kRows2031);
    ExpectCompleted();
    EXPECT_EQ(ReadKeyRows(), Sorted(Concat(kRows2031, kOtherRows)));
    // The current row is the last one ensured.
    EXPECT_EQ(Current("Tabella"), QStringLiteral("PREVENTIVIF.DB"));
    EXPECT_EQ(Current("Anno"), QStringLiteral("2031"));
    EXPECT_EQ(form->wwTable1->State(), dsBrowse);
}

TEST_F(YearUpdate, AnEmptyTableGetsTheSixRows) {
    Start({});
    Press();
    EXPECT_EQ(posted, kRows2031);
    ExpectCompleted();
    EXPECT_EQ(ReadKeyRows(), kRows2031);
}

TEST_F(YearUpdate, YearsAreWrittenAsPlainDecimalText) {
    // Years before 1000 have no leading zeros; the look-up converts the year the same way.
    struct Case {
        QDate date;
        const char* anno;
    };
    const Case cases[] = {
        {QDate(2031, 12, 31), "2031"}, {QDate(999, 6, 1), "999"}, {QDate(9999, 1, 1), "9999"}};
    Start({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anno);
        clock.SetNow(QDateTime(c.date, QTime(12, 0)));
        posted.clear();
        Press();
        ASSERT_EQ(posted.size(), 6u);
        for (const KeyRow& r : posted)
            EXPECT_EQ(r.anno, c.anno);
        // A second press in the same year finds every row.
        posted.clear();
        Press();
        EXPECT_TRUE(posted.empty());
    }
    EXPECT_EQ(ReadKeyRows().size(), 18u);
}

TEST_F(YearUpdate, OnlyTheMissingRowsAreAdded) {
    const std::vector<KeyRow> present = {{"FATTURE.DB", "2031", 1, 250},
                                         {"PREVENTIVI.DB", "2031", 0, 9}};
    Start(Concat(present, kOtherRows));
    Press();
    const std::vector<KeyRow> added = {kRows2031[0], kRows2031[1], kRows2031[3], kRows2031[5]};
    EXPECT_EQ(posted, added);
    ExpectCompleted();
    EXPECT_EQ(ReadKeyRows(), Sorted(Concat(Concat(present, kOtherRows), added)));
}

TEST_F(YearUpdate, ATableNameDifferingOnlyInCaseIsNotTheRow) {
    const std::vector<KeyRow> present = {{"fatture.db", "2031", 0, 44}, {"Bolle.DB", "2031", 0, 3}};
    Start(present);
    Press();
    EXPECT_EQ(posted, kRows2031);
    ExpectCompleted();
    EXPECT_EQ(ReadKeyRows(), Sorted(Concat(present, kRows2031)));
}

TEST_F(YearUpdate, ARefusedPostStopsTheUpdateAndStaysPendingUntilCancelled) {
    Start({});
    // Another program stores FATTURE.DB 2031/0 between our look-up and our post: the engine
    // refuses our row as a duplicate key.
    bool raced = false;
    form->wwTable1->BeforePost = [&](TDataSet* ds) {
        if (raced || ds->FieldByName(QStringLiteral("Tabella"))->AsString() != "FATTURE.DB") return;
        raced = true;
        auto other = ravelda::engine::Table::open(keysPath);
        other->cursor()->insert(
            {ravelda::engine::Value::text("FATTURE.DB"), ravelda::engine::Value::text("2031"),
             ravelda::engine::Value::integer(0), ravelda::engine::Value::integer(77)});
    };
    EXPECT_THROW(Press(), EDatabaseError);
    EXPECT_EQ(posted, std::vector<KeyRow>{kRows2031[0]});
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_FALSE(Application->Terminated());
    // The refused row is still there, in insert state, with its values.
    EXPECT_EQ(form->wwTable1->State(), dsInsert);
    EXPECT_EQ(Current("Tabella"), QStringLiteral("FATTURE.DB"));
    EXPECT_EQ(Current("Chiave"), QStringLiteral("0"));
    const std::vector<KeyRow> stored = {kRows2031[0], {"FATTURE.DB", "2031", 0, 77}};
    EXPECT_EQ(ReadKeyRows(), stored);

    // The next press first posts the pending row again, which fails again; no step runs.
    EXPECT_THROW(Press(), EDatabaseError);
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_EQ(form->wwTable1->State(), dsInsert);
    EXPECT_EQ(ReadKeyRows(), stored);

    // Cancelled, the update goes through and keeps the other program's row.
    form->wwTable1->Cancel();
    Press();
    const std::vector<KeyRow> added = {kRows2031[2], kRows2031[3], kRows2031[4], kRows2031[5]};
    EXPECT_EQ(posted, Concat({kRows2031[0]}, added));
    ExpectCompleted();
    EXPECT_EQ(ReadKeyRows(), Sorted(Concat(stored, added)));
}

TEST_F(YearUpdate, AnErrorInTheClickIsShownAndTheWindowStays) {
    Start({});
    // A row left being edited whose post fails: the first look-up settles it, so no step runs.
    form->wwTable1->Insert();
    form->wwTable1->FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("2031"));
    form->wwTable1->BeforePost = [](TDataSet*) {
        throw EDatabaseError(QStringLiteral("Key violation"));
    };
    form->Show();
    ClickButton();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Key violation."));
    EXPECT_EQ(boxes.Last().Caption, Application->Title());
    EXPECT_EQ(boxes.Last().Type, mtError);
    EXPECT_TRUE(posted.empty());
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(ReadKeyRows().empty());
}

} // namespace
