// TDataSet: the window of record buffers, fetching into it and re-reading it (resync).
#include "data/dataset.h"

#include "data/datalink.h"
#include "data/datasource.h"
#include "data/fields.h"

#include <QScopeGuard>
#include <algorithm>

void TDataSet::AllocateBuffers(int Count) {
    while (static_cast<int>(buffers_.size()) < Count + 1) {
        auto buffer = std::make_unique<TRecordBuffer>();
        buffer->Values.resize(static_cast<size_t>(slotCount_));
        buffers_.push_back(std::move(buffer));
    }
    buffers_.resize(static_cast<size_t>(Count + 1));
}

void TDataSet::BlankBuffer(TRecordBuffer& Buffer) {
    Buffer.Values.assign(static_cast<size_t>(slotCount_), QVariant());
    Buffer.Bookmark.Clear();
    Buffer.Flag = bfCurrent;
}

void TDataSet::InternalInitRecord(TRecordBuffer& Buffer) {
    BlankBuffer(Buffer);
}

TRecordBuffer& TDataSet::ActiveBuffer() {
    return *buffers_[static_cast<size_t>(activeRecord_)];
}

void TDataSet::SetActiveRecord(int Value) {
    if (Value >= 0 && Value < bufferCount_) activeRecord_ = Value;
}

