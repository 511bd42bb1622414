// Editing the key table: edit, insert, post, cancel, check browse mode, delete, and the failures
// that must leave the dataset in a defined state.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>

using ravelda::test::KeyRow;
using ravelda::test::RecordingDataLink;
using ravelda::test::TempAlias;

namespace {

class KeysTable : public ::testing::Test {
protected:
    void SetUp() override {
        alias.createKeysTable({{"BOLLE.DB", "2030", 0, 17},
                               {"FATTURE.DB", "2030", 0, 5},
                               {"FATTURE.DB", "2030", 1, 2}});
        table.SetDatabaseName(QStringLiteral("quennarix"));
        table.SetTableName(QStringLiteral("Keys.DB"));
        source.SetDataSet(&table);
        link.SetBufferCount(5);
        link.SetDataSource(&source);
        table.Open();
        link.take();
    }
    void TearDown() override { link.SetDataSource(nullptr); }
    TField* f(const char* name) { return table.FieldByName(QString::fromLatin1(name)); }
    QString tabella() { return f("Tabella")->AsString(); }

    TempAlias alias;
    TTable table{nullptr};
    TDataSource source{nullptr};
    RecordingDataLink link;
};

TEST_F(KeysTable, EditThenPostStoresAndReturnsToBrowse) {
    table.Next();
    link.take();
    table.Edit();
    EXPECT_EQ(table.State(), dsEdit);
    EXPECT_EQ(link.take(), (QStringList{"check", "editing 1", "record -"}));
    f("Chiave")->SetAsInteger(6);
    EXPECT_TRUE(table.Modified());
    EXPECT_EQ(link.take(), QStringList{"record Chiave"});
    table.Post();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_FALSE(table.Modified());
    EXPECT_EQ(link.take(), (QStringList{"update", "check", "editing 0", "changed"}));
    // Stored: a fresh table sees it.
    TTable other(nullptr);
    other.SetDatabaseName(QStringLiteral("quennarix"));
    other.SetTableName(QStringLiteral("Keys.DB"));
    other.Open();
    ASSERT_TRUE(
        other.Locate(QStringLiteral("Tabella;Anno;Registro"),
                     QVariantList{QStringLiteral("FATTURE.DB"), 2030, QStringLiteral("0")}));
    EXPECT_EQ(other.FieldByName(QStringLiteral("Chiave"))->AsInteger(), 6);
}

TEST_F(KeysTable, CancelDropsTheChange) {
    table.Edit();
    f("Chiave")->SetAsInteger(99);
    table.Cancel();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(f("Chiave")->AsInteger(), 17);
}

TEST_F(KeysTable, CheckBrowseModePostsWhenModifiedElseCancels) {
    table.Edit();
    f("Chiave")->SetAsInteger(18);
    table.CheckBrowseMode();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(f("Chiave")->AsInteger(), 18);

    table.Insert();
    table.CheckBrowseMode(); // nothing written: the new row goes
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST_F(KeysTable, MovingSettlesPendingEdit) {
    table.Edit();
    f("Chiave")->SetAsInteger(20);
    table.Next(); // posts first
    EXPECT_EQ(table.State(), dsBrowse);
    table.First();
    EXPECT_EQ(f("Chiave")->AsInteger(), 20);
}

TEST_F(KeysTable, InsertPostKeepsKeyOrder) {
    table.Insert();
    f("Tabella")->SetAsString(QStringLiteral("ORDINIF.DB"));
    f("Anno")->SetAsString(QStringLiteral("2030"));
    f("Registro")->SetAsInteger(0);
    f("Chiave")->SetAsInteger(0);
    table.Post();
    EXPECT_EQ(table.RecordCount(), 4);
    EXPECT_EQ(tabella(), QStringLiteral("ORDINIF.DB"));
    EXPECT_EQ(link.ActiveRecord(), 3); // after the three others in key order
    table.First();
    EXPECT_EQ(tabella(), QStringLiteral("BOLLE.DB"));
}

TEST_F(KeysTable, FailedPostLeavesRowPendingInInsert) {
    table.Insert();
    f("Tabella")->SetAsString(QStringLiteral("BOLLE.DB"));
    f("Anno")->SetAsString(QStringLiteral("2030"));
    f("Registro")->SetAsInteger(0);
    f("Chiave")->SetAsInteger(0);
    link.take();
    try {
        table.Post();
        FAIL() << "duplicate key stored";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Key violation"));
    }
    EXPECT_EQ(link.take(), (QStringList{"update", "check"}));
    EXPECT_EQ(table.State(), dsInsert);
    EXPECT_TRUE(table.Modified());
    EXPECT_EQ(tabella(), QStringLiteral("BOLLE.DB"));
    EXPECT_EQ(table.RecordCount(), 3);
    // Check browse mode posts again and fails again until the row is cancelled.
    EXPECT_THROW(table.Locate(QStringLiteral("Tabella"), QStringLiteral("BOLLE.DB")),
                 EDatabaseError);
    EXPECT_EQ(table.State(), dsInsert);
    table.Cancel();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_TRUE(table.Locate(QStringLiteral("Tabella"), QStringLiteral("BOLLE.DB")));
}

TEST_F(KeysTable, BeforePostErrorLeavesEditMode) {
    table.BeforePost = [](TDataSet*) { throw EDatabaseError(QStringLiteral("refused")); };
    table.Edit();
    f("Chiave")->SetAsInteger(1);
    EXPECT_THROW(table.Post(), EDatabaseError);
    EXPECT_EQ(table.State(), dsEdit);
    EXPECT_TRUE(table.Modified());
    EXPECT_EQ(f("Chiave")->AsInteger(), 1);
}

TEST_F(KeysTable, RequiredFieldIsTestedBeforeBeforePost) {
    bool beforePost = false;
    table.BeforePost = [&](TDataSet*) { beforePost = true; };
    f("Chiave")->SetRequired(true);
    table.Insert();
    f("Tabella")->SetAsString(QStringLiteral("X.DB"));
    try {
        table.Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Field 'Chiave' must have a value"));
    }
    EXPECT_FALSE(beforePost);
    EXPECT_EQ(table.State(), dsInsert);
}

TEST_F(KeysTable, EditOnEmptyTableInserts) {
    TempAlias other("empty");
    other.createKeysTable();
    TTable empty(nullptr);
    empty.SetDatabaseName(QStringLiteral("empty"));
    empty.SetTableName(QStringLiteral("Keys"));
    empty.Open();
    empty.Edit();
    EXPECT_EQ(empty.State(), dsInsert);
}

TEST_F(KeysTable, DeleteAndEmptyDataSet) {
    for (int i = 0; i < 3; ++i)
        table.Delete();
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_TRUE(table.Bof() && table.Eof());
    try {
        table.Delete();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot perform this operation on an empty dataset"));
    }
}

TEST_F(KeysTable, FieldWritesOnlyInEditMode) {
    try {
        f("Chiave")->SetAsInteger(1);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Dataset not in edit or insert mode"));
    }
}

TEST_F(KeysTable, ReadOnlyTableCannotModify) {
    table.Close();
    table.SetReadOnly(true);
    table.Open();
    EXPECT_FALSE(table.CanModify());
    EXPECT_THROW(table.Edit(), EDatabaseError);
    EXPECT_THROW(table.Insert(), EDatabaseError);
    EXPECT_THROW(table.Delete(), EDatabaseError);
    EXPECT_EQ(table.State(), dsBrowse);
}

TEST_F(KeysTable, RefreshSeesOtherWriters) {
    TTable other(nullptr);
    other.SetDatabaseName(QStringLiteral("quennarix"));
    other.SetTableName(QStringLiteral("Keys.DB"));
    other.Open();
    other.Append();
    other.FieldByName(QStringLiteral("Tabella"))->SetAsString(QStringLiteral("ZZZ.DB"));
    other.FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("2030"));
    other.Post();
    table.Refresh();
    EXPECT_EQ(table.RecordCount(), 4);
    EXPECT_EQ(tabella(), QStringLiteral("BOLLE.DB"));
    table.Last();
    EXPECT_EQ(tabella(), QStringLiteral("ZZZ.DB"));
}

TEST_F(KeysTable, DisableControlsHoldsBackVisualLinks) {
    RecordingDataLink detail(false, QStringLiteral("detail"));
    detail.SetDataSource(&source);
    detail.take();
    table.DisableControls();
    table.DisableControls();
    table.Next();
    table.Edit();
    f("Chiave")->SetAsInteger(3);
    table.Post();
    EXPECT_TRUE(link.take().isEmpty());
    EXPECT_FALSE(detail.take().isEmpty()); // non-visual links still follow
    table.EnableControls();
    EXPECT_TRUE(link.take().isEmpty());
    table.EnableControls();
    EXPECT_EQ(link.take(), QStringList{"changed"});
    EXPECT_EQ(link.ActiveRecord(), 1);
    detail.SetDataSource(nullptr);
}

TEST_F(KeysTable, EnableControlsReportsStateChanges) {
    table.DisableControls();
    table.Edit();
    table.EnableControls();
    EXPECT_EQ(link.take(), (QStringList{"editing 1", "changed"}));
    EXPECT_TRUE(link.Editing());
}

TEST_F(KeysTable, EventsInOrder) {
    QStringList events;
    auto rec = [&](const char* n) {
        return [&events, n](TDataSet*) { events << QString::fromLatin1(n); };
    };
    table.BeforeInsert = rec("BeforeInsert");
    table.AfterInsert = rec("AfterInsert");
    table.OnNewRecord = [&](TDataSet* ds) {
        events << QStringLiteral("OnNewRecord");
        ds->FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("2031"));
    };
    table.BeforePost = rec("BeforePost");
    table.AfterPost = rec("AfterPost");
    table.Insert();
    f("Tabella")->SetAsString(QStringLiteral("A.DB"));
    table.Post();
    EXPECT_EQ(events, (QStringList{"BeforeInsert", "OnNewRecord", "AfterInsert", "BeforePost",
                                   "AfterPost"}));
    EXPECT_EQ(f("Anno")->AsString(), QStringLiteral("2031"));
}

