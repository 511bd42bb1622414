// The navigator's enabled states from the dataset, the two events that take part in them, and the
// saved bookmarks behind the bookmark buttons.
#include "navigator_support.h"
#include <ostream>

#include "platform/exceptions.h"

#include <functional>
#include <map>

using namespace ravelda::test;

namespace {

struct StateCase {
    const char* name;
    int rows;
    std::function<void(NavigatorTest&, TTable&, TwwDBNavigator&, TDataSource&)> setUp;
    const char* enabled;
};

void PrintTo(const StateCase& c, std::ostream* os) {
    *os << c.name;
}

class StateTest : public NavigatorTest, public ::testing::WithParamInterface<StateCase> {};

const char* const kBrowseMiddle = "nbsFirst nbsPriorPage nbsPrior nbsNext nbsNextPage nbsLast "
                                  "nbsInsert nbsDelete nbsEdit nbsRefresh nbsSaveBookmark";

const StateCase kStateCases[] = {
    {"EmptyTable", 0, [](auto&, auto&, auto&, auto&) {},
     "nbsInsert nbsEdit nbsRefresh nbsSaveBookmark"},
    {"FirstRecord", 5, [](auto&, auto&, auto&, auto&) {},
     "nbsNext nbsNextPage nbsLast nbsInsert nbsDelete nbsEdit nbsRefresh nbsSaveBookmark"},
    {"AfterNext", 5, [](auto&, TTable& t, auto&, auto&) { t.Next(); }, kBrowseMiddle},
    {"LastRecord", 5, [](auto&, TTable& t, auto&, auto&) { t.Last(); },
     "nbsFirst nbsPriorPage nbsPrior nbsInsert nbsDelete nbsEdit nbsRefresh nbsSaveBookmark"},
    {"EditMode", 5,
     [](auto&, TTable& t, auto&, auto&) {
         t.Next();
         t.Edit();
     },
     "nbsFirst nbsPriorPage nbsPrior nbsNext nbsNextPage nbsLast nbsInsert nbsDelete nbsPost "
     "nbsCancel nbsRefresh nbsSaveBookmark"},
    {"InsertOnTheFirstRecord", 5, [](auto&, TTable& t, auto&, auto&) { t.Insert(); },
     "nbsNext nbsNextPage nbsLast nbsInsert nbsDelete nbsPost nbsCancel nbsRefresh "
     "nbsSaveBookmark"},
    {"AfterPost", 5,
     [](auto&, TTable& t, auto&, auto&) {
         t.Next();
         t.Edit();
         t.Post();
     },
     kBrowseMiddle},
    {"ReadOnlyTable", 5,
     [](auto&, TTable& t, auto&, auto&) {
         t.Close();
         t.SetReadOnly(true);
         t.Open();
         t.Next();
     },
     "nbsFirst nbsPriorPage nbsPrior nbsNext nbsNextPage nbsLast nbsSaveBookmark"},
    {"ClosedTable", 5, [](auto&, TTable& t, auto&, auto&) { t.Close(); }, ""},
    {"NoDataSource", 5, [](auto&, auto&, TwwDBNavigator& n, auto&) { n.SetDataSource(nullptr); },
     ""},
    {"SourceWithoutDataSet", 5, [](auto&, auto&, auto&, TDataSource& s) { s.SetDataSet(nullptr); },
     ""},
    {"NavigatorDisabled", 5, [](auto&, auto&, TwwDBNavigator& n, auto&) { n.SetEnabled(false); },
     ""},
    {"NavigatorEnabledAgain", 5,
     [](auto&, TTable& t, TwwDBNavigator& n, auto&) {
         n.SetEnabled(false);
         t.Next();
         n.SetEnabled(true);
     },
     kBrowseMiddle},
};

TEST_P(StateTest, EnabledButtonsFollowTheDataset) {
    const StateCase& c = GetParam();
    SetUpTable(c.rows);
    c.setUp(*this, *table, *nav, *source);
    EXPECT_EQ(EnabledStyles(*nav), QString::fromLatin1(c.enabled));
}

INSTANTIATE_TEST_SUITE_P(Cases, StateTest, ::testing::ValuesIn(kStateCases),
                         [](const auto& info) { return std::string(info.param.name); });

class NavigatorEvents : public NavigatorTest {};

TEST_F(NavigatorEvents, UpdateStateHandlerThatDisablesWins) {
    SetUpTable(5);
    TwwNavButton* insert = Button(nbsInsert);
    std::vector<TwwUpdateCause> causes;
    insert->OnUpdateState = [&](TwwDBNavigator* n, TwwNavButton* b, TwwUpdateCause cause) {
        EXPECT_EQ(n, nav);
        EXPECT_EQ(b, insert);
        causes.push_back(cause);
        b->SetEnabled(false);
    };
    table->Next();
    EXPECT_FALSE(insert->Enabled());
    ASSERT_FALSE(causes.empty());
    EXPECT_EQ(causes.back(), ucDataChanged);
    // Left unchanged by the handler, the rule decides again.
    insert->OnUpdateState = [](TwwDBNavigator*, TwwNavButton*, TwwUpdateCause) {};
    table->Next();
    EXPECT_TRUE(insert->Enabled());
}

TEST_F(NavigatorEvents, CausesOfTheNotifications) {
    SetUpTable(5, false);
    TwwNavButton* next = Button(nbsNext);
    std::vector<TwwUpdateCause> causes;
    next->OnUpdateState = [&](TwwDBNavigator*, TwwNavButton*, TwwUpdateCause c) {
        causes.push_back(c);
    };
    table->Open();
    ASSERT_FALSE(causes.empty());
    EXPECT_EQ(causes.back(), ucActiveChanged);
    causes.clear();
    table->Edit();
    EXPECT_EQ(std::count(causes.begin(), causes.end(), ucEditingChanged), 1);
    table->Cancel();
    causes.clear();
    nav->SetDataSource(source);
    EXPECT_EQ(causes, std::vector<TwwUpdateCause>{ucGeneral});
}

TEST_F(NavigatorEvents, RaisingUpdateStateHandlerIsSwallowedAndEndsTheUpdate) {
    SetUpTable(5);
    TwwNavButton* first = Button(nbsFirst);
    int rowChanged = 0;
    first->OnRowChanged = [&](TObject*) { ++rowChanged; };
    first->OnUpdateState = [](TwwDBNavigator*, TwwNavButton*, TwwUpdateCause) {
        throw EDatabaseError(QStringLiteral("handler failed"));
    };
    EXPECT_NO_THROW(table->Next());
    EXPECT_EQ(rowChanged, 0);
    // The rule did not run: first stays disabled although the cursor left the first row.
    EXPECT_FALSE(first->Enabled());
    EXPECT_TRUE(Button(nbsPrior)->Enabled());
}

TEST_F(NavigatorEvents, RowChangedOncePerButtonPerMove) {
    SetUpTable(5);
    std::map<TwwNavButtonStyle, int> counts;
    for (int i = 0; i < nav->Buttons()->Count(); ++i) {
        TwwNavButton* b = nav->Buttons()->Buttons(i);
        b->OnRowChanged = [&counts, b](TObject* sender) {
            EXPECT_EQ(sender, b);
            ++counts[b->Style()];
        };
    }
    table->Next();
    ASSERT_EQ(counts.size(), 14u);
    for (const auto& [style, n] : counts)
        EXPECT_EQ(n, 1) << StyleName(style).toStdString();
}

// The navigator's link is a visual control's: during a walk with the controls disabled (the
// grid's selection walks) the buttons hear nothing, and the last EnableControls updates them
// once, from where the walk ended.
TEST_F(NavigatorEvents, DisabledControlsHoldTheUpdatesBackUntilTheLastEnable) {
    SetUpTable(5);
    std::vector<TwwUpdateCause> log;
    Button(nbsNext)->OnUpdateState = [&](TwwDBNavigator*, TwwNavButton*, TwwUpdateCause c) {
        log.push_back(c);
    };
    table->DisableControls();
    table->DisableControls();
    while (!table->Eof())
        table->Next();
    table->Edit();
    table->Cancel();
    table->First();
    table->Last();
    table->EnableControls();
    EXPECT_EQ(log, std::vector<TwwUpdateCause>{});
    EXPECT_TRUE(Button(nbsNext)->Enabled()); // as before the walk
    table->EnableControls();
    EXPECT_EQ(log, std::vector<TwwUpdateCause>{ucDataChanged});
    EXPECT_FALSE(Button(nbsNext)->Enabled());
    EXPECT_TRUE(Button(nbsPrior)->Enabled());
}

TEST_F(NavigatorEvents, CustomButtonKeepsItsOwnState) {
    SetUpTable(5);
    TwwNavButton* custom = nav->Buttons()->AddButton(nbsCustom);
    custom->SetEnabled(false);
    table->Next();
    EXPECT_FALSE(custom->Enabled());
    custom->SetEnabled(true);
    table->Close();
    EXPECT_TRUE(custom->Enabled());
}

class NavigatorBookmarks : public NavigatorTest {};

TEST_F(NavigatorBookmarks, RestoreEnabledOnlyOnceSavedAndKeptAcrossEditMode) {
    SetUpTable(10);
    TwwNavButton* restore = Button(nbsRestoreBookmark);
    EXPECT_FALSE(restore->Enabled());
    GoTo(3);
    ClickButton(Button(nbsSaveBookmark));
    EXPECT_TRUE(restore->Enabled());
    EXPECT_EQ(nav->BookmarkCount(), 1);
    table->Edit();
    EXPECT_TRUE(restore->Enabled());
    table->Cancel();
    EXPECT_TRUE(restore->Enabled());
    table->Last();
    ClickButton(restore);
    EXPECT_EQ(IdNow(), 3);
}

TEST_F(NavigatorBookmarks, SavingAgainReplacesTheEntry) {
    SetUpTable(10);
    GoTo(2);
    ClickButton(Button(nbsSaveBookmark));
    GoTo(7);
    ClickButton(Button(nbsSaveBookmark));
    EXPECT_EQ(nav->BookmarkCount(), 1);
    table->First();
    ClickButton(Button(nbsRestoreBookmark));
    EXPECT_EQ(IdNow(), 7);
}

TEST_F(NavigatorBookmarks, ClosingTheTableDropsTheBookmark) {
    SetUpTable(10);
    GoTo(4);
    ClickButton(Button(nbsSaveBookmark));
    table->Close();
    EXPECT_EQ(nav->BookmarkCount(), 0);
    table->Open();
    EXPECT_FALSE(Button(nbsRestoreBookmark)->Enabled());
}

TEST_F(NavigatorBookmarks, DeletedRowDisablesRestore) {
    SetUpTable(10);
    GoTo(4);
    ClickButton(Button(nbsSaveBookmark));
    table->Delete();
    EXPECT_FALSE(Button(nbsRestoreBookmark)->Enabled());
    table->First();
    EXPECT_NO_THROW(Button(nbsRestoreBookmark)->Click());
    EXPECT_EQ(IdNow(), 1);
}

// A table that takes every bookmark for valid, so that moving to a deleted row fails.
class TTrustingTable : public TTable {
public:
    using TTable::TTable;
    bool BookmarkValid(const TBookmark& b) const override { return !b.IsEmpty(); }
};

TEST_F(NavigatorBookmarks, FailingRestoreDropsSilently) {
    SetUpTable(10, true, [](TComponent* owner) { return new TTrustingTable(owner); });
    GoTo(4);
    ClickButton(Button(nbsSaveBookmark));
    table->Delete();
    table->First();
    ASSERT_TRUE(Button(nbsRestoreBookmark)->Enabled());
    EXPECT_NO_THROW(Button(nbsRestoreBookmark)->Click());
    EXPECT_EQ(nav->BookmarkCount(), 0);
    EXPECT_EQ(IdNow(), 1);
    EXPECT_FALSE(Button(nbsRestoreBookmark)->Enabled());
}

TEST_F(NavigatorBookmarks, DestroyedDataSetDropsItsEntries) {
    SetUpTable(10);
    ClickButton(Button(nbsSaveBookmark));
    ASSERT_EQ(nav->BookmarkCount(), 1);
    delete table;
    table = nullptr;
    EXPECT_EQ(nav->BookmarkCount(), 0);
    EXPECT_EQ(EnabledStyles(*nav), QString());
}

TEST_F(NavigatorBookmarks, NothingSavedWithoutADataSource) {
    SetUpTable(3);
    nav->SetDataSource(nullptr);
    EXPECT_TRUE(nav->SaveBookmark(table).IsEmpty());
    EXPECT_EQ(nav->BookmarkCount(), 0);
    EXPECT_TRUE(nav->FindBookmark(nullptr).IsEmpty());
}

} // namespace
