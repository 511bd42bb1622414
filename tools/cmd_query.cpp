// ravelda-db query DATABASE 'SQL' | --qbe FILE
#include "engine/alias.h"
#include "engine/csv.h"
#include "engine/cursor.h"
#include "engine/query.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/output.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace ravelda::tools {

namespace {

// DATABASE: a folder when it holds a '/', else an alias.
std::filesystem::path databaseFolder(const std::string& text) {
    if (text.find('/') != std::string::npos) {
        if (!std::filesystem::is_directory(text))
            throw engine::Error(engine::Error::Kind::NotFound, text, "no such folder");
        return text;
    }
    return engine::resolveAlias(text);
}

std::string readQueryFile(const std::string& file) {
    std::stringstream text;
    if (file == "-") {
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) throw engine::Error(engine::Error::Kind::NotFound, file, "cannot read the query file");
    text << in.rdbuf();
    return text.str();
}

} // namespace

int queryCommand(const Words& words) {
    Args args = parseArgs(words, {"qbe", "code-page"},
                          {"no-blobs", "blanks-as-zero", "ignore-case", "translate"});
    const bool qbe = args.value("qbe").has_value();
    if (qbe)
        args.expectPositional(1, "DATABASE");
    else
        args.expectPositional(2, "DATABASE and the SQL text");
    const std::string text = qbe ? readQueryFile(*args.value("qbe")) : args.positional[1];
    const auto language = qbe ? engine::QueryLanguage::QBE : engine::QueryLanguage::SQL;
    engine::QueryOptions options;
    options.codePage = args.integer("code-page", 0, 1, 65535);
    options.blanksAsZero = args.has("blanks-as-zero");
    options.caseInsensitive = args.has("ignore-case");
    if ((options.blanksAsZero || options.caseInsensitive) && !qbe)
        throw UsageError("--blanks-as-zero and --ignore-case are for QBE queries");

    Output out;
    if (args.has("translate")) {
        if (!qbe) throw UsageError("--translate is for QBE queries");
        out.add(engine::qbeToSql(text, options) + "\n");
        out.flush();
        return 0;
    }
    auto result = engine::runQuery(databaseFolder(args.positional[0]), text, language, options);
    engine::Table& table = result->table();
    engine::csv::FormatOptions format;
    format.blobSizesOnly = args.has("no-blobs");
    out.add(engine::csv::formatRecord(result->columnNames()));
    auto cursor = table.cursor();
    for (bool on = cursor->first(); on; on = cursor->next())
        out.add(engine::csv::formatRecord(
            engine::csv::rowFields(table.fields(), cursor->row(), table.codec(), format)));
    out.flush();
    return 0;
}

} // namespace ravelda::tools
