#include "tools/table_arg.h"

#include "engine/alias.h"
#include "engine/error.h"
#include "tools/args.h"

namespace ravelda::tools {

namespace fs = std::filesystem;

std::filesystem::path existingTable(const std::string& text) {
    return engine::resolveTableRef(engine::parseTableRef(text), true);
}

std::filesystem::path newTable(const std::string& text) {
    engine::TableRef ref = engine::parseTableRef(text);
    if (ref.byAlias()) return engine::resolveTable(ref.alias, ref.name, false);
    fs::path p(ref.name);
    if (!p.has_extension()) p += ".DB";
    fs::path dir = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw engine::Error(engine::Error::Kind::NotFound, dir, "folder does not exist");
    return p;
}

std::unique_ptr<engine::Table> openTableArg(const std::string& text, const Args& args,
                                            engine::OpenMode mode) {
    engine::OpenOptions options;
    options.mode = mode;
    options.codePage = args.integer("code-page", 0, 0, 65535);
    return engine::Table::open(existingTable(text), options);
}

} // namespace ravelda::tools
