// TDataSource and TwwDataSource: state, the order in which links hear events, Enabled,
// AutoEdit, circular links and detaching on destruction.
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "data/wwdatsrc.h"
#include "platform/properties.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>
#include <memory>

using ravelda::test::RecordingDataLink;
using ravelda::test::TempAlias;

namespace {

template <class Source> class DataSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        alias.createNumberedTable("T.DB", 10);
        table = std::make_unique<TTable>(nullptr);
        table->SetDatabaseName(alias.aliasName());
        table->SetTableName(QStringLiteral("T.DB"));
        source = std::make_unique<Source>(nullptr);
        source->SetDataSet(table.get());
    }
    TempAlias alias;
    std::unique_ptr<TTable> table;
    std::unique_ptr<TDataSource> source;
};

using SourceKinds = ::testing::Types<TDataSource, TwwDataSource>;
TYPED_TEST_SUITE(DataSourceTest, SourceKinds);

// Non-visual links first, then visual ones, each from the most recently added.
TYPED_TEST(DataSourceTest, NotificationOrder) {
    QStringList order;
    RecordingDataLink a(false, QStringLiteral("A")), b(true, QStringLiteral("B")),
        c(false, QStringLiteral("C")), d(true, QStringLiteral("D"));
    for (RecordingDataLink* l : {&a, &b, &c, &d})
        l->SetDataSource(this->source.get());
    this->table->Open();
    auto merged = [&] {
        QStringList all;
        for (RecordingDataLink* l : {&a, &b, &c, &d})
            all += l->take();
        return all;
    };
    merged();
    // Each link logs into its own list; order is observed through a shared list instead.
    struct Shared : RecordingDataLink {
        QStringList* out;
        Shared(bool v, QString n, QStringList* o) : RecordingDataLink(v, n), out(o) {}
        void DataSetChanged() override { *out << name; }
    };
    Shared s1(false, QStringLiteral("n1"), &order), s2(true, QStringLiteral("v1"), &order),
        s3(false, QStringLiteral("n2"), &order), s4(true, QStringLiteral("v2"), &order);
    for (Shared* l : {&s1, &s2, &s3, &s4})
        l->SetDataSource(this->source.get());
    this->table->Last();
    EXPECT_EQ(order, (QStringList{"n2", "n1", "v2", "v1"}));
    for (Shared* l : {&s1, &s2, &s3, &s4})
        l->SetDataSource(nullptr);
    for (RecordingDataLink* l : {&a, &b, &c, &d})
        l->SetDataSource(nullptr);
}

TYPED_TEST(DataSourceTest, StateAndEvents) {
    QStringList events;
    this->source->OnStateChange = [&](TObject*) {
        events << QStringLiteral("state %1").arg(this->source->State());
    };
    this->source->OnDataChange = [&](TObject*, TField* f) {
        events << QStringLiteral("data %1").arg(f ? f->FieldName() : QStringLiteral("-"));
    };
    this->source->OnUpdateData = [&](TObject*) { events << QStringLiteral("update"); };
    EXPECT_EQ(this->source->State(), dsInactive);
    this->table->Open();
    EXPECT_EQ(events, (QStringList{"state 1", "data -"}));
    events.clear();
    this->table->Next();
    this->table->Edit();
    this->table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("x"));
    this->table->Post();
    EXPECT_EQ(events, (QStringList{"data -", "state 2", "data -", "data Name", "update", "state 1",
                                   "data -"}));
}

TYPED_TEST(DataSourceTest, DisabledSourceLooksInactive) {
    RecordingDataLink link;
    link.SetDataSource(this->source.get());
    this->table->Open();
    EXPECT_TRUE(link.Active());
    link.take();
    this->source->SetEnabled(false);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(this->source->State(), dsInactive);
    EXPECT_EQ(link.take(), QStringList{"active 0"});
    this->table->Next();
    EXPECT_TRUE(link.take().isEmpty());
    this->source->SetEnabled(true);
    EXPECT_EQ(link.take(), QStringList{"active 1"});
    EXPECT_EQ(link.ActiveRecord(), 0); // a one-record window on the current record
    link.SetDataSource(nullptr);
}

TYPED_TEST(DataSourceTest, AddingLinkTellsItTheStateAndSizesBuffers) {
    this->table->Open();
    RecordingDataLink link;
    link.SetBufferCount(7);
    link.SetDataSource(this->source.get());
    EXPECT_EQ(link.take(), QStringList{"active 1"});
    EXPECT_EQ(this->table->BufferCount(), 7);
    EXPECT_EQ(link.RecordCount(), 7);
    link.SetDataSource(nullptr);
    EXPECT_EQ(this->table->BufferCount(), 1);
    EXPECT_FALSE(link.Active());
}

TYPED_TEST(DataSourceTest, DestroyingSourceDetachesLinks) {
    this->table->Open();
    RecordingDataLink link;
    link.SetDataSource(this->source.get());
    link.take();
    this->source.reset();
    EXPECT_EQ(link.DataSource(), nullptr);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.take(), QStringList{"active 0"});
    this->table->Next(); // the table no longer knows the source
}

TYPED_TEST(DataSourceTest, DestroyingDataSetDetachesSource) {
    this->table->Open();
    RecordingDataLink link;
    link.SetDataSource(this->source.get());
    link.take();
    this->table.reset();
    EXPECT_EQ(this->source->DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
    link.SetDataSource(nullptr);
}

TYPED_TEST(DataSourceTest, CircularLinksRefused) {
    TTable detail(nullptr);
    detail.SetMasterSource(this->source.get());
    TDataSource detailSource(nullptr);
    detailSource.SetDataSet(&detail);
    // The master's chain would lead back through the detail to this source.
    try {
        this->table->SetMasterSource(&detailSource);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Circular datalinks are not allowed"));
    }
    EXPECT_EQ(this->table->MasterSource(), nullptr);
    TDataSource self(nullptr);
    detail.SetMasterSource(&self);
    EXPECT_THROW(self.SetDataSet(&detail), EDatabaseError);
    EXPECT_EQ(self.DataSet(), nullptr);
    detail.SetMasterSource(nullptr);
}

TYPED_TEST(DataSourceTest, PublishedProperties) {
    TDataSource* s = this->source.get();
    EXPECT_EQ(GetComponentProp(s, QStringLiteral("DataSet")), this->table.get());
    EXPECT_TRUE(GetPropValue(s, QStringLiteral("AutoEdit")).toBool());
    EXPECT_TRUE(GetPropValue(s, QStringLiteral("Enabled")).toBool());
    EXPECT_TRUE(GetPropInfo(s, QStringLiteral("AutoEdit"))->IsDefaultValue(s));
    EXPECT_NE(GetPropInfo(s, QStringLiteral("OnDataChange")), nullptr);
}

TEST(TableProperties, PublishedByName) {
    TTable t(nullptr);
    SetPropValue(&t, QStringLiteral("DatabaseName"), QStringLiteral("quennarix"));
    SetPropValue(&t, QStringLiteral("TableName"), QStringLiteral("Keys.DB"));
    EXPECT_EQ(t.TableName(), QStringLiteral("Keys.DB"));
    for (const char* p : {"Active", "ReadOnly", "Exclusive", "IndexFieldNames", "IndexName",
                          "MasterSource", "MasterFields", "BeforePost", "AfterPost"})
        EXPECT_TRUE(IsPublishedProp(&t, QString::fromLatin1(p))) << p;
    EXPECT_EQ(GetStringsProp(&t, QStringLiteral("PictureMasks")), nullptr);
}

} // namespace
