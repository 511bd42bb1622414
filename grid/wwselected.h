// The grid's Selected lines: one line per column, TAB-separated positions
//     field name TAB width in characters TAB title ("~" between title lines) TAB "T"|"F" TAB group
// and the tokenizer every reader of a line shares. Plain values, no window.
#pragma once

#include <QString>
#include <QStringList>

// The next token of Line from the 1-based position Pos: the text up to the next Delimiter, Pos
// then past it; without another delimiter the rest, Pos then -1. A position beyond the end, or
// -1, gives an empty token. A one-character delimiter matches exactly; a longer one matches
// without regard to case with a blank on each side (" and ").
QString wwGetToken(const QString& Line, int& Pos, const QString& Delimiter = QStringLiteral("\t"));

// One Selected line, split into its positions.
struct TwwSelectedEntry {
    QString FieldName;
    QString Width;     // position 2 as written (an integer when the line is sound)
    QString Title;     // position 3
    QString ReadOnly;  // position 4: "T" read-only; "F" when it was missing
    QString GroupName; // position 5, empty when none
    int Positions = 0; // how many positions the line had

    static TwwSelectedEntry Parse(const QString& Line);
    bool IsReadOnly() const { return ReadOnly == QStringLiteral("T"); }
    // Position 2 as an integer: EConvertError "'x' is not a valid integer value" when it is not.
    int DisplayWidth() const;
    // The title's lines ("~" separates them).
    QStringList TitleLines() const { return Title.split(QLatin1Char('~')); }
    // The line as the grid rewrites it: positions 1 to 4 always (4 as "F" when it was missing),
    // position 5 only when there is a group.
    QString Format() const;
};
