// ravelda-db check TABLE
#include "engine/check.h"
#include "tools/args.h"
#include "tools/commands.h"
#include "tools/table_arg.h"

#include <cstdio>

namespace ravelda::tools {

int checkCommand(const Words& words) {
    Args args = parseArgs(words, {}, {});
    args.expectPositional(1, "TABLE");
    auto path = existingTable(args.positional[0]);
    bool rolledBack = false;
    auto problems = engine::checkTable(path, &rolledBack);
    if (rolledBack)
        std::printf("%s: an interrupted write was rolled back (the table is as before it)\n",
                    path.c_str());
    for (const auto& p : problems)
        std::printf("%s: %s\n", p.file.empty() ? path.c_str() : p.file.c_str(), p.message.c_str());
    if (problems.empty()) {
        std::printf("%s: no problems found\n", path.c_str());
        return 0;
    }
    std::fprintf(stderr, "ravelda-db: %s: %zu problem%s found\n", path.c_str(), problems.size(),
                 problems.size() == 1 ? "" : "s");
    return 1;
}

} // namespace ravelda::tools
