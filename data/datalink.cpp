// TDataLink: the link's window inside the dataset's buffers and its notifications.
#include "data/datalink.h"

#include "data/dataset.h"
#include "data/datasource.h"

#include <QScopeGuard>
#include <algorithm>

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
    if (dataSource_) dataSource_->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == dataSource_) return;
    if (dataSource_) dataSource_->RemoveDataLink(this);
    if (Value) Value->AddDataLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    UpdateState();
}

void TDataLink::SetBufferCount(int Value) {
    if (Value < 1) Value = 1;
    if (bufferCount_ == Value) return;
    bufferCount_ = Value;
    if (TDataSet* ds = DataSet()) ds->UpdateBufferCount();
    if (active_) UpdateRange();
}

int TDataLink::ActiveRecord() const {
    TDataSet* ds = DataSet();
    if (!active_ || !ds) return 0;
    return ds->ActiveRecord() - firstRecord_;
}

void TDataLink::SetActiveRecord(int Value) {
    TDataSet* ds = DataSet();
    if (active_ && ds) ds->SetActiveRecord(Value + firstRecord_);
}

int TDataLink::RecordCount() const {
    TDataSet* ds = DataSet();
    if (!active_ || !ds) return 0;
    const int count = ds->BufferedRecordCount() - firstRecord_;
    return std::clamp(count, 0, bufferCount_);
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    if (updating_) return;
    updating_ = true;
    const auto updated = qScopeGuard([this] { updating_ = false; });
    UpdateData();
}

void TDataLink::DataSetScrolled(int Distance) {
    (void)Distance;
    DataSetChanged();
}

void TDataLink::UpdateState() {
    const TDataSetState state = dataSource_ ? dataSource_->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing(active_ && IsEditMode(state) && !readOnly_);
}

void TDataLink::SetActive(bool Value) {
    if (active_ == Value) return;
    active_ = Value;
    if (Value)
        UpdateRange();
    else
        firstRecord_ = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
    if (editing_ == Value) return;
    editing_ = Value;
    EditingChanged();
}

// Keeps the current record inside the link's window, and the window inside the buffers.
void TDataLink::UpdateRange() {
    TDataSet* ds = DataSet();
    if (!ds) {
        firstRecord_ = 0;
        return;
    }
    const int active = ds->ActiveRecord();
    const int low = std::max(0, active - bufferCount_ + 1);
    const int high = std::max(low, std::min(active, std::max(0, ds->BufferCount() - bufferCount_)));
    firstRecord_ = std::clamp(firstRecord_, low, high);
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_) RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int distance = 0;
        if (Event == deDataSetScroll) {
            firstRecord_ += static_cast<int>(Info);
            const int shifted = firstRecord_;
            UpdateRange();
            distance = firstRecord_ - shifted;
        } else {
            UpdateRange();
        }
        if (Event == deDataSetScroll)
            DataSetScrolled(distance);
        else if (Event == deLayoutChange)
            LayoutChanged();
        else
            DataSetChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(reinterpret_cast<TField**>(Info));
        break;
    default:
        break;
    }
}
