// ravelda-db info TABLE
#include "engine/codepage.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/table_arg.h"

#include <cstdio>

namespace ravelda::tools {

namespace {

std::string typeText(const engine::FieldDef& f) {
    std::string t(1, engine::fieldTypeLetter(f.type));
    switch (f.type) {
    case engine::FieldType::Alpha:
    case engine::FieldType::Bytes:
    case engine::FieldType::Bcd:
    case engine::FieldType::Memo:
    case engine::FieldType::Blob:
    case engine::FieldType::FmtMemo:
    case engine::FieldType::Ole:
    case engine::FieldType::Graphic:
        t += std::to_string(f.size);
        break;
    default:
        break;
    }
    return t;
}

} // namespace

int infoCommand(const Words& words) {
    Args args = parseArgs(words, {"code-page"}, {});
    args.expectPositional(1, "TABLE");
    // Read-write, so that "Writable" says whether the engine could change the table (it falls
    // back to read-only, with the reason, when it cannot).
    auto table = openTableArg(args.positional[0], args, engine::OpenMode::ReadWrite);
    const auto& codec = table->codec();
    const auto& fields = table->fields();

    std::printf("Table:        %s\n", table->path().c_str());
    std::printf("Version:      Paradox %s (file version %d)\n", table->versionName().c_str(),
                table->version());
    if (table->isKeyed()) {
        std::string keys;
        for (int i = 0; i < table->keyFieldCount() && i < static_cast<int>(fields.size()); ++i)
            keys += (i ? ", " : "") + codec.toUtf8(fields[static_cast<std::size_t>(i)].name);
        std::printf("Keyed:        yes, %d key field%s: %s\n", table->keyFieldCount(),
                    table->keyFieldCount() == 1 ? "" : "s", keys.c_str());
    } else {
        std::printf("Keyed:        no\n");
    }
    std::printf("Records:      %lld\n", static_cast<long long>(table->recordCount()));
    std::printf("Code page:    %d\n", table->codePage());
    std::printf("Sort order:   %s (0x%02x)\n", table->sortOrder().c_str(), table->sortOrderCode());
    std::printf("Block size:   %d KiB\n", table->blockSizeKiB());
    std::printf("Secondary indexes: %s\n", table->hasSecondaryIndexes() ? "yes" : "no");
    if (table->canModify())
        std::printf("Writable:     yes\n");
    else
        std::printf("Writable:     no (%s)\n", table->readOnlyReason().c_str());

    std::printf("Fields:\n");
    std::printf("  %3s  %-25s %-6s %-15s %-4s %s\n", "#", "Name", "Type", "", "Key", "Picture");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto& f = fields[i];
        int number = static_cast<int>(i) + 1;
        std::string picture = table->picture(number);
        std::printf("  %3d  %-25s %-6s %-15s %-4s %s\n", number, codec.toUtf8(f.name).c_str(),
                    typeText(f).c_str(), std::string(engine::fieldTypeName(f.type)).c_str(),
                    static_cast<int>(i) < table->keyFieldCount() ? "*" : "",
                    picture.empty() ? "" : (std::string("'") + picture + "'").c_str());
    }
    return 0;
}

} // namespace ravelda::tools
