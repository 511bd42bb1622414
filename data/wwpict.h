#pragma once
// Picture masks: the pattern notation of Paradox field pictures and the validator that matches a
// text against one. The notation is described for maintainers in docs/pictures.md.
#include <QString>
#include <QtGlobal>
#include <vector>

// Result of a match. The codes are stable: callers compare them as numbers (0 and 3 above all).
// prAmbiguous and prIncompNoFill only occur inside matching; Picture() reports them as
// prComplete and prIncomplete.
enum TwwPicResult {
    prComplete = 0,     // the text matches the whole picture
    prIncomplete = 1,   // the text is a valid beginning; more must follow
    prEmpty = 2,        // the text is empty
    prError = 3,        // the text cannot match
    prSyntax = 4,       // the picture is not well formed (an empty picture included)
    prAmbiguous = 5,    // complete, but the picture could take more
    prIncompNoFill = 6, // incomplete where an optional part ended (no auto-fill there)
};

class TwwPictureValidator {
public:
    // Options flags.
    static constexpr quint16 voFill = 1;     // auto-fill was asked for at creation
    static constexpr quint16 voOnAppend = 4; // the text is checked while it is typed (always)
    // Status values.
    static constexpr quint16 vsOk = 0;
    static constexpr quint16 vsSyntax = 1; // the picture is unusable

    TwwPictureValidator(const QString& picture, bool autoFill);
    virtual ~TwwPictureValidator();

    TwwPictureValidator(const TwwPictureValidator&) = default;
    TwwPictureValidator& operator=(const TwwPictureValidator&) = default;

    quint16 Status() const { return status_; }
    quint16 Options() const { return options_; }
    const QString& PictureText() const { return picture_; }

    // False exactly when matching gives prError. Auto-fill runs when the validator was created
    // with it and suppressFill is false; the text is rewritten in place like Picture() does.
    virtual bool IsValidInput(QString& input, bool suppressFill);
    // True exactly when a match without auto-fill, on a copy of the text, is complete or empty.
    virtual bool IsValid(const QString& input);
    // Matches input against the picture, rewriting the matched characters in place (letter case,
    // the picture's own fixed characters) and, with autoFill, appending the fixed characters
    // that must come next. A text that gives prError is left as it was given.
    virtual TwwPicResult Picture(QString& input, bool autoFill);

    // The syntax test on its own: non-empty, no trailing ";", a trailing "*" only escaped,
    // balanced brackets, and nesting within the depth the matcher supports.
    static bool SyntaxCheck(const QString& picture);

private:
    quint16 status_ = vsOk;
    quint16 options_ = voOnAppend;
    QString picture_;
    bool wellFormed_ = false;
    // For each unescaped "[" or "{", the position of the bracket that closes it, else -1.
    std::vector<qsizetype> closers_;
};
