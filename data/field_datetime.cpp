// Date, time and date-time fields.
#include "data/dataset.h"
#include "data/fields.h"
#include "platform/properties.h"

#include <cmath>

RAVELDA_DEFINE_CLASS(TDateTimeField) {
    c.Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}
RAVELDA_DEFINE_CLASS(TDateField) {}
RAVELDA_DEFINE_CLASS(TTimeField) {}

static const char* const kDateFormat = "dd/mm/yyyy";
static const char* const kTimeFormat = "hh:nn:ss";

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftDateTime);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftDate);
}

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftTime);
}

void TDateTimeField::SetDisplayFormat(const QString& Value) {
    displayFormat_ = Value;
    if (DataSet() && DataSet()->Active()) DataSet()->DataEvent(deLayoutChange, 0);
}

int TDateTimeField::DefaultDisplayWidth() const {
    switch (DataType()) {
    case ftDate:
        return 10;
    case ftTime:
        return 8;
    default:
        return 19;
    }
}

QString TDateTimeField::DefaultFormat() const {
    switch (DataType()) {
    case ftDate:
        return QString::fromLatin1(kDateFormat);
    case ftTime:
        return QString::fromLatin1(kTimeFormat);
    default:
        return QString::fromLatin1(kDateFormat) + QLatin1Char(' ') +
               QString::fromLatin1(kTimeFormat);
    }
}

QDateTime TDateTimeField::AsDateTime() const {
    const QVariant v = GetData();
    if (!v.isValid() || v.isNull()) return QDateTime();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    default:
        return v.toDateTime();
    }
}

QVariant TDateTimeField::FromDateTime(const QDateTime& Value) const {
    if (!Value.isValid()) return QVariant();
    switch (DataType()) {
    case ftDate:
        return Value.date();
    case ftTime:
        return Value.time();
    default:
        return Value;
    }
}

void TDateTimeField::SetAsDateTime(const QDateTime& Value) {
    SetData(FromDateTime(Value));
}

QString TDateTimeField::AsString() const {
    return GetText(true);
}

QString TDateTimeField::GetText(bool Display) const {
    const QDateTime v = AsDateTime();
    if (!v.isValid()) return QString();
    const QString format = Display && !displayFormat_.isEmpty() ? displayFormat_ : DefaultFormat();
    return FormatDateTime(format, v);
}

// Accepts day/month/year (separators / - .), ISO year-month-day, and times h:m[:s].
static bool ParseDate(const QString& text, QDate& out) {
    for (const char* f : {"d/M/yyyy", "d-M-yyyy", "d.M.yyyy", "yyyy-M-d", "d/M/yy"}) {
        out = QDate::fromString(text, QString::fromLatin1(f));
        if (out.isValid()) {
            if (QString::fromLatin1(f).endsWith(QLatin1String("/yy")) && out.year() < 1950)
                out = out.addYears(100);
            return true;
        }
    }
    return false;
}

static bool ParseTime(const QString& text, QTime& out) {
    for (const char* f : {"h:m:s", "h:m", "h:m:s.z", "h.m.s", "h.m"}) {
        out = QTime::fromString(text, QString::fromLatin1(f));
        if (out.isValid()) return true;
    }
    return false;
}

static bool ParseDateTime(const QString& text, TFieldType type, QDateTime& out) {
    const QString t = text.simplified();
    if (type == ftDate) {
        QDate d;
        if (!ParseDate(t, d)) return false;
        out = QDateTime(d, QTime(0, 0));
        return true;
    }
    if (type == ftTime) {
        QTime tm;
        if (!ParseTime(t, tm)) return false;
        out = QDateTime(QDate(1899, 12, 30), tm);
        return true;
    }
    const int space = static_cast<int>(t.indexOf(QLatin1Char(' ')));
    QDate d;
    QTime tm(0, 0);
    if (space < 0) {
        if (!ParseDate(t, d)) return false;
    } else if (!ParseDate(t.left(space), d) || !ParseTime(t.mid(space + 1), tm)) {
        return false;
    }
    out = QDateTime(d, tm);
    return true;
}

void TDateTimeField::SetAsString(const QString& Value) {
    if (Value.trimmed().isEmpty()) {
        Clear();
        return;
    }
    QDateTime v;
    if (!ParseDateTime(Value, DataType(), v)) {
        const char* text = DataType() == ftDate   ? dbtext::InvalidDate
                           : DataType() == ftTime ? dbtext::InvalidTime
                                                  : dbtext::InvalidDateTime;
        throw EConvertError(QString::fromLatin1(text).arg(Value));
    }
    SetAsDateTime(v);
}

// The classic date-time number: days since 1899-12-30, the time as the fraction.
double TDateTimeField::AsFloat() const {
    const QDateTime v = AsDateTime();
    if (!v.isValid()) return 0;
    const qint64 days = QDate(1899, 12, 30).daysTo(v.date());
    return static_cast<double>(days) + v.time().msecsSinceStartOfDay() / 86400000.0;
}

void TDateTimeField::SetAsFloat(double Value) {
    const double days = std::floor(Value);
    const auto ms = static_cast<int>(std::llround((Value - days) * 86400000.0));
    SetAsDateTime(QDateTime(QDate(1899, 12, 30).addDays(static_cast<qint64>(days)),
                            QTime::fromMSecsSinceStartOfDay(std::min(ms, 86399999))));
}

void TDateTimeField::SetValue(const QVariant& Value) {
    if (!Value.isValid() || Value.isNull()) {
        Clear();
        return;
    }
    switch (Value.typeId()) {
    case QMetaType::QDate:
        SetAsDateTime(QDateTime(Value.toDate(), QTime(0, 0)));
        break;
    case QMetaType::QTime:
        SetAsDateTime(QDateTime(QDate(1899, 12, 30), Value.toTime()));
        break;
    case QMetaType::QDateTime:
        SetAsDateTime(Value.toDateTime());
        break;
    case QMetaType::Double:
        SetAsFloat(Value.toDouble());
        break;
    default:
        SetAsString(Value.toString());
    }
}

QVariant TDateTimeField::ConvertValue(const QVariant& Value, bool& OutOfRange) const {
    OutOfRange = false;
    if (!Value.isValid() || Value.isNull()) return QVariant();
    QDateTime v;
    switch (Value.typeId()) {
    case QMetaType::QDate:
        v = QDateTime(Value.toDate(), QTime(0, 0));
        break;
    case QMetaType::QTime:
        v = QDateTime(QDate(1899, 12, 30), Value.toTime());
        break;
    case QMetaType::QDateTime:
        v = Value.toDateTime();
        break;
    default:
        if (!ParseDateTime(Value.toString(), DataType(), v))
            throw EConvertError(QString::fromLatin1(dbtext::InvalidDateTime).arg(Value.toString()));
    }
    return FromDateTime(v);
}
