// The dialog base: creation by class name, binding by published property, removal notices, the
// modal run and its errors.
#include "common/wwintl.h"
#include "platform/properties.h"
#include "platform/testseams.h"
#include "tests/dialogs/dialog_support.h"

#include <QStyle>
#include <memory>

using namespace ravelda::test;

namespace {

class Dialogs : public KeysTable {};

TEST_F(Dialogs, CreatedByClassNameAndBoundByPropertyName) {
    RegisterDialogClasses();
    struct {
        const char* className;
        const char* property; // how the dialog is bound
    } cases[] = {
        {"TwwFilterDialog", "DataSource"},
        {"TwwRecordViewDialog", "DataSource"},
        {"TwwLocateDialog", "DataSource"},
        {"TwwSearchDialog", "SearchTable"},
    };
    TComponent owner(nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        const TClassInfo* cls = FindClass(QString::fromLatin1(c.className));
        ASSERT_NE(cls, nullptr);
        ASSERT_TRUE(cls->InheritsFrom(TwwCustomDialog::StaticClass()));
        TComponent* made = cls->CreateComponent(&owner);
        auto* dialog = dynamic_cast<TwwCustomDialog*>(made);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->ClassName(), QString::fromLatin1(c.className));
        EXPECT_EQ(dialog->Owner(), &owner);
        EXPECT_EQ(dialog->BoundDataSet(), nullptr);
        EXPECT_FALSE(dialog->IsBoundTo(&table));

        TComponent* target = QString::fromLatin1(c.property) == QLatin1String("DataSource")
                                 ? static_cast<TComponent*>(&source)
                                 : static_cast<TComponent*>(&table);
        SetPropValue(dialog, QString::fromLatin1(c.property),
                     QVariant::fromValue<TComponent*>(target));
        EXPECT_EQ(GetComponentProp(dialog, QString::fromLatin1(c.property)), target);
        EXPECT_EQ(dialog->BoundDataSet(), &table);
        EXPECT_TRUE(dialog->IsBoundTo(&table));
        EXPECT_FALSE(dialog->IsBoundTo(nullptr));
        // Only the property of its kind: the navigator sets "each only if the dialog has it".
        const char* other = QString::fromLatin1(c.property) == QLatin1String("DataSource")
                                ? "SearchTable"
                                : "DataSource";
        EXPECT_FALSE(IsPublishedProp(dialog, QString::fromLatin1(other)));
    }
}

TEST_F(Dialogs, ForgetTheirSourceOrTableWhenItGoes) {
    auto ownSource = std::make_unique<TDataSource>(nullptr);
    ownSource->SetDataSet(&table);
    TwwLocateDialog locate(nullptr);
    locate.SetDataSource(ownSource.get());
    ASSERT_TRUE(locate.IsBoundTo(&table));

    auto ownTable = std::make_unique<TwwTable>(nullptr);
    TwwSearchDialog search(nullptr);
    search.SetSearchTable(ownTable.get());
    ASSERT_EQ(search.BoundDataSet(), ownTable.get());

    ownSource.reset();
    ownTable.reset();
    EXPECT_EQ(locate.DataSource(), nullptr);
    EXPECT_EQ(locate.BoundDataSet(), nullptr);
    EXPECT_EQ(search.SearchTable(), nullptr);
    EXPECT_THROW(locate.Execute(), EInvalidOperation);
}

TEST_F(Dialogs, ADialogThatGoesFirstLeavesItsSourceClean) {
    {
        TwwRecordViewDialog view(nullptr);
        view.SetDataSource(&source);
        TwwSearchDialog search(nullptr);
        search.SetSearchTable(&table);
    }
    // Neither the source nor the table may still point at the dialogs: freeing them must not
    // touch freed memory (the sanitizer build checks), and they keep working.
    table.Next();
    EXPECT_EQ(chiave(), 2);
}

TEST_F(Dialogs, RunNeedsAnOpenBoundDataset) {
    ScopedDialogRunner runner([](QDialog& w) { w.reject(); });
    TwwLocateDialog unbound(nullptr);
    try {
        unbound.Execute();
        FAIL() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("TwwLocateDialog is not bound to a dataset"));
    }
    TwwLocateDialog locate(nullptr);
    locate.SetDataSource(&source);
    table.Close();
    EXPECT_THROW(locate.Execute(), EInvalidOperation);
    EXPECT_EQ(runner.runs, 0);
    table.Open();
    EXPECT_FALSE(locate.Execute());
    EXPECT_EQ(runner.runs, 1);
    EXPECT_EQ(locate.Window(), nullptr); // gone after the run
}

TEST_F(Dialogs, WindowHasTheCaptionAndTheClassicLook) {
    TwwRecordViewDialog view(nullptr);
    view.SetDataSource(&source);
    view.SetCaption(QStringLiteral("Riga"));
    QString title, style;
    bool seenDuringRun = false;
    ScopedDialogRunner runner([&](QDialog& w) {
        title = w.windowTitle();
        style = Child<QLineEdit>(w, "Edit_Tabella").style()->name();
        seenDuringRun = view.Window() == &w;
        w.reject();
    });
    view.Execute();
    EXPECT_EQ(title, QStringLiteral("Riga"));
    EXPECT_EQ(style.toLower(), QStringLiteral("windows"));
    EXPECT_TRUE(seenDuringRun);
}

TEST_F(Dialogs, StillHaveTheirTextsAfterTheTextsUnitFinished) {
    FinalizeWwIntlUnit();
    TTestMessageBoxes boxes;
    TwwLocateDialog locate(nullptr);
    locate.SetDataSource(&source);
    QString first;
    ScopedDialogRunner runner([&](QDialog& w) {
        first = Child<QAbstractButton>(w, "FirstButton").text();
        Type(w, "ValueEdit", QStringLiteral("nessuna"));
        Click(w, "FirstButton");
        Click(w, "CloseButton");
    });
    EXPECT_FALSE(locate.Execute());
    InitWwIntlUnit();
    EXPECT_EQ(first, QStringLiteral("&First"));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("No matches found"));
}

} // namespace
