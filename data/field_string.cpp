// TStringField: text cut to the field's size.
#include "data/dataset.h"
#include "data/fields.h"
#include "platform/properties.h"

#include <cmath>

RAVELDA_DEFINE_CLASS(TStringField) {
    c.Property("Size", &TStringField::Size, &TStringField::SetSize).Default(20);
}

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

QString TStringField::AsString() const {
    return GetData().toString();
}

void TStringField::SetAsString(const QString& Value) {
    QString text = Value;
    if (Size() > 0 && text.size() > Size()) text.truncate(Size());
    if (DataSet()) DataSet()->ValidateFieldText(this, text);
    if (text.isEmpty())
        SetData(QVariant()); // Paradox does not tell an empty text from a blank field
    else
        SetData(text);
}

qint64 TStringField::AsInteger() const {
    const QString text = AsString().trimmed();
    if (text.isEmpty()) return 0;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok) throw EConvertError(QString::fromLatin1(dbtext::InvalidInteger).arg(text));
    return v;
}

void TStringField::SetAsInteger(qint64 Value) {
    SetAsString(QString::number(Value));
}

double TStringField::AsFloat() const {
    const QString text = AsString().trimmed();
    if (text.isEmpty()) return 0;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok) throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(text));
    return v;
}

void TStringField::SetAsFloat(double Value) {
    SetAsString(QString::number(Value, 'g', 15));
}

bool TStringField::AsBoolean() const {
    const QString text = AsString().trimmed();
    if (text.isEmpty()) return false;
    const QChar c = text.at(0).toUpper();
    return c == QLatin1Char('T') || c == QLatin1Char('Y');
}

void TStringField::SetAsBoolean(bool Value) {
    SetAsString(Value ? QStringLiteral("T") : QStringLiteral("F"));
}

void TStringField::SetValue(const QVariant& Value) {
    if (!Value.isValid() || Value.isNull())
        Clear();
    else
        SetAsString(Value.toString());
}

QVariant TStringField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    if (!Value.isValid() || Value.isNull()) return QVariant();
    QString text = Value.toString();
    if (Size() > 0 && text.size() > Size()) OutOfRange = true;
    return text;
}
