// ravelda-db alias list | add NAME FOLDER | remove NAME
#include "engine/alias.h"
#include "engine/error.h"
#include "tools/args.h"
#include "tools/commands.h"

#include <cstdio>

namespace ravelda::tools {

namespace fs = std::filesystem;
using engine::AliasFile;

int aliasCommand(const Words& words) {
    Args args = parseArgs(words, {}, {});
    if (args.positional.empty()) throw UsageError("missing alias subcommand (list, add or remove)");
    const std::string sub = args.positional.front();
    if (sub == "list") {
        args.expectPositional(1, "");
        AliasFile file = AliasFile::load();
        auto aliases = file.aliases();
        for (const auto& a : aliases)
            std::printf("%s\t%s\n", a.name.c_str(), a.folder.c_str());
        if (aliases.empty())
            std::fprintf(stderr, "ravelda-db: no aliases defined (%s%s)\n", file.file().c_str(),
                         file.exists() ? "" : " does not exist");
        return 0;
    }
    if (sub == "add") {
        args.expectPositional(3, "NAME and FOLDER");
        const std::string& name = args.positional[1];
        if (!engine::isValidAliasName(name))
            throw UsageError(std::string("invalid alias name '") + name +
                             "' (letters, digits, '_', '-' and '.', at most 64)");
        fs::path folder = fs::absolute(args.positional[2]).lexically_normal();
        if (!folder.has_filename() && folder != folder.root_path())
            folder = folder.parent_path(); // drop a trailing separator
        bool replaced = false;
        AliasFile::update([&](AliasFile& file) {
            replaced = file.set(name, folder);
            return true;
        });
        const fs::path target = engine::aliasWriteFile();
        std::error_code ec;
        if (!fs::is_directory(folder, ec))
            std::fprintf(stderr, "ravelda-db: warning: folder %s does not exist\n", folder.c_str());
        std::printf("%s alias %s = %s in %s\n", replaced ? "replaced" : "added", name.c_str(),
                    folder.c_str(), target.c_str());
        return 0;
    }
    if (sub == "remove") {
        args.expectPositional(2, "NAME");
        const std::string& name = args.positional[1];
        fs::path readFrom;
        const bool removed = AliasFile::update([&](AliasFile& file) {
            readFrom = file.file();
            return file.remove(name);
        });
        if (!removed) {
            std::fprintf(stderr, "ravelda-db: alias '%s' is not defined in %s\n", name.c_str(),
                         readFrom.c_str());
            return 1;
        }
        const fs::path target = engine::aliasWriteFile();
        std::printf("removed alias %s from %s\n", name.c_str(), target.c_str());
        return 0;
    }
    throw UsageError(std::string("unknown alias subcommand '") + sub + "' (list, add or remove)");
}

} // namespace ravelda::tools
