// ravelda-db create TABLE --fields SPEC [--key N] [--version V] [--code-page N] …
#include "engine/ascii.h"
#include "engine/codepage.h"
#include "engine/error.h"
#include "engine/table.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/field_spec.h"
#include "tools/table_arg.h"

#include <cstdio>

namespace ravelda::tools {

namespace {

int versionId(const std::string& v) {
    if (v == "3.5") return 4;
    if (v == "4" || v == "4.x") return 9;
    if (v == "5" || v == "5.x") return 0x0B;
    if (v == "7" || v == "7.x") return 0x0C;
    throw UsageError(std::string("--version must be 3.5, 4, 5 or 7, not '") + v + "'");
}

} // namespace

int createCommand(const Words& words) {
    Args args = parseArgs(
        words, {"fields", "key", "version", "code-page", "block-size", "picture", "sort-order"},
        {"overwrite"});
    args.expectPositional(1, "TABLE");
    auto spec = args.value("fields");
    if (!spec) throw UsageError("missing --fields");
    auto specs = parseFieldSpecs(*spec);
    engine::CreateOptions options;
    options.version = versionId(args.value("version").value_or("7"));
    options.codePage = args.integer("code-page", 1252, 1, 65535);
    options.blockSizeKiB = args.integer("block-size", 2, 1, 32);
    if (options.blockSizeKiB & (options.blockSizeKiB - 1))
        throw UsageError("--block-size must be 1, 2, 4, 8, 16 or 32");
    options.overwrite = args.has("overwrite");
    if (auto order = args.value("sort-order")) options.sortOrder = *order;
    int keys = args.integer("key", 0, 0, static_cast<int>(specs.size()));

    for (const auto& p : args.all("picture")) {
        auto eq = p.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 >= p.size())
            throw UsageError(std::string("--picture '") + p + "': expected FIELD=PICTURE");
        std::string name = p.substr(0, eq);
        int number = 0;
        for (std::size_t i = 0; i < specs.size(); ++i)
            if (engine::equalsIgnoringAsciiCase(specs[i].name, name))
                number = static_cast<int>(i) + 1;
        if (number == 0)
            throw UsageError(std::string("--picture '") + p + "': no field '" + name +
                             "' in --fields");
        options.pictures.push_back({number, p.substr(eq + 1)});
    }

    engine::TextCodec codec(options.codePage);
    std::vector<engine::FieldDef> fields;
    for (const auto& s : specs)
        fields.push_back({codec.fromUtf8(s.name), s.type, s.size});

    auto path = newTable(args.positional[0]);
    engine::Table::create(path, fields, keys, options);
    std::printf("created %s (%zu field%s, %s)\n", path.c_str(), fields.size(),
                fields.size() == 1 ? "" : "s",
                keys ? (std::to_string(keys) + " key field" + (keys == 1 ? "" : "s")).c_str()
                     : "unkeyed");
    return 0;
}

} // namespace ravelda::tools
