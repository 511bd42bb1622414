#pragma once
// The one exception type of the table engine. Every failure names the file it concerns and the
// problem, so that a message shown to a user or printed by a tool is useful on its own.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace ravelda::engine {

class Error : public std::runtime_error {
public:
    enum class Kind {
        NotFound,        // a file, field or row that must exist does not
        KeyViolation,    // a row with the same primary key is already stored
        Conflict,        // another writer changed or deleted the row since it was read
        Locked,          // another process holds the table (exclusively or for too long)
        ReadOnly,        // the table, its file or its folder cannot be written
        Corrupt,         // a file does not hold what its headers promise
        Unsupported,     // a valid file the engine will not handle (encrypted, unknown order…)
        InvalidArgument, // the caller passed something unusable (wrong value kind, bad size…)
        Encoding,        // text the table's code page cannot hold, or bytes that are not UTF-8
        Io,              // the operating system refused a read, write, sync or lock
    };

    // what() is "<file>: <problem>"; with an empty file it is the problem alone.
    Error(Kind kind, std::filesystem::path file, std::string problem);

    Kind kind() const { return kind_; }
    const std::filesystem::path& file() const { return file_; }
    // The problem without the file name, e.g. "Key violation" (the text a dataset shows).
    const std::string& problem() const { return problem_; }

private:
    Kind kind_;
    std::filesystem::path file_;
    std::string problem_;
};

// The problem text of a refused duplicate primary key.
inline constexpr const char* kKeyViolation = "Key violation";
// The problem texts of a refused update or delete of a row another writer changed or deleted
// since it was read (unkeyed rows cannot tell the two apart).
inline constexpr const char* kRecordChanged = "Record changed by another user";
inline constexpr const char* kRecordDeleted = "Record deleted by another user";
inline constexpr const char* kRecordChangedOrDeleted = "Record changed or deleted by another user";

} // namespace ravelda::engine
