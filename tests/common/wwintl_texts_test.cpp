// The texts and settings a new TwwIntl holds, read through the property registry by dotted
// name, and the copying of texts groups.
#include "wwintl_fixture.h"

#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QStringList>

namespace {

struct TextCase {
    const char* path;
    const char* text;
};

// Every navigator and user-message text, word for word.
const TextCase kNavigatorAndMessageTexts[] = {
    {"Navigator.ConfirmDeleteMessage", "Delete record?"},
    {"Navigator.Hints.FirstHint", "Move to first record"},
    {"Navigator.Hints.PriorHint", "Move to prior record"},
    {"Navigator.Hints.NextHint", "Move to next record"},
    {"Navigator.Hints.LastHint", "Move to last record"},
    {"Navigator.Hints.InsertHint", "Insert new record"},
    {"Navigator.Hints.DeleteHint", "Delete current record"},
    {"Navigator.Hints.EditHint", "Edit current record"},
    {"Navigator.Hints.PostHint", "Post changes of current record"},
    {"Navigator.Hints.CancelHint", "Cancel changes made to current record"},
    {"Navigator.Hints.RefreshHint", "Refresh the contents of the dataset"},
    {"Navigator.Hints.PriorPageHint", "Move backward %d records"},
    {"Navigator.Hints.NextPageHint", "Move forward %d records"},
    {"Navigator.Hints.SaveBookmarkHint", "Bookmark current record"},
    {"Navigator.Hints.RestoreBookmarkHint", "Go back to saved bookmark"},
    {"Navigator.Hints.RecordViewDialogHint", "View current record"},
    {"Navigator.Hints.LocateDialogHint", "Locate a specific record"},
    {"Navigator.Hints.FilterDialogHint", "Filter the dataset"},
    {"Navigator.Hints.SearchDialogHint", "Search the dataset"},
    {"UserMessages.wwDBGridDiscardChanges", "Discard changes to this record?"},
    {"UserMessages.PictureValidateError", "Invalid characters. Field : "},
    {"UserMessages.LocateNoMatches", "No matches found"},
    {"UserMessages.LocateNoMoreMatches", "No more matches found"},
    {"UserMessages.MemoChangesWarning",
     "Changes have been made!  Are you sure you wish to cancel?"},
    {"UserMessages.RichEditExitWarning",
     "Changes have been made!  Do you wish to save your changes?"},
    {"UserMessages.RichEditClearWarning", "Clear entire text?"},
    {"UserMessages.RichEditSpellCheckComplete", "The spell check is complete."},
    {"UserMessages.RichEditMSWordNotFound", "Unable to start Microsoft Word's Spell Checker."},
    {"UserMessages.FilterDlgNoCriteria", "You have not selected any search criteria"},
    {"UserMessages.RecordViewExitWarning",
     "Changes have been made!  Do you wish to save your changes?"},
    {"MonthCalendar.PopupYearLabel", "Edit Year"},
    {"MonthCalendar.EnterYearPrompt", "Enter Valid Year"},
};

// The String properties a class publishes, by name.
QStringList StringProperties(const TObject* obj) {
    QStringList names;
    for (const TPropInfo* p : obj->ClassInfo().Properties())
        if (p->Kind == TPropKind::String) names << p->Name;
    return names;
}

class WwIntlTextsTest : public WwIntlTest {};

TEST_F(WwIntlTextsTest, DefaultTextsWordForWordThroughTheRegistry) {
    TwwIntl intl(nullptr);
    for (const TextCase& c : kNavigatorAndMessageTexts) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(IsPublishedProp(&intl, QString::fromLatin1(c.path)));
        EXPECT_EQ(GetPropValue(&intl, QString::fromLatin1(c.path)).toString(),
                  QString::fromUtf8(c.text));
        // The declared default is the text, so a description stores only changed texts.
        EXPECT_TRUE(
            GetPropInfo(&intl, QString::fromLatin1(c.path))
                ->IsDefaultValue(FindPropTarget(&intl, QString::fromLatin1(c.path)).Instance));
    }
    // The global instance starts with the same texts.
    EXPECT_EQ(Global()->Navigator()->ConfirmDeleteMessage(), "Delete record?");
    EXPECT_EQ(Global()->Navigator()->Hints()->PriorPageHint(), "Move backward %d records");
    EXPECT_EQ(Global()->UserMessages()->wwDBGridDiscardChanges(),
              "Discard changes to this record?");
}

