// Boolean, bytes and blob fields.
#include "data/dataset.h"
#include "data/fields.h"
#include "platform/properties.h"

RAVELDA_DEFINE_CLASS(TBooleanField) {
    c.Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues)
        .Default("True;False");
}
RAVELDA_DEFINE_CLASS(TBytesField) {
    c.Property("Size", &TField::Size, &TField::SetSize).Default(16);
}
RAVELDA_DEFINE_CLASS(TBlobField) {
    c.Property("Size", &TField::Size, &TField::SetSize).Default(0);
}
RAVELDA_DEFINE_CLASS(TMemoField) {}
RAVELDA_DEFINE_CLASS(TGraphicField) {}

static bool NullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

// ---- Boolean

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBoolean);
}

void TBooleanField::SetDisplayValues(const QString& Value) {
    const int semi = static_cast<int>(Value.indexOf(QLatin1Char(';')));
    if (semi < 0) {
        trueText_ = Value;
        falseText_.clear();
    } else {
        trueText_ = Value.left(semi);
        falseText_ = Value.mid(semi + 1);
    }
    displayValues_ = Value;
}

int TBooleanField::DefaultDisplayWidth() const {
    return static_cast<int>(std::max(trueText_.size(), falseText_.size()));
}

QString TBooleanField::AsString() const {
    const QVariant v = GetData();
    if (NullValue(v)) return QString();
    return v.toBool() ? trueText_ : falseText_;
}

bool TBooleanField::ParseText(const QString& Text, bool& Result) const {
    const QString t = Text.trimmed();
    auto starts = [&t](const QString& candidate) {
        return !candidate.isEmpty() && candidate.startsWith(t, Qt::CaseInsensitive);
    };
    if (starts(trueText_)) {
        Result = true;
        return true;
    }
    if (starts(falseText_)) {
        Result = false;
        return true;
    }
    return false;
}

void TBooleanField::SetAsString(const QString& Value) {
    if (Value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    bool b = false;
    if (!ParseText(Value, b))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidBoolean).arg(Value));
    SetData(b);
}

bool TBooleanField::AsBoolean() const {
    return GetData().toBool();
}

void TBooleanField::SetAsBoolean(bool Value) {
    SetData(Value);
}

qint64 TBooleanField::AsInteger() const {
    return AsBoolean() ? 1 : 0;
}

void TBooleanField::SetAsInteger(qint64 Value) {
    SetData(Value != 0);
}

void TBooleanField::SetValue(const QVariant& Value) {
    if (NullValue(Value))
        Clear();
    else if (Value.typeId() == QMetaType::QString)
        SetAsString(Value.toString());
    else
        SetData(Value.toBool());
}

QVariant TBooleanField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    if (NullValue(Value)) return QVariant();
    if (Value.typeId() != QMetaType::QString) return Value.toBool();
    bool b = false;
    if (!ParseText(Value.toString(), b))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidBoolean).arg(Value.toString()));
    return b;
}

// ---- Bytes

TBytesField::TBytesField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBytes);
    SetSize(16);
}

void TBytesField::SetAsBytes(const QByteArray& Value) {
    if (Value.isEmpty()) {
        Clear();
        return;
    }
    QByteArray bytes = Value.left(Size());
    if (bytes.size() < Size()) bytes.append(QByteArray(Size() - bytes.size(), '\0'));
    SetData(bytes);
}

QString TBytesField::AsString() const {
    return QString::fromLatin1(AsBytes().toHex());
}

void TBytesField::SetAsString(const QString& Value) {
    const QByteArray hex = Value.trimmed().toLatin1();
    for (char ch : hex)
        if (!std::isxdigit(static_cast<unsigned char>(ch)))
            throw EConvertError(QStringLiteral("'%1' is not a valid hexadecimal value").arg(Value));
    SetAsBytes(QByteArray::fromHex(hex));
}

void TBytesField::SetValue(const QVariant& Value) {
    if (NullValue(Value))
        Clear();
    else if (Value.typeId() == QMetaType::QByteArray)
        SetAsBytes(Value.toByteArray());
    else
        SetAsString(Value.toString());
}

QString TBytesField::GetText(bool Display) const {
    if (Display) return QStringLiteral("(Bytes)");
    return AsString();
}

// ---- Blobs

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBlob);
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) {
    SetBlobType(ftMemo);
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) {
    SetBlobType(ftGraphic);
}

QByteArray TBlobField::AsBytes() const {
    const QVariant v = GetData();
    if (NullValue(v)) return QByteArray();
    return IsText() ? v.toString().toUtf8() : v.toByteArray();
}

void TBlobField::SetAsBytes(const QByteArray& Value) {
    if (Value.isEmpty())
        Clear();
    else if (IsText())
        SetAsString(QString::fromUtf8(Value));
    else
        SetData(Value);
}

QString TBlobField::AsString() const {
    const QVariant v = GetData();
    if (NullValue(v)) return QString();
    return IsText() ? v.toString() : QString::fromLatin1(v.toByteArray());
}

void TBlobField::SetAsString(const QString& Value) {
    if (Value.isEmpty()) {
        Clear();
        return;
    }
    if (!IsText()) {
        SetData(Value.toLatin1());
        return;
    }
    QString text = Value;
    if (DataSet()) DataSet()->ValidateFieldText(this, text);
    SetData(text);
}

void TBlobField::SetValue(const QVariant& Value) {
    if (NullValue(Value))
        Clear();
    else if (Value.typeId() == QMetaType::QByteArray)
        SetAsBytes(Value.toByteArray());
    else
        SetAsString(Value.toString());
}

// "(Memo)" for an empty memo, "(MEMO)" for one with text; likewise the other kinds.
QString TBlobField::GetText(bool Display) const {
    if (!Display) return AsString();
    QString kind;
    switch (DataType()) {
    case ftMemo:
        kind = QStringLiteral("Memo");
        break;
    case ftFmtMemo:
        kind = QStringLiteral("FmtMemo");
        break;
    case ftGraphic:
        kind = QStringLiteral("Graphic");
        break;
    case ftParadoxOle:
        kind = QStringLiteral("OLE");
        break;
    default:
        kind = QStringLiteral("Blob");
    }
    if (!IsNull()) kind = kind.toUpper();
    return QLatin1Char('(') + kind + QLatin1Char(')');
}
