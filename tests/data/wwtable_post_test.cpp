// TwwTable posting rows of real engine tables whose .VAL stores pictures: a value that fails its
// picture is not stored and the row stays in edit mode with the message; empty values pass;
// ValidateWithMask False reads no picture; the stored pictures are read once and win over
// PictureMasks.
#include "common/wwintl.h"
#include "data/datasource.h"
#include "data/fields.h"
#include "data/wwdatsrc.h"
#include "data/wwtable.h"
#include "engine/table.h"
#include "platform/dfmreader.h"
#include "platform/properties.h"
#include "platform/strings.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>
#include <memory>

using ravelda::test::RecordingDataLink;
using ravelda::test::TempAlias;
namespace engine = ravelda::engine;

namespace {

// Keys.DB as the main window's table has it, with pictures on Tabella, Anno and Chiave.
void CreatePicturedKeys(const TempAlias& alias, const std::string& name = "Keys.DB") {
    engine::CreateOptions options;
    options.pictures = {{1, "*{&,#,.}"}, {2, "####"}, {4, "#[#][#]"}};
    engine::Table::create(alias.folder() / name,
                          {{"Tabella", engine::FieldType::Alpha, 30},
                           {"Anno", engine::FieldType::Alpha, 4},
                           {"Registro", engine::FieldType::Short, 0},
                           {"Chiave", engine::FieldType::Long, 0}},
                          3, options);
}

class PicturedKeys : public ::testing::Test {
protected:
    void SetUp() override {
        CreatePicturedKeys(alias);
        table.SetDatabaseName(alias.aliasName());
        table.SetTableName(QStringLiteral("Keys.DB"));
        source.SetDataSet(&table);
        link.SetDataSource(&source);
    }
    void TearDown() override {
        link.SetDataSource(nullptr);
        if (table.Active()) {
            table.Cancel();
            table.Close();
        }
    }
    // Inserts a row with the given texts for Tabella and Anno, Registro 0, Chiave as given
    // (empty: null).
    void InsertRow(const QString& tabella, const QString& anno, const QString& chiave) {
        table.Insert();
        table.FieldByName(QStringLiteral("Tabella"))->SetAsString(tabella);
        table.FieldByName(QStringLiteral("Anno"))->SetAsString(anno);
        table.FieldByName(QStringLiteral("Registro"))->SetAsInteger(0);
        if (!chiave.isEmpty()) table.FieldByName(QStringLiteral("Chiave"))->SetAsString(chiave);
    }
    int StoredRows() {
        TTable reader(nullptr);
        reader.SetDatabaseName(alias.aliasName());
        reader.SetTableName(QStringLiteral("Keys.DB"));
        reader.Open();
        return reader.RecordCount();
    }

    TempAlias alias;
    TwwTable table{nullptr};
    TDataSource source{nullptr};
    RecordingDataLink link;
};

TEST_F(PicturedKeys, ValuesThatFailTheirStoredPictureAreNotPosted) {
    struct Case {
        const char* tabella;
        const char* anno;
        const char* chiave;
        const char* failing; // the field named in the message, or nullptr when the post passes
    } cases[] = {
        {"FATTURE.DB", "2031", "0", nullptr},
        {"fatture.db", "2032", "12", nullptr},
        {"BOLLE.DB", "20x1", "0", "Anno"},
        {"BOLLE.DB", "203", "0", "Anno"}, // a valid beginning is refused
        {"FAT TURE.DB", "2031", "0", "Tabella"},
        {"ORDINI.DB", "2031", "1234", "Chiave"},
        {"ORDINI.DB", "2031", "", nullptr},     // a null value is never rejected
        {"PREVENTIVI.DB", "", "7", nullptr},    // nor an empty one
        {"BOLLE.DB", "20x1", "1234", "Anno"},   // the first failing field in field order
        {"FAT TURE.DB", "20x1", "", "Tabella"}, // that is
    };
    table.Open();
    int stored = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tabella) + " " + c.anno + " " + c.chiave);
        InsertRow(QString::fromLatin1(c.tabella), QString::fromLatin1(c.anno),
                  QString::fromLatin1(c.chiave));
        if (!c.failing) {
            EXPECT_NO_THROW(table.Post());
            EXPECT_EQ(table.State(), dsBrowse);
            ++stored;
            continue;
        }
        try {
            table.Post();
            ADD_FAILURE() << "posted";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Invalid characters. Field : ") + QLatin1String(c.failing));
        }
        EXPECT_EQ(table.State(), dsInsert);
        EXPECT_TRUE(table.Modified());
        table.Cancel();
    }
    EXPECT_EQ(StoredRows(), stored);
}

