// The filters of a cursor: which rows it shows, and its moves, counts and positions among them.
#include "engine/cursor_impl.h"

namespace ravelda::engine {

namespace {
// Marks the record filter as running for as long as it runs (exceptions included).
class InFilter {
public:
    explicit InFilter(bool& flag) : flag_(flag) { flag_ = true; }
    ~InFilter() { flag_ = false; }
    InFilter(const InFilter&) = delete;
    InFilter& operator=(const InFilter&) = delete;

private:
    bool& flag_;
};
} // namespace

bool Cursor::Impl::accept(const std::uint8_t* record) {
    if (compiled &&
        !compiled->matchesRecord(record, [&](int field) { return s.decodeValue(field, record); }))
        return false;
    if (!recordFilter) return true;
    const std::vector<Value> row = s.decodeRecord(record);
    InFilter mark(inRecordFilter);
    return recordFilter(row);
}

void Cursor::Impl::refuseInFilter() const {
    if (inRecordFilter)
        throw Error(Error::Kind::InvalidArgument, s.dbPath,
                    "the cursor cannot be used from inside its own record filter");
}

bool Cursor::Impl::settleForward() {
    for (;;) {
        // Rejected rows of a block are passed over without being copied out.
        const BlockPtr b = load(block);
        const BlockHead h = s.dataHead(*b, block);
        for (int i = index; i < h.count; ++i)
            if (accept(recordAt(*b, s.recordSize, i))) {
                if (i != index) setAt(block, i, b);
                return true;
            }
        if (h.count == 0) return false;
        if (index != h.count - 1) setAt(block, h.count - 1, b);
        if (!nextRow()) return false;
    }
}

bool Cursor::Impl::settleBackward() {
    while (!accept(current.data()))
        if (!priorRow()) return false;
    return true;
}

void Cursor::Impl::settle() {
    if (onRow && accept(current.data())) return;
    const bool had = onRow;
    if ((had || firstRow()) && settleForward()) {
        bof = eof = false;
        return;
    }
    if (lastRow() && settleBackward()) {
        bof = false;
        eof = true;
        return;
    }
    clearRow();
    bof = eof = true;
}

// First and last both land on an accepted row; bof or eof tells which end was asked for.
bool Cursor::Impl::filteredEdge(bool last) {
    return guarded([&] {
        if (last ? lastRow() && settleBackward() : firstRow() && settleForward()) {
            bof = !last;
            eof = last;
            return true;
        }
        clearRow();
        bof = eof = true;
        return false;
    });
}

bool Cursor::Impl::filteredFirst() {
    return filteredEdge(false);
}

bool Cursor::Impl::filteredLast() {
    return filteredEdge(true);
}

bool Cursor::Impl::filteredStep(bool forward) {
    Position from = save();
    bool found = false;
    try {
        found = run([&] {
            return forward ? nextRow() && settleForward() : priorRow() && settleBackward();
        });
    } catch (...) {
        restore(std::move(from));
        throw;
    }
    if (found) {
        bof = eof = false;
        return true;
    }
    // Nothing further: stay on the row the move started from.
    restore(std::move(from));
    (forward ? eof : bof) = true;
    return false;
}

std::int64_t Cursor::Impl::filteredMoveBy(std::int64_t n) {
    Position from = save();
    try {
        std::int64_t moved = 0;
        if (n > 0) {
            while (moved < n && filteredStep(true))
                ++moved;
        } else {
            while (moved > n && filteredStep(false))
                --moved;
        }
        return moved;
    } catch (...) {
        restore(std::move(from));
        throw;
    }
}

std::int64_t Cursor::Impl::filteredCount() {
    // An expression alone gives the same answer until the files change.
    const bool cacheable = !recordFilter;
    if (cacheable && cachedCount >= 0 && countGen == s.generation) return cachedCount;
    const std::int64_t count = guarded([&] {
        std::int64_t k = 0;
        forEachRow([&](unsigned, int, const BlockPtr&, const std::uint8_t* rec) {
            if (accept(rec)) ++k;
            return true;
        });
        return k;
    });
    if (cacheable) {
        cachedCount = count;
        countGen = gen;
    }
    return count;
}

std::int64_t Cursor::Impl::filteredNumber() {
    return guarded([&]() -> std::int64_t {
        if (!onRow) return 0;
        std::int64_t before = 0;
        bool reached = false;
        forEachRow([&](unsigned n, int i, const BlockPtr&, const std::uint8_t* rec) {
            if (n == block && i == index) {
                reached = true;
                return false;
            }
            if (accept(rec)) ++before;
            return true;
        });
        if (!reached)
            throw Error(Error::Kind::Corrupt, s.dbPath,
                        "the current record is not in the block chain");
        // A rejected current row (just stored) counts where it stands.
        return before + 1;
    });
}

void Cursor::Impl::filteredSetNumber(std::int64_t n) {
    const std::int64_t target = std::max<std::int64_t>(1, n);
    guarded([&] {
        std::int64_t k = 0;
        unsigned atBlock = 0;
        int atIndex = 0;
        BlockPtr atBytes;
        forEachRow([&](unsigned b, int i, const BlockPtr& bytes, const std::uint8_t* rec) {
            if (!accept(rec)) return true;
            ++k;
            atBlock = b;
            atIndex = i;
            atBytes = bytes;
            return k < target;
        });
        if (k == 0) {
            clearRow();
            bof = eof = true;
        } else {
            setAt(atBlock, atIndex, atBytes);
            bof = eof = false;
        }
        return 0;
    });
}

void Cursor::setFilter(std::optional<FilterExpr> expr) {
    Impl& m = *impl_;
    m.refuseInFilter();
    std::optional<CompiledFilter> compiled;
    if (expr) {
        try {
            // Texts compare by the table's sort order even where no key uses it.
            Collation order =
                Collation::forSortOrder(m.s.dbh.sortOrderName, m.s.dbh.sortOrderCode, m.s.codePage);
            if (!order.supported()) order = m.s.collation;
            compiled.emplace(*expr, m.s.fields, order);
        } catch (const Error& e) {
            throw Error(e.kind(), m.s.dbPath, e.problem());
        }
    }
    std::optional<FilterExpr> oldExpr = std::move(m.filterExpr);
    std::optional<CompiledFilter> oldCompiled = std::move(m.compiled);
    m.filterExpr = std::move(expr);
    m.compiled = std::move(compiled);
    m.cachedCount = -1;
    try {
        m.guarded([&] {
            m.settle();
            return 0;
        });
    } catch (...) {
        m.filterExpr = std::move(oldExpr);
        m.compiled = std::move(oldCompiled);
        throw;
    }
}

const std::optional<FilterExpr>& Cursor::filter() const {
    return impl_->filterExpr;
}

void Cursor::setRecordFilter(RecordFilter filter) {
    Impl& m = *impl_;
    m.refuseInFilter();
    RecordFilter old = std::move(m.recordFilter);
    m.recordFilter = std::move(filter);
    m.cachedCount = -1;
    try {
        m.guarded([&] {
            m.settle();
            return 0;
        });
    } catch (...) {
        m.recordFilter = std::move(old);
        throw;
    }
}

bool Cursor::filtered() const {
    return impl_->filtered();
}

} // namespace ravelda::engine
