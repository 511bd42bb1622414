// The year update: the counter rows every document table needs for a year, made sure of on the
// key table. The main window's RAVELDA button and `ravelda-db year-update` both run this one
// rule, so the rows they make can never drift apart.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <span>

class TDataSet;

// A document table and one of its registers: one counter row per year.
struct TYearUpdatePair {
    const char* Tabella;
    const char* Registro; // as the look-up takes it: one character of text
};

// The six pairs, in the order the update goes through them.
std::span<const TYearUpdatePair> YearUpdatePairs();

// The year the update prepares when none is named: today's, from the clock service.
quint16 YearUpdateCurrentYear();

// A row the update added, or in a dry run would add (Chiave is always 0).
struct TYearUpdateRow {
    QString Tabella;
    QString Anno;
    int Registro = 0;
};
using TYearUpdateRowEvent = std::function<void(const TYearUpdateRow& Row)>;

enum class TYearUpdateMode { Write, DryRun };

// For each pair in order: the exact look-up on "Tabella;Anno;Registro"; when the row is missing,
// Insert, the four fields set (Anno the year's decimal text, Chiave 0) and Post, which runs the
// dataset's before-post checks (a TwwTable's pictures), then OnRowAdded. A dry run only looks
// up and reports. Catches nothing: an error ends the update there, the rows posted before it
// stay, and a refused row stays pending in insert state. Returns the rows added (or missing).
int RunYearUpdate(TDataSet* KeyTable, quint16 Year, const TYearUpdateRowEvent& OnRowAdded = {},
                  TYearUpdateMode Mode = TYearUpdateMode::Write);
