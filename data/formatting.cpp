// Number and date-time formats in the classic notation, for DisplayFormat and EditFormat.
#include "data/fields.h"

#include <QLocale>
#include <cmath>

namespace {

struct Section {
    QString text;
};

// Splits at ";" outside quotes.
QStringList SplitSections(const QString& format) {
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar ch : format) {
        if (!quote.isNull()) {
            current += ch;
            if (ch == quote) quote = QChar();
        } else if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
            quote = ch;
            current += ch;
        } else if (ch == QLatin1Char(';')) {
            sections << current;
            current.clear();
        } else {
            current += ch;
        }
    }
    sections << current;
    return sections;
}

QString FormatSection(const QString& format, double value) {
    // Scan the placeholders: digits before and after the point, grouping, exponent.
    int intZeros = 0, intDigits = 0, fracZeros = 0, fracDigits = 0;
    bool point = false, thousands = false, exponent = false, expSign = false;
    int expDigits = 0;
    QChar quote;
    for (int i = 0; i < format.size(); ++i) {
        const QChar ch = format[i];
        if (!quote.isNull()) {
            if (ch == quote) quote = QChar();
            continue;
        }
        if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
            quote = ch;
        } else if (exponent) {
            if (ch == QLatin1Char('0')) ++expDigits;
        } else if (ch == QLatin1Char('0') || ch == QLatin1Char('#')) {
            if (point) {
                ++fracDigits;
                if (ch == QLatin1Char('0')) fracZeros = fracDigits;
            } else {
                ++intDigits;
                if (ch == QLatin1Char('0') || intZeros > 0) ++intZeros;
            }
        } else if (ch == QLatin1Char('.')) {
            point = true;
        } else if (ch == QLatin1Char(',')) {
            thousands = true;
        } else if ((ch == QLatin1Char('E') || ch == QLatin1Char('e')) && i + 1 < format.size() &&
                   (format[i + 1] == QLatin1Char('+') || format[i + 1] == QLatin1Char('-'))) {
            exponent = true;
            expSign = format[i + 1] == QLatin1Char('+');
            ++i;
        }
    }
    if (intDigits == 0 && fracDigits == 0 && !exponent) {
        // No placeholder: the literal text alone.
        QString out;
        QChar q;
        for (QChar ch : format) {
            if (!q.isNull()) {
                if (ch == q)
                    q = QChar();
                else
                    out += ch;
            } else if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
                q = ch;
            } else {
                out += ch;
            }
        }
        return out;
    }
    const double a = std::fabs(value);
    QString mantissa, expText;
    if (exponent) {
        int e = a == 0 ? 0 : static_cast<int>(std::floor(std::log10(a)));
        double m = a / std::pow(10.0, e);
        QString ms = QString::number(m, 'f', fracDigits);
        if (ms.startsWith(QLatin1String("10"))) {
            ++e;
            ms = QString::number(m / 10, 'f', fracDigits);
        }
        mantissa = ms;
        QString digits =
            QString::number(std::abs(e)).rightJustified(std::max(1, expDigits), QLatin1Char('0'));
        expText = QStringLiteral("E") +
                  (e < 0 ? QStringLiteral("-") : (expSign ? QStringLiteral("+") : QString())) +
                  digits;
    } else {
        mantissa = QString::number(a, 'f', fracDigits);
    }
    QString whole = mantissa.section(QLatin1Char('.'), 0, 0);
    QString frac =
        mantissa.contains(QLatin1Char('.')) ? mantissa.section(QLatin1Char('.'), 1) : QString();
    while (frac.size() > fracZeros && frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    if (whole == QLatin1String("0") && intZeros == 0) whole.clear();
    while (whole.size() < intZeros)
        whole.prepend(QLatin1Char('0'));
    if (thousands && !exponent) {
        for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
            whole.insert(i, QLatin1Char(','));
    }
    QString number = whole;
    if (!frac.isEmpty()) number += QLatin1Char('.') + frac;
    number += expText;
    // Put the number where the first placeholder is; literals stay around it.
    QString out;
    bool placed = false;
    QChar q;
    for (int i = 0; i < format.size(); ++i) {
        const QChar ch = format[i];
        if (!q.isNull()) {
            if (ch == q)
                q = QChar();
            else
                out += ch;
            continue;
        }
        if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
            q = ch;
            continue;
        }
        const bool placeholder = ch == QLatin1Char('0') || ch == QLatin1Char('#') ||
                                 ch == QLatin1Char('.') || ch == QLatin1Char(',');
        if ((ch == QLatin1Char('E') || ch == QLatin1Char('e')) && i + 1 < format.size() &&
            (format[i + 1] == QLatin1Char('+') || format[i + 1] == QLatin1Char('-'))) {
            ++i;
            continue;
        }
        if (placeholder) {
            if (!placed) out += number;
            placed = true;
        } else {
            out += ch;
        }
    }
    return out;
}

} // namespace

