// Numeric fields: integers of each stored width, floats and currency, exact decimals (BCD).
#include "data/dataset.h"
#include "data/fields.h"
#include "platform/properties.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

RAVELDA_DEFINE_CLASS(TNumericField) {
    c.Property("Alignment", &TField::Alignment, &TField::SetAlignment)
        .Default(taRightJustify)
        .Stored(std::function<bool(const TNumericField&)>(
            [](const TNumericField& f) { return !f.AlignmentIsDefault(); }));
    c.Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
    c.Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}
RAVELDA_DEFINE_CLASS(TIntegerField) {
    c.Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
    c.Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}
RAVELDA_DEFINE_CLASS(TSmallintField) {}
RAVELDA_DEFINE_CLASS(TWordField) {}
RAVELDA_DEFINE_CLASS(TAutoIncField) {}
RAVELDA_DEFINE_CLASS(TFloatField) {
    c.Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency)
        .Default(false)
        .Stored(std::function<bool(const TFloatField&)>(
            [](const TFloatField& f) { return !f.CurrencyIsDefault(); }));
    c.Property("MaxValue", &TFloatField::MaxValue, &TFloatField::SetMaxValue).Default(0.0);
    c.Property("MinValue", &TFloatField::MinValue, &TFloatField::SetMinValue).Default(0.0);
    c.Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}
RAVELDA_DEFINE_CLASS(TCurrencyField) {
    c.Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency)
        .Default(true)
        .Stored(std::function<bool(const TFloatField&)>(
            [](const TFloatField& f) { return !f.CurrencyIsDefault(); }));
}
RAVELDA_DEFINE_CLASS(TBCDField) {
    c.Property("Size", &TField::Size, &TField::SetSize).Default(4);
}

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
    SetAlignment(taRightJustify);
}

void TNumericField::SetDisplayFormat(const QString& Value) {
    displayFormat_ = Value;
    if (DataSet() && DataSet()->Active()) DataSet()->DataEvent(deLayoutChange, 0);
}

void TNumericField::SetEditFormat(const QString& Value) {
    editFormat_ = Value;
}

static bool NullValue(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

// ---- Integers

TIntegerField::TIntegerField(TComponent* AOwner)
    : TNumericField(AOwner), typeMin_(std::numeric_limits<qint32>::min()),
      typeMax_(std::numeric_limits<qint32>::max()) {
    SetDataType(ftInteger);
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftSmallint);
    SetTypeRange(-32768, 32767);
}

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftWord);
    SetTypeRange(0, 65535);
}

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftAutoInc);
}

void TIntegerField::SetTypeRange(qint64 Min, qint64 Max) {
    typeMin_ = Min;
    typeMax_ = Max;
}

qint64 TIntegerField::LowBound() const {
    return minValue_ == 0 && maxValue_ == 0 ? typeMin_ : std::max(minValue_, typeMin_);
}

qint64 TIntegerField::HighBound() const {
    return minValue_ == 0 && maxValue_ == 0 ? typeMax_ : std::min(maxValue_, typeMax_);
}

bool TIntegerField::InRange(double Value) const {
    return Value >= static_cast<double>(LowBound()) && Value <= static_cast<double>(HighBound());
}

void TIntegerField::RangeError(const QString& ValueText) const {
    DatabaseError(QString::fromLatin1(dbtext::FieldRangeError)
                      .arg(ValueText, DisplayName())
                      .arg(LowBound())
                      .arg(HighBound()));
}

QString TIntegerField::AsString() const {
    const QVariant v = GetData();
    return NullValue(v) ? QString() : QString::number(v.toLongLong());
}

static bool ParseInteger(QString text, qint64& out) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    bool ok = false;
    out = text.toLongLong(&ok, 10);
    return ok;
}

