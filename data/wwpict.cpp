#include "data/wwpict.h"

#include <QLocale>
#include <algorithm>
#include <utility>

namespace {

// Groups and repetitions nest at most this deep. The matcher recurses once per level, so the
// limit keeps the stack bounded; real pictures nest two or three levels.
constexpr int kMaxNesting = 64;
// A repetition count larger than any text could need; saturating keeps the parse from
// overflowing on long digit runs.
constexpr qint64 kCountCap = 1'000'000'000;
// Matching steps allowed per match, plus a share per text character. Alternatives inside
// repetitions can make the work grow with a power of the text length; no real picture comes
// near the limit, and a match that reaches it is refused rather than left running.
constexpr qint64 kStepBase = 10'000'000;
constexpr qint64 kStepsPerChar = 100;

bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

bool isLetter(QChar c) {
    return isAsciiLetter(c) || c.unicode() > 128;
}

bool isOpener(QChar c) {
    return c == u'[' || c == u'{';
}
bool isCloser(QChar c) {
    return c == u']' || c == u'}';
}

// The locale may map one character to several (German sharp s); a picture position holds one
// character, so such a character stays as typed.
QChar toUpper(const QLocale& locale, QChar c) {
    const QString s = locale.toUpper(QString(c));
    return s.size() == 1 ? s.front() : c;
}

QChar toLower(const QLocale& locale, QChar c) {
    const QString s = locale.toLower(QString(c));
    return s.size() == 1 ? s.front() : c;
}

// Fixed characters compare exactly, letters A to Z without regard to case.
bool sameFixed(QChar picture, QChar text) {
    if (picture == text) return true;
    return isAsciiLetter(picture) && isAsciiLetter(text) &&
           (picture.unicode() | 0x20) == (text.unicode() | 0x20);
}

// Characters at which auto-fill stops: everything that is not a fixed character.
bool stopsFill(QChar c) {
    switch (c.unicode()) {
    case u'#':
    case u'?':
    case u'&':
    case u'~':
    case u'@':
    case u'!':
    case u'*':
    case u'[':
    case u']':
    case u'{':
    case u'}':
    case u',':
        return true;
    default:
        return false;
    }
}

std::vector<qsizetype> findClosers(const QString& p) {
    std::vector<qsizetype> closers(static_cast<size_t>(p.size()), -1);
    std::vector<qsizetype> open;
    for (qsizetype k = 0; k < p.size(); ++k) {
        const QChar c = p[k];
        if (c == u';') {
            ++k;
        } else if (isOpener(c)) {
            open.push_back(k);
        } else if (isCloser(c) && !open.empty()) {
            closers[static_cast<size_t>(open.back())] = k;
            open.pop_back();
        }
    }
    return closers;
}

// Read-only structure of a picture: where items end and where groups close. Every position it
// returns lies within the bound it is given, so a malformed picture cannot lead a caller out of
// its section.
class PictureShape {
public:
    PictureShape(const QString& p, const std::vector<qsizetype>& closers)
        : p_(p), closers_(closers) {}

    const QString& text() const { return p_; }

    // The closing bracket of the group opened at k, or end when it does not close before end.
    qsizetype closerOf(qsizetype k, qsizetype end) const {
        const qsizetype c = closers_[static_cast<size_t>(k)];
        return (c < 0 || c >= end) ? end : c;
    }

    // Past the group opened at k: after its closing bracket, or end.
    qsizetype afterGroup(qsizetype k, qsizetype end) const {
        const qsizetype c = closerOf(k, end);
        return c < end ? c + 1 : end;
    }

    // Past one item starting at k (k < end): a character, ";" with the character it escapes,
    // a "*" with its count and its item, or a bracketed group. Always beyond k.
    qsizetype itemEnd(qsizetype k, qsizetype end) const {
        while (k < end && p_[k] == u'*') {
            ++k;
            while (k < end && isDigit(p_[k]))
                ++k;
        }
        if (k >= end) return end;
        const QChar c = p_[k];
        if (c == u';') return std::min(k + 2, end);
        if (isOpener(c)) return afterGroup(k, end);
        return k + 1;
    }

    // Past the next "," of this level from k, or -1 when the section has no further alternative.
    // work counts the items passed over.
    qsizetype nextAlternative(qsizetype k, qsizetype end, qint64& work) const {
        while (k < end && p_[k] != u',') {
            ++work;
            k = itemEnd(k, end);
        }
        return k < end ? k + 1 : -1;
    }

