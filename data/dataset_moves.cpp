// TDataSet: moving through the records, locating them and bookmarks.
#include "data/dataset.h"

#include "data/fields.h"

#include <QScopeGuard>

namespace {
// First and Last refill the window from one end: that end's flag is set and the links hear of the
// change also when the fetch fails.
template <class Fetch> void RefillFromEnd(TDataSet& DataSet, bool& AtEnd, Fetch fetch) {
    const auto settle = [&] {
        AtEnd = true;
        DataSet.DataEvent(deDataSetChange, 0);
    };
    auto settleOnFailure = qScopeGuard(settle);
    fetch();
    settleOnFailure.dismiss();
    settle(); // here, not in the guard: a data link may raise
}
} // namespace

void TDataSet::First() {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    ClearBuffers();
    RefillFromEnd(*this, bof_, [this] {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    });
    Fire(AfterScroll, this);
}

void TDataSet::Last() {
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    ClearBuffers();
    RefillFromEnd(*this, eof_, [this] {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    });
    Fire(AfterScroll, this);
}

// Steps one record at a time: inside the window only ActiveRecord changes; past an edge a record
// is fetched, and when the window was full it slides by one (the scroll the links hear).
int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    int moved = 0;
    if ((Distance > 0 && !eof_) || (Distance < 0 && !bof_)) {
        Fire(BeforeScroll, this);
        bof_ = false;
        eof_ = false;
        int slide = 0;
        const auto scrolled = [this, &slide] { DataEvent(deDataSetScroll, slide); };
        auto scrolledOnFailure = qScopeGuard(scrolled);
        while (Distance > 0) {
            if (activeRecord_ < recordCount_ - 1) {
                ++activeRecord_;
            } else {
                const bool full = recordCount_ >= bufferCount_;
                if (!GetNextRecord()) {
                    eof_ = true;
                    break;
                }
                if (full) --slide;
                activeRecord_ = recordCount_ - 1;
            }
            --Distance;
            ++moved;
        }
        while (Distance < 0) {
            if (activeRecord_ > 0) {
                --activeRecord_;
            } else {
                const bool full = recordCount_ >= bufferCount_;
                if (!GetPriorRecord()) {
                    bof_ = true;
                    break;
                }
                if (full) ++slide;
                activeRecord_ = 0;
            }
            ++Distance;
            --moved;
        }
        scrolledOnFailure.dismiss();
        scrolled(); // here, not in the guard: a data link may raise
        Fire(AfterScroll, this);
    }
    return moved;
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync({});
}

void TDataSet::SetRecNo(int Value) {
    (void)Value;
}

static std::vector<QVariant> KeyValueList(const QVariant& KeyValues, size_t Count) {
    std::vector<QVariant> values;
    if (Count == 1) {
        if (KeyValues.typeId() == QMetaType::QVariantList && KeyValues.toList().size() == 1)
            values.push_back(KeyValues.toList().first());
        else
            values.push_back(KeyValues);
    } else {
        const QVariantList list = KeyValues.toList();
        if (static_cast<size_t>(list.size()) != Count)
            DatabaseError(
                QStringLiteral("%1 key fields but %2 values given").arg(Count).arg(list.size()));
        values.assign(list.begin(), list.end());
    }
    return values;
}

bool TDataSet::Locate(const QString& KeyFields, const QVariant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    const std::vector<TField*> fields = GetFieldList(KeyFields);
    if (fields.empty()) DatabaseError(QString::fromLatin1(dbtext::FieldNotFound).arg(KeyFields));
    std::vector<QVariant> values = KeyValueList(KeyValues, fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        bool outOfRange = false;
        values[i] = fields[i]->ConvertValue(values[i], outOfRange);
        if (outOfRange) return false; // no stored row can hold it
    }
    Fire(BeforeScroll, this);
    CursorPosChanged();
    if (!LocateRecord(fields, values, Options)) return false;
    Resync(TResyncMode{rmExact, rmCenter});
    Fire(AfterScroll, this);
    return true;
}

QVariant TDataSet::Lookup(const QString& KeyFields, const QVariant& KeyValues,
                          const QString& ResultFields) {
    CheckActive();
    const std::vector<TField*> fields = GetFieldList(KeyFields);
    const std::vector<TField*> results = GetFieldList(ResultFields);
    std::vector<QVariant> values = KeyValueList(KeyValues, fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        bool outOfRange = false;
        values[i] = fields[i]->ConvertValue(values[i], outOfRange);
        if (outOfRange) return QVariant();
    }
    CursorPosChanged();
    if (!LocateRecord(fields, values, {})) return QVariant();
    // Read the found row into the spare buffer without touching the window.
    TRecordBuffer& spare = *buffers_[static_cast<size_t>(bufferCount_)];
    if (GetRecord(spare, gmCurrent) != grOK) return QVariant();
    CursorPosChanged();
    QVariantList out;
    for (TField* field : results)
        out.append(field->Slot() >= 0 && field->Slot() < static_cast<int>(spare.Values.size())
                       ? spare.Values[static_cast<size_t>(field->Slot())]
                       : QVariant());
    return out.size() == 1 ? out.first() : QVariant(out);
}

TBookmark TDataSet::GetBookmark() const {
    if (!Active() || recordCount_ == 0) return {};
    const TRecordBuffer& buffer = *buffers_[static_cast<size_t>(activeRecord_)];
    if (buffer.Flag != bfCurrent) return {};
    return buffer.Bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
    if (Bookmark.IsEmpty()) return;
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    CursorPosChanged();
    if (!InternalGotoBookmark(Bookmark)) DatabaseError(QString::fromLatin1(dbtext::RecordDeleted));
    Resync(TResyncMode{rmExact, rmCenter});
    Fire(AfterScroll, this);
}

bool TDataSet::BookmarkValid(const TBookmark& Bookmark) const {
    return !Bookmark.IsEmpty();
}

int TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const {
    if (Bookmark1.IsEmpty() && Bookmark2.IsEmpty()) return bmSameRow;
    if (Bookmark1.IsEmpty()) return bmBeforeRow;
    if (Bookmark2.IsEmpty()) return bmAfterRow;
    return Bookmark1 == Bookmark2 ? bmSameRow : (Bookmark1.Data() < Bookmark2.Data() ? -1 : 1);
}
