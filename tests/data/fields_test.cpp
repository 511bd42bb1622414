// Field kinds over real tables: defaults, conversions, limits and the exact error texts.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "engine/table.h"
#include "platform/properties.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>

using ravelda::test::TempAlias;
namespace engine = ravelda::engine;

namespace {

QString messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("(no error)");
}

class KeyFields : public ::testing::Test {
protected:
    void SetUp() override {
        alias.createKeysTable({{"BOLLE.DB", "2030", 0, 17}});
        table.SetDatabaseName(QStringLiteral("quennarix"));
        table.SetTableName(QStringLiteral("Keys.DB"));
        table.Open();
    }
    TField* f(const char* name) { return table.FieldByName(QString::fromLatin1(name)); }
    TempAlias alias;
    TTable table{nullptr};
};

TEST_F(KeyFields, DefaultsOfTheKeyTable) {
    struct {
        const char* name;
        const char* cls;
        TFieldType type;
        int size, width;
        TAlignment alignment;
    } cases[] = {{"Tabella", "TStringField", ftString, 30, 30, taLeftJustify},
                 {"Anno", "TStringField", ftString, 4, 4, taLeftJustify},
                 {"Registro", "TSmallintField", ftSmallint, 0, 10, taRightJustify},
                 {"Chiave", "TIntegerField", ftInteger, 0, 10, taRightJustify}};
    ASSERT_EQ(table.FieldCount(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].name);
        TField* field = table.Fields(i);
        EXPECT_EQ(field->FieldName(), QString::fromLatin1(cases[i].name));
        EXPECT_EQ(field->ClassName(), QString::fromLatin1(cases[i].cls));
        EXPECT_EQ(field->DataType(), cases[i].type);
        EXPECT_EQ(field->Size(), cases[i].size);
        EXPECT_EQ(field->DisplayWidth(), cases[i].width);
        EXPECT_EQ(field->Alignment(), cases[i].alignment);
        EXPECT_EQ(field->DisplayLabel(), QString::fromLatin1(cases[i].name));
        EXPECT_TRUE(field->Visible());
        EXPECT_FALSE(field->ReadOnly());
        EXPECT_EQ(field->Index(), i);
        EXPECT_FALSE(field->Calculated());
        EXPECT_FALSE(field->Lookup());
    }
    EXPECT_EQ(f("Tabella")->AsString(), QStringLiteral("BOLLE.DB"));
    EXPECT_EQ(f("Registro")->AsInteger(), 0);
    EXPECT_EQ(f("Chiave")->DisplayText(), QStringLiteral("17"));
}

TEST_F(KeyFields, FieldByNameAndFindField) {
    EXPECT_EQ(table.FieldByName(QStringLiteral("anno")), f("Anno"));
    EXPECT_EQ(table.FindField(QStringLiteral("Nope")), nullptr);
    EXPECT_EQ(messageOf([&] { table.FieldByName(QStringLiteral("Nope")); }),
              QStringLiteral("Field 'Nope' not found"));
}