QString FormatFloat(const QString& Format, double Value) {
    if (Format.isEmpty()) return QString::number(Value, 'g', 15);
    const QStringList sections = SplitSections(Format);
    if (Value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return FormatSection(sections[1], Value);
    if (Value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return FormatSection(sections[2], Value);
    QString s = FormatSection(sections[0], Value);
    if (Value < 0) {
        bool nonZero = false;
        for (QChar ch : s)
            if (ch.isDigit() && ch != QLatin1Char('0')) nonZero = true;
        if (nonZero) s.prepend(QLatin1Char('-'));
    }
    return s;
}

QString FormatDateTime(const QString& Format, const QDateTime& Value) {
    QString out;
    const QDate d = Value.date();
    const QTime t = Value.time();
    const QString f = Format;
    bool lastWasHour = false;
    int i = 0;
    auto run = [&](QChar c) {
        int n = 0;
        while (i + n < f.size() && f[i + n].toLower() == c)
            ++n;
        return n;
    };
    bool ampm = f.contains(QLatin1String("am/pm"), Qt::CaseInsensitive);
    while (i < f.size()) {
        const QChar ch = f[i].toLower();
        if (f[i] == QLatin1Char('"') || f[i] == QLatin1Char('\'')) {
            const QChar q = f[i];
            ++i;
            while (i < f.size() && f[i] != q)
                out += f[i++];
            ++i;
            continue;
        }
        if (f.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            out += t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
            i += 5;
            continue;
        }
        const int n = run(ch);
        if (ch == QLatin1Char('y')) {
            out += n <= 2 ? QString::number(d.year() % 100).rightJustified(2, QLatin1Char('0'))
                          : QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
        } else if (ch == QLatin1Char('m') && lastWasHour) {
            out += n >= 2 ? QString::number(t.minute()).rightJustified(2, QLatin1Char('0'))
                          : QString::number(t.minute());
        } else if (ch == QLatin1Char('m')) {
            if (n >= 4)
                out += QLocale::c().monthName(d.month(), QLocale::LongFormat);
            else if (n == 3)
                out += QLocale::c().monthName(d.month(), QLocale::ShortFormat);
            else
                out += n == 2 ? QString::number(d.month()).rightJustified(2, QLatin1Char('0'))
                              : QString::number(d.month());
        } else if (ch == QLatin1Char('d')) {
            if (n >= 4)
                out += QLocale::c().dayName(d.dayOfWeek(), QLocale::LongFormat);
            else if (n == 3)
                out += QLocale::c().dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += n == 2 ? QString::number(d.day()).rightJustified(2, QLatin1Char('0'))
                              : QString::number(d.day());
        } else if (ch == QLatin1Char('h')) {
            int h = t.hour();
            if (ampm) h = h % 12 == 0 ? 12 : h % 12;
            out += n >= 2 ? QString::number(h).rightJustified(2, QLatin1Char('0'))
                          : QString::number(h);
        } else if (ch == QLatin1Char('n')) {
            out += n >= 2 ? QString::number(t.minute()).rightJustified(2, QLatin1Char('0'))
                          : QString::number(t.minute());
        } else if (ch == QLatin1Char('s')) {
            out += n >= 2 ? QString::number(t.second()).rightJustified(2, QLatin1Char('0'))
                          : QString::number(t.second());
        } else if (ch == QLatin1Char('z')) {
            out += QString::number(t.msec()).rightJustified(n >= 3 ? 3 : 1, QLatin1Char('0'));
        } else {
            out += QString(f.mid(i, n));
        }
        if (ch.isLetter()) lastWasHour = ch == QLatin1Char('h');
        i += n;
    }
    return out;
}