void TIntegerField::SetAsString(const QString& Value) {
    if (Value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    qint64 v = 0;
    if (!ParseInteger(Value, v)) {
        // A number too long for 64 bits is still a number: report the range instead.
        static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
        if (digits.match(Value).hasMatch()) RangeError(Value.trimmed());
        throw EConvertError(QString::fromLatin1(dbtext::InvalidInteger).arg(Value));
    }
    SetAsInteger(v);
}

qint64 TIntegerField::AsInteger() const {
    const QVariant v = GetData();
    return NullValue(v) ? 0 : v.toLongLong();
}

void TIntegerField::SetAsInteger(qint64 Value) {
    if (!InRange(static_cast<double>(Value))) RangeError(QString::number(Value));
    SetData(QVariant(Value));
}

double TIntegerField::AsFloat() const {
    return static_cast<double>(AsInteger());
}

void TIntegerField::SetAsFloat(double Value) {
    if (std::isnan(Value) || !InRange(std::round(Value)))
        RangeError(QString::number(Value, 'g', 15));
    SetAsInteger(static_cast<qint64>(std::llround(Value)));
}

void TIntegerField::SetValue(const QVariant& Value) {
    if (NullValue(Value)) {
        Clear();
        return;
    }
    switch (Value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        SetAsInteger(Value.toLongLong());
        break;
    case QMetaType::ULongLong: {
        const qulonglong u = Value.toULongLong();
        if (u > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            RangeError(QString::number(u));
        SetAsInteger(static_cast<qint64>(u));
        break;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        SetAsFloat(Value.toDouble());
        break;
    case QMetaType::Bool:
        SetAsInteger(Value.toBool() ? 1 : 0);
        break;
    default:
        SetAsString(Value.toString());
    }
}

bool TIntegerField::IsValidChar(QChar InputChar) const {
    return InputChar.isDigit() || InputChar == QLatin1Char('+') || InputChar == QLatin1Char('-');
}

QString TIntegerField::GetText(bool Display) const {
    const QVariant v = GetData();
    if (NullValue(v)) return QString();
    const QString& format = Display ? DisplayFormat() : EditFormat();
    if (format.isEmpty()) return QString::number(v.toLongLong());
    return FormatFloat(format, static_cast<double>(v.toLongLong()));
}

QVariant TIntegerField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    if (NullValue(Value)) return QVariant();
    qint64 v = 0;
    if (Value.typeId() == QMetaType::Double || Value.typeId() == QMetaType::Float) {
        const double d = Value.toDouble();
        if (d != std::floor(d) || !InRange(d)) {
            OutOfRange = true;
            return QVariant();
        }
        return QVariant(static_cast<qint64>(d));
    }
    if (Value.typeId() == QMetaType::QString) {
        if (!ParseInteger(Value.toString(), v)) {
            static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
            if (digits.match(Value.toString()).hasMatch()) {
                OutOfRange = true;
                return QVariant();
            }
            throw EConvertError(QString::fromLatin1(dbtext::InvalidInteger).arg(Value.toString()));
        }
    } else {
        bool ok = false;
        v = Value.toLongLong(&ok);
        if (!ok)
            throw EConvertError(QString::fromLatin1(dbtext::InvalidInteger).arg(Value.toString()));
    }
    if (!InRange(static_cast<double>(v))) OutOfRange = true;
    return QVariant(v);
}

// ---- Floats

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftFloat);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

static bool ParseFloat(QString text, double& out) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('+'))) text.remove(0, 1);
    bool ok = false;
    out = text.toDouble(&ok);
    if (!ok) {
        // A decimal comma is accepted as well.
        QString alt = text;
        alt.replace(QLatin1Char(','), QLatin1Char('.'));
        if (alt.count(QLatin1Char('.')) <= 1) out = alt.toDouble(&ok);
    }
    return ok && std::isfinite(out);
}

QString TFloatField::AsString() const {
    const QVariant v = GetData();
    return NullValue(v) ? QString() : QString::number(v.toDouble(), 'g', Precision());
}

void TFloatField::SetAsString(const QString& Value) {
    if (Value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    double v = 0;
    if (!ParseFloat(Value, v))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(Value));
    SetAsFloat(v);
}

qint64 TFloatField::AsInteger() const {
    return static_cast<qint64>(std::llround(AsFloat()));
}

void TFloatField::SetAsInteger(qint64 Value) {
    SetAsFloat(static_cast<double>(Value));
}

double TFloatField::AsFloat() const {
    const QVariant v = GetData();
    return NullValue(v) ? 0.0 : v.toDouble();
}

void TFloatField::SetAsFloat(double Value) {
    if (!std::isfinite(Value))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(QString::number(Value)));
    if ((minValue_ != 0 || maxValue_ != 0) && (Value < minValue_ || Value > maxValue_))
        DatabaseError(QString::fromLatin1(dbtext::FieldRangeError)
                          .arg(QString::number(Value, 'g', 15), DisplayName(),
                               QString::number(minValue_, 'g', 15),
                               QString::number(maxValue_, 'g', 15)));
    SetData(QVariant(Value));
}

void TFloatField::SetValue(const QVariant& Value) {
    if (NullValue(Value))
        Clear();
    else if (Value.typeId() == QMetaType::QString)
        SetAsString(Value.toString());
    else
        SetAsFloat(Value.toDouble());
}

bool TFloatField::IsValidChar(QChar InputChar) const {
    return InputChar.isDigit() || InputChar == QLatin1Char('+') || InputChar == QLatin1Char('-') ||
           InputChar == QLatin1Char('.') || InputChar == QLatin1Char(',') ||
           InputChar == QLatin1Char('E') || InputChar == QLatin1Char('e');
}

