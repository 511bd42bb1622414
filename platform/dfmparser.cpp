#include "platform/dfmparser.h"

#include <cctype>

namespace {
QString WithLine(const QString& message, int line, const QString& source) {
    QString where = source.isEmpty() ? QStringLiteral("Line %1").arg(line)
                                     : QStringLiteral("%1, line %2").arg(source).arg(line);
    return where + QStringLiteral(": ") + message;
}
} // namespace

EDescriptionError::EDescriptionError(const QString& message, int line, const QString& source)
    : EReadError(WithLine(message, line, source)), line_(line), reason_(message) {}

namespace {

enum class Tok { End, Ident, String, Integer, Float, Symbol, Binary };

struct Token {
    Tok kind = Tok::End;
    int line = 1;
    QString text; // identifier, string value or the symbol
    qint64 integer = 0;
    double number = 0;
    QByteArray bytes;
};

class Lexer {
public:
    Lexer(const QString& text, const QString& source) : s_(text), source_(source) {}

    [[noreturn]] void Fail(int line, const QString& why) const {
        throw EDescriptionError(why, line, source_);
    }

    Token Next() {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= s_.size()) return t;
        QChar c = s_[pos_];
        if (IsIdentStart(c)) {
            int start = pos_;
            while (pos_ < s_.size() &&
                   (IsIdentChar(s_[pos_]) || (s_[pos_] == QLatin1Char('.') &&
                                              pos_ + 1 < s_.size() && IsIdentStart(s_[pos_ + 1]))))
                ++pos_;
            t.kind = Tok::Ident;
            t.text = s_.mid(start, pos_ - start);
            return t;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('#')) return ReadString();
        if (c.isDigit() || c == QLatin1Char('$') ||
            ((c == QLatin1Char('-') || c == QLatin1Char('+')) && pos_ + 1 < s_.size() &&
             (s_[pos_ + 1].isDigit() || s_[pos_ + 1] == QLatin1Char('$'))))
            return ReadNumber();
        if (c == QLatin1Char('{')) return ReadBinary();
        t.kind = Tok::Symbol;
        t.text = QString(c);
        ++pos_;
        if (QStringLiteral("=:[](),<>+").indexOf(c) < 0)
            Fail(t.line, QStringLiteral("Unexpected character '%1'").arg(c));
        return t;
    }

private:
    static bool IsIdentStart(QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('_');
    }
    static bool IsIdentChar(QChar c) {
        return IsIdentStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
    }

    void SkipBlanks() {
        while (pos_ < s_.size()) {
            QChar c = s_[pos_];
            if (c == QLatin1Char('\n')) {
                ++line_;
                ++pos_;
            } else if (c.isSpace() || c == QChar(0xFEFF)) {
                ++pos_;
            } else {
                break;
            }
        }
    }

    Token ReadString() {
        Token t;
        t.kind = Tok::String;
        t.line = line_;
        for (;;) {
            if (pos_ < s_.size() && s_[pos_] == QLatin1Char('\'')) {
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size() || s_[pos_] == QLatin1Char('\n') ||
                        s_[pos_] == QLatin1Char('\r'))
                        Fail(t.line, QStringLiteral("Unterminated string"));
                    if (s_[pos_] == QLatin1Char('\'')) {
                        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == QLatin1Char('\'')) {
                            t.text += QLatin1Char('\'');
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    t.text += s_[pos_++];
                }
            } else if (pos_ < s_.size() && s_[pos_] == QLatin1Char('#')) {
                ++pos_;
                int start = pos_;
                bool hex = pos_ < s_.size() && s_[pos_] == QLatin1Char('$');
                if (hex) ++pos_, ++start;
                while (pos_ < s_.size() &&
                       (hex ? isxdigit(s_[pos_].toLatin1()) : s_[pos_].isDigit()))
                    ++pos_;
                bool ok = false;
                uint code = s_.mid(start, pos_ - start).toUInt(&ok, hex ? 16 : 10);
                if (!ok || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                    Fail(t.line, QStringLiteral("Invalid character code"));
                char32_t c32 = code;
                t.text += QString::fromUcs4(&c32, 1);
            } else {
                break;
            }
        }
        return t;
    }

