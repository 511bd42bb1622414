#pragma once
// The files that make up one table: its .DB and the companions beside it whose stem matches
// without regard to case (tables copied from DOS or Windows often change case), and its journal.
#include <filesystem>
#include <string>
#include <vector>

namespace ravelda::engine {

struct TableFiles {
    std::filesystem::path db, px, mb, val;               // empty when absent
    std::vector<std::filesystem::path> secondaryIndexes; // .Xnn/.Ynn/.XGn/.YGn, sorted
    std::filesystem::path journal;                       // "<db file name>-journal", may not exist

    // Every companion present (not the .DB, not the journal).
    std::vector<std::filesystem::path> companions() const;
};

// Lists the table's folder. Error Io when it cannot be listed.
TableFiles findTableFiles(const std::filesystem::path& db);

// .Xnn, .Ynn, .XGn and .YGn (the extension in lower case, without the dot).
bool isSecondaryIndexExtension(const std::string& ext);

} // namespace ravelda::engine