QString TFloatField::GetText(bool Display) const {
    const QVariant v = GetData();
    if (NullValue(v)) return QString();
    const double d = v.toDouble();
    QString format = Display ? DisplayFormat() : EditFormat();
    if (!Display && format.isEmpty()) return QString::number(d, 'g', Precision());
    if (format.isEmpty() && currency_) format = QStringLiteral("#,##0.00");
    if (format.isEmpty()) return QString::number(d, 'g', Precision());
    return FormatFloat(format, d);
}

QVariant TFloatField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    if (NullValue(Value)) return QVariant();
    double d = 0;
    if (Value.typeId() == QMetaType::QString) {
        if (!ParseFloat(Value.toString(), d))
            throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(Value.toString()));
    } else {
        d = Value.toDouble();
    }
    return QVariant(d);
}

// ---- BCD

TBCDField::TBCDField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftBCD);
    SetSize(4);
}

// Normalises "[+-]digits[.digits]" to the field's number of decimals; false when not a number.
static bool NormaliseDecimal(const QString& In, int Decimals, QString& Out) {
    static const QRegularExpression number(QStringLiteral("^([+-]?)(\\d*)(?:[.,](\\d*))?$"));
    const auto m = number.match(In.trimmed());
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty())) return false;
    QString whole = m.captured(2);
    QString frac = m.captured(3);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    if (frac.size() > Decimals) {
        // Round half away from zero on the digits themselves.
        const bool up = frac.at(Decimals) >= QLatin1Char('5');
        frac.truncate(Decimals);
        QString digits = whole + frac;
        if (up) {
            int i = static_cast<int>(digits.size()) - 1;
            while (i >= 0) {
                if (digits[i] == QLatin1Char('9')) {
                    digits[i] = QLatin1Char('0');
                    --i;
                } else {
                    digits[i] = QChar(digits[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0) digits.prepend(QLatin1Char('1'));
        }
        whole = digits.left(digits.size() - Decimals);
        frac = digits.right(Decimals);
    }
    Out = whole;
    if (!frac.isEmpty()) Out += QLatin1Char('.') + frac;
    bool zero = true;
    for (QChar ch : Out)
        if (ch.isDigit() && ch != QLatin1Char('0')) zero = false;
    if (m.captured(1) == QLatin1String("-") && !zero) Out.prepend(QLatin1Char('-'));
    return true;
}

QString TBCDField::AsString() const {
    const QVariant v = GetData();
    return NullValue(v) ? QString() : v.toString();
}

void TBCDField::SetAsString(const QString& Value) {
    if (Value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    QString digits;
    if (!NormaliseDecimal(Value, Size(), digits))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(Value));
    SetData(digits);
}

qint64 TBCDField::AsInteger() const {
    return static_cast<qint64>(std::llround(AsFloat()));
}

void TBCDField::SetAsInteger(qint64 Value) {
    SetAsString(QString::number(Value));
}

double TBCDField::AsFloat() const {
    const QVariant v = GetData();
    return NullValue(v) ? 0.0 : v.toString().toDouble();
}

void TBCDField::SetAsFloat(double Value) {
    if (!std::isfinite(Value))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(QString::number(Value)));
    SetAsString(QString::number(Value, 'f', std::max(0, Size())));
}

void TBCDField::SetValue(const QVariant& Value) {
    if (NullValue(Value))
        Clear();
    else if (Value.typeId() == QMetaType::Double || Value.typeId() == QMetaType::Float)
        SetAsFloat(Value.toDouble());
    else
        SetAsString(Value.toString());
}

bool TBCDField::IsValidChar(QChar InputChar) const {
    return InputChar.isDigit() || InputChar == QLatin1Char('+') || InputChar == QLatin1Char('-') ||
           InputChar == QLatin1Char('.') || InputChar == QLatin1Char(',');
}

QString TBCDField::GetText(bool Display) const {
    const QVariant v = GetData();
    if (NullValue(v)) return QString();
    const QString& format = Display ? DisplayFormat() : EditFormat();
    if (format.isEmpty()) return v.toString();
    return FormatFloat(format, v.toString().toDouble());
}

QVariant TBCDField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    if (NullValue(Value)) return QVariant();
    QString digits;
    const QString text = Value.typeId() == QMetaType::Double
                             ? QString::number(Value.toDouble(), 'f', std::max(0, Size()))
                             : Value.toString();
    if (!NormaliseDecimal(text, Size(), digits))
        throw EConvertError(QString::fromLatin1(dbtext::InvalidFloat).arg(text));
    return digits;
}
