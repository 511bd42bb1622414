#include "platform/sysutils.h"

#include "platform/exceptions.h"

#include <climits>

int StrToInt(const QString& S) {
    QString t = S;
    qsizetype i = 0;
    while (i < t.size() && t[i] == QLatin1Char(' '))
        ++i;
    t = t.mid(i);
    bool negative = false;
    if (!t.isEmpty() && (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+'))) {
        negative = t[0] == QLatin1Char('-');
        t = t.mid(1);
    }
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.size() > 1 ? t.mid(1).toLongLong(&ok, 16) : 0;
    else if (!t.isEmpty() && t[0].isDigit())
        v = t.toLongLong(&ok, 10);
    if (negative) v = -v;
    if (!ok || v < INT_MIN || v > INT_MAX)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
    return static_cast<int>(v);
}