    // Whether every piece from k to the end of the alternative (a "," of this level, or end)
    // may be left out at the end of the text. work counts the pieces examined.
    bool optionalRest(qsizetype k, qsizetype end, int depth, qint64& work) const {
        while (k < end) {
            ++work;
            const QChar c = p_[k];
            if (c == u',')
                return true; // the alternative is finished; the rest of the section is not needed
            if (c == u'[') {
                k = afterGroup(k, end);
            } else if (c == u'*') {
                qsizetype q = k + 1;
                qint64 count = 0;
                while (q < end && isDigit(p_[q]))
                    count = std::min(count * 10 + (p_[q++].unicode() - u'0'), kCountCap);
                if (q >= end) return false;
                // Without a count (or with 0) the item may occur no times at all; with a count,
                // only a repeated optional group can be left out.
                if (count != 0 && p_[q] != u'[') return false;
                k = itemEnd(k, end);
            } else if (c == u'{') {
                if (!optionalGroup(k, end, depth + 1, work)) return false;
                k = afterGroup(k, end);
            } else {
                return false;
            }
        }
        return true;
    }

    // A "{" group may be left out when one of its alternatives may. An empty alternative (two
    // "," in a row, or a "," right after "{" or right before "}") is made of no pieces at all,
    // so it counts as one that may be left out; "{}" likewise.
    bool optionalGroup(qsizetype k, qsizetype end, int depth, qint64& work) const {
        if (depth > kMaxNesting) return false;
        const qsizetype close = closerOf(k, end);
        qsizetype a = k + 1;
        while (a >= 0) {
            if (optionalRest(a, close, depth, work)) return true;
            a = nextAlternative(a, close, work);
        }
        return false;
    }

    // Whether the nesting of groups and repetitions stays within kMaxNesting; depth counts the
    // sections the matcher would enter, the whole picture being the first.
    bool nestingWithinLimit(qsizetype k, qsizetype end, int depth) const {
        if (depth > kMaxNesting) return false;
        while (k < end) {
            const QChar c = p_[k];
            if (c == u';') {
                k = std::min(k + 2, end);
            } else if (c == u'*') {
                qsizetype q = k + 1;
                while (q < end && isDigit(p_[q]))
                    ++q;
                if (q >= end) return true;
                const qsizetype e = itemEnd(q, end);
                if (!nestingWithinLimit(q, e, depth + 1)) return false;
                k = e;
            } else if (isOpener(c)) {
                if (!nestingWithinLimit(k + 1, closerOf(k, end), depth + 1)) return false;
                k = afterGroup(k, end);
            } else {
                ++k;
            }
        }
        return true;
    }

private:
    const QString& p_;
    const std::vector<qsizetype>& closers_;
};

// One match of a text against a picture. Positions are 0-based: i_ in the picture, j_ in the
// text. Every character written into the text is journalled, so that an alternative or an
// optional part that fails leaves the text as it was before it was tried.
class Matcher {
public:
    Matcher(const PictureShape& shape, QString& text)
        : shape_(shape), p_(shape.text()), s_(text),
          budget_(kStepBase + kStepsPerChar * static_cast<qint64>(text.size())) {}

    TwwPicResult run() {
        i_ = 0;
        j_ = 0;
        return process(p_.size());
    }

    qsizetype pictureIndex() const { return i_; }
    qsizetype textIndex() const { return j_; }
    bool gaveUp() const { return gaveUp_; }

private:
    struct Write {
        qsizetype pos;
        QChar old;
    };

    bool spend() {
        if (++steps_ > budget_) gaveUp_ = true;
        return !gaveUp_;
    }

    void write(qsizetype pos, QChar c) {
        if (s_[pos] == c) return;
        journal_.push_back({pos, s_[pos]});
        s_[pos] = c;
    }

    void undoTo(size_t mark) {
        while (journal_.size() > mark) {
            s_[journal_.back().pos] = journal_.back().old;
            journal_.pop_back();
        }
    }

    void take(QChar c) {
        write(j_, c);
        ++i_;
        ++j_;
    }

    // Tries the alternatives of the section from i_ up to end.
    TwwPicResult process(qsizetype end) {
        if (depth_ >= kMaxNesting)
            return prSyntax; // kept out by the syntax test; a last guard for the stack
        ++depth_;
        const TwwPicResult r = processAlternatives(end);
        --depth_;
        return r;
    }

