#pragma once
// TDataSource: hands a dataset to data-aware controls through their data links and passes every
// data event on: first to the links that are not visual controls, then to the visual ones, each
// group from the most recently added link to the first.
#include "data/db.h"
#include "platform/component.h"
#include "platform/events.h"

#include <functional>
#include <vector>

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
    RAVELDA_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Refuses a dataset whose chain of master sources leads back to this source ("Circular
    // datalinks are not allowed").
    void SetDataSet(TDataSet* Value);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool Value) { autoEdit_ = Value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    // The dataset's state while enabled and set, otherwise inactive.
    TDataSetState State() const;
    // Puts the dataset into edit mode when AutoEdit allows and it is browsing.
    void Edit();
    // Whether this source's dataset, or a master along its chain, is DataSet.
    bool IsLinkedTo(const TDataSet* DataSet) const;

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

    int DataLinkCount() const { return static_cast<int>(links_.size()); }
    TDataLink* DataLinks(int Index) const { return links_.at(static_cast<size_t>(Index)); }

    // ---- Used by the dataset and the links
    void DataEvent(TDataEvent Event, intptr_t Info, bool DetailsOnly = false);
    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);
    // Re-reads the state after the dataset or Enabled changed.
    void UpdateState();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void NotifyLinks(TDataEvent Event, intptr_t Info, bool NonVisualOnly);

    TDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> links_;
};
