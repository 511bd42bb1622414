// Filter expressions into the engine's filter tree: the field check and the reading of the
// other operand by the field's type.
#include "data/wwfilterexpr.h"

#include "platform/clock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <optional>

namespace engine = ravelda::engine;
using Op = engine::FilterExpr::Op;

QString wwFieldNotFoundText(const QString& Name) {
    return Name + QStringLiteral("\rField not found in Table. ");
}

namespace {

struct TTranslateError {
    QString Message;
    QString MissingField;
};

// "[+-]digits[sep digits]" with the format's separator; the digits in C form ("-12.5").
std::optional<QString> NumberText(const QString& Text, QChar Separator) {
    const QString t = Text.trimmed();
    qsizetype i = 0;
    QString out;
    if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+'))) {
        if (t.at(i) == QLatin1Char('-')) out += QLatin1Char('-');
        ++i;
    }
    qsizetype digits = 0;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            out += c;
            ++digits;
        } else if (c == Separator && !separator) {
            separator = true;
            out += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    if (out.endsWith(QLatin1Char('.'))) out.chop(1);
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1String("-.")))
        out.insert(out.indexOf(QLatin1Char('.')), QLatin1Char('0'));
    return out;
}

engine::Value NumberValue(const QString& CText) {
    if (!CText.contains(QLatin1Char('.'))) {
        bool ok = false;
        const qint64 n = CText.toLongLong(&ok);
        if (ok) return engine::Value::integer(n);
    }
    return engine::Value::number(CText.toDouble());
}

QDate ReadDate(const QString& Text, const TwwFilterFormat& Format) {
    const QString t = Text.trimmed();
    const QString& shortFormat = Format.ShortDateFormat;
    const bool twoDigitYears = !shortFormat.contains(QLatin1String("yyyy"));
    QDate d = QDate::fromString(t, shortFormat);
    if (d.isValid()) {
        if (twoDigitYears) {
            // A two-digit year is the one within fifty years of today's, not always the 1900s.
            const int current = Date().year();
            while (d.year() + 100 <= current + 50)
                d = d.addYears(100);
        }
        return d;
    }
    // A four-digit year is always understood, whatever the short format writes.
    if (twoDigitYears) {
        QString longYears = shortFormat;
        longYears.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        d = QDate::fromString(t, longYears);
        if (d.isValid()) return d;
    }
    return QDate::fromString(t, Qt::ISODate);
}

