// What a click does to the navigator's dataset.
#include "common/wwintl.h"
#include "data/dataset.h"
#include "navigator/wwdbnavigator.h"
#include "navigator/wwnavstyles.h"
#include "platform/messagebox.h"

#include <QScopeGuard>

#include <climits>
#include <cstdlib>

void TwwNavButton::Click() {
    auto stopRepeat = qScopeGuard([this] { StopRepeat(); });
    TwwSpeedButton::Click();
    RunAction();
    stopRepeat.dismiss();
}

void TwwNavButton::RunAction() {
    TwwDBNavigator* nav = Navigator();
    TDataSet* ds = nav->GetDataSet(true);
    // Page moves go by the size of MoveBy whatever its sign (the most negative value included).
    const int moveBy = nav->MoveBy();
    const int page = moveBy == INT_MIN ? INT_MAX : std::abs(moveBy);
    switch (style_) {
    case nbsFirst:
        ds->First();
        break;
    case nbsPrior:
        ds->Prior();
        break;
    case nbsNext:
        ds->Next();
        break;
    case nbsLast:
        ds->Last();
        break;
    case nbsInsert:
        ds->Insert();
        break;
    case nbsDelete:
        if (nav->Options().Contains(noConfirmDelete) &&
            MessageDlg(NavTexts().ConfirmDeleteMessage(), mtConfirmation,
                       TMsgDlgButtons{mbOK, mbCancel}) != mrOk)
            return;
        ds->Delete();
        break;
    case nbsEdit:
        ds->Edit();
        break;
    case nbsPost:
        ds->Post();
        break;
    case nbsCancel:
        ds->Cancel();
        break;
    case nbsRefresh:
        ds->Refresh();
        break;
    case nbsPriorPage:
        ds->MoveBy(-page);
        break;
    case nbsNextPage:
        ds->MoveBy(page);
        break;
    case nbsSaveBookmark:
        nav->SaveBookmark(ds);
        break;
    case nbsRestoreBookmark:
        try {
            ds->GotoBookmark(nav->FindBookmark(ds));
        } catch (...) {
            // A row that is gone is not an error here: the saved bookmarks of the dataset go and
            // the button shows that there is none left.
            nav->DropBookmarks(ds);
            nav->Buttons()->UpdateAll(ucGeneral);
        }
        break;
    case nbsFilterDialog:
    case nbsRecordViewDialog:
    case nbsLocateDialog:
    case nbsSearchDialog:
        RunDialog();
        break;
    case nbsCustom:
        break;
    }
}
