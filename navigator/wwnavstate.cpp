// The enabled state of a button from the dataset, and the two events that take part in it.
#include "data/dataset.h"
#include "data/datasource.h"
#include "dialogs/wwdialog.h"
#include "navigator/wwdbnavigator.h"

void TwwNavButton::UpdateButtonState(TwwUpdateCause Cause) {
    TwwDBNavigator* nav = Navigator();
    const bool was = Enabled();
    if (OnUpdateState) {
        try {
            OnUpdateState(nav, this, Cause);
        } catch (...) {
            // A failing handler ends this button's update; nothing else is affected.
            return;
        }
    }
    if (Cause == ucDataChanged) Fire(OnRowChanged, this);
    // The handler's choice, or a custom button's own state, stands.
    if (Enabled() != was || style_ == nbsCustom) return;

    TDataSet* ds = nav->GetDataSet(false);
    if (!ds) {
        SetEnabled(false);
        return;
    }
    const bool live = nav->DataLink()->Active() && nav->Enabled();
    const bool editing = nav->DataLink()->Editing();
    bool on = false;
    switch (style_) {
    case nbsFirst:
    case nbsPrior:
    case nbsPriorPage:
        on = live && !ds->Bof();
        break;
    case nbsNext:
    case nbsLast:
    case nbsNextPage:
        on = live && !ds->Eof();
        break;
    case nbsInsert:
    case nbsRefresh:
        on = live && ds->CanModify();
        break;
    case nbsDelete:
        on = live && ds->CanModify() && !(ds->Bof() && ds->Eof());
        break;
    case nbsEdit:
        on = live && ds->CanModify() && !editing;
        break;
    case nbsPost:
    case nbsCancel:
        on = live && ds->CanModify() && editing;
        break;
    case nbsSaveBookmark:
        on = live;
        break;
    case nbsRestoreBookmark:
        // Entering or leaving edit mode keeps the saved bookmark as it was.
        if (Cause == ucEditingChanged) return;
        on = live && !nav->FindBookmark(ds).IsEmpty();
        break;
    case nbsFilterDialog:
    case nbsRecordViewDialog:
    case nbsLocateDialog:
    case nbsSearchDialog:
        on = live && (!dialog_ || dialog_->BoundDataSet() != nullptr);
        break;
    case nbsCustom:
        return;
    }
    SetEnabled(on);
}
