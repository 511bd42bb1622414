#pragma once
// The rollback journal: the old contents of every byte range a write is about to change, kept
// beside the table until the write is on disk. A journal found by the next opener means the
// writer died mid-way; playing it back restores the files exactly as they were.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ravelda::engine {

struct JournalFile {
    std::string name;           // file name in the table's folder
    std::uint64_t originalSize; // truncated back to this
};

struct JournalEntry {
    int file = 0; // index into the file list
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> old;
};

struct Journal {
    std::string table; // the .DB file name of the table it belongs to ("" in older journals)
    std::vector<JournalFile> files;
    std::vector<JournalEntry> entries;
};

std::vector<std::uint8_t> serializeJournal(const Journal& j);
// False when the bytes are not a complete journal (a write that never started).
bool parseJournal(const std::vector<std::uint8_t>& bytes, Journal& out);

// Writes the journal durably (file synced, folder synced).
void writeJournal(const std::filesystem::path& path, const Journal& j);
// Marks the journal as done (emptied and synced) and removes it.
void retireJournal(const std::filesystem::path& path);
// Plays a journal back if it is complete, then retires it. Returns whether it rolled back.
// A journal may only restore the files of its own table: one that belongs to another table or
// names any file but ownFiles (names in the journal's folder) is refused with Error Corrupt and
// left in place, every file untouched.
bool rollBackJournal(const std::filesystem::path& path, const std::string& table,
                     const std::vector<std::string>& ownFiles);

} // namespace ravelda::engine
