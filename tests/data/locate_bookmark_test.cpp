// Locate with the key table's three key fields, Lookup, record numbers and bookmarks.
#include "data/fields.h"
#include "data/table.h"
#include "engine/cursor.h"
#include "engine/table.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>

using ravelda::test::TempAlias;

namespace {

class Keys : public ::testing::Test {
protected:
    void SetUp() override {
        alias.createKeysTable({{"BOLLE.DB", "2030", 0, 1},
                               {"FATTURE.DB", "2030", 0, 2},
                               {"FATTURE.DB", "2030", 1, 3},
                               {"FATTURE.DB", "2031", 0, 4},
                               {"fatture.db", "2031", 0, 5}});
        table.SetDatabaseName(QStringLiteral("quennarix"));
        table.SetTableName(QStringLiteral("Keys.DB"));
        table.Open();
    }
    qint64 chiave() { return table.FieldByName(QStringLiteral("Chiave"))->AsInteger(); }
    TempAlias alias;
    TTable table{nullptr};
};

TEST_F(Keys, LocateConvertsValuesToFieldTypes) {
    const QString keys = QStringLiteral("Tabella;Anno;Registro");
    struct {
        QVariantList values;
        TLocateOptions options;
        int found; // Chiave, 0: not found
    } cases[] = {
        {{QStringLiteral("FATTURE.DB"), 2030, QStringLiteral("1")}, {}, 3},
        {{QStringLiteral("FATTURE.DB"), 2031, QStringLiteral("0")}, {}, 4},
        {{QStringLiteral("fatture.db"), 2031, QStringLiteral("0")}, {}, 5},
        {{QStringLiteral("Fatture.db"), 2031, QStringLiteral("0")}, {}, 0},
        {{QStringLiteral("Fatture.db"), 2030, QStringLiteral("0")}, {loCaseInsensitive}, 2},
        {{QStringLiteral("FATT"), 2030, 1}, {loPartialKey}, 3},
        {{QStringLiteral("FATT"), 2030, 1}, {}, 0},
        {{QStringLiteral("BOLLE.DB"), 2030, 70000}, {}, 0}, // no smallint holds it
        {{QStringLiteral("ORDINI.DB"), 2030, 0}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.values[0].toString().toStdString() + " " +
                     c.values[2].toString().toStdString());
        table.First(); // not found: the cursor stays here
        const bool found = table.Locate(keys, c.values, c.options);
        EXPECT_EQ(found, c.found != 0);
        EXPECT_EQ(chiave(), c.found ? c.found : 1);
    }
    EXPECT_THROW(table.Locate(keys, QVariantList{QStringLiteral("A"), 2030, QStringLiteral("x")}),
                 EConvertError);
    EXPECT_THROW(table.Locate(QStringLiteral("Nope"), 1), EDatabaseError);
}

TEST_F(Keys, LookupDoesNotMove) {
    table.Last();
    EXPECT_EQ(table
                  .Lookup(QStringLiteral("Tabella;Registro"),
                          QVariantList{QStringLiteral("FATTURE.DB"), 1}, QStringLiteral("Chiave"))
                  .toLongLong(),
              3);
    EXPECT_FALSE(
        table.Lookup(QStringLiteral("Tabella"), QStringLiteral("X"), QStringLiteral("Chiave"))
            .isValid());
    EXPECT_EQ(chiave(), 5);
    table.Prior();
    EXPECT_EQ(chiave(), 4);
}

TEST_F(Keys, RecNoAndSequence) {
    EXPECT_TRUE(table.IsSequenced());
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(table.RecNo(), 1);
    table.MoveBy(3);
    EXPECT_EQ(table.RecNo(), 4);
    table.SetRecNo(2);
    EXPECT_EQ(chiave(), 2);
    EXPECT_EQ(table.RecNo(), 2);
    table.Insert();
    EXPECT_EQ(table.RecNo(), -1);
    table.Cancel();
}

TEST_F(Keys, Bookmarks) {
    table.MoveBy(2);
    TBookmark b3 = table.GetBookmark();
    ASSERT_FALSE(b3.IsEmpty());
    EXPECT_TRUE(table.BookmarkValid(b3));
    table.Last();
    TBookmark b5 = table.GetBookmark();
    EXPECT_EQ(table.CompareBookmarks(b3, b5), -1);
    EXPECT_EQ(table.CompareBookmarks(b5, b3), 1);
    EXPECT_EQ(table.CompareBookmarks(b3, b3), 0);
    table.GotoBookmark(b3);
    EXPECT_EQ(chiave(), 3);
    // An empty bookmark moves nowhere.
    table.GotoBookmark(TBookmark());
    EXPECT_EQ(chiave(), 3);
    table.Delete();
    EXPECT_FALSE(table.BookmarkValid(b3));
    EXPECT_THROW(table.GotoBookmark(b3), EDatabaseError);
    EXPECT_EQ(chiave(), 4);
    table.FreeBookmark(b5);
    EXPECT_TRUE(b5.IsEmpty());
    table.Insert();
    EXPECT_TRUE(table.GetBookmark().IsEmpty()); // a new row has none yet
    table.Cancel();
}

TEST_F(Keys, CalculatedAndLookupFields) {
    table.Close();
    TComponent form(nullptr);
    // The table's own columns, plus a calculated and a lookup field.
    for (const char* name : {"Tabella", "Anno"}) {
        auto* f = new TStringField(&form);
        f->SetFieldName(QString::fromLatin1(name));
        f->SetSize(QByteArray(name) == "Tabella" ? 30 : 4);
        f->SetDataSet(&table);
    }
    auto* reg = new TSmallintField(&form);
    reg->SetFieldName(QStringLiteral("Registro"));
    reg->SetDataSet(&table);
    auto* chiaveField = new TIntegerField(&form);
    chiaveField->SetFieldName(QStringLiteral("Chiave"));
    chiaveField->SetDataSet(&table);
    auto* twice = new TIntegerField(&form);
    twice->SetFieldName(QStringLiteral("Twice"));
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(&table);
    TTable other(nullptr);
    other.SetDatabaseName(QStringLiteral("quennarix"));
    other.SetTableName(QStringLiteral("Keys.DB"));
    other.Open();
    auto* looked = new TIntegerField(&form);
    looked->SetFieldName(QStringLiteral("Looked"));
    looked->SetFieldKind(fkLookup);
    looked->SetLookupDataSet(&other);
    looked->SetKeyFields(QStringLiteral("Tabella;Anno;Registro"));
    looked->SetLookupKeyFields(QStringLiteral("Tabella;Anno;Registro"));
    looked->SetLookupResultField(QStringLiteral("Chiave"));
    looked->SetDataSet(&table);
    table.OnCalcFields = [&](TDataSet*) { twice->SetAsInteger(chiaveField->AsInteger() * 2); };
    table.Open();
    table.MoveBy(2);
    EXPECT_EQ(twice->AsInteger(), 6);
    EXPECT_EQ(looked->AsInteger(), 3);
    EXPECT_TRUE(twice->Calculated());
    EXPECT_TRUE(looked->Lookup());
    table.Edit();
    chiaveField->SetAsInteger(10);
    EXPECT_EQ(twice->AsInteger(), 20); // recalculated on a field write
    EXPECT_THROW(twice->SetAsInteger(1), EDatabaseError);
    table.Cancel();
    EXPECT_EQ(twice->AsInteger(), 6);
    table.Close();
}

// A table without a key: its bookmarks follow their rows through the operator's edits, inserts
// and deletes of other rows, as a keyed table's do.
TEST(UnkeyedTable, BookmarksKeepTheirRowsThroughEditsInsertsAndDeletes) {
    namespace engine = ravelda::engine;
    TempAlias alias;
    const auto path = alias.folder() / "Loose.DB";
    engine::Table::create(
        path, {{"Tabella", engine::FieldType::Alpha, 30}, {"Chiave", engine::FieldType::Long, 0}},
        0);
    {
        auto t = engine::Table::open(path);
        std::vector<std::vector<engine::Value>> rows;
        for (int i = 1; i <= 5; ++i)
            rows.push_back({engine::Value::text("Row"), engine::Value::integer(i)});
        t->insertRows(rows);
    }
    TTable table(nullptr);
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Loose.DB"));
    table.Open();
    auto chiave = [&] { return table.FieldByName(QStringLiteral("Chiave"))->AsInteger(); };
    const TBookmark first = table.GetBookmark();
    table.MoveBy(2);
    const TBookmark third = table.GetBookmark();
    table.Last();
    const TBookmark last = table.GetBookmark();
    auto order = [&] {
        return std::vector<int>{table.CompareBookmarks(first, third),
                                table.CompareBookmarks(third, last),
                                table.CompareBookmarks(last, first)};
    };
    const std::vector<int> before = order();
    EXPECT_EQ(before, (std::vector<int>{-1, -1, 1}));

    table.GotoBookmark(third);
    table.Edit();
    table.FieldByName(QStringLiteral("Tabella"))->SetAsString(QStringLiteral("Edited"));
    table.Post();
    table.First();
    table.Insert();
    table.FieldByName(QStringLiteral("Chiave"))->SetAsInteger(6);
    table.Post();
    table.First();
    table.MoveBy(3); // Chiave 4, the third row's neighbour
    ASSERT_EQ(chiave(), 4);
    table.Delete();

    EXPECT_TRUE(table.BookmarkValid(third));
    table.GotoBookmark(third);
    EXPECT_EQ(chiave(), 3);
    EXPECT_EQ(table.FieldByName(QStringLiteral("Tabella"))->AsString(), QStringLiteral("Edited"));
    EXPECT_EQ(order(), before);
    table.Delete();
    EXPECT_FALSE(table.BookmarkValid(third));
    EXPECT_THROW(table.GotoBookmark(third), EDatabaseError);
    EXPECT_EQ(order(), before);
}

} // namespace
