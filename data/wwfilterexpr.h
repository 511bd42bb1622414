#pragma once
// A parsed filter expression (wwfilterparser.h) turned into the engine's filter tree.
//
// Operands name fields without regard to case. The left operand of a comparison that is a
// single name, number or text must name a field; the field's type then decides how the other
// operand is read: a text for text fields (a bare word too: Tabella = Anno looks for "Anno"), a
// number for numeric fields (with the format's decimal separator), a date in the short date
// format for date fields (a four-digit year always does; a two-digit one is the year within
// fifty years of today's), "True"/"False" for logical fields. For a field that is not text, a
// bare word that is no value of its type may name another field; an empty text stands for a
// blank value. Elsewhere a name is a field, a number a number and a text a text.
#include "data/db.h"
#include "data/wwfilterparser.h"
#include "engine/filter.h"

#include <QString>
#include <functional>
#include <string>
#include <vector>

struct TwwFilterField {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Index = -1; // the engine's 0-based field index
};

struct TwwFilterTranslation {
    bool Ok = false;
    ravelda::engine::FilterExpr Expr;
    QString MissingField; // set when an operand names no field
    QString Error;        // what is wrong, when not Ok
};

// Texts become the table's bytes through EncodeText, which throws when it cannot hold them.
using TwwTextEncoder = std::function<std::string(const QString& Text)>;

TwwFilterTranslation wwTranslateFilter(const TwwFilterNode& Tree,
                                       const std::vector<TwwFilterField>& Fields,
                                       const TwwFilterFormat& Format,
                                       const TwwTextEncoder& EncodeText);

// The warning shown for an operand that names no field: the name, a carriage return and
// "Field not found in Table. ".
QString wwFieldNotFoundText(const QString& Name);