TEST_F(KeyFields, WritesAndTheirErrors) {
    table.Insert();
    struct {
        const char* field;
        const char* text;
        const char* error; // nullptr: accepted
        const char* stored;
    } cases[] = {
        {"Tabella", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", nullptr,
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
        {"Anno", "20311", nullptr, "2031"},
        {"Registro", "32767", nullptr, "32767"},
        {"Registro", "-32768", nullptr, "-32768"},
        {"Registro", "32768",
         "32768 is not a valid value for field 'Registro'. The allowed range is -32768 to 32767",
         nullptr},
        {"Registro", "-40000",
         "-40000 is not a valid value for field 'Registro'. The allowed range is -32768 to 32767",
         nullptr},
        {"Registro", "abc", "'abc' is not a valid integer value", nullptr},
        {"Registro", "1.5", "'1.5' is not a valid integer value", nullptr},
        {"Chiave", "2147483647", nullptr, "2147483647"},
        {"Chiave", "2147483648",
         "2147483648 is not a valid value for field 'Chiave'. The allowed range is -2147483648 to "
         "2147483647",
         nullptr},
        {"Chiave", "99999999999999999999",
         "99999999999999999999 is not a valid value for field 'Chiave'. The allowed range is "
         "-2147483648 to 2147483647",
         nullptr},
        {"Chiave", " 12 ", nullptr, "12"},
        {"Chiave", "", nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.text);
        TField* field = f(c.field);
        const QString before = field->AsString();
        const QString error = messageOf([&] { field->SetAsString(QString::fromLatin1(c.text)); });
        if (c.error) {
            EXPECT_EQ(error, QString::fromLatin1(c.error));
            EXPECT_EQ(field->AsString(), before);
        } else {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
            EXPECT_EQ(field->AsString(), QString::fromLatin1(c.stored));
        }
    }
    EXPECT_EQ(messageOf([&] { f("Registro")->SetAsInteger(70000); }),
              QStringLiteral("70000 is not a valid value for field 'Registro'. The allowed range "
                             "is -32768 to 32767"));
    EXPECT_THROW(f("Registro")->SetAsString(QStringLiteral("x")), EConvertError);
}

TEST_F(KeyFields, CodePageRefusesWhatItCannotHold) {
    TempAlias dos("dos");
    dos.createKeysTable({}, "Keys.DB", 437);
    TTable t(nullptr);
    t.SetDatabaseName(QStringLiteral("dos"));
    t.SetTableName(QStringLiteral("Keys.DB"));
    t.Open();
    t.Insert();
    TField* tab = t.FieldByName(QStringLiteral("Tabella"));
    tab->SetAsString(QStringLiteral("città.db")); // à is in code page 437
    EXPECT_EQ(tab->AsString(), QStringLiteral("città.db"));
    const QString error = messageOf([&] { tab->SetAsString(QStringLiteral("PREZZI€.DB")); });
    EXPECT_TRUE(error.contains(QStringLiteral("'Tabella'"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("€"))) << error.toStdString();
    EXPECT_EQ(tab->AsString(), QStringLiteral("città.db"));
    t.FieldByName(QStringLiteral("Anno"))->SetAsString(QStringLiteral("2030"));
    t.Post();
    t.First();
    EXPECT_EQ(tab->AsString(), QStringLiteral("città.db"));
}

TEST_F(KeyFields, IsValidChar) {
    EXPECT_TRUE(f("Registro")->IsValidChar(QLatin1Char('7')));
    EXPECT_TRUE(f("Registro")->IsValidChar(QLatin1Char('-')));
    EXPECT_FALSE(f("Registro")->IsValidChar(QLatin1Char('a')));
    EXPECT_FALSE(f("Chiave")->IsValidChar(QLatin1Char('.')));
    EXPECT_TRUE(f("Tabella")->IsValidChar(QLatin1Char('.')));
}

TEST_F(KeyFields, SettingIndexReordersAndSendsLayoutChanged) {
    TDataSource source(nullptr);
    source.SetDataSet(&table);
    ravelda::test::RecordingDataLink link;
    link.SetDataSource(&source);
    link.take();
    f("Chiave")->SetIndex(0);
    EXPECT_EQ(table.Fields(0)->FieldName(), QStringLiteral("Chiave"));
    EXPECT_EQ(table.Fields(1)->FieldName(), QStringLiteral("Tabella"));
    EXPECT_EQ(f("Tabella")->Index(), 1);
    EXPECT_EQ(link.take(), QStringList{"layout"});
    link.SetDataSource(nullptr);
}

TEST_F(KeyFields, DisplayAndEditFormats) {
    auto* chiave = static_cast<TIntegerField*>(f("Chiave"));
    chiave->SetDisplayFormat(QStringLiteral("#,##0"));
    table.Edit();
    chiave->SetAsInteger(1234567);
    EXPECT_EQ(chiave->DisplayText(), QStringLiteral("1,234,567"));
    EXPECT_EQ(chiave->Text(), QStringLiteral("1234567"));
    chiave->SetEditFormat(QStringLiteral("0000000000"));
    EXPECT_EQ(chiave->Text(), QStringLiteral("0001234567"));
    table.Cancel();
}

TEST_F(KeyFields, OnGetTextAndOnSetText) {
    TField* anno = f("Anno");
    anno->OnGetText = [](TField* s, QString& text, bool display) {
        text = (display ? QStringLiteral("Year ") : QString()) + s->AsString();
    };
    anno->OnSetText = [](TField* s, const QString& text) { s->SetAsString(text.trimmed()); };
    EXPECT_EQ(anno->DisplayText(), QStringLiteral("Year 2030"));
    EXPECT_EQ(anno->Text(), QStringLiteral("2030"));
    table.Edit();
    anno->SetText(QStringLiteral(" 2031 "));
    EXPECT_EQ(anno->AsString(), QStringLiteral("2031"));
    table.Cancel();
}

TEST(FormatFloat, ClassicNotation) {
    struct {
        const char* format;
        double value;
        const char* text;
    } cases[] = {{"0.00", 3.14159, "3.14"},  {"#,##0.00", 1234567.891, "1,234,567.89"},
                 {"#,##0", -1234, "-1,234"}, {"0000", 42, "0042"},
                 {"#.##", 0.5, ".5"},        {"0.0;(0.0)", -2.5, "(2.5)"},
                 {"0;-0;'zero'", 0, "zero"}, {"0.00E+00", 12345, "1.23E+04"},
                 {"'Lit' 0", 7, "Lit 7"},    {"0.##", 2, "2"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(QString::fromLatin1(c.format), c.value), QString::fromLatin1(c.text))
            << c.format;
}

TEST(FormatDateTime, ClassicNotation) {
    const QDateTime v(QDate(2031, 3, 7), QTime(9, 5, 2));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn:ss"), v),
              QStringLiteral("07/03/2031 09:05:02"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("d/m/yy h:mm"), v), QStringLiteral("7/3/31 9:05"));
}

// Every engine type becomes its field kind, round-trips through a post, and reads back.
TEST(AllTypes, RoundTrip) {
    TempAlias alias;
    using FT = engine::FieldType;
    engine::Table::create(alias.folder() / "All.DB",
                          {{"Id", FT::AutoInc, 0},
                           {"Name", FT::Alpha, 10},
                           {"Short", FT::Short, 0},
                           {"Long", FT::Long, 0},
                           {"Num", FT::Number, 0},
                           {"Money", FT::Money, 0},
                           {"Flag", FT::Logical, 0},
                           {"Day", FT::Date, 0},
                           {"Clock", FT::Time, 0},
                           {"Stamp", FT::Timestamp, 0},
                           {"Dec", FT::Bcd, 2},
                           {"Raw", FT::Bytes, 4},
                           {"Notes", FT::Memo, 30},
                           {"Data", FT::Blob, 20}},
                          1);
    TTable t(nullptr);
    t.SetDatabaseName(alias.aliasName());
    t.SetTableName(QStringLiteral("All"));
    t.Open();
    const char* classes[] = {"TAutoIncField", "TStringField",   "TSmallintField", "TIntegerField",
                             "TFloatField",   "TCurrencyField", "TBooleanField",  "TDateField",
                             "TTimeField",    "TDateTimeField", "TBCDField",      "TBytesField",
                             "TMemoField",    "TBlobField"};
    ASSERT_EQ(t.FieldCount(), 14);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(t.Fields(i)->ClassName(), QString::fromLatin1(classes[i]));
    EXPECT_EQ(t.FieldByName(QStringLiteral("Notes"))->Size(), 20);
    EXPECT_EQ(t.FieldByName(QStringLiteral("Dec"))->Size(), 2);
    t.Insert();
    auto set = [&](const char* n, const char* v) {
        t.FieldByName(QString::fromLatin1(n))->SetAsString(QString::fromUtf8(v));
    };
    set("Name", "Città");
    set("Short", "-5");
    set("Long", "100000");
    set("Num", "2.5");
    set("Money", "12.34");
    set("Flag", "true");
    set("Day", "07/03/2031");
    set("Clock", "09:05:02");
    set("Stamp", "07/03/2031 09:05:02");
    set("Dec", "123.456");
    set("Raw", "0a0b");
    set("Notes", "a longer memo text that goes beyond the leader");
    t.FieldByName(QStringLiteral("Data"))->SetValue(QByteArray("\x01\x02\x03", 3));
    EXPECT_THROW(t.FieldByName(QStringLiteral("Id"))->SetAsInteger(5), EDatabaseError);
    t.Post();
    t.Close();
    t.Open();
    auto get = [&](const char* n) { return t.FieldByName(QString::fromLatin1(n))->AsString(); };
    EXPECT_EQ(get("Id"), QStringLiteral("1"));
    EXPECT_EQ(get("Name"), QStringLiteral("Città"));
    EXPECT_EQ(get("Short"), QStringLiteral("-5"));
    EXPECT_EQ(get("Long"), QStringLiteral("100000"));
    EXPECT_EQ(get("Num"), QStringLiteral("2.5"));
    EXPECT_DOUBLE_EQ(t.FieldByName(QStringLiteral("Money"))->AsFloat(), 12.34);
    EXPECT_EQ(t.FieldByName(QStringLiteral("Money"))->DisplayText(), QStringLiteral("12.34"));
    EXPECT_EQ(get("Flag"), QStringLiteral("True"));
    EXPECT_TRUE(t.FieldByName(QStringLiteral("Flag"))->AsBoolean());
    EXPECT_EQ(get("Day"), QStringLiteral("07/03/2031"));
    EXPECT_EQ(get("Clock"), QStringLiteral("09:05:02"));
    EXPECT_EQ(get("Stamp"), QStringLiteral("07/03/2031 09:05:02"));
    EXPECT_EQ(get("Dec"), QStringLiteral("123.46"));
    EXPECT_EQ(get("Raw"), QStringLiteral("0a0b0000"));
    EXPECT_EQ(get("Notes"), QStringLiteral("a longer memo text that goes beyond the leader"));
    EXPECT_EQ(t.FieldByName(QStringLiteral("Notes"))->DisplayText(), QStringLiteral("(MEMO)"));
    EXPECT_EQ(t.FieldByName(QStringLiteral("Data"))->Value().toByteArray(),
              QByteArray("\x01\x02\x03", 3));
}

TEST(FieldRegistry, PublishedPropertiesAndDefaults) {
    TStringField s(nullptr);
    EXPECT_EQ(GetPropValue(&s, QStringLiteral("Size")).toInt(), 20);
    SetPropValue(&s, QStringLiteral("Size"), 30);
    EXPECT_EQ(s.Size(), 30);
    EXPECT_EQ(s.DisplayWidth(), 30);
    TSmallintField n(nullptr);
    EXPECT_EQ(GetEnumProp(&n, QStringLiteral("Alignment")), QStringLiteral("taRightJustify"));
    EXPECT_TRUE(GetPropInfo(&n, QStringLiteral("Alignment"))->IsDefaultValue(&n));
    EXPECT_FALSE(GetPropInfo(&n, QStringLiteral("DisplayWidth"))->IsStored(&n));
    n.SetDisplayWidth(12);
    EXPECT_TRUE(GetPropInfo(&n, QStringLiteral("DisplayWidth"))->IsStored(&n));
}

} // namespace