TEST_F(PicturedKeys, FailureFocusesTheFieldTellsTheHandlerAndKeepsTheRow) {
    table.Open();
    auto* anno = table.FieldByName(QStringLiteral("Anno"));
    anno->SetDisplayLabel(QStringLiteral("Anno fiscale"));
    std::vector<std::pair<TDataSet*, TField*>> told;
    table.OnInvalidValue = [&](TDataSet* DataSet, TField* Field) {
        told.emplace_back(DataSet, Field);
        // The control has the focus before the handler hears of it.
        EXPECT_TRUE(link.log.contains(QStringLiteral("focus Anno")));
    };
    InsertRow(QStringLiteral("BOLLE.DB"), QStringLiteral("2O31"), QStringLiteral("0"));
    link.take();
    try {
        table.Post();
        FAIL() << "posted";
    } catch (const EDatabaseError& e) {
        // The display name follows the text.
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid characters. Field : Anno fiscale"));
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].first, &table);
    EXPECT_EQ(told[0].second, anno);
    EXPECT_EQ(table.State(), dsInsert);
    // The value stays as typed (the picture does not rewrite it) and the row can be mended.
    EXPECT_EQ(anno->AsString(), QStringLiteral("2O31"));
    anno->SetAsString(QStringLiteral("2031"));
    table.Post();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(StoredRows(), 1);

    // Editing a stored row: the same check, the row stays in edit mode.
    table.Edit();
    table.FieldByName(QStringLiteral("Chiave"))->SetAsInteger(5000);
    EXPECT_THROW(table.Post(), EDatabaseError);
    EXPECT_EQ(table.State(), dsEdit);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].second->FieldName(), QStringLiteral("Chiave"));
    table.Cancel();
}

TEST_F(PicturedKeys, ReadOnlyFieldThatFailsIsPassedOver) {
    table.Open();
    InsertRow(QStringLiteral("BOLLE.DB"), QStringLiteral("2031"), QStringLiteral("1234"));
    table.FieldByName(QStringLiteral("Chiave"))->SetReadOnly(true);
    EXPECT_NO_THROW(table.Post());
    EXPECT_EQ(StoredRows(), 1);
}

TEST_F(PicturedKeys, ValidateWithMaskFalseReadsNoPictureOnPost) {
    SetPropValue(&table, QStringLiteral("ValidateWithMask"), false);
    table.Open();
    InsertRow(QStringLiteral("BOLLE.DB"), QStringLiteral("20x1"), QStringLiteral("1234"));
    EXPECT_NO_THROW(table.Post());
    EXPECT_TRUE(table.PicturesUnread());
    EXPECT_EQ(table.StoredPictures()->Count(), 0);
    // The cell editor's first question reads them.
    EXPECT_EQ(wwPictureByField(&table, QStringLiteral("Anno"), true).Mask, QStringLiteral("####"));
    EXPECT_FALSE(table.PicturesUnread());
    // Without the use-stored-pictures flag, only PictureMasks counts.
    EXPECT_TRUE(wwPictureByField(&table, QStringLiteral("Anno"), false).Mask.isEmpty());
}

