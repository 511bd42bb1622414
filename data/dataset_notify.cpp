// TDataSet: state changes and data events to the data sources; disabling the controls.
#include "data/dataset.h"

#include "data/datasource.h"
#include "data/fields.h"

#include <algorithm>

void TDataSet::SetState(TDataSetState Value) {
    if (state_ == Value) return;
    state_ = Value;
    modified_ = false;
    DataEvent(deUpdateState, 0);
}

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
    switch (Event) {
    case deFieldChange: {
        auto* field = reinterpret_cast<TField*>(Info);
        if (field->FieldKind() == fkData) {
            modified_ = true;
            if (autoCalcFields_ && HasCalcFields()) CalculateFields(ActiveBuffer());
        }
        field->Change();
        break;
    }
    case deFieldListChange:
        Event = deLayoutChange;
        break;
    default:
        break;
    }
    if (disableCount_ == 0) {
        NotifyDataSources(Event, Info, false);
    } else {
        // Only links that are no visual control (details) hear of changes while disabled.
        if (Event == deLayoutChange) enableEvent_ = deLayoutChange;
        NotifyDataSources(Event, Info, true);
    }
}

void TDataSet::NotifyDataSources(TDataEvent Event, intptr_t Info, bool DetailsOnly) {
    for (TDataSource* source : std::vector<TDataSource*>(dataSources_))
        if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end())
            source->DataEvent(Event, Info, DetailsOnly);
}

void TDataSet::DisableControls() {
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ != 0) return;
    NotifyDataSources(deUpdateState, 0, false);
    if (disableState_ != dsInactive && state_ != dsInactive)
        NotifyDataSources(enableEvent_, 0, false);
}

void TDataSet::AddDataSource(TDataSource* Source) {
    if (std::find(dataSources_.begin(), dataSources_.end(), Source) != dataSources_.end()) return;
    dataSources_.push_back(Source);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
    auto it = std::find(dataSources_.begin(), dataSources_.end(), Source);
    if (it == dataSources_.end()) return;
    dataSources_.erase(it);
    if (!IsDestroying()) UpdateBufferCount();
}
