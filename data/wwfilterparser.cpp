// Filter expressions: the tokenizer, the recursive-descent parser and the readable form.
#include "data/wwfilterparser.h"

#include <QLocale>
#include <utility>

TwwFilterFormat TwwFilterFormat::System() {
    const QLocale locale;
    TwwFilterFormat format;
    const QString point = locale.decimalPoint();
    if (!point.isEmpty()) format.DecimalSeparator = point.at(0);
    format.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    format.TimeFormat = locale.timeFormat(QLocale::LongFormat);
    return format;
}

namespace {

bool IsNameStart(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u >= 146) return true;
    switch (u) {
    case u'_':
    case u'`':
    case u'!':
    case u'#':
    case u'$':
    case u'*':
    case u'+':
    case u'-':
    case u'/':
    case u'@':
        return true;
    default:
        return false;
    }
}

bool IsNameChar(QChar c) {
    return IsNameStart(c) || (c.unicode() >= u'0' && c.unicode() <= u'9') || c == QLatin1Char(' ');
}

bool IsDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool IsCompareChar(QChar c) {
    return c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>');
}

enum TTokenKind { tkLParen, tkRParen, tkCompare, tkAnd, tkOr, tkName, tkNumber, tkText, tkEnd };

struct TToken {
    TTokenKind Kind = tkEnd;
    QString Text;
    qsizetype Start = 0; // where the token begins
    qsizetype End = 0;   // just after it
};

struct TParseError {
    QString Message;
};

class TParser {
public:
    TParser(const QString& Text, const TwwFilterFormat& Format) : s_(Text), format_(Format) {}

    TwwFilterNode ParseAll() {
        TwwFilterNode tree = Expression();
        const TToken t = Peek(true);
        if (t.Kind != tkEnd) Fail(t, QStringLiteral("unexpected \"%1\"").arg(t.Text));
        return tree;
    }

private:
    // The token at the current position; OperatorMayStand: an operand has just ended, so "AND"
    // and "OR" are operators here.
    TToken Peek(bool OperatorMayStand) const {
        qsizetype i = pos_;
        while (i < s_.size() && (s_.at(i) == QLatin1Char(' ') || s_.at(i) == QLatin1Char('\t')))
            ++i;
        TToken t;
        t.Start = i;
        if (i >= s_.size()) {
            t.Kind = tkEnd;
            t.End = i;
            return t;
        }
        const QChar c = s_.at(i);
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            t.Kind = c == QLatin1Char('(') ? tkLParen : tkRParen;
            t.Text = c;
            t.End = i + 1;
            return t;
        }
        if (IsCompareChar(c)) {
            qsizetype j = i + 1;
            if (j < s_.size() && IsCompareChar(s_.at(j))) ++j;
            t.Kind = tkCompare;
            t.Text = s_.mid(i, j - i);
            t.End = j;
            return t;
        }
        if (OperatorMayStand) {
            const QStringView rest = QStringView(s_).mid(i);
            if (rest.startsWith(QLatin1String("AND"), Qt::CaseInsensitive)) {
                t.Kind = tkAnd;
                t.Text = QStringLiteral("AND");
                t.End = i + 3;
                return t;
            }
            if (rest.startsWith(QLatin1String("OR"), Qt::CaseInsensitive)) {
                t.Kind = tkOr;
                t.Text = QStringLiteral("OR");
                t.End = i + 2;
                return t;
            }
        }
        if (IsNameStart(c)) {
            qsizetype j = i + 1;
            while (j < s_.size() && IsNameChar(s_.at(j)))
                ++j;
            t.End = j;
            while (j > i && s_.at(j - 1) == QLatin1Char(' '))
                --j;
            t.Kind = tkName;
            t.Text = s_.mid(i, j - i);
            return t;
        }
        if (IsDigit(c) || (c == QLatin1Char('-') && i + 1 < s_.size() && IsDigit(s_.at(i + 1)))) {
            qsizetype j = i + 1;
            while (j < s_.size() && IsDigit(s_.at(j)))
                ++j;
            if (j < s_.size() && s_.at(j) == format_.DecimalSeparator) {
                ++j;
                while (j < s_.size() && IsDigit(s_.at(j)))
                    ++j;
            }
            t.Kind = tkNumber;
            t.Text = s_.mid(i, j - i);
            t.End = j;
            return t;
        }
        if (c == QLatin1Char('"')) {
            const qsizetype close = s_.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) {
                t.Text = c;
                Fail(t, QStringLiteral("the text has no closing quote"));
            }
            t.Kind = tkText;
            t.Text = s_.mid(i + 1, close - i - 1);
            t.End = close + 1;
            return t;
        }
        t.Text = c;
        Fail(t, QStringLiteral("unexpected \"%1\"").arg(c));
    }

    void Take(const TToken& t) { pos_ = t.End; }

    [[noreturn]] static void Fail(const TToken& t, const QString& What) {
        throw TParseError{QStringLiteral("Position %1: %2").arg(t.Start + 1).arg(What)};
    }

    static TwwFilterNode Binary(TwwFilterNode::TKind Kind, QString Op, TwwFilterNode Left,
                                TwwFilterNode Right) {
        TwwFilterNode node;
        node.Kind = Kind;
        node.Text = std::move(Op);
        node.Args.push_back(std::move(Left));
        node.Args.push_back(std::move(Right));
        return node;
    }

    // The operator in its usual spelling; the reversed spellings mean the same.
    static QString CanonicalCompare(const TToken& t) {
        const QString& op = t.Text;
        if (op == QLatin1String("=") || op == QLatin1String("==")) return QStringLiteral("=");
        if (op == QLatin1String("<>") || op == QLatin1String("><")) return QStringLiteral("<>");
        if (op == QLatin1String("<=") || op == QLatin1String("=<")) return QStringLiteral("<=");
        if (op == QLatin1String(">=") || op == QLatin1String("=>")) return QStringLiteral(">=");
        if (op == QLatin1String("<") || op == QLatin1String(">")) return op;
        Fail(t, QStringLiteral("\"%1\" is no comparison operator").arg(op));
    }

    TwwFilterNode Expression() {
        TwwFilterNode left = Comparison();
        for (;;) {
            const TToken t = Peek(true);
            if (t.Kind != tkAnd && t.Kind != tkOr) return left;
            Take(t);
            TwwFilterNode right = Comparison();
            left = Binary(TwwFilterNode::fnLogic, t.Text, std::move(left), std::move(right));
        }
    }

    TwwFilterNode Comparison() {
        TwwFilterNode left = Sum();
        const TToken t = Peek(true);
        if (t.Kind != tkCompare) return left;
        const QString op = CanonicalCompare(t);
        Take(t);
        TwwFilterNode right = Sum();
        return Binary(TwwFilterNode::fnCompare, op, std::move(left), std::move(right));
    }

    TwwFilterNode Sum() {
        TwwFilterNode left = Product();
        for (;;) {
            const TToken t = Peek(true);
            if (t.Kind != tkName || (t.Text != QLatin1String("+") && t.Text != QLatin1String("-")))
                return left;
            Take(t);
            TwwFilterNode right = Product();
            left = Binary(TwwFilterNode::fnArith, t.Text, std::move(left), std::move(right));
        }
    }

    TwwFilterNode Product() {
        TwwFilterNode left = Factor();
        for (;;) {
            const TToken t = Peek(true);
            if (t.Kind != tkName || (t.Text != QLatin1String("*") && t.Text != QLatin1String("/")))
                return left;
            Take(t);
            TwwFilterNode right = Factor();
            left = Binary(TwwFilterNode::fnArith, t.Text, std::move(left), std::move(right));
        }
    }

    TwwFilterNode Factor() {
        const TToken t = Peek(false);
        TwwFilterNode node;
        switch (t.Kind) {
        case tkLParen: {
            Take(t);
            node = Expression();
            const TToken close = Peek(true);
            if (close.Kind != tkRParen)
                Fail(close,
                     close.Kind == tkEnd
                         ? QStringLiteral("\")\" is missing")
                         : QStringLiteral("\")\" expected instead of \"%1\"").arg(close.Text));
            Take(close);
            return node;
        }
        case tkName:
            node.Kind = TwwFilterNode::fnName;
            break;
        case tkNumber:
            node.Kind = TwwFilterNode::fnNumber;
            break;
        case tkText:
            node.Kind = TwwFilterNode::fnText;
            break;
        default:
            Fail(t, t.Kind == tkEnd
                        ? QStringLiteral("an operand is missing")
                        : QStringLiteral("an operand expected instead of \"%1\"").arg(t.Text));
        }
        node.Text = t.Text;
        Take(t);
        return node;
    }

    const QString& s_;
    const TwwFilterFormat& format_;
    qsizetype pos_ = 0;
};

} // namespace

