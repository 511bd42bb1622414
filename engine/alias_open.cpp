// Opening a table by alias; kept apart so that alias resolution alone does not pull in the
// table reader.
#include "engine/alias.h"

namespace ravelda::engine {

std::unique_ptr<Table> openTable(std::string_view alias, std::string_view tableName,
                                 const OpenOptions& options) {
    return Table::open(resolveTable(alias, tableName), options);
}

std::unique_ptr<Table> openTable(const TableRef& ref, const OpenOptions& options) {
    return Table::open(resolveTableRef(ref), options);
}

} // namespace ravelda::engine
