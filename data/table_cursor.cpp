// TTable: reading rows into record buffers, moving the engine cursor and storing rows.
#include "data/fields.h"
#include "data/table.h"
#include "engine/codepage.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/table.h"

namespace engine = ravelda::engine;

static engine::Bookmark EngineBookmark(const TBookmark& b) {
    return engine::Bookmark(b.Data());
}

void TTable::InternalFirst() {
    crack_ = Crack::BeforeFirst;
}

void TTable::InternalLast() {
    crack_ = Crack::AfterLast;
}

bool TTable::MoveCursor(TGetMode GetMode) {
    switch (GetMode) {
    case gmCurrent:
        return crack_ == Crack::OnRow && cursor_->hasRow();
    case gmNext: {
        bool ok = false;
        if (crack_ == Crack::AfterLast) return false;
        ok = crack_ == Crack::BeforeFirst ? cursor_->first() : cursor_->next();
        crack_ = ok ? Crack::OnRow : Crack::AfterLast;
        return ok;
    }
    case gmPrior: {
        if (crack_ == Crack::BeforeFirst) return false;
        const bool ok = crack_ == Crack::AfterLast ? cursor_->last() : cursor_->prior();
        crack_ = ok ? Crack::OnRow : Crack::BeforeFirst;
        return ok;
    }
    }
    return false;
}

TGetResult TTable::GetRecord(TRecordBuffer& Buffer, TGetMode GetMode) {
    if (!cursor_) return grError;
    try {
        if (!MoveCursor(GetMode)) return GetMode == gmPrior ? grBOF : grEOF;
        ReadRow(Buffer);
        return grOK;
    } catch (const Exception&) {
        throw;
    } catch (const std::exception& e) {
        RaiseEngineError(e, false);
    }
}

void TTable::ReadValues(const std::vector<engine::Value>& Row, TRecordBuffer& Buffer) const {
    const TFieldDefs& defs = FieldDefs();
    Buffer.Values.assign(static_cast<size_t>(FieldSlotCount()), QVariant());
    for (int i = 0; i < defs.Count() && i < static_cast<int>(Row.size()); ++i)
        Buffer.Values[static_cast<size_t>(i)] =
            FromEngine(defs.Items(i), Row[static_cast<size_t>(i)]);
}

void TTable::ReadRow(TRecordBuffer& Buffer) {
    ReadValues(cursor_->row(), Buffer);
    Buffer.Bookmark = TBookmark(cursor_->bookmark().data());
    Buffer.Version = cursor_->version().data();
    Buffer.Flag = bfCurrent;
}

void TTable::InternalSetToRecord(const TRecordBuffer& Buffer) {
    switch (Buffer.Flag) {
    case bfCurrent:
    case bfInserted:
        if (!Buffer.Bookmark.IsEmpty()) {
            // A row gone meanwhile leaves the cursor where it was.
            cursor_->gotoBookmark(EngineBookmark(Buffer.Bookmark));
            crack_ = Crack::OnRow;
        } else {
            crack_ = Crack::BeforeFirst;
        }
        break;
    case bfBOF:
        crack_ = Crack::BeforeFirst;
        break;
    case bfEOF:
        crack_ = Crack::AfterLast;
        break;
    }
}

void TTable::InternalEdit(TRecordBuffer& Buffer) {
    try {
        if (!cursor_->gotoBookmark(EngineBookmark(Buffer.Bookmark)))
            DatabaseError(QString::fromLatin1(dbtext::RecordDeleted));
        crack_ = Crack::OnRow;
        ReadRow(Buffer); // the row as stored now
    } catch (const EDatabaseError&) {
        throw;
    } catch (const std::exception& e) {
        RaiseEngineError(e, true);
    }
}

void TTable::InternalPost(const TRecordBuffer& Buffer, bool Inserting) {
    const TFieldDefs& defs = FieldDefs();
    std::vector<engine::Value> row;
    row.reserve(static_cast<size_t>(defs.Count()));
    for (int i = 0; i < defs.Count(); ++i)
        row.push_back(ToEngine(defs.Items(i), Buffer.Values[static_cast<size_t>(i)]));
    try {
        if (Inserting) {
            cursor_->insert(row);
        } else {
            if (!cursor_->gotoBookmark(EngineBookmark(Buffer.Bookmark)))
                DatabaseError(QString::fromLatin1(dbtext::RecordDeleted));
            // The row as it was when the edit began: another program's newer values are never
            // put back.
            cursor_->update(row, engine::RowVersion(Buffer.Version));
        }
        crack_ = Crack::OnRow;
    } catch (const EDatabaseError&) {
        throw;
    } catch (const std::exception& e) {
        RaiseEngineError(e, true);
    }
}

void TTable::InternalDelete() {
    try {
        // Only the row as shown is deleted, not one another program changed meanwhile.
        const std::string& version = ActiveBuffer().Version;
        if (version.empty())
            cursor_->remove();
        else
            cursor_->remove(engine::RowVersion(version));
        crack_ = cursor_->hasRow() ? Crack::OnRow : Crack::AfterLast;
    } catch (const std::exception& e) {
        RaiseEngineError(e, true);
    }
}

void TTable::InternalRefresh() {
    try {
        cursor_->refresh();
    } catch (const std::exception& e) {
        RaiseEngineError(e, false);
    }
}

bool TTable::InternalGotoBookmark(const TBookmark& Bookmark) {
    if (!cursor_->gotoBookmark(EngineBookmark(Bookmark))) return false;
    crack_ = Crack::OnRow;
    return true;
}

