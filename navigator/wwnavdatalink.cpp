// TwwNavDataLink: the navigator hears of its dataset through three notifications.
#include "navigator/wwdbnavigator.h"

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
