// ravelda-db year-update DATABASE [--year YYYY] [--dry-run]
//
// The RAVELDA button of the main window without the window, for schedulers: the same rule
// (data/yearupdate.h) on the same kind of table object, so the stored pictures are checked on
// each post exactly as the window checks them.
#include "data/db.h"
#include "data/fields.h"
#include "data/wwtable.h"
#include "data/yearupdate.h"
#include "engine/table.h"
#include "tools/args.h"
#include "tools/commands.h"

#include <cstdio>

namespace ravelda::tools {

namespace {

std::string RowText(const QString& tabella, const QString& anno, qint64 registro) {
    return (tabella + QLatin1Char(' ') + anno + QLatin1Char(' ') + QString::number(registro))
        .toStdString();
}

} // namespace

int yearUpdateCommand(const Words& words) {
    Args args = parseArgs(words, {"year"}, {"dry-run"});
    args.expectPositional(1, "DATABASE");
    const int year = args.integer("year", YearUpdateCurrentYear(), 1000, 9999);
    const bool dryRun = args.has("dry-run");

    // The four fields the window declares: a table of another shape is refused on opening, as
    // the window refuses it. The owner frees the fields before the table.
    TComponent owner(nullptr);
    auto* table = new TwwTable(&owner);
    table->SetDatabaseName(QString::fromStdString(args.positional[0]));
    table->SetTableName(QStringLiteral("Keys.DB"));
    auto* tabella = new TStringField(&owner);
    tabella->SetFieldName(QStringLiteral("Tabella"));
    tabella->SetSize(30);
    auto* anno = new TStringField(&owner);
    anno->SetFieldName(QStringLiteral("Anno"));
    anno->SetSize(4);
    auto* registro = new TSmallintField(&owner);
    registro->SetFieldName(QStringLiteral("Registro"));
    auto* chiave = new TIntegerField(&owner);
    chiave->SetFieldName(QStringLiteral("Chiave"));
    for (TField* field : {static_cast<TField*>(tabella), static_cast<TField*>(anno),
                          static_cast<TField*>(registro), static_cast<TField*>(chiave)})
        field->SetDataSet(table);
    table->Open();

    int added = 0;
    const auto report = [&](const TYearUpdateRow& row) {
        ++added;
        std::printf("%s %s\n", dryRun ? "would add" : "added",
                    RowText(row.Tabella, row.Anno, row.Registro).c_str());
    };
    try {
        RunYearUpdate(table, static_cast<quint16>(year), report,
                      dryRun ? TYearUpdateMode::DryRun : TYearUpdateMode::Write);
    } catch (const Exception& e) {
        const std::string path = table->Handle() ? table->Handle()->path().string() : "Keys.DB";
        if (table->State() == dsInsert)
            std::fprintf(
                stderr, "ravelda-db: %s: row %s refused: %s\n", path.c_str(),
                RowText(tabella->AsString(), anno->AsString(), registro->AsInteger()).c_str(),
                e.what());
        else
            std::fprintf(stderr, "ravelda-db: %s: %s\n", path.c_str(), e.what());
        std::fprintf(stderr, "ravelda-db: year update stopped; %d row%s added before it\n", added,
                     added == 1 ? "" : "s");
        table->Cancel();
        return 1;
    }
    if (added == 0)
        std::printf("nothing missing: the %zu counter rows of %d exist\n", YearUpdatePairs().size(),
                    year);
    else if (dryRun)
        std::printf("dry run: %d row%s missing, nothing written\n", added, added == 1 ? "" : "s");
    else
        std::printf("Aggiornamento Effettuato\n");
    return 0;
}

} // namespace ravelda::tools
