// TTable: the published properties, opening and closing the engine table, and text checks.
#include "data/table.h"

#include "data/datasource.h"
#include "data/fields.h"
#include "engine/alias.h"
#include "engine/codepage.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/table.h"
#include "platform/properties.h"

namespace engine = ravelda::engine;

RAVELDA_DEFINE_CLASS(TTable) {
    c.Property("DatabaseName", &TTable::DatabaseName, &TTable::SetDatabaseName);
    c.Property("Exclusive", &TTable::Exclusive, &TTable::SetExclusive).Default(false);
    c.Property("IndexFieldNames", &TTable::IndexFieldNames, &TTable::SetIndexFieldNames);
    c.Property("IndexName", &TTable::IndexName, &TTable::SetIndexName);
    c.Property("MasterFields", &TTable::MasterFields, &TTable::SetMasterFields);
    c.Property("MasterSource", &TTable::MasterSource, &TTable::SetMasterSource);
    c.Property("ReadOnly", &TTable::ReadOnly, &TTable::SetReadOnly).Default(false);
    c.Property("TableName", &TTable::TableName, &TTable::SetTableName);
}

TTable::TTable(TComponent* AOwner) : TDataSet(AOwner) {}

TTable::~TTable() {
    Destroying();
    if (Active()) {
        try {
            Close();
        } catch (...) {
        }
    }
    if (masterSource_) masterSource_->RemoveFreeNotification(this);
}

void TTable::SetDatabaseName(const QString& Value) {
    if (Value == databaseName_) return;
    CheckInactive();
    databaseName_ = Value;
}

void TTable::SetTableName(const QString& Value) {
    if (Value == tableName_) return;
    CheckInactive();
    tableName_ = Value;
}

void TTable::SetReadOnly(bool Value) {
    if (Value == readOnly_) return;
    CheckInactive();
    readOnly_ = Value;
}

void TTable::SetExclusive(bool Value) {
    if (Value == exclusive_) return;
    CheckInactive();
    exclusive_ = Value;
}

void TTable::SetMasterSource(TDataSource* Value) {
    if (Value == masterSource_) return;
    if (Value && Value->IsLinkedTo(this))
        DatabaseError(QString::fromLatin1(dbtext::CircularDataLink));
    if (masterSource_) masterSource_->RemoveFreeNotification(this);
    masterSource_ = Value;
    if (masterSource_) masterSource_->FreeNotification(this);
}

void TTable::Notification(TComponent* AComponent, TOperation Operation) {
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == masterSource_) masterSource_ = nullptr;
}

void TTable::RaiseEngineError(const std::exception& Error, bool RowLevel) const {
    if (const auto* e = dynamic_cast<const engine::Error*>(&Error))
        DatabaseError(QString::fromStdString(RowLevel ? e->problem() : std::string(e->what())));
    DatabaseError(QString::fromLocal8Bit(Error.what()));
}

static TFieldType DataTypeOf(engine::FieldType type) {
    using FT = engine::FieldType;
    switch (type) {
    case FT::Alpha:
        return ftString;
    case FT::Date:
        return ftDate;
    case FT::Short:
        return ftSmallint;
    case FT::Long:
        return ftInteger;
    case FT::Money:
        return ftCurrency;
    case FT::Number:
        return ftFloat;
    case FT::Logical:
        return ftBoolean;
    case FT::Memo:
        return ftMemo;
    case FT::Blob:
        return ftBlob;
    case FT::FmtMemo:
        return ftFmtMemo;
    case FT::Ole:
        return ftParadoxOle;
    case FT::Graphic:
        return ftGraphic;
    case FT::Time:
        return ftTime;
    case FT::Timestamp:
        return ftDateTime;
    case FT::AutoInc:
        return ftAutoInc;
    case FT::Bcd:
        return ftBCD;
    case FT::Bytes:
        return ftBytes;
    }
    return ftUnknown;
}