QTime ReadTime(const QString& Text, const TwwFilterFormat& Format) {
    const QString t = Text.trimmed();
    for (const QString& f : {Format.TimeFormat, QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm"),
                             QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")}) {
        const QTime time = QTime::fromString(t, f);
        if (time.isValid()) return time;
    }
    return QTime();
}

class TTranslator {
public:
    TTranslator(const std::vector<TwwFilterField>& Fields, const TwwFilterFormat& Format,
                const TwwTextEncoder& Encode)
        : fields_(Fields), format_(Format), encode_(Encode) {}

    engine::FilterExpr Node(const TwwFilterNode& n) {
        switch (n.Kind) {
        case TwwFilterNode::fnName:
            return engine::FilterExpr::field(FieldOf(n.Text).Index);
        case TwwFilterNode::fnNumber: {
            const std::optional<QString> c = NumberText(n.Text, format_.DecimalSeparator);
            if (!c) throw TTranslateError{QStringLiteral("\"%1\" is not a number").arg(n.Text), {}};
            return engine::FilterExpr::constant(NumberValue(*c));
        }
        case TwwFilterNode::fnText:
            return engine::FilterExpr::constant(TextValue(n.Text));
        case TwwFilterNode::fnLogic:
            return engine::FilterExpr::binary(n.Text == QLatin1String("AND") ? Op::And : Op::Or,
                                              Node(n.Args[0]), Node(n.Args[1]));
        case TwwFilterNode::fnArith: {
            const Op op = n.Text == QLatin1String("+")   ? Op::Add
                          : n.Text == QLatin1String("-") ? Op::Subtract
                          : n.Text == QLatin1String("*") ? Op::Multiply
                                                         : Op::Divide;
            return engine::FilterExpr::binary(op, Node(n.Args[0]), Node(n.Args[1]));
        }
        case TwwFilterNode::fnCompare:
            return Compare(n);
        }
        throw TTranslateError{QStringLiteral("unknown expression"), {}};
    }

private:
    static Op CompareOp(const QString& op) {
        if (op == QLatin1String("=")) return Op::Equal;
        if (op == QLatin1String("<>")) return Op::NotEqual;
        if (op == QLatin1String("<")) return Op::Less;
        if (op == QLatin1String("<=")) return Op::LessEqual;
        if (op == QLatin1String(">")) return Op::Greater;
        return Op::GreaterEqual;
    }

    const TwwFilterField* FindField(const QString& Name) const {
        for (const TwwFilterField& f : fields_)
            if (f.Name.compare(Name, Qt::CaseInsensitive) == 0) return &f;
        return nullptr;
    }

    const TwwFilterField& FieldOf(const QString& Name) const {
        if (const TwwFilterField* f = FindField(Name)) return *f;
        throw TTranslateError{wwFieldNotFoundText(Name), Name};
    }

    engine::Value TextValue(const QString& Text) const {
        if (Text.isEmpty()) return engine::Value::null();
        try {
            return engine::Value::text(encode_(Text));
        } catch (const std::exception&) {
            throw TTranslateError{
                QStringLiteral("The text \"%1\" cannot be held by the table's code page").arg(Text),
                {}};
        }
    }

    engine::FilterExpr Compare(const TwwFilterNode& n) {
        const TwwFilterNode& left = n.Args[0];
        const TwwFilterNode& right = n.Args[1];
        const Op op = CompareOp(n.Text);
        if (!left.IsOperand()) return engine::FilterExpr::binary(op, Node(left), Node(right));
        const TwwFilterField& field = FieldOf(left.Text);
        engine::FilterExpr other = right.IsOperand() ? OperandFor(field, right) : Node(right);
        return engine::FilterExpr::binary(op, engine::FilterExpr::field(field.Index),
                                          std::move(other));
    }

    static bool IsText(TFieldType Type) {
        return Type == ftString || Type == ftMemo || Type == ftFmtMemo;
    }

    // The other operand of a comparison with a field, read by that field's type. A text field
    // takes any word as the text itself (Tabella = Anno looks for "Anno"). Other types take a
    // value of the type first (Attivo = T is true even beside a field T); a word that is none
    // may name another field (Chiave > Registro).
    engine::FilterExpr OperandFor(const TwwFilterField& Field, const TwwFilterNode& Operand) {
        const TwwFilterField* named =
            Operand.Kind == TwwFilterNode::fnName && !IsText(Field.DataType)
                ? FindField(Operand.Text)
                : nullptr;
        try {
            return engine::FilterExpr::constant(ValueFor(Field, Operand.Text));
        } catch (const TTranslateError&) {
            if (!named) throw;
        }
        return engine::FilterExpr::field(named->Index);
    }

    [[noreturn]] static void Invalid(const TwwFilterField& Field, const QString& Text) {
        throw TTranslateError{
            QStringLiteral("\"%1\" is not a valid value for the field %2").arg(Text, Field.Name),
            {}};
    }

    // The operand as a value of the field's type.
    engine::Value ValueFor(const TwwFilterField& Field, const QString& Text) const {
        if (Text.isEmpty()) return engine::Value::null();
        switch (Field.DataType) {
        case ftString:
        case ftMemo:
        case ftFmtMemo:
            return TextValue(Text);
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftFloat:
        case ftCurrency: {
            const std::optional<QString> c = NumberText(Text, format_.DecimalSeparator);
            if (!c) Invalid(Field, Text);
            return NumberValue(*c);
        }
        case ftBCD: {
            const std::optional<QString> c = NumberText(Text, format_.DecimalSeparator);
            if (!c) Invalid(Field, Text);
            return engine::Value::decimal(c->toStdString());
        }
        case ftBoolean: {
            const QString t = Text.trimmed();
            if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
                t.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0)
                return engine::Value::boolean(true);
            if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 ||
                t.compare(QLatin1String("F"), Qt::CaseInsensitive) == 0)
                return engine::Value::boolean(false);
            Invalid(Field, Text);
        }
        case ftDate: {
            const QDate d = ReadDate(Text, format_);
            if (!d.isValid()) Invalid(Field, Text);
            return engine::Value::date(engine::Date::fromYmd(d.year(), d.month(), d.day()));
        }
        case ftTime: {
            const QTime t = ReadTime(Text, format_);
            if (!t.isValid()) Invalid(Field, Text);
            return engine::Value::time(engine::Time{t.msecsSinceStartOfDay()});
        }
        case ftDateTime: {
            const QString t = Text.trimmed();
            const qsizetype space = t.indexOf(QLatin1Char(' '));
            const QDate d = ReadDate(space < 0 ? t : t.left(space), format_);
            const QTime time = space < 0 ? QTime(0, 0) : ReadTime(t.mid(space + 1), format_);
            if (!d.isValid() || !time.isValid()) Invalid(Field, Text);
            return engine::Value::timestamp(
                engine::Timestamp::of(engine::Date::fromYmd(d.year(), d.month(), d.day()),
                                      engine::Time{time.msecsSinceStartOfDay()}));
        }
        default:
            throw TTranslateError{
                QStringLiteral("The field %1 cannot be compared with a value").arg(Field.Name), {}};
        }
    }

    const std::vector<TwwFilterField>& fields_;
    const TwwFilterFormat& format_;
    const TwwTextEncoder& encode_;
};

} // namespace

TwwFilterTranslation wwTranslateFilter(const TwwFilterNode& Tree,
                                       const std::vector<TwwFilterField>& Fields,
                                       const TwwFilterFormat& Format,
                                       const TwwTextEncoder& EncodeText) {
    TwwFilterTranslation result;
    try {
        result.Expr = TTranslator(Fields, Format, EncodeText).Node(Tree);
        result.Ok = true;
    } catch (const TTranslateError& e) {
        result.Error = e.Message;
        result.MissingField = e.MissingField;
    }
    return result;
}
