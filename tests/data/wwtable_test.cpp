// TwwTable without rows: published defaults, capabilities by property name, the TableName/Query
// pair, the Paradox test, the field picture look-up over PictureMasks, the line formats and the
// pruning of lines that name no field.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/wwtable.h"
#include "platform/properties.h"
#include "platform/strings.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>
#include <memory>

using ravelda::test::TempAlias;

namespace {

QStringList Lines(const TStrings* List) {
    return List ? List->ToStringList() : QStringList();
}

TEST(WwTable, PublishedDefaults) {
    TwwTable table(nullptr);
    EXPECT_TRUE(table.ValidateWithMask());
    EXPECT_FALSE(table.SyncSQLByRange());
    EXPECT_FALSE(table.NarrowSearch());
    EXPECT_EQ(table.NarrowSearchUpperChar(), 255);
    EXPECT_EQ(table.OnFilterOptions(), (TwwOnFilterOptions{ofoEnabled, ofoShowHourGlass}));
    EXPECT_TRUE(table.PicturesUnread());
    EXPECT_FALSE(table.ParadoxOpen());
    for (const char* name :
         {"LookupFields", "LookupLinks", "ControlType", "PictureMasks", "wwFilter", "Query"}) {
        TStrings* list = GetStringsProp(&table, QString::fromLatin1(name));
        ASSERT_NE(list, nullptr) << name;
        EXPECT_EQ(list->Count(), 0) << name;
        EXPECT_TRUE(GetPropInfo(&table, QString::fromLatin1(name))->IsDefaultValue(&table));
    }
    // Every published value of a new table is its declared default, so none would be stored.
    for (const char* name : {"ValidateWithMask", "SyncSQLByRange", "NarrowSearch",
                             "NarrowSearchUpperChar", "OnFilterOptions"})
        EXPECT_TRUE(GetPropInfo(&table, QString::fromLatin1(name))->IsDefaultValue(&table)) << name;
    EXPECT_EQ(GetSetProp(&table, QStringLiteral("OnFilterOptions")),
              QStringLiteral("[ofoEnabled, ofoShowHourGlass]"));
}

TEST(WwTable, CapabilitiesByPropertyName) {
    TwwTable table(nullptr);
    EXPECT_EQ(GetStringsProp(&table, QStringLiteral("PictureMasks")), table.PictureMasks());
    EXPECT_EQ(GetStringsProp(&table, QStringLiteral("ControlType")), table.ControlType());
    EXPECT_EQ(GetStringsProp(&table, QStringLiteral("LookupFields")), table.LookupFields());
    EXPECT_EQ(GetStringsProp(&table, QStringLiteral("LookupLinks")), table.LookupLinks());
    EXPECT_TRUE(IsPublishedProp(&table, QStringLiteral("MasterSource")));
    EXPECT_TRUE(IsPublishedProp(&table, QStringLiteral("IndexName")));

    using Handler = void(TDataSet*, TField*);
    EXPECT_FALSE(GetEventProp<Handler>(&table, QStringLiteral("OnInvalidValue")));
    TDataSet* told = nullptr;
    table.OnInvalidValue = [&](TDataSet* DataSet, TField*) { told = DataSet; };
    auto handler = GetEventProp<Handler>(&table, QStringLiteral("OnInvalidValue"));
    ASSERT_TRUE(handler);
    handler(&table, nullptr);
    EXPECT_EQ(told, &table);

    // A plain TTable simply lacks them.
    TTable plain(nullptr);
    EXPECT_EQ(GetStringsProp(&plain, QStringLiteral("PictureMasks")), nullptr);
    EXPECT_FALSE(GetEventProp<Handler>(&plain, QStringLiteral("OnInvalidValue")));
    EXPECT_FALSE(IsPublishedProp(&plain, QStringLiteral("OnFilterOptions")));
}

TEST(WwTable, ListSettersCopyAndFilterPropertiesStore) {
    TwwTable table(nullptr);
    TStringList lines;
    lines.SetStrings({QStringLiteral("Anno\t####\tT\tT")});
    SetPropValue(&table, QStringLiteral("PictureMasks"), QVariant::fromValue<TPersistent*>(&lines));
    lines.Add(QStringLiteral("Tabella\t*!"));
    EXPECT_EQ(Lines(table.PictureMasks()), QStringList{QStringLiteral("Anno\t####\tT\tT")});
    table.SetControlType(&lines);
    EXPECT_EQ(table.ControlType()->Count(), 2);
    table.SetControlType(nullptr);
    EXPECT_EQ(table.ControlType()->Count(), 0);

    SetPropValue(&table, QStringLiteral("wwFilter"),
                 QStringList{QStringLiteral("Anno = \"2030\"")});
    EXPECT_EQ(Lines(table.wwFilter()), QStringList{QStringLiteral("Anno = \"2030\"")});
    SetPropValue(&table, QStringLiteral("OnFilterOptions"), QStringLiteral("[ofoCancelOnEscape]"));
    EXPECT_EQ(table.OnFilterOptions(), TwwOnFilterOptions{ofoCancelOnEscape});
    int calls = 0;
    table.SetOnFilter([&](TDataSet*, bool& Accept) {
        ++calls;
        Accept = false;
    });
    auto filter = GetEventProp<void(TDataSet*, bool&)>(&table, QStringLiteral("OnFilter"));
    ASSERT_TRUE(filter);
    bool accept = true;
    filter(&table, accept);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(accept);
    table.OnFilterEscape = [&](TDataSet*) { ++calls; };
    EXPECT_TRUE(GetEventProp<void(TDataSet*)>(&table, QStringLiteral("OnFilterEscape")));
}

TEST(WwTable, TableNameAndQueryClearEachOther) {
    TwwTable table(nullptr);
    TComponent owner(nullptr);
    auto* master = new TDataSource(&owner);
    table.SetTableName(QStringLiteral("Keys.DB"));
    table.SetIndexFieldNames(QStringLiteral("Tabella"));
    table.SetMasterSource(master);
    table.SetMasterFields(QStringLiteral("Tabella"));

    TStringList query;
    query.SetStrings({QStringLiteral("select * from Keys")});
    table.SetQuery(&query);
    EXPECT_EQ(table.TableName(), QString());
    EXPECT_EQ(table.IndexFieldNames(), QString());
    EXPECT_EQ(table.MasterSource(), nullptr);
    EXPECT_EQ(table.MasterFields(), QString());
    EXPECT_EQ(Lines(table.Query()), query.ToStringList());

    // An empty name leaves the query alone; a name clears it.
    table.SetTableName(QString());
    EXPECT_EQ(table.Query()->Count(), 1);
    SetPropValue(&table, QStringLiteral("TableName"), QStringLiteral("Keys.DB"));
    EXPECT_EQ(table.Query()->Count(), 0);
    EXPECT_EQ(table.TableName(), QStringLiteral("Keys.DB"));

    // An empty query text clears nothing.
    table.SetIndexFieldNames(QStringLiteral("Anno"));
    TStringList empty;
    table.SetQuery(&empty);
    EXPECT_EQ(table.TableName(), QStringLiteral("Keys.DB"));
    EXPECT_EQ(table.IndexFieldNames(), QStringLiteral("Anno"));
}

TEST(WwTable, QuerySetterClosesAnOpenTable) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 1}});
    TwwTable table(nullptr);
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.DB"));
    table.Open();
    EXPECT_TRUE(table.ParadoxOpen());
    TStringList query;
    query.SetStrings({QStringLiteral("Query"), QStringLiteral("Keys.DB | Tabella |"),
                      QStringLiteral("        | Check   |")});
    table.SetQuery(&query);
    EXPECT_FALSE(table.Active());
    EXPECT_FALSE(table.ParadoxOpen());
    EXPECT_EQ(table.TableName(), QString());
    // Opening runs the query: its kind comes from the first word.
    table.Open();
    EXPECT_EQ(table.QueryKind(), QStringLiteral("QBE"));
    EXPECT_EQ(table.FieldByName(QStringLiteral("Tabella"))->AsString(), QStringLiteral("BOLLE.DB"));
    query.SetStrings({QStringLiteral("SELECT * FROM Keys")});
    table.SetQuery(&query);
    EXPECT_FALSE(table.Active());
    table.Open();
    EXPECT_EQ(table.QueryKind(), QStringLiteral("SQL"));
    EXPECT_EQ(table.FieldCount(), 4);
}

