// The dialog styles: a click finds an owned dialog bound to the dataset or creates one bound to it,
// tells OnAfterCreateDialog and runs it; writing Dialog sets the style; the enabled rule.
#include "navigator_support.h"

#include "data/wwtable.h"
#include "dialogs/wwdialog.h"
#include "platform/classes.h"
#include "platform/properties.h"

#include <QDialog>

using namespace ravelda::test;

namespace {

class NavigatorDialogs : public NavigatorTest {
protected:
    void SetUp() override {
        RegisterDialogClasses();
        previous = SetDialogRunner([this](QDialog& w) {
            runs.push_back(w.objectName());
            return int(QDialog::Rejected);
        });
    }
    void TearDown() override { SetDialogRunner(previous); }

    TwwCustomDialog* NewDialog(const char* cls, TComponent* owner) {
        return dynamic_cast<TwwCustomDialog*>(
            GetClass(QString::fromLatin1(cls)).CreateComponent(owner));
    }

    TwwDialogRunner previous;
    QStringList runs;
};

struct HandOffCase {
    TwwNavButtonStyle style;
    const char* cls;
    bool ownedByDataSet;
    const char* bindProperty;
};

const HandOffCase kHandOffCases[] = {
    {nbsFilterDialog, "TwwFilterDialog", true, "DataSource"},
    {nbsRecordViewDialog, "TwwRecordViewDialog", false, "DataSource"},
    {nbsLocateDialog, "TwwLocateDialog", false, "DataSource"},
    {nbsSearchDialog, "TwwSearchDialog", false, "SearchTable"},
};

TEST_F(NavigatorDialogs, ClickCreatesABoundDialogOnce) {
    // The filter dialog runs only on a dataset that can be filtered.
    SetUpTable(5, true, [](TComponent* owner) { return new TwwTable(owner); });
    for (const HandOffCase& c : kHandOffCases) {
        SCOPED_TRACE(c.cls);
        runs.clear();
        TwwNavButton* b = nav->Buttons()->AddButton(c.style);
        EXPECT_TRUE(b->Enabled()) << "no dialog yet";
        std::vector<TwwCustomDialog*> created;
        b->OnAfterCreateDialog = [&](TwwCustomDialog* d) { created.push_back(d); };
        b->Click();
        ASSERT_EQ(created.size(), 1u);
        TwwCustomDialog* d = created[0];
        EXPECT_EQ(b->Dialog(), d);
        EXPECT_EQ(d->ClassName(), QString::fromLatin1(c.cls));
        EXPECT_EQ(d->Owner(), c.ownedByDataSet ? static_cast<TComponent*>(table) : nav);
        EXPECT_TRUE(d->IsBoundTo(table));
        TComponent* bound = GetComponentProp(d, QString::fromLatin1(c.bindProperty));
        EXPECT_EQ(bound, std::string(c.bindProperty) == "SearchTable"
                             ? static_cast<TComponent*>(table)
                             : static_cast<TComponent*>(source));
        EXPECT_EQ(runs.size(), 1);
        b->Click();
        EXPECT_EQ(created.size(), 1u) << "the button keeps its dialog";
        EXPECT_EQ(runs.size(), 2);
    }
}

TEST_F(NavigatorDialogs, ClickFindsAnOwnedDialogBoundToTheDataSet) {
    SetUpTable(5);
    TDataSource otherSource(nullptr);
    TwwCustomDialog* unbound = NewDialog("TwwLocateDialog", nav);
    TwwCustomDialog* elsewhere = NewDialog("TwwLocateDialog", nav);
    SetPropValue(elsewhere, QStringLiteral("DataSource"),
                 QVariant::fromValue<TComponent*>(&otherSource));
    TwwCustomDialog* wrongKind = NewDialog("TwwRecordViewDialog", nav);
    SetPropValue(wrongKind, QStringLiteral("DataSource"), QVariant::fromValue<TComponent*>(source));
    TwwCustomDialog* wanted = NewDialog("TwwLocateDialog", nav);
    SetPropValue(wanted, QStringLiteral("DataSource"), QVariant::fromValue<TComponent*>(source));
    (void)unbound;
    TwwNavButton* b = nav->Buttons()->AddButton(nbsLocateDialog);
    bool told = false;
    b->OnAfterCreateDialog = [&](TwwCustomDialog*) { told = true; };
    b->Click();
    EXPECT_EQ(b->Dialog(), wanted);
    EXPECT_FALSE(told);
    EXPECT_EQ(runs.size(), 1);
}

TEST_F(NavigatorDialogs, WritingDialogSetsTheStyleAndTheState) {
    SetUpTable(5);
    TwwNavButton* b = nav->Buttons()->AddButton(nbsCustom);
    TwwCustomDialog* search = NewDialog("TwwSearchDialog", root.get());
    b->SetDialog(search);
    EXPECT_EQ(b->Style(), nbsSearchDialog);
    EXPECT_FALSE(b->Enabled()) << "its dialog is bound to no dataset";
    SetPropValue(search, QStringLiteral("SearchTable"), QVariant::fromValue<TComponent*>(table));
    b->SetDialog(search);
    EXPECT_TRUE(b->Enabled());
    table->Close();
    EXPECT_FALSE(b->Enabled());
    delete search;
    EXPECT_EQ(b->Dialog(), nullptr);
}

TEST_F(NavigatorDialogs, ReplacedDialogIsFreedOnlyWhenTheButtonOwnsIt) {
    SetUpTable(5);
    TwwNavButton* b = nav->Buttons()->AddButton(nbsLocateDialog);
    TwwCustomDialog* owned = NewDialog("TwwLocateDialog", b);
    TwwCustomDialog* shared = NewDialog("TwwLocateDialog", root.get());
    bool ownedGone = false;
    struct Watch : TComponent {
        explicit Watch(bool& flag) : TComponent(nullptr), flag_(flag) {}
        void Notification(TComponent* c, TOperation op) override {
            TComponent::Notification(c, op);
            if (op == opRemove && c->Name() == QStringLiteral("Owned")) flag_ = true;
        }
        bool& flag_;
    } watch(ownedGone);
    owned->SetName(QStringLiteral("Owned"));
    owned->FreeNotification(&watch);
    b->SetDialog(owned);
    b->SetDialog(shared);
    EXPECT_TRUE(ownedGone);
    b->SetDialog(nullptr);
    EXPECT_EQ(shared->Owner(), root.get());
}

TEST_F(NavigatorDialogs, NothingIsCreatedAtDesignTime) {
    SetUpTable(5);
    TwwNavButton* b = nav->Buttons()->AddButton(nbsRecordViewDialog);
    const int before = nav->ComponentCount();
    nav->SetDesigning(true);
    b->Click();
    EXPECT_EQ(b->Dialog(), nullptr);
    EXPECT_EQ(nav->ComponentCount(), before);
    EXPECT_TRUE(runs.isEmpty());
}

} // namespace