bool TTable::LocateRecord(const std::vector<TField*>& Fields, const std::vector<QVariant>& Values,
                          TLocateOptions Options) {
    const TFieldDefs& defs = FieldDefs();
    std::vector<int> indexes;
    std::vector<engine::Value> values;
    for (size_t i = 0; i < Fields.size(); ++i) {
        TField* field = Fields[i];
        if (field->FieldKind() != fkData || field->FieldNo() < 1)
            DatabaseError(QStringLiteral("Field '%1' is not a data field").arg(field->FieldName()));
        const TFieldDef& def = defs.Items(field->FieldNo() - 1);
        try {
            values.push_back(ToEngine(def, Values[i]));
        } catch (const EDatabaseError&) {
            return false; // text the code page cannot hold matches no stored row
        }
        indexes.push_back(field->FieldNo() - 1);
    }
    engine::LocateOptions options;
    options.caseInsensitive = Options.Contains(loCaseInsensitive);
    options.partialKey = Options.Contains(loPartialKey);
    try {
        // A filtered cursor finds only the rows its filters accept.
        if (!cursor_->locate(indexes, values, options)) return false;
        crack_ = Crack::OnRow;
        return true;
    } catch (const Exception&) {
        throw;
    } catch (const std::exception& e) {
        RaiseEngineError(e, false);
    }
}

int TTable::RecordCount() const {
    if (!cursor_) return 0;
    return static_cast<int>(cursor_->recordCount());
}

int TTable::RecNo() const {
    if (!cursor_ || State() == dsInsert || BufferedRecordCount() == 0) return -1;
    auto* self = const_cast<TTable*>(this);
    self->UpdateCursorPos();
    return static_cast<int>(cursor_->recordNumber());
}

void TTable::SetRecNo(int Value) {
    CheckBrowseMode();
    if (!cursor_ || cursor_->recordCount() == 0) return;
    Fire(BeforeScroll, this);
    cursor_->setRecordNumber(Value);
    crack_ = Crack::OnRow;
    CursorPosChanged();
    Resync(TResyncMode{rmCenter});
    Fire(AfterScroll, this);
}

bool TTable::IsSequenced() const {
    return !(cursor_ && cursor_->filtered());
}

bool TTable::BookmarkValid(const TBookmark& Bookmark) const {
    if (!cursor_ || Bookmark.IsEmpty()) return false;
    return cursor_->bookmarkValid(EngineBookmark(Bookmark));
}

int TTable::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const {
    if (Bookmark1.IsEmpty() || Bookmark2.IsEmpty() || !cursor_)
        return TDataSet::CompareBookmarks(Bookmark1, Bookmark2);
    return cursor_->compare(EngineBookmark(Bookmark1), EngineBookmark(Bookmark2));
}

// ---- Values between the engine and the buffers

QVariant TTable::FromEngine(const TFieldDef& Def, const engine::Value& Value) const {
    if (Value.isNull()) return QVariant();
    switch (Def.DataType) {
    case ftString:
    case ftMemo: {
        const std::string& bytes = Value.asText();
        try {
            return QString::fromStdString(table_->codec().toUtf8(bytes));
        } catch (const engine::Error&) {
            return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        }
    }
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return QVariant(static_cast<qint64>(Value.asInteger()));
    case ftFloat:
    case ftCurrency:
        return QVariant(Value.asDouble());
    case ftBoolean:
        return QVariant(Value.asBool());
    case ftBCD:
        return QString::fromStdString(Value.asDecimal());
    case ftDate: {
        int y = 0, m = 0, d = 0;
        Value.asDate().toYmd(y, m, d);
        return QDate(y, m, d);
    }
    case ftTime:
        return QTime::fromMSecsSinceStartOfDay(Value.asTime().ms);
    case ftDateTime: {
        const engine::Timestamp ts = Value.asTimestamp();
        int y = 0, m = 0, d = 0;
        ts.date().toYmd(y, m, d);
        return QDateTime(QDate(y, m, d), QTime::fromMSecsSinceStartOfDay(ts.time().ms));
    }
    default: {
        const std::string& bytes = Value.asBinary();
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    }
}

engine::Value TTable::ToEngine(const TFieldDef& Def, const QVariant& Value) const {
    if (!Value.isValid() || Value.isNull()) return engine::Value::null();
    switch (Def.DataType) {
    case ftString:
    case ftMemo:
        try {
            return engine::Value::text(EncodeText(Value.toString()));
        } catch (const engine::Error& e) {
            DatabaseError(QString::fromLatin1(dbtext::CodePageRefused)
                              .arg(Def.Name, Value.toString())
                              .arg(table_->codePage()));
        }
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return engine::Value::integer(Value.toLongLong());
    case ftFloat:
    case ftCurrency:
        return engine::Value::number(Value.toDouble());
    case ftBoolean:
        return engine::Value::boolean(Value.toBool());
    case ftBCD:
        return engine::Value::decimal(Value.toString().toStdString());
    case ftDate: {
        const QDate d = Value.toDate();
        return engine::Value::date(engine::Date::fromYmd(d.year(), d.month(), d.day()));
    }
    case ftTime:
        return engine::Value::time(engine::Time{Value.toTime().msecsSinceStartOfDay()});
    case ftDateTime: {
        const QDateTime dt = Value.toDateTime();
        const QDate d = dt.date();
        return engine::Value::timestamp(
            engine::Timestamp::of(engine::Date::fromYmd(d.year(), d.month(), d.day()),
                                  engine::Time{dt.time().msecsSinceStartOfDay()}));
    }
    default: {
        const QByteArray bytes = Value.toByteArray();
        return engine::Value::binary(
            std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    }
}