TwwFilterParseResult wwParseFilter(const QString& Text, const TwwFilterFormat& Format) {
    TwwFilterParseResult result;
    try {
        result.Tree = TParser(Text, Format).ParseAll();
        result.Ok = true;
    } catch (const TParseError& e) {
        result.Error = e.Message;
    }
    return result;
}

QString wwDescribeFilter(const TwwFilterNode& Node) {
    switch (Node.Kind) {
    case TwwFilterNode::fnName:
        return QLatin1Char('[') + Node.Text + QLatin1Char(']');
    case TwwFilterNode::fnNumber:
        return Node.Text;
    case TwwFilterNode::fnText:
        return QLatin1Char('"') + Node.Text + QLatin1Char('"');
    default:
        break;
    }
    QString out = QStringLiteral("(");
    out += Node.Args.empty() ? QString() : wwDescribeFilter(Node.Args[0]);
    out += QLatin1Char(' ') + Node.Text + QLatin1Char(' ');
    out += Node.Args.size() < 2 ? QString() : wwDescribeFilter(Node.Args[1]);
    return out + QLatin1Char(')');
}

QString wwCombinedFilter(const QStringList& Lines) {
    QString combined;
    bool first = true;
    for (QString line : Lines) {
        qsizetype n = line.size();
        while (n > 0 && (line.at(n - 1) == QLatin1Char(' ') || line.at(n - 1) == QLatin1Char('\t')))
            --n;
        line.truncate(n);
        if (line.isEmpty()) continue;
        if (first)
            combined = line;
        else
            combined += QStringLiteral(" AND (") + line + QLatin1Char(')');
        first = false;
    }
    return combined;
}