TEST(WwTable, ParadoxTest) {
    struct Case {
        const char* name;
        bool paradox;
    } cases[] = {
        {"Keys.DB", true},
        {"keys.db", true},
        {"Keys", true},
        {":quennarix:Keys.DB", true},
        {"/srv/db.x/Keys", true},
        {"keys.dbf", false},
        {"notes.txt", false},
        {"", false},
        {"archive.db.bak", false},
        {"/srv/data.db/keys.csv", false},
    };
    for (const Case& c : cases) {
        TwwTable table(nullptr);
        table.SetTableName(QString::fromLatin1(c.name));
        EXPECT_EQ(table.IsParadox(), c.paradox) << c.name;
    }
}

} // namespace

// A component of another class that publishes PictureMasks: the look-up takes its lines and
// never stored pictures.
class TMaskHolder : public TComponent {
    RAVELDA_CLASS(TMaskHolder, TComponent)
public:
    explicit TMaskHolder(TComponent* AOwner)
        : TComponent(AOwner), masks_(std::make_unique<TStringList>()) {}
    TStrings* PictureMasks() const { return masks_.get(); }
    void SetPictureMasks(const TStrings* Value) { masks_->Assign(Value); }

private:
    std::unique_ptr<TStringList> masks_;
};

RAVELDA_DEFINE_CLASS(TMaskHolder) {
    c.Property("PictureMasks", &TMaskHolder::PictureMasks, &TMaskHolder::SetPictureMasks);
}

