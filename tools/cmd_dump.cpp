// ravelda-db dump TABLE [--no-blobs]
#include "engine/csv.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/output.h"
#include "tools/progress.h"
#include "tools/table_arg.h"

#include <cstdio>

namespace ravelda::tools {

int dumpCommand(const Words& words) {
    Args args = parseArgs(words, {"code-page"}, {"no-blobs"});
    args.expectPositional(1, "TABLE");
    auto table = openTableArg(args.positional[0], args, engine::OpenMode::ReadOnly);
    const auto& codec = table->codec();
    const auto& fields = table->fields();
    engine::csv::FormatOptions options;
    options.blobSizesOnly = args.has("no-blobs");
    if (table->blobFileMissing())
        std::fprintf(stderr,
                     "ravelda-db: warning: %s: the blob file (.MB) is missing; the blob fields "
                     "stored in it are written empty\n",
                     table->path().c_str());

    Output out;
    out.add(engine::csv::formatRecord(engine::csv::headerFields(fields, codec)));
    auto cursor = table->cursor();
    Progress progress("dump", cursor->recordCount());
    std::int64_t n = 0;
    for (bool on = cursor->first(); on; on = cursor->next()) {
        auto row = cursor->row();
        try {
            out.add(engine::csv::formatRecord(engine::csv::rowFields(fields, row, codec, options)));
        } catch (const engine::Error& e) {
            throw engine::Error(e.kind(), table->path(),
                                "row " + std::to_string(n + 1) + ": " + e.problem() +
                                    " (try --code-page)");
        }
        progress.update(++n);
    }
    progress.finish();
    out.flush();
    return 0;
}

} // namespace ravelda::tools
