// A connected TwwIntl copies its values into the global instance; the two grid styles follow it
// while connected; the global reference goes when the global instance goes.
#include "wwintl_fixture.h"

#include "platform/dfmreader.h"
#include "platform/dfmwriter.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QVariant>
#include <memory>

namespace {

// A published value of a component on a form, and a value that differs from the default.
struct CopiedValue {
    const char* path;
    QVariant value;
};

const CopiedValue kCopiedValues[] = {
    {"Navigator.ConfirmDeleteMessage", QString("Cancellare il record?")},
    {"Navigator.Hints.PriorPageHint", QString("Indietro di %d record")},
    {"Navigator.Hints.SearchDialogHint", QString("Cerca")},
    {"UserMessages.wwDBGridDiscardChanges", QString("Annullare le modifiche?")},
    {"UserMessages.RecordViewExitWarning", QString("Salvare?")},
    {"SearchDialog.StatusOfLabel", QString("di")},
    {"LocateDialog.FieldNameHint", QString("Campo")},
    {"MonthCalendar.EnterYearPrompt", QString("Anno valido")},
    {"FilterDialog.BtnClearAllHint", QString("Togli tutto")},
    {"RichEdit.EditorCaption", QString("Testo")},
    {"RichEdit.MenuLabels.FileExit", QString("&Esci")},
    {"RichEdit.PopupMenuLabels.Paste", QString("&Incolla")},
    {"RichEdit.ParagraphDialog.AlignJustify", QString("Giustificato")},
    {"RichEdit.ParagraphDialog.HelpContext", 11},
    {"RichEdit.TabDialog.Caption", QString("Tabulazioni")},
    {"RichEdit.TabDialog.HelpContext", 12},
    {"ADO.UseLocateWhenFindingValue", false},
    {"OKCancelBitmapped", false},
    {"BtnOKCaption", QString("&Va bene")},
    {"BtnCancelCaption", QString("Annulla")},
    {"CheckBoxInGridStyle", QString("cbStyleCheckmarkFlat")},
    {"GridPaintStyle", QString("gpsBitmapCanvas")},
    {"UseLocateMethodForSearch", false},
    {"DialogFontStyle", QString("[fsBold, fsUnderline]")},
    {"DefaultEpochYear", 1930},
    {"FilterMemoSize", 1024},
};

QVariant Normalised(const TObject* obj, const char* path) {
    const TPropInfo* p = GetPropInfo(obj, path);
    if (p->Kind == TPropKind::Enumeration) return GetEnumProp(obj, path);
    if (p->Kind == TPropKind::Set) return GetSetProp(obj, path);
    return GetPropValue(obj, path);
}

class WwIntlConnectTest : public WwIntlTest {
protected:
    // The form a program places its own TwwIntl on.
    TComponent form_{nullptr};
};

TEST_F(WwIntlConnectTest, ConnectingCopiesEveryListedValue) {
    auto* local = new TwwIntl(&form_);
    TwwIntl reference(nullptr);
    for (const CopiedValue& v : kCopiedValues) {
        SetPropValue(local, v.path, v.value);
        // Nothing reaches the global instance before Connected is written.
        EXPECT_EQ(Normalised(Global(), v.path), Normalised(&reference, v.path)) << v.path;
    }
    local->SetCancelRangeResetsFilter(false);

    local->SetConnected(true);

    for (const CopiedValue& v : kCopiedValues)
        EXPECT_EQ(Normalised(Global(), v.path), Normalised(local, v.path)) << v.path;
    EXPECT_FALSE(Global()->CancelRangeResetsFilter());
    // Connected itself stays behind; the global instance knows it has been connected to.
    EXPECT_FALSE(Global()->Connected());
    EXPECT_TRUE(Global()->HasConnectedSource());
    EXPECT_FALSE(local->HasConnectedSource());
}

TEST_F(WwIntlConnectTest, ConnectedChangesTheTextsReadAfterwards) {
    auto* local = new TwwIntl(&form_);
    local->Navigator()->SetConfirmDeleteMessage("Cancellare il record?");
    EXPECT_EQ(wwIntl()->Navigator()->ConfirmDeleteMessage(), "Delete record?");
    local->SetConnected(true);
    EXPECT_EQ(wwIntl()->Navigator()->ConfirmDeleteMessage(), "Cancellare il record?");
    // A later change of the component's texts is not carried over until it connects again.
    local->Navigator()->SetConfirmDeleteMessage("Eliminare?");
    EXPECT_EQ(wwIntl()->Navigator()->ConfirmDeleteMessage(), "Cancellare il record?");
    local->SetConnected(true);
    EXPECT_EQ(wwIntl()->Navigator()->ConfirmDeleteMessage(), "Eliminare?");
}

TEST_F(WwIntlConnectTest, WritingFalseCopiesNothing) {
    auto* local = new TwwIntl(&form_);
    local->SetBtnOKCaption("&Si");
    local->SetConnected(false);
    EXPECT_EQ(Global()->BtnOKCaption(), "&OK");
    EXPECT_FALSE(Global()->HasConnectedSource());
}

TEST_F(WwIntlConnectTest, TheGlobalInstanceConnectedCopiesNothingIntoItself) {
    Global()->SetIniFileName("griglia");
    Global()->SetConnected(true);
    EXPECT_TRUE(Global()->Connected());
    // A copy into itself would have applied the ".ini" rule.
    EXPECT_EQ(Global()->IniFileName(), "griglia");
    EXPECT_FALSE(Global()->HasConnectedSource());
    EXPECT_TRUE(Global()->IsGlobal());
}

struct IniCase {
    const char* stored;
    const char* global;
};

TEST_F(WwIntlConnectTest, IniFileNameRule) {
    const IniCase cases[] = {
        {"", ""},
        {".ini", ""},
        {"griglia", "griglia.ini"},
        {"griglia.ini", "griglia.ini.ini"},
        {"/home/utente/impostazioni", "/home/utente/impostazioni.ini"},
        {".INI", ".INI.ini"},
        {"a.ini.bak", "a.ini.bak.ini"},
    };
    for (const IniCase& c : cases) {
        SCOPED_TRACE(c.stored);
        auto local = std::make_unique<TwwIntl>(&form_);
        Global()->SetIniFileName("before");
        local->SetIniFileName(c.stored);
        local->SetConnected(true);
        EXPECT_EQ(Global()->IniFileName(), QString(c.global));
        EXPECT_EQ(local->IniFileName(), QString(c.stored));
        EXPECT_EQ(wwConnectedIniFileName(c.stored), QString(c.global));
    }
}

TEST_F(WwIntlConnectTest, GridStylesFollowAConnectedComponent) {
    auto* local = new TwwIntl(&form_);
    local->SetCheckBoxInGridStyle(cbStyleXmark);
    local->SetGridPaintStyle(gpsBitmapCanvas);
    EXPECT_EQ(Global()->CheckBoxInGridStyle(), cbStyleAuto);
    EXPECT_EQ(Global()->GridPaintStyle(), gpsDynamicDeviceContext);

    local->SetConnected(true);
    EXPECT_EQ(Global()->CheckBoxInGridStyle(), cbStyleXmark);
    EXPECT_EQ(Global()->GridPaintStyle(), gpsBitmapCanvas);

    // While connected, each write goes through, also by name.
    SetPropValue(local, "CheckBoxInGridStyle", QString("cbStyleCheckmark"));
    local->SetGridPaintStyle(gpsDynamicDeviceContext);
    EXPECT_EQ(Global()->CheckBoxInGridStyle(), cbStyleCheckmark);
    EXPECT_EQ(Global()->GridPaintStyle(), gpsDynamicDeviceContext);
    // Other settings do not.
    local->SetFilterMemoSize(10);
    EXPECT_EQ(Global()->FilterMemoSize(), 65536);

    local->SetConnected(false);
    local->SetCheckBoxInGridStyle(cbStyleCheckmarkFlat);
    EXPECT_EQ(Global()->CheckBoxInGridStyle(), cbStyleCheckmark);
}

TEST_F(WwIntlConnectTest, GridStylesWrittenOnTheConnectedGlobalJustStore) {
    Global()->SetConnected(true);
    Global()->SetGridPaintStyle(gpsBitmapCanvas);
    Global()->SetCheckBoxInGridStyle(cbStyleXmark);
    EXPECT_EQ(Global()->GridPaintStyle(), gpsBitmapCanvas);
    EXPECT_EQ(Global()->CheckBoxInGridStyle(), cbStyleXmark);
}

// ---- Loading from a stored description

const char* const kStoredForm = R"(object Form1: TComponent
  object wwIntl1: TwwIntl
    Navigator.ConfirmDeleteMessage = 'Cancellare il record?'
    IniFileName = 'griglia'
    Connected = True
    UserMessages.wwDBGridDiscardChanges = 'Annullare le modifiche?'
    GridPaintStyle = gpsBitmapCanvas
    DialogFontStyle = [fsBold]
  end
end
)";

