// TwwTable: the line formats of the per-field lists, and the pruning of lines that name no
// field.
#include "data/wwtable.h"

#include "platform/strings.h"

QString wwGetToken(const QString& Line, QChar Separator, int Index) {
    qsizetype start = 0;
    for (int i = 0; i < Index; ++i) {
        const qsizetype next = Line.indexOf(Separator, start);
        if (next < 0) return QString();
        start = next + 1;
    }
    const qsizetype end = Line.indexOf(Separator, start);
    return Line.mid(start, end < 0 ? -1 : end - start);
}

bool wwControlTypeOf(const TStrings* List, const QString& FieldName, QString& Kind,
                     QString& Parameters) {
    bool found = false;
    if (!List) return false;
    const QChar semicolon = QLatin1Char(';');
    for (int i = 0; i < List->Count(); ++i) {
        const QString line = List->Strings(i);
        if (wwGetToken(line, semicolon, 0) != FieldName) continue;
        found = true;
        Kind = wwGetToken(line, semicolon, 1);
        const qsizetype first = line.indexOf(semicolon);
        const qsizetype second = first < 0 ? -1 : line.indexOf(semicolon, first + 1);
        Parameters = (second < 0 ? line : line.mid(second + 1)).left(255);
    }
    return found;
}

TwwLookupDefinition wwParseLookupDefinition(const QString& Line) {
    const QStringList tokens = Line.split(QLatin1Char(';'));
    const auto token = [&](int i) { return i < tokens.size() ? tokens.at(i) : QString(); };
    TwwLookupDefinition d;
    d.LookupField = token(0);
    d.DatabaseName = token(1);
    d.TableName = token(2);
    d.DisplayField = token(3);
    if (tokens.size() < 6)
        d.IndexName = token(4);
    else
        for (qsizetype i = 5; i + 1 < tokens.size(); ++i)
            d.IndexFields << tokens.at(i);
    return d;
}

std::vector<std::pair<QString, QString>> wwParseLookupLinks(const QString& Line) {
    std::vector<std::pair<QString, QString>> pairs;
    if (Line.isEmpty()) return pairs;
    const QStringList tokens = Line.split(QLatin1Char(';'));
    for (qsizetype i = 0; i < tokens.size(); i += 2)
        pairs.emplace_back(tokens.at(i), i + 1 < tokens.size() ? tokens.at(i + 1) : QString());
    return pairs;
}

// Lines outlive field changes (a field removed from a stored description); the ones that name
// no field would only mislead the controls.
void TwwTable::PruneFieldLists() {
    const QChar semicolon = QLatin1Char(';');
    for (int i = lookupFields_->Count() - 1; i >= 0; --i) {
        if (FindField(wwGetToken(lookupFields_->Strings(i), semicolon, 0))) continue;
        lookupFields_->Delete(i);
        if (i < lookupLinks_->Count()) lookupLinks_->Delete(i);
    }
    for (int i = controlType_->Count() - 1; i >= 0; --i)
        if (!FindField(wwGetToken(controlType_->Strings(i), semicolon, 0))) controlType_->Delete(i);
}

void TwwTable::DoOnCalcFields() {
    PruneFieldLists();
    TTable::DoOnCalcFields();
}
