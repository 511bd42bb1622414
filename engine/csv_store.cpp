// Storing imported rows in one write while knowing which row a refusal concerns.
#include "engine/csv.h"

#include "engine/tablestate.h"

namespace ravelda::engine::csv {

namespace {

// Whether the error refuses the row itself, rather than telling that the table cannot be written.
bool refusesTheRow(const Error& e) {
    switch (e.kind()) {
    case Error::Kind::KeyViolation:
    case Error::Kind::InvalidArgument:
    case Error::Kind::Encoding:
    case Error::Kind::Unsupported: // the table or its blob file is full
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<RefusedRow> storeRows(Table& table, const std::vector<std::vector<Value>>& rows) {
    std::size_t at = 0;
    try {
        table.state().insertRows(rows, at);
    } catch (const Error& e) {
        // A failed commit (at == size) concerns the files, never one row.
        if (at == rows.size() || !refusesTheRow(e)) throw;
        return RefusedRow{at, e};
    }
    return std::nullopt;
}

} // namespace ravelda::engine::csv
