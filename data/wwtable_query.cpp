// TwwTable: running the Query text through the engine's query facility; the result is a
// read-only table that the dataset reads like any other.
#include "data/wwtable.h"
#include "engine/alias.h"
#include "engine/query.h"
#include "engine/table.h"
#include "platform/screen.h"
#include "platform/strings.h"

#include <filesystem>

namespace engine = ravelda::engine;

std::shared_ptr<engine::Table> TwwTable::CreateHandle() {
    if (query_->Count() == 0) return TTable::CreateHandle();
    return RunQuery();
}

std::shared_ptr<engine::Table> TwwTable::RunQuery() {
    const bool qbe = queryKind_ == QLatin1String("QBE");
    QStringList lines;
    for (int i = 0; i < query_->Count(); ++i)
        lines.append(query_->Strings(i));
    // SQL lines are joined with a line break rather than a space, so that a "--" comment ends
    // with its own line instead of swallowing the rest of the statement.
    const QString text = lines.join(qbe ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    std::unique_ptr<engine::QueryResult> result;
    Screen()->SetCursor(crHourGlass);
    try {
        // Without an alias the statement reads the tables of the working folder.
        const std::filesystem::path folder =
            DatabaseName().isEmpty() ? std::filesystem::current_path()
                                     : engine::resolveAlias(DatabaseName().toStdString());
        engine::QueryOptions options;
        if (qbe) {
            // Conditions compare as the engine stores: blanks are blanks, texts keep their case.
            options.blanksAsZero = false;
            options.caseInsensitive = false;
        }
        result = engine::runQuery(folder, text.toStdString(),
                                  qbe ? engine::QueryLanguage::QBE : engine::QueryLanguage::SQL,
                                  options);
    } catch (const std::exception& e) {
        Screen()->SetCursor(crDefault);
        RaiseEngineError(e, true);
    }
    Screen()->SetCursor(crDefault);
    engine::Table* table = &result->table();
    // The handle keeps the result (and its private folder) for as long as the dataset reads it.
    return std::shared_ptr<engine::Table>(std::shared_ptr<engine::QueryResult>(std::move(result)),
                                          table);
}
