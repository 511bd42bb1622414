// The syntax of stored window descriptions, parsed into a tree that the reader applies.
#pragma once

#include "platform/exceptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

struct TDfmItem;

// An error in a description, with the line (1-based) where it was found.
class EDescriptionError : public EReadError {
public:
    EDescriptionError(const QString& message, int line, const QString& source = QString());
    const char* ClassName() const override { return "EReadError"; }
    int Line() const { return line_; }
    // The message without "line N: ".
    const QString& Reason() const { return reason_; }

private:
    int line_;
    QString reason_;
};

struct TDfmValue {
    enum Kind { Integer, Float, String, Ident, Set, List, Collection, Binary };
    Kind kind = Integer;
    int line = 0;
    qint64 integer = 0;
    double number = 0;
    QString text;                     // String and Ident
    QStringList idents;               // Set
    std::vector<TDfmValue> items;     // List
    std::vector<TDfmItem> collection; // Collection
    QByteArray bytes;                 // Binary
};

struct TDfmProperty {
    QString name; // possibly dotted: "Font.Height"
    int line = 0;
    TDfmValue value;
};

struct TDfmItem {
    int line = 0;
    std::vector<TDfmProperty> properties;
};

struct TDfmObject {
    enum Kind { Object, Inherited, Inline };
    Kind kind = Object;
    QString name; // may be empty: "object TTimer"
    QString className;
    int line = 0;
    std::vector<TDfmProperty> properties;
    std::vector<TDfmObject> children;
};

// Parses one description; raises EDescriptionError (dfmreader.h) with the line of the fault.
TDfmObject ParseDfm(const QString& text, const QString& source = QString());
