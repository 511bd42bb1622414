// ravelda-db import TABLE FILE.csv
#include "engine/csv.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/progress.h"
#include "tools/table_arg.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace ravelda::tools {

int importCommand(const Words& words) {
    Args args = parseArgs(words, {"code-page"}, {});
    args.expectPositional(2, "TABLE and FILE.csv");
    const std::string& file = args.positional[1];
    auto table = openTableArg(args.positional[0], args, engine::OpenMode::ReadWrite);
    if (!table->canModify())
        throw engine::Error(engine::Error::Kind::ReadOnly, table->path(),
                            "cannot import: " + table->readOnlyReason());

    std::ifstream fileIn;
    std::istream* in = &std::cin;
    std::int64_t size = 0;
    if (file != "-") {
        fileIn.open(file, std::ios::binary);
        if (!fileIn)
            throw engine::Error(engine::Error::Kind::NotFound, file, "cannot open the CSV file");
        std::error_code ec;
        size = static_cast<std::int64_t>(std::filesystem::file_size(file, ec));
        in = &fileIn;
    }
    const std::string source = file == "-" ? "standard input" : file;

    engine::csv::Reader reader(*in);
    std::vector<std::string> record;
    std::int64_t stored = 0;
    auto refused = [&](const std::string& problem) {
        std::fprintf(stderr, "ravelda-db: %s: %s\n", source.c_str(), problem.c_str());
        std::fprintf(stderr, "ravelda-db: import stopped; %lld row%s stored before it\n",
                     static_cast<long long>(stored), stored == 1 ? "" : "s");
        return 1;
    };
    try {
        if (!reader.next(record))
            return refused("the file is empty (a header row naming the fields is needed)");
    } catch (const engine::Error& e) {
        return refused(e.problem());
    }
    const auto& fields = table->fields();
    std::unique_ptr<engine::csv::ImportLayout> layout;
    try {
        layout = std::make_unique<engine::csv::ImportLayout>(fields, record, table->codec());
    } catch (const engine::Error& e) {
        return refused(e.problem());
    }

    auto cursor = table->cursor();
    Progress progress("import (bytes)", size);
    for (;;) {
        std::vector<engine::Value> row;
        std::int64_t line = 0;
        try {
            if (!reader.next(record)) break;
            line = reader.line();
            row = layout->row(record, line);
        } catch (const engine::Error& e) {
            return refused(e.problem());
        }
        try {
            cursor->insert(row);
        } catch (const engine::Error& e) {
            return refused(std::string("line ") + std::to_string(line) + ": " + e.problem());
        }
        ++stored;
        progress.update(reader.offset());
    }
    progress.finish();
    if (in->bad()) return refused("cannot read the file");
    std::printf("%lld row%s imported into %s\n", static_cast<long long>(stored),
                stored == 1 ? "" : "s", table->path().c_str());
    return 0;
}

} // namespace ravelda::tools
