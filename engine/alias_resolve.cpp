// From an alias and a table name to the table's file, with errors that say what is missing.
#include "engine/alias.h"
#include "engine/ascii.h"

#include "engine/error.h"

namespace ravelda::engine {

namespace fs = std::filesystem;

namespace {

std::string inQuotes(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 2);
    out += '\'';
    out.append(s);
    out += '\'';
    return out;
}

} // namespace

fs::path resolveAlias(std::string_view alias) {
    AliasFile file = AliasFile::load();
    auto folder = file.folder(alias);
    if (!folder) {
        std::string problem = std::string("alias ") + inQuotes(alias) + " is not defined";
        if (!file.exists()) {
            problem += " (no alias file exists; looked for";
            for (const auto& c : aliasFileCandidates()) {
                problem += ' ';
                problem += c.string();
            }
            problem += ")";
        }
        throw Error(Error::Kind::NotFound, file.file(), problem);
    }
    std::error_code ec;
    if (!fs::exists(*folder, ec))
        throw Error(Error::Kind::NotFound, *folder,
                    "folder of alias " + inQuotes(alias) + " does not exist");
    if (!fs::is_directory(*folder, ec))
        throw Error(Error::Kind::NotFound, *folder,
                    "alias " + inQuotes(alias) + " names something that is not a folder");
    return *folder;
}

fs::path tableInFolder(const fs::path& folder, std::string_view tableName, bool mustExist) {
    if (tableName.empty()) throw Error(Error::Kind::InvalidArgument, folder, "no table name given");
    fs::path name(tableName);
    if (name.has_parent_path() || name.filename() != name)
        throw Error(Error::Kind::InvalidArgument, folder,
                    "table name " + inQuotes(tableName) + " must not contain a folder");
    if (!name.has_extension()) name += ".DB";
    fs::path exact = folder / name;
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    // Tables copied from DOS or Windows often arrive in another case.
    std::vector<fs::path> matches;
    std::string want = asciiLower(name.string());
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (asciiLower(it->path().filename().string()) == want) matches.push_back(it->path());
    if (matches.size() == 1) return matches.front();
    if (matches.size() > 1) {
        std::string names;
        for (const auto& m : matches)
            names += (names.empty() ? "" : ", ") + m.filename().string();
        throw Error(Error::Kind::InvalidArgument, exact,
                    "table name is ambiguous: files " + names + " differ only in case");
    }
    if (mustExist)
        throw Error(Error::Kind::NotFound, exact,
                    "table " + inQuotes(name.string()) + " does not exist in " + folder.string());
    return exact;
}

fs::path resolveTable(std::string_view alias, std::string_view tableName, bool mustExist) {
    return tableInFolder(resolveAlias(alias), tableName, mustExist);
}

TableRef parseTableRef(std::string_view text) {
    if (text.empty()) throw Error(Error::Kind::InvalidArgument, {}, "no table given");
    if (text.front() != ':') return {{}, std::string(text)};
    auto close = text.find(':', 1);
    if (close == std::string_view::npos)
        throw Error(Error::Kind::InvalidArgument, {},
                    inQuotes(text) + " is not of the form :ALIAS:Name.DB");
    auto alias = text.substr(1, close - 1);
    auto name = text.substr(close + 1);
    if (!isValidAliasName(alias))
        throw Error(Error::Kind::InvalidArgument, {},
                    inQuotes(text) + ": " + inQuotes(alias) + " is not a valid alias name");
    if (name.empty())
        throw Error(Error::Kind::InvalidArgument, {},
                    inQuotes(text) + " names no table after the alias");
    return {std::string(alias), std::string(name)};
}

fs::path resolveTableRef(const TableRef& ref, bool mustExist) {
    if (ref.byAlias()) return resolveTable(ref.alias, ref.name, mustExist);
    fs::path p(ref.name);
    std::error_code ec;
    if (mustExist && !fs::exists(p, ec))
        throw Error(Error::Kind::NotFound, p, "table does not exist");
    return p;
}

} // namespace ravelda::engine