TEST_F(WwIntlTextsTest, NavigatorAndMessageGroupsHoldNothingElse) {
    TwwIntl intl(nullptr);
    EXPECT_EQ(StringProperties(intl.Navigator()), QStringList{"ConfirmDeleteMessage"});
    EXPECT_EQ(StringProperties(intl.Navigator()->Hints()).size(), 18);
    EXPECT_EQ(StringProperties(intl.UserMessages()).size(), 11);
}

TEST_F(WwIntlTextsTest, HintForStemFollowsTheButtonStyleNames) {
    TwwIntl intl(nullptr);
    auto* hints = intl.Navigator()->Hints();
    EXPECT_EQ(hints->HintForStem("PriorPage"), "Move backward %d records");
    EXPECT_EQ(hints->HintForStem("restorebookmark"), "Go back to saved bookmark");
    EXPECT_EQ(hints->HintForStem("Custom"), "");
    EXPECT_EQ(hints->HintForStem(""), "");
    hints->SetSearchDialogHint("Cerca");
    EXPECT_EQ(hints->HintForStem("SearchDialog"), "Cerca");
}

struct GroupCase {
    const char* path;
    int texts;
};

TEST_F(WwIntlTextsTest, OtherGroupsHaveTheirSizesAndPlainTexts) {
    const GroupCase cases[] = {
        {"SearchDialog", 7},
        {"LocateDialog", 19},
        {"MonthCalendar", 2},
        {"FilterDialog", 41},
        {"RichEdit", 40},
        {"RichEdit.MenuLabels", 34},
        {"RichEdit.PopupMenuLabels", 17},
        {"RichEdit.ParagraphDialog", 25},
        {"RichEdit.TabDialog", 10},
    };
    TwwIntl intl(nullptr);
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(c.path);
        auto* group = dynamic_cast<TwwIntlTextGroup*>(GetObjectProp(&intl, c.path));
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->TextCount(), c.texts);
        const QStringList names = StringProperties(group);
        EXPECT_EQ(names.size(), c.texts);
        for (int i = 0; i < group->TextCount(); ++i) {
            EXPECT_EQ(names.value(i), group->TextName(i));
            EXPECT_FALSE(group->Text(i).isEmpty()) << group->TextName(i).toStdString();
        }
    }
}

TEST_F(WwIntlTextsTest, SearchAndLocateTextsCarryTheirNames) {
    const QStringList search = {"SearchCharLabel", "SearchCharShortLabel", "SearchByLabel",
                                "StatusRecLabel",  "StatusOfLabel",        "SearchCharHint",
                                "SearchByHint"};
    const QStringList locate = {
        "FieldValueLabel",   "SearchTypeLabel", "CaseSensitiveLabel", "MatchExactLabel",
        "MatchStartLabel",   "MatchAnyLabel",   "FieldsLabel",        "BtnFirst",
        "BtnNext",           "BtnCancel",       "BtnClose",           "FieldValueHint",
        "CaseSensitiveHint", "MatchExactHint",  "MatchStartHint",     "MatchAnyHint",
        "BtnFirstHint",      "BtnNextHint",     "FieldNameHint"};
    TwwIntl intl(nullptr);
    EXPECT_EQ(StringProperties(intl.SearchDialog()), search);
    EXPECT_EQ(StringProperties(intl.LocateDialog()), locate);
}