TEST_F(KeysTable, LinkEditNeedsAutoEditAndBrowse) {
    source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(table.State(), dsBrowse);
    table.Edit(); // the navigator's edit button works on the dataset directly
    EXPECT_EQ(table.State(), dsEdit);
    table.Cancel();
    source.SetAutoEdit(true);
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(table.State(), dsEdit);
}

TEST_F(KeysTable, UpdateDataCollectsPendingEditsBeforePost) {
    struct Editor : RecordingDataLink {
        TField* field = nullptr;
        void UpdateData() override {
            RecordingDataLink::UpdateData();
            field->SetAsInteger(42);
        }
    } editor;
    editor.field = f("Chiave");
    editor.SetDataSource(&source);
    table.Edit();
    table.Post();
    EXPECT_EQ(f("Chiave")->AsInteger(), 42);
    editor.SetDataSource(nullptr);
}

TEST_F(KeysTable, FocusControlReachesLinks) {
    link.take();
    f("Anno")->FocusControl();
    EXPECT_EQ(link.take(), QStringList{"focus Anno"});
}

} // namespace

namespace {
// Another program changes or deletes the row of BOLLE.DB through a table of its own.
void otherProgramRaisesBolle(int chiave) {
    TTable other(nullptr);
    other.SetDatabaseName(QStringLiteral("quennarix"));
    other.SetTableName(QStringLiteral("Keys.DB"));
    other.Open();
    ASSERT_TRUE(other.Locate(QStringLiteral("Tabella"), QStringLiteral("BOLLE.DB")));
    other.Edit();
    other.FieldByName(QStringLiteral("Chiave"))->SetAsInteger(chiave);
    other.Post();
}
} // namespace

