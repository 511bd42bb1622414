#pragma once
// TDataSet: the classic record-buffer dataset. It keeps a window of consecutive records in
// buffers (as many as the largest BufferCount of its data links), tells its data sources of every
// change and leaves the row storage to a subclass (TTable) through the Internal* hooks.
//
// Window model: Buffers hold RecordCount records (at most BufferCount); ActiveRecord is the
// current one. Moving inside the window changes ActiveRecord only; moving past an edge fetches
// and slides the window, and the links hear deDataSetScroll with the slide in buffer indexes
// (negative when the window moved towards later records).
#include "data/db.h"
#include "platform/component.h"
#include "platform/events.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class TStrings;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;

class TDataSet : public TComponent {
    RAVELDA_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    // ---- Opening and state
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    bool IsEmpty() const { return Active() && recordCount_ == 0 && !IsEditMode(state_); }
    bool CanModify() const { return Active() && GetCanModify(); }
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool Value) { autoCalcFields_ = Value; }

    // ---- Moving. Each first settles a pending edit (CheckBrowseMode).
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves Distance records; returns the distance actually moved (signed).
    int MoveBy(int Distance);
    // Field names joined by ";", one value per field (a QVariantList when several).
    bool Locate(const QString& KeyFields, const QVariant& KeyValues, TLocateOptions Options = {});
    // The value(s) of ResultFields of the first row matching the keys, without moving; Null when
    // none.
    QVariant Lookup(const QString& KeyFields, const QVariant& KeyValues,
                    const QString& ResultFields);
    void Refresh();
    // Re-reads the window around the cursor (the current row, else the next, else the prior).
    void Resync(TResyncMode Mode);

    // ---- Editing
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    // Asks every link to write its pending edit into the fields (deUpdateRecord).
    void UpdateRecord();
    // Sets every data field of the current record to Null.
    void ClearFields();

    // ---- Counts and positions
    virtual int RecordCount() const { return recordCount_; }
    // 1-based number of the current record; -1 when it has none (new row, empty dataset).
    virtual int RecNo() const { return -1; }
    virtual void SetRecNo(int Value);
    virtual bool IsSequenced() const { return false; }

    // ---- Bookmarks
    TBookmark GetBookmark() const;
    // An empty bookmark moves nowhere; a bookmark of a row that is gone raises.
    void GotoBookmark(const TBookmark& Bookmark);
    virtual bool BookmarkValid(const TBookmark& Bookmark) const;
    // bmBeforeRow, bmSameRow, bmAfterRow or bmSameKeyRow; an empty bookmark sorts first.
    virtual int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const;
    void FreeBookmark(TBookmark& Bookmark) const { Bookmark.Clear(); }

    // ---- Controls
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }

    // ---- Fields
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int Index) const;
    // Raises EDatabaseError "Field '%s' not found".
    TField* FieldByName(const QString& FieldName) const;
    TField* FindField(const QString& FieldName) const;
    // The fields named in a ";"-separated list (each must exist).
    std::vector<TField*> GetFieldList(const QString& FieldNames) const;
    void GetFieldNames(TStrings* List) const;
    const TFieldDefs& FieldDefs() const { return fieldDefs_; }
    bool DefaultFields() const { return defaultFields_; }

    // ---- The window (for data links and subclasses)
    int BufferCount() const { return bufferCount_; }
    int ActiveRecord() const { return activeRecord_; }
    // Makes another buffer the one whose fields are read, without moving the cursor.
    void SetActiveRecord(int Value);
    int BufferedRecordCount() const { return recordCount_; }
    // The master source of a detail dataset (TTable: MasterSource); none by default.
    virtual TDataSource* GetDataSource() const { return nullptr; }
    // True when Source's dataset chain leads to this dataset's master chain.
    bool IsLinkedTo(const TDataSource* Source) const;

    // Sends a data event to the data sources (and handles the dataset's own part of it).
    virtual void DataEvent(TDataEvent Event, intptr_t Info);

    // ---- Events
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;

    void Loaded() override;

    // ---- Used by the fields and data sources (not for applications)
    const QVariant& GetFieldValue(const TField* Field) const;
    // Stores a value into the current record (edit mode, or calculating for calculated fields)
    // and notifies; the field has validated and converted it.
    void SetFieldValue(TField* Field, const QVariant& Value);
    // Checks (and may shorten) text for a text field as the storage can hold it.
    virtual void ValidateFieldText(const TField* Field, QString& Text) const;
    void AddField(TField* Field);
    void RemoveField(TField* Field);
    void MoveField(TField* Field, int NewIndex);
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);
    // Recomputes BufferCount from the links (the largest of theirs, at least 1).
    void UpdateBufferCount();
    TDataSetState DisabledState() const { return disableState_; }
    void CheckActive() const;
    void CheckInactive() const;