TEST_F(WwIntlTextsTest, SettingsOfANewInstance) {
    TwwIntl intl(nullptr);
    EXPECT_TRUE(GetPropValue(&intl, "OKCancelBitmapped").toBool());
    EXPECT_EQ(GetPropValue(&intl, "BtnOKCaption").toString(), "&OK");
    EXPECT_EQ(GetPropValue(&intl, "BtnCancelCaption").toString(), "Cancel");
    EXPECT_EQ(GetEnumProp(&intl, "CheckBoxInGridStyle"), "cbStyleAuto");
    EXPECT_EQ(GetEnumProp(&intl, "GridPaintStyle"), "gpsDynamicDeviceContext");
    EXPECT_EQ(GetPropValue(&intl, "IniFileName").toString(), "");
    EXPECT_TRUE(GetPropValue(&intl, "UseLocateMethodForSearch").toBool());
    EXPECT_EQ(GetSetProp(&intl, "DialogFontStyle"), "[]");
    EXPECT_EQ(GetPropValue(&intl, "DefaultEpochYear").toInt(), 1950);
    EXPECT_EQ(GetPropValue(&intl, "FilterMemoSize").toInt(), 65536);
    EXPECT_FALSE(GetPropValue(&intl, "Connected").toBool());
    EXPECT_TRUE(GetPropValue(&intl, "ADO.UseLocateWhenFindingValue").toBool());
    EXPECT_EQ(GetPropValue(&intl, "RichEdit.ParagraphDialog.HelpContext").toInt(), 0);
    EXPECT_EQ(GetPropValue(&intl, "RichEdit.TabDialog.HelpContext").toInt(), 0);
    EXPECT_FALSE(GetMethodProp(&intl, "OnValidationErrorUsingMask").Assigned());
    // The range switch is on but not published.
    EXPECT_TRUE(intl.CancelRangeResetsFilter());
    EXPECT_FALSE(IsPublishedProp(&intl, "CancelRangeResetsFilter"));
}

TEST_F(WwIntlTextsTest, OnlyTheMarkedSettingsDeclareDefaults) {
    TwwIntl intl(nullptr);
    const QStringList declared = {"GridPaintStyle", "UseLocateMethodForSearch", "DefaultEpochYear"};
    for (const char* name :
         {"GridPaintStyle", "UseLocateMethodForSearch", "DefaultEpochYear", "OKCancelBitmapped",
          "CheckBoxInGridStyle", "FilterMemoSize", "DialogFontStyle", "Connected"}) {
        SCOPED_TRACE(name);
        const TPropInfo* p = GetPropInfo(&intl, name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->HasDefault, declared.contains(name));
        EXPECT_EQ(p->IsDefaultValue(&intl), declared.contains(name));
    }
}

