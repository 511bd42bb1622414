#pragma once
// The filter expressions of TwwTable's wwFilter lines: tokens, grammar and the parse tree.
//
// Tokens (leading spaces and tabs skipped), tried in this order:
//   "(" ")"
//   a comparison operator: one or two characters out of "<", "=", ">"
//   "AND" / "OR", without regard to case, only where an operator may stand (after an operand)
//   a name: a letter, "_", "`", "!", "#", "$", "*", "+", "-", "/", "@" or a character of code
//           146 or more, then any run of those, digits and spaces; trailing spaces are cut.
//           Names may therefore hold spaces and operator characters ("Last Name", "Tot-1");
//           the arithmetic operators are names that consist of the operator alone.
//   a number: an optional "-", digits, at most one decimal separator and more digits
//   a text in double quotes (no escapes)
//
// Grammar:
//   expression = comparison { ("AND" | "OR") comparison }   left to right, no precedence
//   comparison = sum [ operator sum ]
//   sum        = product { ("+" | "-") product }
//   product    = factor { ("*" | "/") factor }               left to right
//   factor     = "(" expression ")" | name | number | text
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

// The number and date conventions a filter text is read with.
struct TwwFilterFormat {
    QChar DecimalSeparator = QLatin1Char('.');
    QString ShortDateFormat = QStringLiteral("dd/MM/yyyy"); // QDate format text
    QString TimeFormat = QStringLiteral("HH:mm:ss");
    // Those of the system's locale.
    static TwwFilterFormat System();
};

struct TwwFilterNode {
    enum TKind {
        fnName,    // Text: the name as written (trailing spaces cut)
        fnNumber,  // Text: the digits as written (with the format's separator)
        fnText,    // Text: the text between the quotes
        fnCompare, // Text: the operator as written; Args: left, right
        fnArith,   // Text: "+", "-", "*" or "/"; Args: left, right
        fnLogic,   // Text: "AND" or "OR"; Args: left, right
    };
    TKind Kind = fnName;
    QString Text;
    std::vector<TwwFilterNode> Args;

    bool IsOperand() const { return Kind == fnName || Kind == fnNumber || Kind == fnText; }
};

struct TwwFilterParseResult {
    bool Ok = false;
    TwwFilterNode Tree;
    QString Error; // what is wrong and where, when not Ok
};

// Parses one filter text (the combined expression of a wwFilter list, or one line).
TwwFilterParseResult wwParseFilter(const QString& Text, const TwwFilterFormat& Format);

// A readable form of a tree: names in brackets, texts in quotes, every operator node in
// parentheses, e.g. "(([Last Name] = \"Rossi\") AND ([Tot] > 5))".
QString wwDescribeFilter(const TwwFilterNode& Node);

// The combined expression of a wwFilter list: trailing spaces and tabs cut from each line, empty
// lines skipped, the first line then " AND (" + line + ")" for each further one.
QString wwCombinedFilter(const QStringList& Lines);