    Token ReadNumber() {
        Token t;
        t.line = line_;
        int start = pos_;
        bool negative = false;
        if (s_[pos_] == QLatin1Char('-') || s_[pos_] == QLatin1Char('+')) {
            negative = s_[pos_] == QLatin1Char('-');
            ++pos_;
        }
        if (s_[pos_] == QLatin1Char('$')) {
            ++pos_;
            int hs = pos_;
            while (pos_ < s_.size() && isxdigit(s_[pos_].toLatin1()))
                ++pos_;
            bool ok = false;
            quint64 v = s_.mid(hs, pos_ - hs).toULongLong(&ok, 16);
            if (!ok || pos_ - hs > 16) Fail(t.line, QStringLiteral("Invalid hexadecimal number"));
            t.kind = Tok::Integer;
            t.integer = negative ? -static_cast<qint64>(v) : static_cast<qint64>(v);
            CheckNumberEnd(t.line);
            return t;
        }
        bool isFloat = false;
        while (pos_ < s_.size() && s_[pos_].isDigit())
            ++pos_;
        if (pos_ + 1 < s_.size() && s_[pos_] == QLatin1Char('.') && s_[pos_ + 1].isDigit()) {
            isFloat = true;
            ++pos_;
            while (pos_ < s_.size() && s_[pos_].isDigit())
                ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == QLatin1Char('e') || s_[pos_] == QLatin1Char('E'))) {
            int save = pos_;
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == QLatin1Char('+') || s_[pos_] == QLatin1Char('-')))
                ++pos_;
            if (pos_ < s_.size() && s_[pos_].isDigit()) {
                isFloat = true;
                while (pos_ < s_.size() && s_[pos_].isDigit())
                    ++pos_;
            } else {
                pos_ = save;
            }
        }
        QString text = s_.mid(start, pos_ - start);
        bool ok = false;
        if (isFloat) {
            t.kind = Tok::Float;
            t.number = text.toDouble(&ok);
            // Classic float type suffixes: currency, date, single, extended.
            if (pos_ < s_.size() && QStringLiteral("cCdDsSfF").indexOf(s_[pos_]) >= 0) ++pos_;
        } else {
            t.kind = Tok::Integer;
            t.integer = text.toLongLong(&ok);
        }
        if (!ok) Fail(t.line, QStringLiteral("Invalid number %1").arg(text));
        CheckNumberEnd(t.line);
        return t;
    }

    void CheckNumberEnd(int line) {
        if (pos_ < s_.size() && (IsIdentChar(s_[pos_]) || s_[pos_] == QLatin1Char('.')))
            Fail(line, QStringLiteral("Invalid number"));
    }

    Token ReadBinary() {
        Token t;
        t.kind = Tok::Binary;
        t.line = line_;
        ++pos_;
        int nibble = -1;
        for (;;) {
            if (pos_ >= s_.size()) Fail(t.line, QStringLiteral("Unterminated binary value"));
            QChar c = s_[pos_++];
            if (c == QLatin1Char('}')) break;
            if (c == QLatin1Char('\n')) {
                ++line_;
                continue;
            }
            if (c.isSpace()) continue;
            int v = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
            if (v < 0) Fail(line_, QStringLiteral("Invalid character '%1' in binary value").arg(c));
            if (nibble < 0) {
                nibble = v;
            } else {
                t.bytes.append(static_cast<char>(nibble * 16 + v));
                nibble = -1;
            }
        }
        if (nibble >= 0) Fail(t.line, QStringLiteral("Binary value with an odd number of digits"));
        return t;
    }

    const QString& s_;
    QString source_;
    int pos_ = 0;
    int line_ = 1;
};

class Parser {
public:
    Parser(const QString& text, const QString& source) : lex_(text, source) { Advance(); }

    TDfmObject ParseRoot() {
        if (tok_.kind == Tok::End) lex_.Fail(tok_.line, QStringLiteral("Empty description"));
        TDfmObject root = ParseObject();
        if (tok_.kind != Tok::End)
            lex_.Fail(tok_.line, QStringLiteral("Text after the final 'end'"));
        return root;
    }

private:
    void Advance() { tok_ = lex_.Next(); }
    bool IsKeyword(const char* k) const {
        return tok_.kind == Tok::Ident &&
               tok_.text.compare(QLatin1String(k), Qt::CaseInsensitive) == 0;
    }
    bool IsSymbol(char c) const { return tok_.kind == Tok::Symbol && tok_.text == QLatin1Char(c); }
    void ExpectSymbol(char c, const char* what) {
        if (!IsSymbol(c))
            lex_.Fail(
                tok_.line,
                QStringLiteral("%1 expected but %2 found").arg(QLatin1String(what), Describe()));
        Advance();
    }
    QString Describe() const {
        switch (tok_.kind) {
        case Tok::End:
            return QStringLiteral("end of text");
        case Tok::Ident:
            return QStringLiteral("'%1'").arg(tok_.text);
        case Tok::String:
            return QStringLiteral("a string");
        case Tok::Integer:
        case Tok::Float:
            return QStringLiteral("a number");
        case Tok::Binary:
            return QStringLiteral("a binary value");
        case Tok::Symbol:
            return QStringLiteral("'%1'").arg(tok_.text);
        }
        return QString();
    }
    QString ExpectPlainIdent(const char* what) {
        if (tok_.kind != Tok::Ident || tok_.text.contains(QLatin1Char('.')))
            lex_.Fail(
                tok_.line,
                QStringLiteral("%1 expected but %2 found").arg(QLatin1String(what), Describe()));
        QString s = tok_.text;
        Advance();
        return s;
    }

