// TField: the common part of every field kind: binding to a dataset, the published properties,
// reading and writing through the dataset's current record, and the text hooks.
#include "data/dataset.h"
#include "data/fields.h"
#include "platform/properties.h"

static const bool alignmentRegistered = RegisterEnum<TAlignment>(
    QStringLiteral("TAlignment"), {QStringLiteral("taLeftJustify"),
                                   QStringLiteral("taRightJustify"), QStringLiteral("taCenter")});
static const bool fieldKindRegistered = RegisterEnum<TFieldKind>(
    QStringLiteral("TFieldKind"),
    {QStringLiteral("fkData"), QStringLiteral("fkCalculated"), QStringLiteral("fkLookup")});

RAVELDA_DEFINE_CLASS(TField) {
    (void)alignmentRegistered;
    (void)fieldKindRegistered;
    c.Property("Alignment", &TField::Alignment, &TField::SetAlignment)
        .Default(taLeftJustify)
        .Stored(std::function<bool(const TField&)>(
            [](const TField& f) { return !f.AlignmentIsDefault(); }));
    c.Property("Calculated", &TField::Calculated, &TField::SetCalculated)
        .Default(false)
        .Stored(false);
    c.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
        .Stored(std::function<bool(const TField&)>(
            [](const TField& f) { return f.DisplayLabelStored(); }));
    c.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
        .Stored(std::function<bool(const TField&)>(
            [](const TField& f) { return f.DisplayWidthStored(); }));
    c.Property("EditMask", &TField::EditMask, &TField::SetEditMask);
    c.Property("FieldKind", &TField::FieldKind, &TField::SetFieldKind).Default(fkData);
    c.Property("FieldName", &TField::FieldName, &TField::SetFieldName);
    c.Property("Index", &TField::Index, &TField::SetIndex).Stored(false);
    c.Property("KeyFields", &TField::KeyFields, &TField::SetKeyFields);
    c.Property("Lookup", &TField::Lookup, &TField::SetLookup).Default(false).Stored(false);
    c.Property("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
    c.Property("LookupKeyFields", &TField::LookupKeyFields, &TField::SetLookupKeyFields);
    c.Property("LookupResultField", &TField::LookupResultField, &TField::SetLookupResultField);
    c.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
    c.Property("Required", &TField::Required, &TField::SetRequired).Default(false);
    c.Property("Visible", &TField::Visible, &TField::SetVisible).Default(true);
    c.Event("OnChange", &TField::OnChange);
    c.Event("OnGetText", &TField::OnGetText);
    c.Event("OnSetText", &TField::OnSetText);
    c.Event("OnValidate", &TField::OnValidate);
}

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    if (dataSet_) dataSet_->RemoveField(this);
    if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (dataSet_) dataSet_->RemoveField(this);
    dataSet_ = nullptr;
    slot_ = -1;
    if (Value) {
        Value->AddField(this);
        dataSet_ = Value;
    }
}

TComponent* TField::GetParentComponent() const {
    return dataSet_;
}

void TField::SetParentComponent(TComponent* Value) {
    if (auto* ds = dynamic_cast<TDataSet*>(Value)) SetDataSet(ds);
}

void TField::CheckInactive() const {
    if (dataSet_ && dataSet_->Active() && !createdByDataSet_) dataSet_->CheckInactive();
}

void TField::SetFieldName(const QString& Value) {
    if (Value == fieldName_) return;
    CheckInactive();
    fieldName_ = Value;
}

void TField::SetDisplayLabel(const QString& Value) {
    displayLabel_ = Value == fieldName_ ? QString() : Value;
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetDisplayWidth(int Value) {
    displayWidth_ = Value < 0 ? -1 : Value;
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetVisible(bool Value) {
    if (visible_ == Value) return;
    visible_ = Value;
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deLayoutChange, 0);
}

void TField::SetAlignment(TAlignment Value) {
    if (alignment_ == Value) return;
    alignment_ = Value;
    if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deLayoutChange, 0);
}

int TField::Index() const {
    if (!dataSet_) return -1;
    for (int i = 0; i < dataSet_->FieldCount(); ++i)
        if (dataSet_->Fields(i) == this) return i;
    return -1;
}

void TField::SetIndex(int Value) {
    if (dataSet_) dataSet_->MoveField(this, Value);
}

void TField::SetFieldKind(TFieldKind Value) {
    if (fieldKind_ == Value) return;
    CheckInactive();
    fieldKind_ = Value;
}

void TField::SetCalculated(bool Value) {
    if (Value)
        SetFieldKind(fkCalculated);
    else if (fieldKind_ == fkCalculated)
        SetFieldKind(fkData);
}