protected:
    // ---- Hooks of the storage (TTable)
    // Opens the storage and fills the field definitions.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Positions before the first / after the last row.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual TGetResult GetRecord(TRecordBuffer& Buffer, TGetMode GetMode) = 0;
    // Positions the cursor on the buffer's row.
    virtual void InternalSetToRecord(const TRecordBuffer& Buffer) = 0;
    virtual void InternalInitRecord(TRecordBuffer& Buffer);
    // Re-reads the current row into the buffer before editing it.
    virtual void InternalEdit(TRecordBuffer& Buffer) { (void)Buffer; }
    // Stores the buffer (new row in insert state); the cursor then sits on the stored row.
    virtual void InternalPost(const TRecordBuffer& Buffer, bool Inserting) = 0;
    virtual void InternalDelete() = 0;
    virtual void InternalCancel() {}
    virtual void InternalRefresh() {}
    // Positions on the bookmarked row; false when it is gone.
    virtual bool InternalGotoBookmark(const TBookmark& Bookmark) = 0;
    // Positions on the first row whose fields equal the values; false (cursor unmoved) if none.
    virtual bool LocateRecord(const std::vector<TField*>& Fields,
                              const std::vector<QVariant>& Values, TLocateOptions Options) = 0;
    virtual bool GetCanModify() const { return true; }

    // The before-post hook (required fields have been tested): fires BeforePost.
    virtual void DoBeforePost();
    // The calculated-fields hook: fires OnCalcFields while the buffer's calculated slots are
    // writable.
    virtual void DoOnCalcFields();
    // Lookup fields of the buffer get their values here (before DoOnCalcFields).
    virtual void CalculateLookupFields();

    TFieldDefs& EditFieldDefs() { return fieldDefs_; }
    void CursorPosChanged() { currentRecord_ = -1; }
    // Positions the cursor on the current record.
    void UpdateCursorPos();
    void SetState(TDataSetState Value);
    void SetModified(bool Value) { modified_ = Value; }
    TRecordBuffer& ActiveBuffer();
    bool HasCalcFields() const { return calcFieldCount_ > 0; }
    int FieldSlotCount() const { return slotCount_; }
    // Fills the calculated and lookup slots of a freshly read buffer.
    void CalculateFields(TRecordBuffer& Buffer);
    // Destroys the fields the dataset created for itself.
    void DestroyDefaultFields();
    void ClearBuffers();
    // Fetches rows after the window until it is full; returns how many came.
    virtual int GetNextRecords();
    // While set, the fields read their values from this buffer (the row a record filter is
    // looking at) instead of the active record.
    void SetFilterBuffer(const TRecordBuffer* Buffer) { filterBuffer_ = Buffer; }
    const TRecordBuffer* FilterBuffer() const { return filterBuffer_; }

private:
    friend class TDataLink;
    void OpenCursor();
    void CloseCursor();
    void BindFields();
    void CreateDefaultFields();
    void CheckRequiredFields();
    void CheckCanModifyOrRaise() const;
    void BeginInsertAppend();
    void EndInsertAppend();
    void NotifyDataSources(TDataEvent Event, intptr_t Info, bool DetailsOnly);

    void SetBufferCount(int Value);
    void ActivateBuffers();
    void SetCurrentRecord(int Index);
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetPriorRecords();
    // Takes the spare buffer (index bufferCount_) into position Index, shifting the others.
    void MoveSpareTo(int Index);
    void MoveToSpare(int Index);
    TRecordBuffer& Spare() { return *buffers_[static_cast<size_t>(bufferCount_)]; }
    void AllocateBuffers(int Count);
    void BlankBuffer(TRecordBuffer& Buffer);

    TDataSetState state_ = dsInactive;
    bool streamedActive_ = false;
    bool modified_ = false;
    bool bof_ = true;
    bool eof_ = true;
    bool autoCalcFields_ = true;
    bool defaultFields_ = false;
    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;

    std::vector<std::unique_ptr<TRecordBuffer>> buffers_; // bufferCount_ + 1 (the spare last)
    int bufferCount_ = 1;
    int recordCount_ = 0;
    int activeRecord_ = 0;
    int currentRecord_ = -1;
    TRecordBuffer* calcBuffer_ = nullptr; // while calculating
    const TRecordBuffer* filterBuffer_ = nullptr;
    TDataSetState stateBeforeCalc_ = dsInactive;

    TFieldDefs fieldDefs_;
    std::vector<TField*> fields_;
    int slotCount_ = 0;
    int calcFieldCount_ = 0;
    std::vector<TDataSource*> dataSources_;
};