namespace {

TEST(WwTable, PictureLookUpReadsPictureMasksLines) {
    struct Case {
        const char* line;
        const char* field;
        const char* mask;
        bool autoFill, usePictureMask;
    } cases[] = {
        {"Anno\t####\tT\tT", "Anno", "####", true, true},
        {"Anno\t####\tT\tF", "anno", "####", true, false},
        {"ANNO\t####\tF\tT", "Anno", "####", false, true},
        {"Anno\t####", "Anno", "####", false, false}, // no flag tokens: both false
        {"Anno\t####\tt\tyes", "Anno", "####", false, false},
        {"Anno", "Anno", "", false, false},
        {"Tabella\t*!\tT\tT", "Anno", "", true, true}, // no line for the field: both true
    };
    for (const Case& c : cases) {
        TMaskHolder holder(nullptr);
        holder.PictureMasks()->SetStrings({QString::fromLatin1(c.line)});
        const TwwFieldPicture p = wwPictureByField(&holder, QString::fromLatin1(c.field), true);
        EXPECT_EQ(p.Mask, QString::fromLatin1(c.mask)) << c.line;
        EXPECT_EQ(p.AutoFill, c.autoFill) << c.line;
        EXPECT_EQ(p.UsePictureMask, c.usePictureMask) << c.line;
    }
    // The first matching line counts.
    TMaskHolder holder(nullptr);
    holder.PictureMasks()->SetStrings(
        {QStringLiteral("anno\t##\tT\tT"), QStringLiteral("Anno\t####\tF\tF")});
    EXPECT_EQ(wwPictureByField(&holder, QStringLiteral("Anno"), true).Mask, QStringLiteral("##"));
    // A component without the property gives the preset.
    TComponent bare(nullptr);
    const TwwFieldPicture none = wwPictureByField(&bare, QStringLiteral("Anno"), true);
    EXPECT_TRUE(none.Mask.isEmpty());
    EXPECT_TRUE(none.AutoFill && none.UsePictureMask);
    EXPECT_TRUE(wwPictureByField(nullptr, QStringLiteral("Anno"), true).Mask.isEmpty());
}

TEST(WwTable, Tokens) {
    EXPECT_EQ(wwGetToken(QStringLiteral("a;b;c"), QLatin1Char(';'), 0), QStringLiteral("a"));
    EXPECT_EQ(wwGetToken(QStringLiteral("a;b;c"), QLatin1Char(';'), 2), QStringLiteral("c"));
    EXPECT_EQ(wwGetToken(QStringLiteral("a;b;c"), QLatin1Char(';'), 3), QString());
    EXPECT_EQ(wwGetToken(QStringLiteral(";;x"), QLatin1Char(';'), 1), QString());
    EXPECT_EQ(wwGetToken(QString(), QLatin1Char(';'), 0), QString());
}

TEST(WwTable, ControlTypeLines) {
    struct Case {
        QStringList lines;
        const char* field;
        bool found;
        const char* kind;
        QString parameters;
    } cases[] = {
        {{"Attivo;CheckBox;Si;No"}, "Attivo", true, "CheckBox", "Si;No"},
        {{"Attivo;CheckBox"}, "Attivo", true, "CheckBox", "Attivo;CheckBox"},
        {{"Attivo"}, "Attivo", true, "", "Attivo"},
        {{"attivo;CheckBox;Si;No"}, "Attivo", false, "", ""}, // compared exactly
        {{"Attivo;CheckBox;Si;No", "Tipo;Combo;A", "Attivo;RichEdit;x"},
         "Attivo",
         true,
         "RichEdit",
         "x"}, // the last line counts
        {{"Foto;Bitmap;" + QString(300, QLatin1Char('p'))},
         "Foto",
         true,
         "Bitmap",
         QString(255, QLatin1Char('p'))},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetStrings(c.lines);
        QString kind, parameters;
        EXPECT_EQ(wwControlTypeOf(&list, QString::fromLatin1(c.field), kind, parameters), c.found)
            << c.lines.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(kind, QString::fromLatin1(c.kind));
        EXPECT_EQ(parameters, c.parameters);
    }
}

TEST(WwTable, LookupLines) {
    TwwLookupDefinition d =
        wwParseLookupDefinition(QStringLiteral("Cliente;quennarix;CLIENTI.DB;Nome;ByCode"));
    EXPECT_EQ(d.LookupField, QStringLiteral("Cliente"));
    EXPECT_EQ(d.DatabaseName, QStringLiteral("quennarix"));
    EXPECT_EQ(d.TableName, QStringLiteral("CLIENTI.DB"));
    EXPECT_EQ(d.DisplayField, QStringLiteral("Nome"));
    EXPECT_EQ(d.IndexName, QStringLiteral("ByCode"));
    EXPECT_TRUE(d.IndexFields.isEmpty());
    d = wwParseLookupDefinition(QStringLiteral("Cliente;quennarix;CLIENTI.DB;Nome;x;Cod;Sub;"));
    EXPECT_EQ(d.IndexName, QString());
    EXPECT_EQ(d.IndexFields, (QStringList{QStringLiteral("Cod"), QStringLiteral("Sub")}));
    d = wwParseLookupDefinition(QStringLiteral("Cliente;quennarix"));
    EXPECT_EQ(d.TableName, QString());

    const auto links = wwParseLookupLinks(QStringLiteral("Cliente;Cod;Filiale;Fil"));
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[1], std::make_pair(QStringLiteral("Filiale"), QStringLiteral("Fil")));
    EXPECT_TRUE(wwParseLookupLinks(QString()).empty());
    ASSERT_EQ(wwParseLookupLinks(QStringLiteral("Cliente")).size(), 1u);
}