    TwwPicResult processAlternatives(qsizetype end) {
        qsizetype startI = i_;
        const qsizetype startJ = j_;
        const size_t mark = journal_.size();
        bool spaceFlag = false;
        bool incomplete = false;
        qsizetype incompleteI = 0;
        qsizetype incompleteJ = 0;
        std::vector<std::pair<qsizetype, QChar>> incompleteText;
        TwwPicResult r;
        for (;;) {
            if (!spend()) return prError;
            r = scan(end, spaceFlag);
            if (gaveUp_) return prError;
            // A complete alternative only wins when it got as far into the text as the first
            // incomplete one.
            if ((r == prComplete || r == prAmbiguous) && incomplete && incompleteJ > j_)
                r = prIncomplete;
            if (r != prError && r != prIncomplete) break;
            if (r == prIncomplete && !incomplete) {
                incomplete = true;
                incompleteI = i_;
                incompleteJ = j_;
                for (size_t w = mark; w < journal_.size(); ++w)
                    incompleteText.emplace_back(journal_[w].pos, s_[journal_[w].pos]);
            }
            undoTo(mark);
            i_ = startI;
            j_ = startJ;
            const qsizetype next = shape_.nextAlternative(startI, end, steps_);
            if (next < 0) {
                if (!incomplete) return r;
                for (const auto& [pos, c] : incompleteText)
                    write(pos, c);
                i_ = incompleteI;
                j_ = incompleteJ;
                return prIncomplete;
            }
            i_ = startI = next;
        }
        if (r == prComplete && incomplete) return prAmbiguous;
        return r;
    }

    // Matches one alternative item by item.
    TwwPicResult scan(qsizetype end, bool& spaceFlag) {
        TwwPicResult running = prEmpty;
        while (i_ < end && p_[i_] != u',') {
            if (!spend()) return prError;
            if (j_ >= s_.size()) return checkComplete(running, end);
            const QChar c = s_[j_];
            QChar fixed = p_[i_];
            switch (fixed.unicode()) {
            case u'#':
                if (!isDigit(c)) return prError;
                take(c);
                running = prIncomplete;
                continue;
            case u'?':
                if (!isLetter(c)) return prError;
                take(c);
                running = prIncomplete;
                continue;
            case u'&':
                if (!isLetter(c)) return prError;
                take(toUpper(locale_, c));
                running = prIncomplete;
                continue;
            case u'~':
                if (!isLetter(c)) return prError;
                take(toLower(locale_, c));
                running = prIncomplete;
                continue;
            case u'@':
                take(c);
                running = prIncomplete;
                continue;
            case u'!':
                take(toUpper(locale_, c));
                running = prIncomplete;
                continue;
            case u'*': {
                const TwwPicResult r = iteration(end);
                if (r != prComplete && r != prAmbiguous) return r;
                running = r == prAmbiguous ? prIncompNoFill : prIncomplete;
                continue;
            }
            case u'[': {
                TwwPicResult r = group(end);
                if (r == prIncomplete || r == prIncompNoFill || r == prSyntax || gaveUp_)
                    return gaveUp_ ? prError : r;
                if (r == prError || r == prEmpty) r = prAmbiguous; // the optional part is left out
                running = r == prAmbiguous ? prIncompNoFill : prIncomplete;
                continue;
            }
            case u'{': {
                const TwwPicResult r = group(end);
                if (r != prComplete && r != prAmbiguous) return r;
                running = r == prAmbiguous ? prIncompNoFill : prIncomplete;
                continue;
            }
            case u';':
                if (i_ + 1 >= end) return prSyntax;
                ++i_;
                fixed = p_[i_];
                break;
            default:
                break;
            }
            // A fixed character. A blank typed last may stand for it once per section, so that
            // typing a space moves over a literal the way auto-fill would.
            const bool lastOfText = j_ == s_.size() - 1;
            if (!sameFixed(fixed, c)) {
                if (c != u' ' || !lastOfText || spaceFlag) return prError;
            } else if (c == u' ' && lastOfText) {
                spaceFlag = true;
            }
            take(fixed);
            running = prIncomplete;
        }
        return running == prIncompNoFill ? prAmbiguous : prComplete;
    }

    // At a "*": the count, then the item, matched that many times or as often as it goes.
    TwwPicResult iteration(qsizetype end) {
        ++i_;
        qint64 count = 0;
        while (i_ < end && isDigit(p_[i_]))
            count = std::min(count * 10 + (p_[i_++].unicode() - u'0'), kCountCap);
        if (i_ >= end) return prSyntax; // a repetition of nothing
        const qsizetype itemStart = i_;
        const qsizetype itemEnd = shape_.itemEnd(itemStart, end);
        const bool optionalItem = p_[itemStart] == u'[';
        TwwPicResult r = prComplete;
        if (count > 0) {
            for (qint64 n = 0; n < count; ++n) {
                i_ = itemStart;
                const qsizetype before = j_;
                r = process(itemEnd);
                if (gaveUp_) return prError;
                if (r != prComplete && r != prAmbiguous) {
                    if (r == prEmpty) r = optionalItem ? prComplete : prIncomplete;
                    if (r != prComplete) return r;
                    break;
                }
                // A run that took nothing leaves everything as it was, so the remaining runs
                // would give the same; stopping here keeps large counts cheap.
                if (j_ == before) break;
            }
        } else {
            for (;;) {
                i_ = itemStart;
                const qsizetype before = j_;
                r = process(itemEnd);
                if (gaveUp_) return prError;
                // Only runs that consume text go on, so the loop ends with the text.
                if ((r == prComplete || r == prAmbiguous) && j_ > before) continue;
                break;
            }
            if (r == prEmpty || r == prError)
                r = prAmbiguous;
            else if (r != prComplete && r != prAmbiguous)
                return r;
        }
        i_ = itemEnd;
        return r;
    }

