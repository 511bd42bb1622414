#include "grid/wwselected.h"

#include "platform/sysutils.h"

QString wwGetToken(const QString& Line, int& Pos, const QString& Delimiter) {
    if (Pos < 1 || Pos > Line.size()) {
        Pos = -1;
        return {};
    }
    const qsizetype from = Pos - 1;
    qsizetype at = -1;
    qsizetype skip = Delimiter.size();
    if (Delimiter.size() == 1) {
        at = Line.indexOf(Delimiter, from);
    } else {
        const QString padded = QLatin1Char(' ') + Delimiter + QLatin1Char(' ');
        at = Line.indexOf(padded, from, Qt::CaseInsensitive);
        skip = padded.size();
    }
    if (at < 0) {
        Pos = -1;
        return Line.mid(from);
    }
    Pos = static_cast<int>(at + skip) + 1;
    return Line.mid(from, at - from);
}

TwwSelectedEntry TwwSelectedEntry::Parse(const QString& Line) {
    TwwSelectedEntry e;
    int pos = 1;
    QString* parts[] = {&e.FieldName, &e.Width, &e.Title, &e.ReadOnly, &e.GroupName};
    for (QString* part : parts) {
        if (pos == -1) break;
        *part = wwGetToken(Line, pos);
        ++e.Positions;
    }
    if (e.Positions < 4) e.ReadOnly = QStringLiteral("F");
    return e;
}

int TwwSelectedEntry::DisplayWidth() const {
    return StrToInt(Width);
}

QString TwwSelectedEntry::Format() const {
    QString line = FieldName + QLatin1Char('\t') + Width + QLatin1Char('\t') + Title +
                   QLatin1Char('\t') + (ReadOnly.isEmpty() ? QStringLiteral("F") : ReadOnly);
    if (!GroupName.isEmpty()) line += QLatin1Char('\t') + GroupName;
    return line;
}