TEST_F(WwIntlConnectTest, ConnectedInADescriptionCopiesAtTheEndOfLoading) {
    std::unique_ptr<TComponent> form(CreateComponentFromText(nullptr, kStoredForm));
    auto* local = dynamic_cast<TwwIntl*>(form->FindComponent("wwIntl1"));
    ASSERT_NE(local, nullptr);
    EXPECT_TRUE(local->Connected());
    // Values stored after Connected arrive too: the copy waits for the end of loading.
    EXPECT_EQ(Global()->Navigator()->ConfirmDeleteMessage(), "Cancellare il record?");
    EXPECT_EQ(Global()->UserMessages()->wwDBGridDiscardChanges(), "Annullare le modifiche?");
    EXPECT_EQ(Global()->GridPaintStyle(), gpsBitmapCanvas);
    EXPECT_EQ(Global()->DialogFontStyle(), TFontStyles{fsBold});
    EXPECT_EQ(Global()->IniFileName(), "griglia.ini");
    EXPECT_FALSE(Global()->Connected());
}

TEST_F(WwIntlConnectTest, AFailedLoadLeavesTheGlobalInstanceAlone) {
    const char* broken = R"(object Form1: TComponent
  object wwIntl1: TwwIntl
    Connected = True
    Navigator.ConfirmDeleteMessage = 'Cancellare il record?'
    GridPaintStyle = gpsBitmapCanvas
    NoSuchProperty = 1
  end
end
)";
    EXPECT_THROW(CreateComponentFromText(nullptr, broken), EReadError);
    EXPECT_EQ(Global()->Navigator()->ConfirmDeleteMessage(), "Delete record?");
    EXPECT_EQ(Global()->GridPaintStyle(), gpsDynamicDeviceContext);
}