// A counter another program raised while the operator edited its row is never put back: the post
// is refused with the reason, and the operator's edit stays to be cancelled.
TEST_F(KeysTable, PostOfARowAnotherProgramChangedIsRefusedAndTheEditKept) {
    table.Edit();
    f("Chiave")->SetAsInteger(18);
    otherProgramRaisesBolle(19);
    try {
        table.Post();
        FAIL() << "the older counter was written back";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Record changed by another user"));
    }
    EXPECT_EQ(table.State(), dsEdit);
    EXPECT_EQ(f("Chiave")->AsInteger(), 18);
    table.Cancel();
    EXPECT_EQ(f("Chiave")->AsInteger(), 19); // the row as the other program left it
    table.Edit();
    f("Chiave")->SetAsInteger(20);
    table.Post(); // an edit begun after the change goes through
    EXPECT_EQ(f("Chiave")->AsInteger(), 20);
}

TEST_F(KeysTable, DeleteOfARowAnotherProgramChangedIsRefused) {
    otherProgramRaisesBolle(19);
    EXPECT_THROW(table.Delete(), EDatabaseError);
    EXPECT_EQ(table.RecordCount(), 3);
    table.Refresh();
    EXPECT_EQ(f("Chiave")->AsInteger(), 19);
    table.Delete(); // seen as it is now, it may go
    EXPECT_EQ(table.RecordCount(), 2);
}
