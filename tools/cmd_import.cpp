// ravelda-db import TABLE FILE.csv
#include "engine/csv.h"
#include "engine/error.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/progress.h"
#include "tools/table_arg.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

namespace ravelda::tools {

namespace {

// Rows are stored in batches, each one write (one journal, one sync): the sync is most of what a
// write costs. The first batch is small and each next one twice as large, so that a file refused
// early costs little to find out about, while a long file needs only a few syncs; the byte budget
// bounds the memory of rows with long texts or blobs.
constexpr std::size_t kFirstBatchRows = 1024;
constexpr std::size_t kMaxBatchRows = 65536;
constexpr std::int64_t kMaxBatchBytes = 8 << 20;

// A row the table refused, with the line it was read from.
struct Refusal {
    std::int64_t line = 0;
    engine::Error error;
};

// The rows read but not stored yet, and how they go to the table.
class Batches {
public:
    Batches(engine::Table& table, bool allOrNothing) : table_(table), allOrNothing_(allOrNothing) {}

    void add(std::vector<engine::Value> row, std::int64_t line, std::int64_t bytes) {
        rows_.push_back(std::move(row));
        lines_.push_back(line);
        bytes_ += bytes;
    }
    bool full() const {
        return !allOrNothing_ && (rows_.size() >= limit_ || bytes_ >= kMaxBatchBytes);
    }
    // Stores the pending rows. When one is refused, the rows before it are stored (none with
    // all-or-nothing) and the refusal returned.
    std::optional<Refusal> flush();
    // Forgets the pending rows.
    void drop() {
        rows_.clear();
        lines_.clear();
        bytes_ = 0;
    }
    std::int64_t stored() const { return stored_; }
    bool allOrNothing() const { return allOrNothing_; }

private:
    engine::Table& table_;
    const bool allOrNothing_;
    std::vector<std::vector<engine::Value>> rows_;
    std::vector<std::int64_t> lines_;
    std::int64_t bytes_ = 0;
    std::size_t limit_ = kFirstBatchRows;
    std::int64_t stored_ = 0;
};

std::optional<Refusal> Batches::flush() {
    std::optional<Refusal> refusal;
    while (!rows_.empty()) {
        auto refused = engine::csv::storeRows(table_, rows_);
        if (!refused) break;
        refusal = Refusal{lines_[refused->index], refused->error};
        if (allOrNothing_) {
            drop();
            return refusal;
        }
        // Nothing of the batch was stored: store the rows before the refused one.
        rows_.resize(refused->index);
        lines_.resize(refused->index);
    }
    stored_ += static_cast<std::int64_t>(rows_.size());
    drop();
    limit_ = std::min(limit_ * 2, kMaxBatchRows);
    return refusal;
}

// How an import that stops is reported on standard error.
class Report {
public:
    Report(std::string source, const Batches& batches)
        : source_(std::move(source)), batches_(batches) {}

    // A fault of the CSV file or of one of its rows.
    int refused(const std::string& problem) const {
        std::fprintf(stderr, "ravelda-db: %s: %s\n", source_.c_str(), problem.c_str());
        return stopped();
    }
    int refused(const Refusal& r) const {
        return refused("line " + std::to_string(r.line) + ": " + r.error.problem());
    }
    // A fault of the table: its files could not be written (a full disk, a lock, damage).
    int tableFailed(const engine::Table& table, const engine::Error& e) const {
        const std::string why = e.file() == table.path() ? e.problem() : std::string(e.what());
        std::fprintf(stderr, "ravelda-db: %s: the table could not be written: %s\n",
                     table.path().c_str(), why.c_str());
        return stopped();
    }

private:
    int stopped() const {
        const std::int64_t n = batches_.stored();
        if (batches_.allOrNothing())
            std::fprintf(stderr, "ravelda-db: import stopped; no row stored (all or nothing)\n");
        else
            std::fprintf(stderr, "ravelda-db: import stopped; %lld row%s stored before it\n",
                         static_cast<long long>(n), n == 1 ? "" : "s");
        return 1;
    }
    std::string source_;
    const Batches& batches_;
};

// Reads the rows after the header into batches and stores them; the exit status.
int importRows(engine::csv::Reader& reader, const engine::csv::ImportLayout& layout,
               Batches& batches, const Report& report, std::int64_t size) {
    std::vector<std::string> record;
    Progress progress("import (bytes)", size);
    for (;;) {
        std::vector<engine::Value> row;
        const std::int64_t before = reader.offset();
        try {
            if (!reader.next(record)) break;
            row = layout.row(record, reader.line());
        } catch (const engine::Error& e) {
            // The rows before the bad one are stored (none when all or nothing), then it is
            // named, unless one of them was refused first.
            if (batches.allOrNothing())
                batches.drop();
            else if (auto refusal = batches.flush())
                return report.refused(*refusal);
            return report.refused(e.problem());
        }
        batches.add(std::move(row), reader.line(), reader.offset() - before);
        if (batches.full())
            if (auto refusal = batches.flush()) return report.refused(*refusal);
        progress.update(reader.offset());
    }
    if (auto refusal = batches.flush()) return report.refused(*refusal);
    progress.finish();
    return 0;
}

} // namespace

int importCommand(const Words& words) {
    Args args = parseArgs(words, {"code-page"}, {"all-or-nothing"});
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
    Batches batches(*table, args.has("all-or-nothing"));
    const Report report(file == "-" ? "standard input" : file, batches);

    engine::csv::Reader reader(*in);
    std::vector<std::string> header;
    std::unique_ptr<engine::csv::ImportLayout> layout;
    try {
        if (!reader.next(header))
            return report.refused("the file is empty (a header row naming the fields is needed)");
        layout =
            std::make_unique<engine::csv::ImportLayout>(table->fields(), header, table->codec());
    } catch (const engine::Error& e) {
        return report.refused(e.problem());
    }

    try {
        if (int rc = importRows(reader, *layout, batches, report, size)) return rc;
    } catch (const engine::Error& e) {
        return report.tableFailed(*table, e);
    }
    if (in->bad()) return report.refused("cannot read the file");
    const std::int64_t stored = batches.stored();
    std::printf("%lld row%s imported into %s\n", static_cast<long long>(stored),
                stored == 1 ? "" : "s", table->path().c_str());
    return 0;
}

} // namespace ravelda::tools