TEST_F(WwIntlConnectTest, NotConnectedInADescriptionCopiesNothing) {
    const char* stored = R"(object Form1: TComponent
  object wwIntl1: TwwIntl
    BtnCancelCaption = 'Annulla'
  end
end
)";
    std::unique_ptr<TComponent> form(CreateComponentFromText(nullptr, stored));
    EXPECT_EQ(Global()->BtnCancelCaption(), "Cancel");
}

TEST_F(WwIntlConnectTest, ADescriptionStoresOnlyChangedTextsAndReadsBack) {
    form_.SetName("Form1");
    auto* local = new TwwIntl(&form_);
    local->SetName("wwIntl1");
    local->Navigator()->Hints()->SetPriorPageHint("Indietro di %d record");
    local->RichEdit()->TabDialog()->SetHelpContext(5);
    local->SetDefaultEpochYear(1940);
    const QString text = WriteComponentText(&form_);
    EXPECT_TRUE(text.contains("PriorPageHint")) << text.toStdString();
    EXPECT_TRUE(text.contains("HelpContext")) << text.toStdString();
    EXPECT_FALSE(text.contains("NextPageHint")) << text.toStdString();
    EXPECT_FALSE(text.contains("ConfirmDeleteMessage")) << text.toStdString();

    std::unique_ptr<TComponent> copy(CreateComponentFromText(nullptr, text));
    auto* read = dynamic_cast<TwwIntl*>(copy->FindComponent("wwIntl1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Navigator()->Hints()->PriorPageHint(), "Indietro di %d record");
    EXPECT_EQ(read->RichEdit()->TabDialog()->HelpContext(), 5);
    EXPECT_EQ(read->DefaultEpochYear(), 1940);
    EXPECT_EQ(read->BtnOKCaption(), "&OK");
}

// ---- The global reference

TEST_F(WwIntlConnectTest, TheGlobalInstanceIsOwnedByTheApplication) {
    EXPECT_EQ(Global()->Owner(), Application);
    EXPECT_EQ(wwIntl(), Global());
    InitWwIntlUnit(); // a second initialisation keeps the instance
    EXPECT_EQ(Global()->Owner(), Application);
    EXPECT_EQ(Application->ComponentCount(), 1);
}

TEST_F(WwIntlConnectTest, DestroyingTheGlobalInstanceClearsTheReference) {
    TwwIntl* g = Global();
    TwwIntl other(nullptr);
    EXPECT_FALSE(other.IsGlobal());
    delete g;
    EXPECT_EQ(wwIntl(), nullptr);
    EXPECT_EQ(Application->ComponentCount(), 0);
    // Components that connect now find nothing to copy into.
    other.SetConnected(true);
    other.SetGridPaintStyle(gpsBitmapCanvas);
    EXPECT_EQ(wwIntl(), nullptr);
    // A new initialisation starts a new instance.
    InitWwIntlUnit();
    ASSERT_NE(wwIntl(), nullptr);
    EXPECT_EQ(wwIntl()->Navigator()->ConfirmDeleteMessage(), "Delete record?");
}

TEST_F(WwIntlConnectTest, TheApplicationGoingTakesTheGlobalInstanceWithIt) {
    app_.reset();
    EXPECT_EQ(wwIntl(), nullptr);
}

TEST_F(WwIntlConnectTest, DestroyingAnotherInstanceKeepsTheGlobalOne) {
    TwwIntl* g = Global();
    delete new TwwIntl(&form_);
    EXPECT_EQ(wwIntl(), g);
}

TEST_F(WwIntlConnectTest, FinalisingFreesTheGlobalInstance) {
    FinalizeWwIntlUnit();
    EXPECT_EQ(wwIntl(), nullptr);
    EXPECT_EQ(Application->ComponentCount(), 0);
}

} // namespace