    // At a "[" or "{": the group's inside as a section of its own.
    TwwPicResult group(qsizetype end) {
        const qsizetype open = i_;
        const qsizetype close = shape_.closerOf(open, end);
        const qsizetype after = shape_.afterGroup(open, end);
        i_ = open + 1;
        const TwwPicResult r = process(close);
        if (gaveUp_) return prError;
        if (r != prIncomplete && r != prIncompNoFill) i_ = after;
        return r;
    }

    // The text ran out at i_: an incomplete result becomes ambiguous when only pieces that may be
    // left out remain in the alternative.
    TwwPicResult checkComplete(TwwPicResult r, qsizetype end) {
        if (r != prIncomplete && r != prIncompNoFill) return r;
        qint64 work = 0;
        const bool optional = shape_.optionalRest(i_, end, depth_, work);
        steps_ += work;
        if (!spend()) return prError;
        return optional ? prAmbiguous : r;
    }

    const PictureShape& shape_;
    const QString& p_;
    QString& s_;
    const QLocale locale_; // the system's case rules
    qsizetype i_ = 0;
    qsizetype j_ = 0;
    std::vector<Write> journal_;
    int depth_ = 0;
    qint64 steps_ = 0;
    const qint64 budget_;
    bool gaveUp_ = false;
};

bool syntaxFits(const QString& p, const std::vector<qsizetype>& closers) {
    if (p.isEmpty() || p.back() == u';') return false;
    if (p.back() == u'*' && (p.size() < 2 || p[p.size() - 2] != u';')) return false;
    int squares = 0;
    int braces = 0;
    for (qsizetype k = 0; k < p.size(); ++k) {
        switch (p[k].unicode()) {
        case u';':
            ++k;
            break;
        case u'[':
            ++squares;
            break;
        case u']':
            --squares;
            break;
        case u'{':
            ++braces;
            break;
        case u'}':
            --braces;
            break;
        default:
            break;
        }
    }
    if (squares != 0 || braces != 0) return false;
    return PictureShape(p, closers).nestingWithinLimit(0, p.size(), 1);
}

} // namespace

TwwPictureValidator::TwwPictureValidator(const QString& picture, bool autoFill)
    : picture_(picture), closers_(findClosers(picture)) {
    wellFormed_ = syntaxFits(picture_, closers_);
    if (autoFill) options_ |= voFill;
    // Matching the empty text gives empty exactly when the picture is well formed.
    QString empty;
    if (Picture(empty, false) != prEmpty) status_ = vsSyntax;
}

TwwPictureValidator::~TwwPictureValidator() = default;

bool TwwPictureValidator::SyntaxCheck(const QString& picture) {
    return syntaxFits(picture, findClosers(picture));
}

bool TwwPictureValidator::IsValidInput(QString& input, bool suppressFill) {
    return Picture(input, (options_ & voFill) != 0 && !suppressFill) != prError;
}

bool TwwPictureValidator::IsValid(const QString& input) {
    QString copy = input;
    const TwwPicResult r = Picture(copy, false);
    return r == prComplete || r == prEmpty;
}

TwwPicResult TwwPictureValidator::Picture(QString& input, bool autoFill) {
    if (!wellFormed_) return prSyntax;
    if (input.isEmpty()) return prEmpty;

    const PictureShape shape(picture_, closers_);
    const QString given = input;
    Matcher first(shape, input);
    TwwPicResult r = first.run();
    if (first.gaveUp())
        r = prError;
    else if (r != prError && r != prSyntax && first.textIndex() < input.size())
        r = prError; // characters left over
    if (r == prError || r == prSyntax) {
        input = given;
        return r;
    }

    if (r == prIncomplete && autoFill) {
        const QString matched = input;
        bool appended = false;
        for (qsizetype k = first.pictureIndex(); k < picture_.size(); ++k) {
            QChar c = picture_[k];
            if (stopsFill(c)) break;
            if (c == u';') {
                if (++k >= picture_.size()) break;
                c = picture_[k];
            }
            input.append(c);
            appended = true;
        }
        if (appended) {
            Matcher again(shape, input);
            r = again.run();
            if (again.gaveUp() || r == prError || r == prSyntax ||
                again.textIndex() < input.size()) {
                input = matched;
                r = prIncomplete;
            }
        }
    }

    if (r == prAmbiguous) return prComplete;
    if (r == prIncompNoFill) return prIncomplete;
    return r;
}
