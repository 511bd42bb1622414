// TwwNavDataLink: the navigator hears of its dataset through three notifications.
#include "navigator/wwdbnavigator.h"

// A visual control's link, like the grid's: while the dataset's controls are disabled it hears
// nothing, and the last EnableControls sends it one data set change.
TwwNavDataLink::TwwNavDataLink(TwwDBNavigator* ANavigator) : navigator_(ANavigator) {
    SetVisualControl(true);
}

TwwNavDataLink::~TwwNavDataLink() {
    navigator_ = nullptr;
}

void TwwNavDataLink::ActiveChanged() {
    if (navigator_ && !navigator_->IsDestroying()) navigator_->ActiveChanged();
}

void TwwNavDataLink::DataSetChanged() {
    if (navigator_ && !navigator_->IsDestroying()) navigator_->DataChanged();
}

void TwwNavDataLink::EditingChanged() {
    if (navigator_ && !navigator_->IsDestroying()) navigator_->EditingChanged();
}