void TDataSet::ClearBuffers() {
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void TDataSet::ActivateBuffers() {
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

// Moves the spare buffer into position Index; the buffers from Index on move one place up and
// the one that falls off the window becomes the spare.
void TDataSet::MoveSpareTo(int Index) {
    auto spare = std::move(buffers_[static_cast<size_t>(bufferCount_)]);
    buffers_.erase(buffers_.begin() + bufferCount_);
    buffers_.insert(buffers_.begin() + Index, std::move(spare));
}

// The reverse: buffer Index leaves the window (becoming the spare) and the later ones move down.
void TDataSet::MoveToSpare(int Index) {
    auto buffer = std::move(buffers_[static_cast<size_t>(Index)]);
    buffers_.erase(buffers_.begin() + Index);
    buffers_.insert(buffers_.begin() + bufferCount_, std::move(buffer));
}

void TDataSet::SetCurrentRecord(int Index) {
    if (currentRecord_ == Index) return;
    InternalSetToRecord(*buffers_[static_cast<size_t>(Index)]);
    currentRecord_ = Index;
}

void TDataSet::UpdateCursorPos() {
    if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord() {
    TGetMode mode = gmNext;
    if (recordCount_ > 0) {
        TRecordBuffer& last = *buffers_[static_cast<size_t>(recordCount_ - 1)];
        if (last.Flag == bfEOF) return false;
        SetCurrentRecord(recordCount_ - 1);
        // A new row stands before the row it displaced: that row comes next.
        if (last.Flag == bfInserted && !last.Bookmark.IsEmpty()) mode = gmCurrent;
    }
    TRecordBuffer& spare = Spare();
    if (GetRecord(spare, mode) != grOK) {
        CursorPosChanged();
        return false;
    }
    CalculateFields(spare);
    if (recordCount_ == 0) {
        MoveSpareTo(0);
        ActivateBuffers();
    } else if (recordCount_ < bufferCount_) {
        MoveSpareTo(recordCount_);
        ++recordCount_;
    } else {
        // The window is full: it slides, the first buffer becoming the spare.
        MoveSpareTo(recordCount_);
        MoveToSpare(0);
    }
    currentRecord_ = recordCount_ - 1;
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (recordCount_ > 0) {
        TRecordBuffer& first = *buffers_[0];
        if (first.Flag == bfBOF) return false;
        SetCurrentRecord(0);
    }
    TRecordBuffer& spare = Spare();
    if (GetRecord(spare, gmPrior) != grOK) {
        CursorPosChanged();
        return false;
    }
    CalculateFields(spare);
    if (recordCount_ == 0) {
        MoveSpareTo(0);
        ActivateBuffers();
    } else {
        MoveSpareTo(0);
        if (recordCount_ < bufferCount_) {
            ++recordCount_;
            ++activeRecord_; // stays on the same record
        } else {
            MoveToSpare(bufferCount_); // the last record drops off
        }
    }
    currentRecord_ = 0;
    return true;
}

int TDataSet::GetNextRecords() {
    int n = 0;
    while (recordCount_ < bufferCount_ && GetNextRecord())
        ++n;
    return n;
}

int TDataSet::GetPriorRecords() {
    int n = 0;
    while (recordCount_ < bufferCount_ && GetPriorRecord())
        ++n;
    return n;
}

void TDataSet::UpdateBufferCount() {
    int wanted = 1;
    for (TDataSource* source : dataSources_)
        for (int i = 0; i < source->DataLinkCount(); ++i)
            wanted = std::max(wanted, source->DataLinks(i)->BufferCount());
    if (Active()) {
        SetBufferCount(wanted);
    } else if (wanted != bufferCount_) {
        bufferCount_ = wanted;
        AllocateBuffers(wanted);
    }
}

// Growing fetches records after the window, then before it when the table ended, so that the
// current record stays current and on screen; shrinking drops records so that it stays inside.
void TDataSet::SetBufferCount(int Value) {
    if (Value < 1) Value = 1;
    if (Value == bufferCount_) return;
    const int old = bufferCount_;
    int shift = 0; // how far the kept records moved down
    if (Value < old && recordCount_ > 0) {
        const int delta = std::max(0, activeRecord_ - Value + 1);
        for (int i = 0; i < delta; ++i)
            std::rotate(buffers_.begin(), buffers_.begin() + 1, buffers_.begin() + old + 1);
        activeRecord_ -= delta;
        recordCount_ = std::min(recordCount_ - delta, Value);
        shift = -delta;
        currentRecord_ = -1;
    }
    if (Value < old) {
        // The spare is buffers_[old]; keep it as the new spare.
        auto spare = std::move(buffers_[static_cast<size_t>(old)]);
        buffers_.resize(static_cast<size_t>(Value));
        buffers_.push_back(std::move(spare));
        bufferCount_ = Value;
    } else {
        auto spare = std::move(buffers_[static_cast<size_t>(old)]);
        buffers_.erase(buffers_.begin() + old);
        bufferCount_ = Value;
        while (static_cast<int>(buffers_.size()) < Value) {
            auto buffer = std::make_unique<TRecordBuffer>();
            buffer->Values.resize(static_cast<size_t>(slotCount_));
            buffers_.push_back(std::move(buffer));
        }
        buffers_.push_back(std::move(spare));
        if (Active() && recordCount_ > 0) {
            GetNextRecords();
            const int before = activeRecord_;
            GetPriorRecords();
            shift = activeRecord_ - before;
        }
    }
    for (TDataSource* source : dataSources_)
        for (int i = 0; i < source->DataLinkCount(); ++i) {
            TDataLink* link = source->DataLinks(i);
            if (!link->Active()) continue;
            link->firstRecord_ = std::max(0, link->firstRecord_ + shift);
            link->UpdateRange();
        }
}

void TDataSet::Resync(TResyncMode Mode) {
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(Spare(), gmCurrent) != grOK)
            DatabaseError(QString::fromLatin1(dbtext::RecordNotFound));
    } else if (GetRecord(Spare(), gmCurrent) != grOK && GetRecord(Spare(), gmNext) != grOK &&
               GetRecord(Spare(), gmPrior) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    CalculateFields(Spare());
    int before = Mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    MoveSpareTo(0);
    ActivateBuffers();
    while (before > 0 && GetPriorRecord())
        --before;
    GetNextRecords();
    GetPriorRecords();
    DataEvent(deDataSetChange, 0);
}

void TDataSet::CalculateFields(TRecordBuffer& Buffer) {
    if (calcFieldCount_ == 0) return;
    calcBuffer_ = &Buffer;
    stateBeforeCalc_ = state_;
    state_ = dsCalcFields;
    const auto restore = qScopeGuard([this] {
        state_ = stateBeforeCalc_;
        calcBuffer_ = nullptr;
    });
    for (TField* field : fields_)
        if (field->FieldKind() != fkData && field->Slot() >= 0)
            Buffer.Values[static_cast<size_t>(field->Slot())] = QVariant();
    CalculateLookupFields();
    DoOnCalcFields();
}

void TDataSet::DoOnCalcFields() {
    Fire(OnCalcFields, this);
}

void TDataSet::CalculateLookupFields() {
    for (TField* field : fields_) {
        if (field->FieldKind() != fkLookup || !field->LookupDataSet()) continue;
        TDataSet* lookup = field->LookupDataSet();
        if (!lookup->Active() || field->KeyFields().isEmpty()) continue;
        QVariantList keys;
        for (TField* key : GetFieldList(field->KeyFields()))
            keys.append(GetFieldValue(key));
        const QVariant keyValues = keys.size() == 1 ? keys.first() : QVariant(keys);
        calcBuffer_->Values[static_cast<size_t>(field->Slot())] =
            lookup->Lookup(field->LookupKeyFields(), keyValues, field->LookupResultField());
    }
}

const QVariant& TDataSet::GetFieldValue(const TField* Field) const {
    static const QVariant null;
    const int slot = Field->Slot();
    if (slot < 0) return null;
    const TRecordBuffer* buffer = nullptr;
    if (state_ == dsCalcFields && calcBuffer_) {
        buffer = calcBuffer_;
    } else if (filterBuffer_) {
        buffer = filterBuffer_;
    } else if (Active() && (recordCount_ > 0 || IsEditMode(state_))) {
        buffer = buffers_[static_cast<size_t>(activeRecord_)].get();
    }
    if (!buffer || slot >= static_cast<int>(buffer->Values.size())) return null;
    return buffer->Values[static_cast<size_t>(slot)];
}
