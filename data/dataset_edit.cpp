// TDataSet: editing, inserting, posting, cancelling and deleting records, and field writes.
#include "data/dataset.h"

#include "data/fields.h"

#include <QScopeGuard>

void TDataSet::CheckCanModifyOrRaise() const {
    if (!CanModify()) DatabaseError(QString::fromLatin1(dbtext::DataSetReadOnly));
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    if (IsEditMode(state_)) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord() {
    if (!IsEditMode(state_)) DatabaseError(QString::fromLatin1(dbtext::NotEditing));
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::Edit() {
    if (IsEditMode(state_)) return;
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModifyOrRaise();
    Fire(BeforeEdit, this);
    UpdateCursorPos();
    InternalEdit(ActiveBuffer());
    CalculateFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    Fire(AfterEdit, this);
}

void TDataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModifyOrRaise();
    Fire(BeforeInsert, this);
    Fire(BeforeScroll, this);
}

void TDataSet::EndInsertAppend() {
    SetState(dsInsert);
    const auto settle = [this] {
        modified_ = false;
        DataEvent(deDataSetChange, 0);
    };
    // A failing OnNewRecord leaves the new row in place to be cancelled or completed.
    auto settleOnFailure = qScopeGuard(settle);
    Fire(OnNewRecord, this);
    settleOnFailure.dismiss();
    settle(); // here, not in the guard: a data link may raise
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

// The blank row takes the current row's place in the window; the rows below move down (the last
// one drops off a full window).
void TDataSet::Insert() {
    BeginInsertAppend();
    TBookmark displaced;
    if (recordCount_ > 0) {
        const TRecordBuffer& current = ActiveBuffer();
        displaced = current.Bookmark;
    }
    const bool empty = recordCount_ == 0;
    if (empty) activeRecord_ = 0;
    MoveSpareTo(activeRecord_);
    if (recordCount_ < bufferCount_) ++recordCount_;
    TRecordBuffer& buffer = ActiveBuffer();
    InternalInitRecord(buffer);
    buffer.Flag = empty ? bfBOF : bfInserted;
    buffer.Bookmark = empty ? TBookmark() : displaced;
    CursorPosChanged();
    CalculateFields(buffer);
    EndInsertAppend();
}

// The blank row goes after the last one; the window ends on it.
void TDataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer& buffer = *buffers_[0];
    InternalInitRecord(buffer);
    buffer.Flag = bfEOF;
    recordCount_ = 1;
    activeRecord_ = 0;
    bof_ = false;
    GetPriorRecords();
    InternalLast();
    CursorPosChanged();
    eof_ = true;
    CalculateFields(ActiveBuffer());
    EndInsertAppend();
}

void TDataSet::CheckRequiredFields() {
    for (TField* field : fields_)
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData &&
            field->IsNull()) {
            field->FocusControl();
            DatabaseError(QString::fromLatin1(dbtext::FieldRequired).arg(field->DisplayName()));
        }
}

void TDataSet::DoBeforePost() {
    Fire(BeforePost, this);
}

void TDataSet::Post() {
    UpdateRecord();
    if (!IsEditMode(state_)) return;
    DataEvent(deCheckBrowseMode, 0);
    CheckRequiredFields();
    DoBeforePost();
    InternalPost(ActiveBuffer(), state_ == dsInsert);
    CursorPosChanged(); // the cursor sits on the stored row
    SetState(dsBrowse);
    Resync({});
    Fire(AfterPost, this);
}

void TDataSet::Cancel() {
    if (!IsEditMode(state_)) return;
    DataEvent(deCheckBrowseMode, 0);
    Fire(BeforeCancel, this);
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    Fire(AfterCancel, this);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (recordCount_ == 0) DatabaseError(QString::fromLatin1(dbtext::DataSetEmpty));
    DataEvent(deCheckBrowseMode, 0);
    CheckCanModifyOrRaise();
    Fire(BeforeDelete, this);
    Fire(BeforeScroll, this);
    UpdateCursorPos();
    InternalDelete();
    CursorPosChanged();
    SetState(dsBrowse);
    Resync({});
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

void TDataSet::ClearFields() {
    if (!IsEditMode(state_)) DatabaseError(QString::fromLatin1(dbtext::NotEditing));
    TRecordBuffer& buffer = ActiveBuffer();
    for (TField* field : fields_)
        if (field->FieldKind() == fkData && field->Slot() >= 0)
            buffer.Values[static_cast<size_t>(field->Slot())] = QVariant();
    modified_ = true;
    CalculateFields(buffer);
    DataEvent(deRecordChange, 0);
}

void TDataSet::SetFieldValue(TField* Field, const QVariant& Value) {
    const bool calculating = state_ == dsCalcFields && calcBuffer_;
    if (calculating) {
        if (Field->FieldKind() == fkData) DatabaseError(QString::fromLatin1(dbtext::NotEditing));
        calcBuffer_->Values[static_cast<size_t>(Field->Slot())] = Value;
        return;
    }
    if (!IsEditMode(state_)) DatabaseError(QString::fromLatin1(dbtext::NotEditing));
    if (Field->Slot() < 0)
        DatabaseError(QString::fromLatin1(dbtext::FieldNotFound).arg(Field->FieldName()));
    ActiveBuffer().Values[static_cast<size_t>(Field->Slot())] = Value;
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
}

void TDataSet::ValidateFieldText(const TField* Field, QString& Text) const {
    if (Field->DataType() == ftString && Field->Size() > 0 && Text.size() > Field->Size())
        Text.truncate(Field->Size());
}
