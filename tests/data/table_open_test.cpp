// Opening TTable: alias and table resolution, binding persistent fields by name, type and size,
// a failed open leaving the table closed, a stored Active opening at the end of loading, and the
// field pictures of the table.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "data/wwdatsrc.h"
#include "engine/table.h"
#include "platform/dfmreader.h"
#include "platform/properties.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>
#include <memory>

using ravelda::test::RecordingDataLink;
using ravelda::test::TempAlias;
namespace engine = ravelda::engine;

namespace {

QString openError(TTable& table) {
    try {
        table.Open();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return QStringLiteral("(opened)");
}

struct PersistentKeys {
    TComponent form{nullptr};
    TTable* table = new TTable(&form);
    TStringField* tabella = new TStringField(&form);
    TStringField* anno = new TStringField(&form);
    TSmallintField* registro = new TSmallintField(&form);
    TIntegerField* chiave = new TIntegerField(&form);
    PersistentKeys() {
        table->SetDatabaseName(QStringLiteral("quennarix"));
        table->SetTableName(QStringLiteral("Keys.DB"));
        tabella->SetFieldName(QStringLiteral("Tabella"));
        tabella->SetSize(30);
        anno->SetFieldName(QStringLiteral("Anno"));
        anno->SetSize(4);
        registro->SetFieldName(QStringLiteral("Registro"));
        chiave->SetFieldName(QStringLiteral("Chiave"));
        for (TField* f : std::initializer_list<TField*>{tabella, anno, registro, chiave})
            f->SetDataSet(table);
    }
};

TEST(TableOpen, PersistentFieldsBind) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 3}});
    PersistentKeys k;
    k.table->Open();
    EXPECT_EQ(k.table->FieldCount(), 4);
    EXPECT_EQ(k.tabella->AsString(), QStringLiteral("BOLLE.DB"));
    EXPECT_EQ(k.chiave->AsInteger(), 3);
    EXPECT_EQ(k.tabella->FieldNo(), 1);
    EXPECT_EQ(k.chiave->FieldNo(), 4);
    k.table->Close();
    EXPECT_EQ(k.table->FieldCount(), 4); // persistent fields stay
}

TEST(TableOpen, OnlyDeclaredFieldsAppearAndOthersSurviveAPost) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 3}});
    TComponent form(nullptr);
    auto* table = new TTable(&form);
    table->SetDatabaseName(QStringLiteral("quennarix"));
    table->SetTableName(QStringLiteral("Keys.DB"));
    auto* chiave = new TIntegerField(&form);
    chiave->SetFieldName(QStringLiteral("Chiave"));
    chiave->SetDataSet(table);
    table->Open();
    EXPECT_EQ(table->FieldCount(), 1);
    table->Edit();
    chiave->SetAsInteger(4);
    table->Post();
    table->Close();
    TTable plain(nullptr);
    plain.SetDatabaseName(QStringLiteral("quennarix"));
    plain.SetTableName(QStringLiteral("Keys.DB"));
    plain.Open();
    EXPECT_EQ(plain.FieldByName(QStringLiteral("Tabella"))->AsString(), QStringLiteral("BOLLE.DB"));
    EXPECT_EQ(plain.FieldByName(QStringLiteral("Chiave"))->AsInteger(), 4);
}

