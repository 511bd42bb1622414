#pragma once
// TDataLink: a control's view of a dataset through a data source. It has its own window of
// BufferCount records inside the dataset's buffers, starting at FirstRecord, kept around the
// current record, and turns data events into the virtual notifications below.
#include "data/db.h"

class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    bool VisualControl() const { return visualControl_; }
    void SetVisualControl(bool Value) { visualControl_ = Value; }

    // The link's window: its size, the current record's index in it, and how many records it
    // holds (never more than BufferCount).
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int Value);
    int ActiveRecord() const;
    // Makes another record of the window the one whose fields are read, without moving the
    // cursor or notifying anybody (restore it afterwards).
    void SetActiveRecord(int Value);
    int RecordCount() const;
    int FirstRecord() const { return firstRecord_; }

    // Starts editing through the data source (AutoEdit, browse state); returns Editing.
    bool Edit();
    // Writes the control's pending edit (UpdateData) unless already doing so.
    void UpdateRecord();

    // ---- Called by the data source
    void DataEvent(TDataEvent Event, intptr_t Info);
    void UpdateState();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() {}
    // Distance in records the link's window moved (positive: later records); by default a data
    // set change.
    virtual void DataSetScrolled(int Distance);
    virtual void EditingChanged() {}
    // The control may clear *Field once it has taken the focus.
    virtual void FocusControl(TField** Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;
    void SetActive(bool Value);
    void SetEditing(bool Value);
    void UpdateRange();

    TDataSource* dataSource_ = nullptr;
    int bufferCount_ = 1;
    int firstRecord_ = 0;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    bool visualControl_ = false;
};