// Lines that name no field go whenever calculated fields are computed; a LookupFields line takes
// its LookupLinks line with it.
TEST(WwTable, LinesNamingNoFieldArePrunedWhenCalculating) {
    TempAlias alias;
    alias.createKeysTable({{"BOLLE.DB", "2030", 0, 1}, {"FATTURE.DB", "2030", 0, 2}});
    TwwTable table(nullptr);
    TComponent form(nullptr); // the fields go before the table
    table.SetDatabaseName(alias.aliasName());
    table.SetTableName(QStringLiteral("Keys.DB"));
    table.LookupFields()->SetStrings({QStringLiteral("Gone;quennarix;X.DB;A;I"),
                                      QStringLiteral("twice;quennarix;Y.DB;B;I"),
                                      QStringLiteral("Missing;quennarix;Z.DB;C;I")});
    table.LookupLinks()->SetStrings({QStringLiteral("Anno;A"), QStringLiteral("Anno;B")});
    table.ControlType()->SetStrings({QStringLiteral("Registro;CheckBox;1;0"),
                                     QStringLiteral("Old;Combo;x"), QStringLiteral("TABELLA;Url")});

    // Without calculated fields nothing is computed, so nothing is pruned.
    table.Open();
    table.Next();
    EXPECT_EQ(table.LookupFields()->Count(), 3);
    table.Close();

    for (const char* name : {"Tabella", "Anno"}) {
        auto* f = new TStringField(&form);
        f->SetFieldName(QString::fromLatin1(name));
        f->SetSize(QByteArray(name) == "Tabella" ? 30 : 4);
        f->SetDataSet(&table);
    }
    auto* registro = new TSmallintField(&form);
    registro->SetFieldName(QStringLiteral("Registro"));
    registro->SetDataSet(&table);
    auto* twice = new TIntegerField(&form);
    twice->SetFieldName(QStringLiteral("Twice"));
    twice->SetFieldKind(fkCalculated);
    twice->SetDataSet(&table);
    int calculated = 0;
    table.OnCalcFields = [&](TDataSet*) {
        ++calculated;
        twice->SetAsInteger(2 * registro->AsInteger());
    };
    table.Open();
    EXPECT_GT(calculated, 0);
    EXPECT_EQ(Lines(table.LookupFields()), QStringList{QStringLiteral("twice;quennarix;Y.DB;B;I")});
    EXPECT_EQ(Lines(table.LookupLinks()), QStringList{QStringLiteral("Anno;B")});
    EXPECT_EQ(Lines(table.ControlType()), (QStringList{QStringLiteral("Registro;CheckBox;1;0"),
                                                       QStringLiteral("TABELLA;Url")}));
    table.Close();
}

} // namespace