TEST_F(PicturedKeys, StoredPictureWinsAndRewritesThePictureMasksLine) {
    struct Case {
        const char* line;
        const char* field;
        const char* rewritten;
        bool autoFill, usePictureMask;
        const char* mask;
    } cases[] = {
        {"Anno\t##\tT\tF", "Anno", "Anno\t####\tT\tF", true, false, "####"},
        {"Anno\t##", "Anno", "Anno\t####\tF\tF", false, false, "####"},
        {"Chiave\t#\tF\tT", "Chiave", "Chiave\t#[#][#]\tF\tT", false, true, "#[#][#]"},
        {"Registro\t#\tT\tT", "Registro", "Registro\t#\tT\tT", true, true,
         "#"},                                                        // no stored picture
        {"Anno\t\tT\tT", "Anno", "Anno\t\tT\tT", true, true, "####"}, // a line without a mask stays
        {"anno\t##\tT\tT", "anno", "anno\t##\tT\tT", true, true,
         "##"}, // stored names match exactly
    };
    table.Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        table.PictureMasks()->SetStrings(
            {QStringLiteral("Tabella\t&\tT\tT"), QString::fromLatin1(c.line)});
        const TwwFieldPicture p = wwPictureByField(&table, QString::fromLatin1(c.field), true);
        EXPECT_EQ(table.PictureMasks()->Strings(1), QString::fromLatin1(c.rewritten));
        EXPECT_EQ(p.Mask, QString::fromLatin1(c.mask));
        EXPECT_EQ(p.AutoFill, c.autoFill);
        EXPECT_EQ(p.UsePictureMask, c.usePictureMask);
    }
    // Posting checks the stored picture, not the line's "##".
    table.PictureMasks()->SetStrings({QStringLiteral("Anno\t##\tT\tT")});
    InsertRow(QStringLiteral("BOLLE.DB"), QStringLiteral("2031"), QStringLiteral("0"));
    EXPECT_NO_THROW(table.Post());
    EXPECT_EQ(table.PictureMasks()->Strings(0), QStringLiteral("Anno\t####\tT\tT"));
}

TEST_F(PicturedKeys, PictureMasksAloneValidateWhereNothingIsStored) {
    table.PictureMasks()->SetStrings({QStringLiteral("registro\t{0,1}")});
    table.Open();
    InsertRow(QStringLiteral("BOLLE.DB"), QStringLiteral("2031"), QStringLiteral("0"));
    table.FieldByName(QStringLiteral("Registro"))->SetAsInteger(2);
    EXPECT_THROW(table.Post(), EDatabaseError);
    table.FieldByName(QStringLiteral("Registro"))->SetAsInteger(1);
    EXPECT_NO_THROW(table.Post());
}

TEST_F(PicturedKeys, StoredPicturesAreReadOnceEvenFromAClosedTable) {
    ASSERT_FALSE(table.Active());
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QStringLiteral("####"));
    EXPECT_FALSE(table.Active()); // the files were opened for the read only
    EXPECT_FALSE(table.PicturesUnread());
    EXPECT_EQ(table.StoredPictures()->ToStringList(),
              (QStringList{QStringLiteral("Tabella\t*{&,#,.}"), QStringLiteral("Anno\t####"),
                           QStringLiteral("Chiave\t#[#][#]")}));
    EXPECT_EQ(table.StoredPicture(QStringLiteral("anno")), QString()); // exact names
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Registro")), QString());
    // Opening and closing keep the list; it is not read again.
    table.Open();
    table.Close();
    EXPECT_EQ(table.StoredPictures()->Count(), 3);
}

TEST(WwTablePictures, AFailedReadIsNotRepeated) {
    TempAlias alias;
    TwwTable table(nullptr);
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.DB"));
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QString()); // no such table yet
    EXPECT_FALSE(table.PicturesUnread());
    CreatePicturedKeys(alias);
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QString());
    table.Open();
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QString());
}

TEST(WwTablePictures, ClosedTableWithPersistentFieldsNamesThemAsTheyAre) {
    TempAlias alias;
    CreatePicturedKeys(alias);
    TwwTable table(nullptr);
    TComponent form(nullptr); // the fields go before the table
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.DB"));
    auto* anno = new TStringField(&form);
    anno->SetFieldName(QStringLiteral("ANNO"));
    anno->SetSize(4);
    anno->SetDataSet(&table);
    EXPECT_EQ(table.StoredPictures()->Count(), 0);
    EXPECT_EQ(table.StoredPicture(QStringLiteral("ANNO")), QStringLiteral("####"));
    // Only the table's fields get lines.
    EXPECT_EQ(table.StoredPictures()->ToStringList(), QStringList{QStringLiteral("ANNO\t####")});
}

TEST(WwTablePictures, NotReadAtDesignTimeWhileClosed) {
    TempAlias alias;
    CreatePicturedKeys(alias);
    TwwTable table(nullptr);
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.DB"));
    table.SetDesigning(true);
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QString());
    EXPECT_TRUE(table.PicturesUnread());
    table.Open();
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QStringLiteral("####"));
    table.Close();
}