TEST_F(WwIntlTextsTest, TextsAreWrittenByDottedName) {
    TwwIntl intl(nullptr);
    SetPropValue(&intl, "Navigator.Hints.PriorPageHint", QString("Indietro di %d record"));
    SetPropValue(&intl, "RichEdit.TabDialog.HelpContext", 42);
    SetPropValue(&intl, "CheckBoxInGridStyle", QString("cbStyleXmark"));
    SetPropValue(&intl, "DialogFontStyle", QString("[fsBold, fsItalic]"));
    EXPECT_EQ(intl.Navigator()->Hints()->PriorPageHint(), "Indietro di %d record");
    EXPECT_EQ(intl.RichEdit()->TabDialog()->HelpContext(), 42);
    EXPECT_EQ(intl.CheckBoxInGridStyle(), cbStyleXmark);
    EXPECT_EQ(intl.DialogFontStyle(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_THROW(SetPropValue(&intl, "Navigator.Hints.CustomHint", QString("x")), EPropertyError);
}

TEST_F(WwIntlTextsTest, TextIndexOutOfRangeIsRefused) {
    TwwMonthCalendarIntl group;
    EXPECT_THROW(group.Text(2), EListError);
    EXPECT_THROW(group.SetText(-1, "x"), EListError);
    EXPECT_EQ(group.IndexOfText("enteryearprompt"), TwwMonthCalendarIntl::idEnterYearPrompt);
    EXPECT_EQ(group.IndexOfText("Missing"), -1);
}

// ---- Assigning groups

TEST_F(WwIntlTextsTest, AssigningTheNavigatorGroupCopiesItsHints) {
    TwwDBNavigatorIntl source;
    source.SetConfirmDeleteMessage("Cancellare?");
    source.Hints()->SetFirstHint("Primo");
    TwwIntl intl(nullptr);
    intl.SetNavigator(&source);
    EXPECT_EQ(intl.Navigator()->ConfirmDeleteMessage(), "Cancellare?");
    EXPECT_EQ(intl.Navigator()->Hints()->FirstHint(), "Primo");
    EXPECT_EQ(intl.Navigator()->Hints()->LastHint(), "Move to last record");
    // A copy, not a share.
    source.Hints()->SetFirstHint("Altro");
    EXPECT_EQ(intl.Navigator()->Hints()->FirstHint(), "Primo");
}

TEST_F(WwIntlTextsTest, AssigningTheRichEditGroupCopiesEverySubGroup) {
    TwwDBRichEditIntl source;
    source.SetEditorCaption("Editor");
    source.MenuLabels()->SetFileMenu("&Archivio");
    source.PopupMenuLabels()->SetCut("&Taglia");
    source.ParagraphDialog()->SetCaption("Paragrafo");
    source.ParagraphDialog()->SetHelpContext(7);
    source.TabDialog()->SetBtnSet("&Imposta");
    source.TabDialog()->SetHelpContext(9);
    TwwDBRichEditIntl target;
    target.Assign(source);
    EXPECT_EQ(target.EditorCaption(), "Editor");
    EXPECT_EQ(target.MenuLabels()->FileMenu(), "&Archivio");
    EXPECT_EQ(target.PopupMenuLabels()->Cut(), "&Taglia");
    EXPECT_EQ(target.ParagraphDialog()->Caption(), "Paragrafo");
    EXPECT_EQ(target.ParagraphDialog()->HelpContext(), 7);
    EXPECT_EQ(target.TabDialog()->BtnSet(), "&Imposta");
    EXPECT_EQ(target.TabDialog()->HelpContext(), 9);
}

TEST_F(WwIntlTextsTest, AssigningAGroupThroughTheRegistry) {
    TwwUserMessagesIntl messages;
    messages.SetwwDBGridDiscardChanges("Annullare le modifiche?");
    TwwIntl intl(nullptr);
    SetPropValue(&intl, "UserMessages", QVariant::fromValue<TPersistent*>(&messages));
    EXPECT_EQ(intl.UserMessages()->wwDBGridDiscardChanges(), "Annullare le modifiche?");
}

TEST_F(WwIntlTextsTest, AssigningAnotherKindOfGroupIsRefused) {
    TwwSearchDialogIntl search;
    TwwLocateDialogIntl locate;
    locate.SetBtnFirst("changed");
    EXPECT_THROW(search.Assign(locate), EConvertError);
    EXPECT_THROW(search.Assign(nullptr), EConvertError);
    TwwADOIntl ado;
    EXPECT_THROW(ado.Assign(search), EConvertError);
    EXPECT_EQ(search.SearchCharLabel(), search.DefaultText(TwwSearchDialogIntl::idSearchCharLabel));
}

TEST_F(WwIntlTextsTest, GroupsAreOwnedByTheirHolder) {
    TwwIntl intl(nullptr);
    EXPECT_EQ(intl.Navigator()->GetOwner(), &intl);
    EXPECT_EQ(intl.Navigator()->Hints()->GetOwner(), intl.Navigator());
    EXPECT_EQ(intl.RichEdit()->TabDialog()->GetOwner(), intl.RichEdit());
    EXPECT_EQ(intl.ADO()->GetOwner(), &intl);
}

} // namespace