    TDfmObject ParseObject() {
        TDfmObject o;
        o.line = tok_.line;
        if (IsKeyword("object"))
            o.kind = TDfmObject::Object;
        else if (IsKeyword("inherited"))
            o.kind = TDfmObject::Inherited;
        else if (IsKeyword("inline"))
            o.kind = TDfmObject::Inline;
        else
            lex_.Fail(tok_.line, QStringLiteral("'object' expected but %1 found").arg(Describe()));
        Advance();
        QString first = ExpectPlainIdent("Component name or class name");
        if (IsSymbol(':')) {
            Advance();
            o.name = first;
            o.className = ExpectPlainIdent("Class name");
        } else {
            o.className = first;
        }
        if (IsSymbol('['))
            lex_.Fail(tok_.line, QStringLiteral("Child order indexes are not supported"));
        for (;;) {
            if (tok_.kind == Tok::End)
                lex_.Fail(tok_.line, QStringLiteral("'end' expected for %1 started at line %2")
                                         .arg(o.name.isEmpty() ? o.className : o.name)
                                         .arg(o.line));
            if (IsKeyword("end")) {
                Advance();
                break;
            }
            if (IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline")) {
                o.children.push_back(ParseObject());
                continue;
            }
            o.properties.push_back(ParseProperty());
        }
        return o;
    }

    TDfmProperty ParseProperty() {
        TDfmProperty p;
        p.line = tok_.line;
        if (tok_.kind != Tok::Ident)
            lex_.Fail(tok_.line,
                      QStringLiteral("Property name expected but %1 found").arg(Describe()));
        p.name = tok_.text;
        Advance();
        ExpectSymbol('=', "'='");
        p.value = ParseValue();
        return p;
    }

    TDfmValue ParseValue() {
        TDfmValue v;
        v.line = tok_.line;
        switch (tok_.kind) {
        case Tok::Integer:
            v.kind = TDfmValue::Integer;
            v.integer = tok_.integer;
            Advance();
            return v;
        case Tok::Float:
            v.kind = TDfmValue::Float;
            v.number = tok_.number;
            Advance();
            return v;
        case Tok::String:
            v.kind = TDfmValue::String;
            v.text = tok_.text;
            Advance();
            while (IsSymbol('+')) {
                Advance();
                if (tok_.kind != Tok::String)
                    lex_.Fail(
                        tok_.line,
                        QStringLiteral("String expected after '+' but %1 found").arg(Describe()));
                v.text += tok_.text;
                Advance();
            }
            return v;
        case Tok::Ident:
            v.kind = TDfmValue::Ident;
            v.text = tok_.text;
            Advance();
            return v;
        case Tok::Binary:
            v.kind = TDfmValue::Binary;
            v.bytes = tok_.bytes;
            Advance();
            return v;
        case Tok::Symbol:
            break;
        case Tok::End:
            lex_.Fail(tok_.line, QStringLiteral("Value expected but end of text found"));
        }
        if (IsSymbol('[')) {
            v.kind = TDfmValue::Set;
            Advance();
            if (!IsSymbol(']')) {
                for (;;) {
                    v.idents << ExpectPlainIdent("Set element");
                    if (IsSymbol(']')) break;
                    ExpectSymbol(',', "',' or ']'");
                }
            }
            Advance();
            return v;
        }
        if (IsSymbol('(')) {
            v.kind = TDfmValue::List;
            Advance();
            while (!IsSymbol(')')) {
                if (tok_.kind == Tok::End || IsSymbol('<') || IsSymbol('('))
                    lex_.Fail(tok_.line,
                              QStringLiteral("')' expected but %1 found").arg(Describe()));
                v.items.push_back(ParseValue());
            }
            Advance();
            return v;
        }
        if (IsSymbol('<')) {
            v.kind = TDfmValue::Collection;
            Advance();
            while (!IsSymbol('>')) {
                if (!IsKeyword("item"))
                    lex_.Fail(
                        tok_.line,
                        QStringLiteral("'item' or '>' expected but %1 found").arg(Describe()));
                TDfmItem item;
                item.line = tok_.line;
                Advance();
                while (!IsKeyword("end")) {
                    if (tok_.kind == Tok::End || IsKeyword("item") || IsSymbol('>'))
                        lex_.Fail(tok_.line,
                                  QStringLiteral("'end' expected for the item started at line %1")
                                      .arg(item.line));
                    item.properties.push_back(ParseProperty());
                }
                Advance();
                v.collection.push_back(std::move(item));
            }
            Advance();
            return v;
        }
        lex_.Fail(tok_.line, QStringLiteral("Value expected but %1 found").arg(Describe()));
    }

    Lexer lex_;
    Token tok_;
};

} // namespace

TDfmObject ParseDfm(const QString& text, const QString& source) {
    if (text.startsWith(QLatin1String("TPF0")))
        throw EDescriptionError(QStringLiteral("Binary descriptions are not supported"), 1, source);
    Parser p(text, source);
    return p.ParseRoot();
}