TEST(WwTablePictures, NotAParadoxNameReadsNothing) {
    TempAlias alias;
    CreatePicturedKeys(alias, "Keys.tab");
    TwwTable table(nullptr);
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.tab"));
    table.Open();
    EXPECT_FALSE(table.ParadoxOpen());
    EXPECT_EQ(table.StoredPicture(QStringLiteral("Anno")), QString());
    EXPECT_TRUE(table.PicturesUnread());
    table.Insert();
    table.FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("x"));
    EXPECT_NO_THROW(table.Post());
}

TEST(WwTablePictures, WithoutStoredPicturesEveryPostPasses) {
    TempAlias alias;
    alias.createKeysTable();
    TwwTable table(nullptr);
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.DB"));
    table.Open();
    EXPECT_TRUE(table.ParadoxOpen());
    for (const char* anno : {"2031", "x", "", "!!"}) {
        table.Append();
        table.FieldByName(QStringLiteral("Tabella"))->SetAsString(QStringLiteral("T.DB"));
        table.FieldByName(QStringLiteral("Anno"))->SetAsString(QString::fromLatin1(anno));
        EXPECT_NO_THROW(table.Post()) << anno;
    }
    EXPECT_EQ(table.RecordCount(), 4);
    EXPECT_FALSE(table.PicturesUnread());
    EXPECT_EQ(table.StoredPictures()->Count(), 0);
}

// The main window's key table as its stored description declares it.
const char* kForm = R"(object Form1: TComponent
  object wwTable1: TwwTable
    DatabaseName = 'quennarix'
    TableName = 'Keys.DB'
    Active = True
    SyncSQLByRange = False
    NarrowSearch = False
    ValidateWithMask = True
    object wwTable1Tabella: TStringField
      FieldName = 'Tabella'
      Size = 30
    end
    object wwTable1Anno: TStringField
      FieldName = 'Anno'
      Size = 4
    end
    object wwTable1Registro: TSmallintField
      FieldName = 'Registro'
    end
    object wwTable1Chiave: TIntegerField
      FieldName = 'Chiave'
    end
  end
  object wwDataSource1: TwwDataSource
    DataSet = wwTable1
  end
end
)";

TEST(WwTableMainWindow, EveryPostRunsThePictureCheckWithTheGlobalText) {
    TempAlias alias;
    CreatePicturedKeys(alias);
    (void)TwwDataSource::StaticClass(); // registered by name for the reader
    std::unique_ptr<TComponent> form(CreateComponentFromText(nullptr, QString::fromLatin1(kForm)));
    auto* table = dynamic_cast<TwwTable*>(form->FindComponent(QStringLiteral("wwTable1")));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->Active());
    EXPECT_TRUE(table->ParadoxOpen());

    // The year update's insert, with a year the picture refuses.
    table->Insert();
    table->FieldByName(QStringLiteral("Tabella"))->SetAsString(QStringLiteral("BOLLE.DB"));
    table->FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("99999"));
    table->FieldByName(QStringLiteral("Registro"))->SetAsInteger(0);
    table->FieldByName(QStringLiteral("Chiave"))->SetAsInteger(0);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Anno"))->AsString(), QStringLiteral("9999"));
    table->FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("99a"));

    // A connected TwwIntl changes the text the table reads at the moment of the error.
    TwwIntl* global = wwIntl();
    ASSERT_NE(global, nullptr);
    const QString before = global->UserMessages()->PictureValidateError();
    {
        TwwIntl mine(nullptr);
        mine.UserMessages()->SetPictureValidateError(QStringLiteral("Caratteri non validi: "));
        mine.SetConnected(true);
        try {
            table->Post();
            ADD_FAILURE() << "posted";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Caratteri non validi: Anno"));
        }
    }
    global->UserMessages()->SetPictureValidateError(before);
    try {
        table->Post();
        ADD_FAILURE() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid characters. Field : Anno"));
    }
    EXPECT_EQ(table->State(), dsInsert);
    table->FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("2031"));
    table->Post();
    EXPECT_EQ(table->RecordCount(), 1);
}

} // namespace
