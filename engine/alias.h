#pragma once
// Database aliases: a name for the folder that holds a database's tables.
//
// Aliases live in one plain text file, looked for in this order:
//   1. $RAVELDA_ALIAS_FILE when set (the only candidate then, so tests and scripts are isolated);
//   2. ~/.config/ravelda/aliases.conf (per user);
//   3. /etc/ravelda/aliases.conf (system wide).
// The first file that exists is read. Changes are written to the first candidate; when that file
// does not exist yet it starts as a copy of the file that was read, so adding a user alias does
// not hide the system ones.
//
// File format, one definition per line:
//   # a comment (whole line)
//   quennarix = /srv/quennarix/data
// Blank lines are ignored; spaces around the name and the folder are trimmed. A relative folder
// is taken relative to the alias file's own folder. Names are compared without regard to ASCII
// case, as the classic engine does; the first definition of a name counts. Rewriting the file
// keeps its comments and the order of its lines.
#include "engine/table.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelda::engine {

struct Alias {
    std::string name;             // as written in the file
    std::filesystem::path folder; // as written (relative folders not yet resolved)
    bool operator==(const Alias&) const = default;
};

// The candidate alias files in search order (only $RAVELDA_ALIAS_FILE when it is set).
std::vector<std::filesystem::path> aliasFileCandidates();
// The file changes are written to: the first candidate.
std::filesystem::path aliasWriteFile();

// Letters, digits, '_', '-' and '.'; 1 to 64 characters. ':' '=' '#' and spaces would make the
// file or a ":ALIAS:Table" reference ambiguous.
bool isValidAliasName(std::string_view name);

class AliasFile {
public:
    // Reads the first existing candidate; with none, an empty set whose file() is the write file.
    // Error Io when the file cannot be read, Corrupt (naming the line) when a line is malformed.
    static AliasFile load();
    // Reads the given file; a missing file gives an empty set.
    static AliasFile loadFile(const std::filesystem::path& file);

    // The file the aliases were read from (or would be, when none exists).
    const std::filesystem::path& file() const { return file_; }
    bool exists() const { return exists_; }

    std::vector<Alias> aliases() const;
    // The folder of an alias, relative folders resolved against the alias file's folder.
    std::optional<std::filesystem::path> folder(std::string_view name) const;

    // Defines an alias (Error InvalidArgument for an invalid name or an empty folder); returns
    // true when it replaced an existing definition of that name.
    bool set(std::string_view name, const std::filesystem::path& folder);
    // Returns false when no such alias was defined.
    bool remove(std::string_view name);

    // Writes the file atomically (temporary file, fsync, rename), creating missing folders. A
    // symbolic link is followed to the file it names, which is replaced and keeps its mode and
    // owner. Error Io on failure, or when the target is not a regular file, with it unchanged.
    void save(const std::filesystem::path& target) const;
    void save() const { save(aliasWriteFile()); }

    // Reads the aliases as they are now (load), lets change edit them and, when it returns true,
    // saves them to the write file; returns what change returned. Updates in this process or
    // another wait for each other (a lock on "<file>.lock" beside the real file), so none is lost.
    static bool update(const std::function<bool(AliasFile&)>& change);

private:
    struct Line {
        std::string text; // the raw line (comments, blanks) or the canonical "name=folder"
        std::string name; // empty for a comment or blank line
        std::string folder;
    };
    int find(std::string_view name) const;
    std::string text() const;

    std::filesystem::path file_;
    bool exists_ = false;
    std::vector<Line> lines_;
};

// The folder an alias names, which must exist. Error NotFound naming the alias and the alias
// file when the alias is not defined, or naming the folder when it does not exist.
std::filesystem::path resolveAlias(std::string_view alias);

// The path of a table in a folder: ".DB" is appended when the name has no extension, and when no
// file has exactly that name a unique file whose name differs only in ASCII case is taken (tables
// copied from DOS or Windows often change case). Error NotFound naming the table and the folder
// when mustExist and there is no such file.
std::filesystem::path tableInFolder(const std::filesystem::path& folder, std::string_view tableName,
                                    bool mustExist = true);

// The path of table tableName in the folder of alias (see resolveAlias and tableInFolder).
std::filesystem::path resolveTable(std::string_view alias, std::string_view tableName,
                                   bool mustExist = true);

// A table named as ":ALIAS:Name.DB" or as a file path.
struct TableRef {
    std::string alias; // empty for a path
    std::string name;  // the table name after the alias, or the path as given
    bool byAlias() const { return !alias.empty(); }
};
// Error InvalidArgument for an empty text or a malformed ":ALIAS:" form.
TableRef parseTableRef(std::string_view text);
// The file path of a reference; for a path, mustExist checks only that the file exists.
std::filesystem::path resolveTableRef(const TableRef& ref, bool mustExist = true);

// Opens table tableName of alias through Table::open, with the errors of resolveTable first.
std::unique_ptr<Table> openTable(std::string_view alias, std::string_view tableName,
                                 const OpenOptions& options = {});
// Opens a ":ALIAS:Name.DB" or path reference.
std::unique_ptr<Table> openTable(const TableRef& ref, const OpenOptions& options = {});

} // namespace ravelda::engine