std::shared_ptr<engine::Table> TTable::CreateHandle() {
    if (tableName_.isEmpty()) DatabaseError(QStringLiteral("Missing TableName property"));
    engine::OpenOptions options;
    options.mode = exclusive_  ? engine::OpenMode::Exclusive
                   : readOnly_ ? engine::OpenMode::ReadOnly
                               : engine::OpenMode::ReadWrite;
    const std::string name = tableName_.toStdString();
    if (databaseName_.isEmpty()) return engine::openTable(engine::parseTableRef(name), options);
    return engine::openTable(databaseName_.toStdString(), name, options);
}

void TTable::InternalOpen() {
    try {
        table_ = CreateHandle();
        cursor_ = table_->cursor();
    } catch (const EDatabaseError&) {
        cursor_.reset();
        table_.reset();
        throw;
    } catch (const std::exception& e) {
        cursor_.reset();
        table_.reset();
        RaiseEngineError(e, false);
    }
    crack_ = Crack::BeforeFirst;
    const auto& defs = table_->fields();
    std::vector<bool> required(defs.size(), false);
    for (const engine::FieldCheck& check : table_->checks())
        if (check.required && check.fieldNumber >= 1 &&
            check.fieldNumber <= static_cast<int>(defs.size()))
            required[static_cast<size_t>(check.fieldNumber - 1)] = true;
    TFieldDefs& fieldDefs = EditFieldDefs();
    for (size_t i = 0; i < defs.size(); ++i) {
        TFieldDef def;
        try {
            def.Name = QString::fromStdString(table_->codec().toUtf8(defs[i].name));
        } catch (const std::exception&) {
            def.Name = QString::fromLatin1(defs[i].name.data(),
                                           static_cast<qsizetype>(defs[i].name.size()));
        }
        def.DataType = DataTypeOf(defs[i].type);
        switch (def.DataType) {
        case ftString:
        case ftBytes:
        case ftBCD:
            def.Size = defs[i].size;
            break;
        case ftMemo:
        case ftBlob:
        case ftFmtMemo:
        case ftParadoxOle:
        case ftGraphic:
            def.Size = defs[i].size - 10; // the part of the text kept in the record
            break;
        default:
            def.Size = 0;
        }
        def.FieldNo = static_cast<int>(i) + 1;
        def.Required = required[i];
        fieldDefs.Add(def);
    }
}

void TTable::InternalClose() {
    cursor_.reset();
    table_.reset();
    crack_ = Crack::BeforeFirst;
}

bool TTable::GetCanModify() const {
    return table_ && !readOnly_ && table_->canModify();
}

QString TTable::FieldPicture(int FieldNo) const {
    if (!table_) return QString();
    const std::string picture = table_->picture(FieldNo);
    try {
        return QString::fromStdString(table_->codec().toUtf8(picture));
    } catch (const std::exception&) {
        return QString::fromLatin1(picture.data(), static_cast<qsizetype>(picture.size()));
    }
}

std::string TTable::EncodeText(const QString& Text) const {
    return table_->codec().fromUtf8(Text.toStdString());
}

// Refuses a character the table's code page cannot hold, naming the field; shortens text to
// the bytes the field can store.
void TTable::ValidateFieldText(const TField* Field, QString& Text) const {
    TDataSet::ValidateFieldText(Field, Text);
    if (!table_) return;
    const engine::TextCodec& codec = table_->codec();
    std::string bytes;
    try {
        bytes = codec.fromUtf8(Text.toStdString());
    } catch (const engine::Error&) {
        for (qsizetype i = 0; i < Text.size();) {
            const qsizetype n = Text.at(i).isHighSurrogate() && i + 1 < Text.size() ? 2 : 1;
            const QString ch = Text.mid(i, n);
            try {
                codec.fromUtf8(ch.toStdString());
            } catch (const engine::Error&) {
                DatabaseError(QString::fromLatin1(dbtext::CodePageRefused)
                                  .arg(Field->DisplayName(), ch)
                                  .arg(codec.codePage()));
            }
            i += n;
        }
        throw;
    }
    if (Field->DataType() == ftString && Field->Size() > 0) {
        while (static_cast<int>(bytes.size()) > Field->Size() && !Text.isEmpty()) {
            Text.chop(Text.size() >= 2 && Text.at(Text.size() - 1).isLowSurrogate() ? 2 : 1);
            bytes = codec.fromUtf8(Text.toStdString());
        }
    }
}
