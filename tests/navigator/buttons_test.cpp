// The button model: styles and their identifiers, hints and MoveBy, glyph selection, the image
// list, the range and parent errors, propagation of Flat, ShowHint and Enabled, names, the
// visible-style set, taking a data source and accelerators.
#include "navigator/wwnavglyphs.h"
#include "navigator_support.h"

#include "common/wwintl.h"
#include "platform/exceptions.h"
#include "platform/form.h"
#include "platform/imagelist.h"
#include "platform/panel.h"
#include "platform/properties.h"
#include "platform/testseams.h"

using namespace ravelda::test;

namespace {

class NavigatorButtons : public NavigatorTest {};

TEST_F(NavigatorButtons, StyleIdentifiersInOrder) {
    const TEnumInfo* info = EnumInfoOf<TwwNavButtonStyle>();
    ASSERT_NE(info, nullptr);
    const QStringList expected = {
        "nbsFirst",        "nbsPrior",           "nbsNext",         "nbsLast",
        "nbsInsert",       "nbsDelete",          "nbsEdit",         "nbsPost",
        "nbsCancel",       "nbsRefresh",         "nbsPriorPage",    "nbsNextPage",
        "nbsSaveBookmark", "nbsRestoreBookmark", "nbsFilterDialog", "nbsRecordViewDialog",
        "nbsLocateDialog", "nbsSearchDialog",    "nbsCustom"};
    EXPECT_EQ(info->Idents(), expected);
    EXPECT_TRUE(IsRepeatStyle(nbsPriorPage));
    EXPECT_FALSE(IsRepeatStyle(nbsInsert));
}

TEST_F(NavigatorButtons, AddedButtonsTakeTheHintOfTheirStyle) {
    SetUpTable(3);
    struct Case {
        TwwNavButtonStyle style;
        const char* hint;
    };
    const Case cases[] = {
        {nbsFirst, "Move to first record"},
        {nbsPriorPage, "Move backward 10 records"},
        {nbsNextPage, "Move forward 10 records"},
        {nbsCancel, "Cancel changes made to current record"},
        {nbsRestoreBookmark, "Go back to saved bookmark"},
        {nbsFilterDialog, "Filter the dataset"},
        {nbsRecordViewDialog, "View current record"},
        {nbsLocateDialog, "Locate a specific record"},
        {nbsSearchDialog, "Search the dataset"},
        {nbsCustom, ""},
    };
    for (const Case& c : cases) {
        TwwNavButton* b = nav->Buttons()->AddButton(c.style);
        EXPECT_EQ(b->Hint(), QString::fromLatin1(c.hint)) << StyleName(c.style).toStdString();
    }
}

TEST_F(NavigatorButtons, TextsAfterTheTextsUnitFinished) {
    SetUpTable(3);
    FinalizeWwIntlUnit();
    ASSERT_EQ(wwIntl(), nullptr);
    const QString hint = nav->Buttons()->AddButton(nbsPriorPage)->Hint();
    TTestMessageBoxes boxes;
    boxes.Answer(mrCancel);
    Button(nbsDelete)->Click();
    InitWwIntlUnit();
    EXPECT_EQ(hint, QStringLiteral("Move backward 10 records"));
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Delete record?"));
}

TEST_F(NavigatorButtons, StyleWriteSelectsGlyphAndHint) {
    SetUpTable(3);
    TwwNavButton* b = Button(nbsFirst);
    EXPECT_EQ(b->ImageIndex(), -1);
    EXPECT_EQ(b->ImageList(), wwNavDefaultGlyphs());
    EXPECT_EQ(b->NumGlyphs(), 2);
    // The button keeps its own hint unless the navigator uses the international texts.
    b->SetStyle(nbsLast);
    EXPECT_EQ(b->Hint(), QStringLiteral("Move to first record"));
    nav->SetOptions(TwwNavOptions{noConfirmDelete, noUseInternationalText});
    b->SetStyle(nbsNextPage);
    EXPECT_EQ(b->Hint(), QStringLiteral("Move forward 10 records"));
    EXPECT_EQ(b->ImageIndex(), -1);
    // A custom button has no default glyph and keeps its hint.
    b->SetHint(QStringLiteral("Mine"));
    b->SetStyle(nbsCustom);
    EXPECT_EQ(b->Hint(), QStringLiteral("Mine"));
}

TEST_F(NavigatorButtons, MoveByFormatsPageHintsOnlyOnce) {
    SetUpTable(3);
    TwwNavButton* prior = Button(nbsPriorPage);
    nav->SetMoveBy(10);
    EXPECT_EQ(prior->Hint(), QStringLiteral("Move backward 10 records"));
    nav->SetMoveBy(20);
    EXPECT_EQ(prior->Hint(), QStringLiteral("Move backward 10 records"));
    prior->SetHint(QStringLiteral("Back %d rows, 100%%"));
    Button(nbsNextPage)->SetHint(QStringLiteral("%s %n %x %"));
    nav->SetMoveBy(20);
    EXPECT_EQ(prior->Hint(), QStringLiteral("Back %d rows, 100%%")) << "same value: no change";
    nav->SetMoveBy(5);
    EXPECT_EQ(prior->Hint(), QStringLiteral("Back 5 rows, 100%"));
    EXPECT_EQ(Button(nbsNextPage)->Hint(), QStringLiteral("%s %n %x %"));
    // Buttons added later take the current MoveBy.
    EXPECT_EQ(nav->Buttons()->AddButton(nbsNextPage)->Hint(),
              QStringLiteral("Move forward 5 records"));
}

TEST_F(NavigatorButtons, OwnImageIndexTakesTheNavigatorImageList) {
    SetUpTable(3);
    TImageList own(16, 16, root.get());
    nav->SetImageList(&own);
    TwwNavButton* b = Button(nbsEdit);
    EXPECT_EQ(b->ImageList(), wwNavDefaultGlyphs()) << "default glyphs stay";
    b->SetImageIndex(3);
    EXPECT_EQ(b->ImageList(), &own);
    EXPECT_EQ(b->ImageIndex(), 3);
    TImageList other(16, 16, root.get());
    nav->SetImageList(&other);
    EXPECT_EQ(b->ImageList(), &other);
    EXPECT_EQ(Button(nbsPost)->ImageList(), wwNavDefaultGlyphs());
    b->SetImageIndex(-1);
    EXPECT_EQ(b->ImageList(), wwNavDefaultGlyphs());
    EXPECT_EQ(b->ImageIndex(), -1);
}

TEST_F(NavigatorButtons, RemovedImageListIsCleared) {
    SetUpTable(3);
    auto* own = new TImageList(16, 16, root.get());
    nav->SetImageList(own);
    TwwNavButton* b = Button(nbsEdit);
    b->SetImageIndex(2);
    ASSERT_EQ(b->ImageList(), own);
    delete own;
    EXPECT_EQ(nav->ImageList(), nullptr);
    EXPECT_EQ(b->ImageList(), nullptr);
    EXPECT_EQ(Button(nbsPost)->ImageList(), wwNavDefaultGlyphs());
}

TEST_F(NavigatorButtons, RangeErrors) {
    SetUpTable(3);
    Button(nbsEdit)->SetVisible(false);
    struct Case {
        const char* name;
        std::function<void()> call;
        const char* message;
    };
    TwwNavButton loose(nullptr);
    const Case cases[] = {
        {"Buttons[-1]", [&] { nav->Buttons()->Buttons(-1); }, "Index of Buttons[] out of range"},
        {"Buttons[14]", [&] { nav->Buttons()->Buttons(14); }, "Index of Buttons[] out of range"},
        {"VisibleButtons[-1]", [&] { nav->Buttons()->VisibleButtons(-1); },
         "Index of VisibleButtons[] out of range"},
        {"VisibleButtons[13]", [&] { nav->Buttons()->VisibleButtons(13); },
         "Index of VisibleButtons[] out of range"},
        {"RetrieveIndex", [&] { loose.RetrieveIndex(); },
         "Button parameter of RetrieveIndex not in Buttons list"},
        {"foreign child", [&] { (new TPanel(root.get()))->SetParent(nav); },
         "TwwDBNavigator only accepts controls derived from TwwNavButton"},
        {"speed button child", [&] { (new TwwSpeedButton(root.get()))->SetParent(nav); },
         "TwwDBNavigator only accepts controls derived from TwwNavButton"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.call();
            ADD_FAILURE() << "no error";
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(e.Message(), QString::fromLatin1(c.message));
        }
    }
    EXPECT_EQ(nav->Buttons()->Count(), 14);
    EXPECT_EQ(nav->Buttons()->VisibleCount(), 13);
    EXPECT_EQ(nav->Buttons()->VisibleButtons(5), Button(nbsLast));
    EXPECT_EQ(nav->Buttons()->VisibleButtons(6), Button(nbsInsert));
    EXPECT_EQ(nav->Buttons()->VisibleButtons(7), Button(nbsDelete));
    EXPECT_EQ(nav->Buttons()->VisibleButtons(8), Button(nbsPost));
}

TEST_F(NavigatorButtons, ButtonOutsideANavigatorShowsAnErrorBoxAndAborts) {
    SetUpTable(3);
    TTestMessageBoxes boxes;
    TPanel panel(nullptr);
    TwwNavButton* b = Button(nbsNext);
    EXPECT_THROW(b->SetParent(&panel), EAbort);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Parent of TwwNavButton must be TwwDBNavigator"));
    EXPECT_EQ(boxes.Last().Type, mtError);
    EXPECT_EQ(boxes.Last().Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(b->Parent(), nav) << "the button stays where it was";
}

TEST_F(NavigatorButtons, ButtonWithoutParentReportsThroughTheExceptionDisplay) {
    TTestMessageBoxes boxes;
    TwwNavButton loose(nullptr);
    EXPECT_THROW(loose.Container(), EAbort);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, QStringLiteral("Parent propety of TwwNavButton not defined."));
    EXPECT_EQ(boxes.Last().Type, mtError);
}

TEST_F(NavigatorButtons, FlatShowHintAndEnabledReachEveryButton) {
    SetUpTable(3);
    for (int i = 0; i < 14; ++i)
        EXPECT_TRUE(nav->Buttons()->Buttons(i)->Flat());
    nav->SetFlat(false);
    nav->SetShowHint(true);
    for (int i = 0; i < 14; ++i) {
        EXPECT_FALSE(nav->Buttons()->Buttons(i)->Flat());
        EXPECT_TRUE(nav->Buttons()->Buttons(i)->ShowHint());
    }
    EXPECT_TRUE(nav->ShowHint());
    EXPECT_FALSE(nav->Buttons()->AddButton(nbsCustom)->Flat());
}

TEST_F(NavigatorButtons, RenamingTheNavigatorRenamesItsButtons) {
    SetUpTable(3);
    nav->SetDesigning(true);
    TwwNavButton* a = nav->Buttons()->AddButton(nbsLocateDialog);
    TwwNavButton* b = nav->Buttons()->AddButton(nbsLocateDialog);
    TwwNavButton* c = nav->Buttons()->AddButton(nbsCustom);
    EXPECT_EQ(a->Name(), QStringLiteral("NavLocateDialog"));
    EXPECT_EQ(b->Name(), QStringLiteral("NavLocateDialog1"));
    EXPECT_EQ(c->Name(), QStringLiteral("NavButton"));
    nav->SetName(QStringLiteral("Bar"));
    EXPECT_EQ(a->Name(), QStringLiteral("BarLocateDialog"));
    EXPECT_EQ(b->Name(), QStringLiteral("BarLocateDialog1"));
    EXPECT_EQ(c->Name(), QStringLiteral("BarButton"));
}

TEST_F(NavigatorButtons, VisibleStyleSet) {
    MakeBareNavigator();
    nav->Handle()->grab();
    nav->SetVisibleStyles(TwwNavButtonStyles{nbsFirst, nbsLast, nbsLocateDialog});
    ASSERT_EQ(nav->Buttons()->Count(), 15) << "the default set, then the missing style";
    EXPECT_EQ(nav->Buttons()->VisibleCount(), 3);
    EXPECT_EQ(ButtonOf(*nav, nbsLocateDialog)->Index(), 14);
    EXPECT_EQ(ButtonOf(*nav, nbsLast)->Left(), 25);
    EXPECT_EQ(ButtonOf(*nav, nbsLocateDialog)->Left(), 50);
    EXPECT_EQ(nav->Width(), 75);
    EXPECT_EQ(nav->VisibleStyles(),
              (TwwNavButtonStyles{nbsFirst, nbsPrior, nbsNext, nbsLast, nbsInsert, nbsDelete,
                                  nbsEdit, nbsPost, nbsCancel, nbsRefresh, nbsPriorPage,
                                  nbsNextPage, nbsSaveBookmark, nbsRestoreBookmark}));
    nav->SetVisibleStyles(TwwNavButtonStyles{nbsEdit});
    EXPECT_EQ(nav->Buttons()->VisibleCount(), 1);
    EXPECT_TRUE(ButtonOf(*nav, nbsEdit)->Visible());
    EXPECT_EQ(ButtonOf(*nav, nbsEdit)->Left(), 0);
    nav->SetVisibleStyles(TwwNavButtonStyles());
    EXPECT_EQ(nav->Buttons()->VisibleCount(), 0);
    EXPECT_EQ(nav->Buttons()->Count(), 15) << "hiding frees nothing";
}

TEST_F(NavigatorButtons, TakeDataSource) {
    SetUpTable(3);
    TDataSource other(nullptr);
    TPanel noSource(nullptr);
    TwwDBNavigator carrier(nullptr);
    carrier.SetDataSource(&other);
    nav->TakeDataSource(nullptr, true);
    EXPECT_EQ(nav->DataSource(), source);
    nav->TakeDataSource(&noSource, false);
    EXPECT_EQ(nav->DataSource(), source);
    nav->TakeDataSource(&carrier, false);
    EXPECT_EQ(nav->DataSource(), &other);
    nav->TakeDataSource(&noSource, true);
    EXPECT_EQ(nav->DataSource(), nullptr);
}

TEST_F(NavigatorButtons, RemovedDataSourceIsCleared) {
    SetUpTable(3);
    delete source;
    source = nullptr;
    EXPECT_EQ(nav->DataSource(), nullptr);
    EXPECT_EQ(EnabledStyles(*nav), QString());
}

TEST_F(NavigatorButtons, AcceleratorClicksTheFirstEnabledVisibleMatch) {
    SetUpTable(5);
    TForm form(nullptr);
    nav->SetParent(&form);
    Button(nbsNext)->SetCaption(QStringLiteral("&Next"));
    Button(nbsLast)->SetCaption(QStringLiteral("&Next too"));
    Button(nbsFirst)->SetCaption(QStringLiteral("Fir&&st"));
    // Not while the window is hidden.
    EXPECT_FALSE(nav->DialogChar(QLatin1Char('n')));
    EXPECT_EQ(IdNow(), 1);
    form.Show();
    EXPECT_TRUE(nav->DialogChar(QLatin1Char('n')));
    EXPECT_EQ(IdNow(), 2);
    EXPECT_FALSE(nav->DialogChar(QLatin1Char('s')));
    Button(nbsNext)->SetVisible(false);
    EXPECT_TRUE(nav->DialogChar(QLatin1Char('N')));
    EXPECT_EQ(IdNow(), 5);
    nav->SetParent(nullptr);
}

} // namespace
