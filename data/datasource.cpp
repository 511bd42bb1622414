// TDataSource: state, the link list and the order in which links hear data events.
#include "data/datasource.h"

#include "data/datalink.h"
#include "data/dataset.h"
#include "data/fields.h"
#include "platform/properties.h"

#include <algorithm>

RAVELDA_DEFINE_CLASS(TDataSource) {
    c.Property("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit).Default(true);
    c.Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    c.Property("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled).Default(true);
    c.Event("OnStateChange", &TDataSource::OnStateChange);
    c.Event("OnDataChange", &TDataSource::OnDataChange);
    c.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    Destroying();
    // The links then see an inactive source.
    for (TDataLink* link : std::vector<TDataLink*>(links_))
        link->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (Value && Value->IsLinkedTo(this))
        DatabaseError(QString::fromLatin1(dbtext::CircularDataLink));
    if (dataSet_) {
        dataSet_->RemoveDataSource(this);
        dataSet_->RemoveFreeNotification(this);
    }
    dataSet_ = Value;
    if (dataSet_) {
        dataSet_->FreeNotification(this);
        dataSet_->AddDataSource(this);
    }
    UpdateState();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dataSet_) SetDataSet(nullptr);
}

void TDataSource::SetEnabled(bool Value) {
    if (enabled_ == Value) return;
    enabled_ = Value;
    UpdateState();
}

TDataSetState TDataSource::State() const {
    return enabled_ && dataSet_ ? dataSet_->State() : dsInactive;
}

bool TDataSource::IsLinkedTo(const TDataSet* DataSet) const {
    const TDataSource* source = this;
    for (int guard = 0; source && guard < 1000; ++guard) {
        const TDataSet* ds = source->DataSet();
        if (!ds) return false;
        if (ds == DataSet) return true;
        source = ds->GetDataSource();
    }
    return false;
}

void TDataSource::Edit() {
    if (autoEdit_ && State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::UpdateState() {
    const TDataSetState now = State();
    if (now == state_) return;
    const TDataSetState previous = state_;
    state_ = now;
    NotifyLinks(deUpdateState, 0, false);
    if (IsDestroying()) return;
    Fire(OnStateChange, this);
    if (previous == dsInactive) Fire(OnDataChange, this, nullptr);
}

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info, bool DetailsOnly) {
    if (DetailsOnly) {
        // Controls are disabled: only the non-visual links hear; the state is taken up when
        // the controls are enabled again.
        if (Event == deUpdateState || State() != dsInactive) NotifyLinks(Event, Info, true);
        return;
    }
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) return;
    NotifyLinks(Event, Info, false);
    switch (Event) {
    case deFieldChange:
        Fire(OnDataChange, this, reinterpret_cast<TField*>(Info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        Fire(OnDataChange, this, nullptr);
        break;
    case deUpdateRecord:
        Fire(OnUpdateData, this);
        break;
    default:
        break;
    }
}

void TDataSource::NotifyLinks(TDataEvent Event, intptr_t Info, bool NonVisualOnly) {
    const std::vector<TDataLink*> snapshot(links_);
    auto attached = [this](TDataLink* link) {
        return std::find(links_.begin(), links_.end(), link) != links_.end();
    };
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
        if (!(*it)->VisualControl() && attached(*it)) (*it)->DataEvent(Event, Info);
    if (NonVisualOnly) return;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
        if ((*it)->VisualControl() && attached(*it)) (*it)->DataEvent(Event, Info);
}

void TDataSource::AddDataLink(TDataLink* Link) {
    links_.push_back(Link);
    Link->dataSource_ = this;
    if (dataSet_) dataSet_->UpdateBufferCount();
    Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
    auto it = std::find(links_.begin(), links_.end(), Link);
    if (it == links_.end()) return;
    links_.erase(it);
    Link->dataSource_ = nullptr;
    Link->UpdateState();
    if (dataSet_ && !dataSet_->IsDestroying()) dataSet_->UpdateBufferCount();
}