TEST(TableOpen, BindingErrors) {
    TempAlias alias;
    alias.createKeysTable();
    struct {
        const char* name;
        std::function<void(PersistentKeys&)> change;
        const char* message;
    } cases[] = {
        {"missing", [](PersistentKeys& k) { k.anno->SetFieldName(QStringLiteral("Annata")); },
         "Field 'Annata' not found"},
        {"type",
         [](PersistentKeys& k) {
             delete k.registro;
             auto* f = new TIntegerField(&k.form);
             f->SetFieldName(QStringLiteral("Registro"));
             f->SetDataSet(k.table);
         },
         "Type mismatch for field 'Registro', expecting: Integer actual: Smallint"},
        {"size", [](PersistentKeys& k) { k.tabella->SetSize(20); },
         "Size mismatch for field 'Tabella', expecting: 20 actual: 30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PersistentKeys k;
        c.change(k);
        TDataSource source(nullptr);
        source.SetDataSet(k.table);
        RecordingDataLink link;
        link.SetDataSource(&source);
        EXPECT_EQ(openError(*k.table), QString::fromLatin1(c.message));
        EXPECT_FALSE(k.table->Active());
        EXPECT_EQ(k.table->State(), dsInactive);
        EXPECT_TRUE(link.take().isEmpty());
        link.SetDataSource(nullptr);
    }
}

TEST(TableOpen, MissingAliasFolderOrTableNameWhatIsMissing) {
    TempAlias alias;
    TTable table(nullptr);
    table.SetDatabaseName(QStringLiteral("nowhere"));
    table.SetTableName(QStringLiteral("Keys.DB"));
    QString error = openError(table);
    EXPECT_TRUE(error.contains(QStringLiteral("nowhere"))) << error.toStdString();
    EXPECT_FALSE(table.Active());

    table.SetDatabaseName(QStringLiteral("quennarix"));
    error = openError(table);
    EXPECT_TRUE(error.contains(QStringLiteral("Keys"))) << error.toStdString();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.FieldCount(), 0);

    alias.createKeysTable();
    EXPECT_EQ(openError(table), QStringLiteral("(opened)"));
}

TEST(TableOpen, PropertiesRefusedWhileOpen) {
    TempAlias alias;
    alias.createKeysTable();
    TTable table(nullptr);
    table.SetDatabaseName(QStringLiteral("quennarix"));
    table.SetTableName(QStringLiteral("Keys.DB"));
    table.Open();
    EXPECT_THROW(table.SetTableName(QStringLiteral("Other.DB")), EDatabaseError);
    EXPECT_EQ(table.TableName(), QStringLiteral("Keys.DB"));
}

TEST(TableOpen, FieldPicturesByFieldNumber) {
    TempAlias alias;
    engine::CreateOptions options;
    options.pictures = {{2, "####"}};
    engine::Table::create(
        alias.folder() / "Pic.DB",
        {{"Tabella", engine::FieldType::Alpha, 30}, {"Anno", engine::FieldType::Alpha, 4}}, 1,
        options);
    TTable table(nullptr);
    table.SetDatabaseName(QStringLiteral("quennarix"));
    table.SetTableName(QStringLiteral("Pic.DB"));
    EXPECT_EQ(table.FieldPicture(2), QString());
    table.Open();
    EXPECT_TRUE(table.IsParadoxTable());
    EXPECT_EQ(table.FieldPicture(1), QString());
    EXPECT_EQ(table.FieldPicture(2), QStringLiteral("####"));
}

const char* kForm = R"(object Form1: TComponent
  object wwTable1: TTable
    DatabaseName = 'quennarix'
    TableName = 'Keys.DB'
    Active = True
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

TEST(TableOpen, StoredDescriptionOpensAtEndOfLoading) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 3}, {"FATTURE.DB", "2030", 0, 9}});
    std::unique_ptr<TComponent> form(CreateComponentFromText(nullptr, QString::fromLatin1(kForm)));
    auto* table = static_cast<TTable*>(form->FindComponent(QStringLiteral("wwTable1")));
    auto* source = static_cast<TDataSource*>(form->FindComponent(QStringLiteral("wwDataSource1")));
    ASSERT_TRUE(table && source);
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(source->ClassName(), QStringLiteral("TwwDataSource"));
    EXPECT_EQ(source->DataSet(), table);
    EXPECT_EQ(source->State(), dsBrowse);
    ASSERT_EQ(table->FieldCount(), 4);
    auto* tabella = form->FindComponent(QStringLiteral("wwTable1Tabella"));
    EXPECT_EQ(table->Fields(0), tabella);
    EXPECT_EQ(tabella->Owner(), form.get());
    EXPECT_EQ(tabella->GetParentComponent(), table);
    EXPECT_EQ(table->Fields(3)->FieldName(), QStringLiteral("Chiave"));
    EXPECT_EQ(table->Fields(0)->AsString(), QStringLiteral("BOLLE.DB"));
    EXPECT_EQ(table->Fields(1)->DisplayWidth(), 4);
}

TEST(TableOpen, StoredDescriptionWithoutTableFails) {
    TempAlias alias;
    EXPECT_THROW(CreateComponentFromText(nullptr, QString::fromLatin1(kForm)), Exception);
}

} // namespace