void TField::SetLookup(bool Value) {
    if (Value)
        SetFieldKind(fkLookup);
    else if (fieldKind_ == fkLookup)
        SetFieldKind(fkData);
}

void TField::SetSize(int Value) {
    if (Value == size_) return;
    CheckInactive();
    size_ = Value;
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == lookupDataSet_) lookupDataSet_ = nullptr;
}

void TField::SetLookupDataSet(TDataSet* Value) {
    if (Value == lookupDataSet_) return;
    if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
    lookupDataSet_ = Value;
    if (lookupDataSet_) lookupDataSet_->FreeNotification(this);
}

bool TField::IsBlob() const {
    switch (dataType_) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
        return true;
    default:
        return false;
    }
}

bool TField::CanModify() const {
    if (readOnly_ || !dataSet_) return false;
    if (fieldKind_ != fkData) return false;
    if (dataType_ == ftAutoInc) return false;
    return dataSet_->CanModify();
}

QVariant TField::GetData() const {
    if (!dataSet_) return QVariant();
    return dataSet_->GetFieldValue(this);
}

void TField::SetData(const QVariant& Value) {
    if (!dataSet_) DatabaseError(QString::fromLatin1(dbtext::MissingDataSet));
    const bool calculating = dataSet_->State() == dsCalcFields;
    if (!calculating) {
        if (!IsEditMode(dataSet_->State())) DatabaseError(QString::fromLatin1(dbtext::NotEditing));
        if (readOnly_ || dataType_ == ftAutoInc || fieldKind_ != fkData)
            DatabaseError(QString::fromLatin1(dbtext::FieldReadOnly).arg(DisplayName()));
        Fire(OnValidate, this);
    }
    dataSet_->SetFieldValue(this, Value);
}

void TField::AccessError(const char* TypeName) const {
    DatabaseError(
        QString::fromLatin1(dbtext::FieldAccess).arg(DisplayName(), QLatin1String(TypeName)));
}

void TField::SetValue(const QVariant& Value) {
    if (!Value.isValid() || Value.isNull())
        Clear();
    else
        SetAsString(Value.toString());
}

QString TField::AsString() const {
    return GetData().toString();
}

void TField::SetAsString(const QString& Value) {
    (void)Value;
    AccessError("String");
}

qint64 TField::AsInteger() const {
    AccessError("Integer");
}

void TField::SetAsInteger(qint64 Value) {
    (void)Value;
    AccessError("Integer");
}

double TField::AsFloat() const {
    AccessError("Float");
}

void TField::SetAsFloat(double Value) {
    (void)Value;
    AccessError("Float");
}

bool TField::AsBoolean() const {
    AccessError("Boolean");
}

void TField::SetAsBoolean(bool Value) {
    (void)Value;
    AccessError("Boolean");
}

QDateTime TField::AsDateTime() const {
    AccessError("DateTime");
}

void TField::SetAsDateTime(const QDateTime& Value) {
    (void)Value;
    AccessError("DateTime");
}

QString TField::GetTextFor(bool Display) const {
    QString text;
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, Display);
        return text;
    }
    return GetText(Display);
}

void TField::SetText(const QString& Value) {
    if (OnSetText)
        OnSetText(this, Value);
    else
        SetAsString(Value);
}

bool TField::IsValidChar(QChar InputChar) const {
    (void)InputChar;
    return true;
}

void TField::FocusControl() {
    if (!dataSet_ || !dataSet_->Active()) return;
    TField* field = this;
    dataSet_->DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&field));
}

QVariant TField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    return Value;
}

const TClassInfo* FieldClassOf(TFieldType Type) {
    switch (Type) {
    case ftString:
        return &TStringField::StaticClass();
    case ftSmallint:
        return &TSmallintField::StaticClass();
    case ftInteger:
        return &TIntegerField::StaticClass();
    case ftWord:
        return &TWordField::StaticClass();
    case ftAutoInc:
        return &TAutoIncField::StaticClass();
    case ftBoolean:
        return &TBooleanField::StaticClass();
    case ftFloat:
        return &TFloatField::StaticClass();
    case ftCurrency:
        return &TCurrencyField::StaticClass();
    case ftBCD:
        return &TBCDField::StaticClass();
    case ftDate:
        return &TDateField::StaticClass();
    case ftTime:
        return &TTimeField::StaticClass();
    case ftDateTime:
        return &TDateTimeField::StaticClass();
    case ftBytes:
    case ftVarBytes:
        return &TBytesField::StaticClass();
    case ftMemo:
        return &TMemoField::StaticClass();
    case ftGraphic:
        return &TGraphicField::StaticClass();
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
        return &TBlobField::StaticClass();
    default:
        return nullptr;
    }
}
