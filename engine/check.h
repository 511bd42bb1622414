#pragma once
// Structural check of a table's files: headers, block chain and free list, record counts, key
// order and uniqueness, the .PX against the data, .MB references and the .VAL file.
#include <filesystem>
#include <string>
#include <vector>

namespace ravelda::engine {

struct CheckProblem {
    std::filesystem::path file; // the file at fault
    std::string message;        // what is wrong, e.g. "block 3: records out of key order"
};

// Reads the table read-only and lists every problem found; empty when the table is sound. Never
// throws for a damaged table: an unreadable file is one problem. A journal left by a killed
// writer is first rolled back, as any opener does (rolledBack, when given, tells whether it
// was); where it cannot be, that is the problem reported.
std::vector<CheckProblem> checkTable(const std::filesystem::path& dbPath,
                                     bool* rolledBack = nullptr);

// Tables up to this many blocks are checked in full before the first write to each state of
// their files (the host's counter tables are far below it).
inline constexpr unsigned kFullCheckBeforeWriteBlocks = 256;

} // namespace ravelda::engine
