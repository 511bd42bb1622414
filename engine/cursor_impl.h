#pragma once
// The state of a cursor and its navigation over the blocks of a table (engine-internal; the
// cursor's calls are in cursor.cpp, its filters in cursor_filter.cpp).
#include "engine/bytes.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/fieldcodec.h"
#include "engine/scopeguard.h"
#include "engine/table.h"
#include "engine/tablestate.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace ravelda::engine {

// Thrown inside a cursor operation when the files changed under it; the operation restarts
// from the relocated position.
struct CursorRestart {};

// One located field: how to match it against record bytes.
struct LocateCriterion {
    int field = 0;
    bool null = false;
    bool alpha = false;
    Bytes encoded; // non-Alpha: the stored form; Alpha: the text bytes
};

struct Cursor::Impl {
    Table& table;
    Table::State& s;
    unsigned block = 0;
    int index = 0;
    bool onRow = false;
    bool bof = true, eof = true;
    Bytes current;
    // The row as the caller last read it, and where: what update() and remove() expect to find.
    // A move sets it; re-reading the files after another writer's commit leaves it as it was.
    Bytes basis;
    unsigned basisBlock = 0;
    int basisIndex = 0;
    std::uint64_t gen = 0;
    // Unkeyed tables: chain position of each block's first row, per generation.
    std::map<unsigned, std::uint64_t> chainStart;
    std::uint64_t chainGen = 0;

    // Filters (cursor_filter.cpp).
    std::optional<FilterExpr> filterExpr;
    std::optional<CompiledFilter> compiled;
    RecordFilter recordFilter;
    bool inRecordFilter = false;
    // Rows an expression filter alone accepts, for the files of countGen.
    std::int64_t cachedCount = -1;
    std::uint64_t countGen = 0;

    explicit Impl(Table& t) : table(t), s(t.state()) {}

    bool filtered() const { return compiled.has_value() || static_cast<bool>(recordFilter); }
    // Whether the filters accept a stored record.
    bool accept(const std::uint8_t* record);
    // Refuses cursor calls made from inside the record filter.
    void refuseInFilter() const;
    // From the current row: the nearest accepted row at or after it (before it); false when
    // there is none, the cursor then being on some row further on.
    bool settleForward();
    bool settleBackward();
    // After the rows or the filters changed: stay on the current row when accepted, else the
    // next accepted, else the last accepted (eof), else no row.
    void settle();
    // The calls of a filtered cursor.
    bool filteredEdge(bool last);
    bool filteredFirst();
    bool filteredLast();
    bool filteredStep(bool forward);
    std::int64_t filteredMoveBy(std::int64_t n);
    std::int64_t filteredCount();
    std::int64_t filteredNumber();
    void filteredSetNumber(std::int64_t n);

    // A saved position, to return to when a move finds nothing or a call fails.
    struct Position {
        unsigned block = 0;
        int index = 0;
        bool onRow = false, bof = true, eof = true;
        Bytes current, basis;
        unsigned basisBlock = 0;
        int basisIndex = 0;
        std::uint64_t gen = 0;
    };
    Position save() const {
        return {block, index, onRow, bof, eof, current, basis, basisBlock, basisIndex, gen};
    }
    void restore(Position p) {
        block = p.block;
        index = p.index;
        onRow = p.onRow;
        bof = p.bof;
        eof = p.eof;
        current = std::move(p.current);
        basis = std::move(p.basis);
        basisBlock = p.basisBlock;
        basisIndex = p.basisIndex;
        gen = p.gen;
    }
    // Brings the cursor up to date with the files before a call that reads no block itself.
    void fresh() {
        ReadOperation op(s);
        if (s.generation != gen) relocate();
    }
    // The caller now knows the current row as it is.
    void markRead() {
        basis = current;
        basisBlock = block;
        basisIndex = index;
    }
    // Runs f as one cursor operation; an exception puts the cursor back where it was.
    template <typename F> auto guarded(F f) {
        ScopeGuard putBack([this, before = save()]() mutable { restore(std::move(before)); });
        auto result = run(f);
        putBack.dismiss();
        return result;
    }

    // Calls f(block, index, blockBytes, record) for the rows in cursor order until it returns
    // false.
    template <typename F> void forEachRow(F f) {
        unsigned n = s.dbh.firstBlock();
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = load(n);
            const BlockHead h = s.dataHead(*b, n);
            for (int i = 0; i < h.count; ++i)
                if (!f(n, i, b, recordAt(*b, s.recordSize, i))) return;
            n = h.next;
        }
    }

    BlockPtr load(unsigned n) {
        BlockPtr b = s.dbBlock(n);
        if (s.generation != gen) throw CursorRestart{};
        return b;
    }

    void setAt(unsigned n, int i, const BlockPtr& b) {
        block = n;
        index = i;
        onRow = true;
        const std::uint8_t* r = recordAt(*b, s.recordSize, i);
        current.assign(r, r + s.recordSize);
        markRead();
    }

    void clearRow() {
        onRow = false;
        block = 0;
        index = 0;
        current.clear();
        basis.clear();
    }

    template <typename F> auto run(F f) {
        ReadOperation op(s);
        for (int attempt = 0;; ++attempt) {
            if (s.generation != gen) relocate();
            try {
                return f();
            } catch (const CursorRestart&) {
            } catch (const Error& e) {
                // A read mixing the old and the new state of a changing file is retried.
                if (e.kind() != Error::Kind::Corrupt || s.generation == gen) throw;
            }
            if (attempt >= 8)
                throw Error(Error::Kind::Locked, s.dbPath,
                            "the table keeps changing under the cursor");
        }
    }

    // After the files changed: back to the current row, or where it was.
    void relocate() {
        ReadOperation op(s);
        const Position start = save();
        for (int attempt = 0; attempt < 8; ++attempt) {
            if (attempt > 0) restore(start);
            gen = s.generation;
            try {
                relocateOnce();
                // What the caller read stays the row to write back, even where it changed.
                basis = start.basis;
                basisBlock = start.basisBlock;
                basisIndex = start.basisIndex;
                return;
            } catch (const CursorRestart&) {
            } catch (const Error& e) {
                if (e.kind() != Error::Kind::Corrupt || s.generation == gen) throw;
            }
        }
        throw Error(Error::Kind::Locked, s.dbPath, "the table keeps changing under the cursor");
    }

    void relocateOnce() {
        if (!onRow) return;
        if (s.dbh.firstBlock() == 0 || s.dbh.numRecords() == 0) {
            clearRow();
            bof = eof = true;
            return;
        }
        // A filtered cursor whose row went lands on an accepted one.
        if (!relocateRow() && onRow && filtered() && !inRecordFilter) settle();
    }

    // Back to the current row (true) or, when it went or was changed, to the row now at its
    // place (false).
    bool relocateRow() {
        if (s.keyFields > 0) {
            const Bytes saved = current;
            if (!seekKey(s.fullProbe(saved.data()), false)) {
                lastRow();
                return false;
            }
            return std::memcmp(current.data(), saved.data(), saved.size()) == 0;
        }
        // Unkeyed: rows only move up within their block when earlier ones are deleted.
        if (block >= 1 && block <= s.dbh.totalBlocks()) {
            const BlockPtr b = load(block);
            const BlockHead h = s.dataHead(*b, block);
            for (int i = std::min(index, h.count - 1); i >= 0; --i)
                if (std::memcmp(recordAt(*b, s.recordSize, i), current.data(), current.size()) ==
                    0) {
                    setAt(block, i, b);
                    return true;
                }
            if (index < h.count) {
                setAt(block, index, b);
                return false;
            }
        }
        if (!firstRow()) clearRow();
        return false;
    }

    // Positions on the first row whose key is >= the probe; false when there is none.
    bool seekKey(const KeyProbe& probe, bool) {
        const unsigned landed = s.findBlock(probe, true, nullptr);
        if (s.generation != gen) throw CursorRestart{};
        unsigned d = landed;
        // The block found must be the last one whose first key is below the probe: a damaged
        // index is reported instead of giving a wrong answer.
        auto misled = [&](const std::string& what) {
            return Error(Error::Kind::Corrupt, s.indexUsable ? s.pxPath : s.dbPath,
                         "the index leads a look-up to data block " + std::to_string(landed) +
                             ", but " + what);
        };
        for (unsigned steps = 0; d; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = load(d);
            const BlockHead h = s.dataHead(*b, d);
            if (d == landed && h.prev == 0 && d != s.dbh.firstBlock())
                throw misled("it is not in the block chain");
            if (d == landed && h.count > 0 && h.prev != 0 &&
                s.compareKey(recordAt(*b, s.recordSize, 0), probe) >= 0)
                throw misled("its first key is not below the one looked for");
            int lo = 0, hi = h.count;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (s.compareKey(recordAt(*b, s.recordSize, mid), probe) < 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            if (d != landed && lo > 0)
                throw misled("block " + std::to_string(d) + " after it holds smaller keys");
            if (lo < h.count) {
                setAt(d, lo, b);
                return true;
            }
            d = h.next;
        }
        return false;
    }

    // The first (or last) row of the block chain, passing over empty blocks.
    bool edgeRow(bool last) {
        unsigned n = last ? s.dbh.lastBlock() : s.dbh.firstBlock();
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = load(n);
            const BlockHead h = s.dataHead(*b, n);
            if (h.count > 0) {
                setAt(n, last ? h.count - 1 : 0, b);
                return true;
            }
            n = last ? h.prev : h.next;
        }
        return false;
    }
    bool firstRow() { return edgeRow(false); }
    bool lastRow() { return edgeRow(true); }

    bool nextRow() {
        if (!onRow) return firstRow();
        BlockPtr b = load(block);
        BlockHead h = s.dataHead(*b, block);
        if (index + 1 < h.count) {
            setAt(block, index + 1, b);
            return true;
        }
        unsigned from = block, n = h.next;
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            b = load(n);
            h = s.dataHead(*b, n);
            if (h.prev != from)
                throw Error(Error::Kind::Corrupt, s.dbPath,
                            "block " + std::to_string(n) + " does not link back to block " +
                                std::to_string(from));
            if (h.count > 0) {
                if (s.keyFields > 0 &&
                    s.compareRecords(recordAt(*b, s.recordSize, 0), current.data()) <= 0)
                    throw Error(Error::Kind::Corrupt, s.dbPath,
                                "block " + std::to_string(n) + " is out of key order");
                setAt(n, 0, b);
                return true;
            }
            from = n;
            n = h.next;
        }
        return false;
    }

    bool priorRow() {
        if (!onRow) return lastRow();
        if (index > 0) {
            setAt(block, index - 1, load(block));
            return true;
        }
        BlockPtr b = load(block);
        BlockHead h = s.dataHead(*b, block);
        unsigned from = block, n = h.prev;
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            b = load(n);
            h = s.dataHead(*b, n);
            if (h.next != from)
                throw Error(Error::Kind::Corrupt, s.dbPath,
                            "block " + std::to_string(n) + " does not link forward to block " +
                                std::to_string(from));
            if (h.count > 0) {
                setAt(n, h.count - 1, b);
                return true;
            }
            from = n;
            n = h.prev;
        }
        return false;
    }

    std::uint64_t blockStart(unsigned n) {
        if (const std::optional<std::uint64_t> at = chainPosition(n)) return *at;
        throw Error(Error::Kind::Corrupt, s.dbPath,
                    "block " + std::to_string(n) + " is not in the block chain");
    }

    // Chain position of block n's first row; none when n is not in the chain.
    std::optional<std::uint64_t> chainPosition(unsigned n) {
        if (chainGen != s.generation) {
            chainStart.clear();
            chainGen = s.generation;
            std::uint64_t at = 0;
            unsigned b = s.dbh.firstBlock();
            for (unsigned steps = 0; b; ++steps) {
                if (steps > s.dbh.totalBlocks())
                    throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
                const BlockPtr bytes = load(b);
                const BlockHead h = s.dataHead(*bytes, b);
                chainStart[b] = at;
                at += static_cast<std::uint64_t>(h.count);
                b = h.next;
            }
        }
        auto it = chainStart.find(n);
        if (it == chainStart.end()) return std::nullopt;
        return it->second;
    }

    // 0-based position of the current row.
    std::uint64_t ordinal() {
        if (s.keyFields > 0 && s.indexUsable && s.pxh->indexLevels() > 0) {
            std::vector<IndexStep> path;
            const unsigned d = s.findBlock(s.fullProbe(current.data()), false, &path);
            if (s.generation != gen) throw CursorRestart{};
            if (d != block)
                throw Error(Error::Kind::Corrupt, s.pxPath,
                            "the index does not lead to the current row's block");
            return s.rowsBefore(path) + static_cast<std::uint64_t>(index);
        }
        return blockStart(block) + static_cast<std::uint64_t>(index);
    }

    bool seekOrdinal(std::uint64_t n) {
        unsigned d = 0;
        int i = 0;
        if (!s.seekOrdinal(n, d, i)) return false;
        if (s.generation != gen) throw CursorRestart{};
        setAt(d, i, load(d));
        return true;
    }

    // Finds the row a bookmark names in the current files.
    bool findBookmark(const Bookmark& bm, unsigned& outBlock, int& outIndex) {
        const std::string& d = bm.data();
        if (d.empty()) return false;
        if (s.keyFields > 0) {
            if (d.size() != 1 + static_cast<std::size_t>(s.keySize) || d[0] != 'K') return false;
            Bytes rec(static_cast<std::size_t>(s.recordSize), 0);
            std::memcpy(rec.data(), d.data() + 1, static_cast<std::size_t>(s.keySize));
            const auto found = s.findKey(rec.data());
            if (s.generation != gen) throw CursorRestart{};
            outBlock = found.first;
            outIndex = found.second;
            return found.first != 0;
        }
        const std::optional<UnkeyedMark> mark = parseUnkeyed(d);
        return mark && placeOf(trace(*mark), outBlock, outIndex);
    }

    // ---- Bookmarks of unkeyed rows: "U", the table object's log owner and position, the row's
    // block, index and digest when the bookmark was taken.
    static constexpr std::size_t kUnkeyedMarkSize = 1 + 8 + 8 + 4 + 4 + 8;
    struct UnkeyedMark {
        std::uint64_t owner = 0, seq = 0, digest = 0;
        unsigned block = 0;
        int index = 0;
    };

    std::string unkeyedMark() {
        RowLog& log = s.rowLog;
        log.follow(s.signature);
        log.inUse = true;
        std::string d(kUnkeyedMarkSize, '\0');
        auto* p = reinterpret_cast<std::uint8_t*>(d.data());
        p[0] = 'U';
        putBe64(p + 1, log.owner);
        putBe64(p + 9, log.position());
        putLe32(p + 17, block);
        putLe32(p + 21, static_cast<std::uint32_t>(index));
        putBe64(p + 25, rowDigest(current.data(), current.size()));
        return d;
    }

    static std::optional<UnkeyedMark> parseUnkeyed(const std::string& d) {
        if (d.size() != kUnkeyedMarkSize || d[0] != 'U') return std::nullopt;
        const auto* p = reinterpret_cast<const std::uint8_t*>(d.data());
        UnkeyedMark m;
        m.owner = be64(p + 1);
        m.seq = be64(p + 9);
        m.block = le32(p + 17);
        m.index = static_cast<int>(le32(p + 21));
        m.digest = be64(p + 25);
        return m;
    }

    // One logged write applied to where a row is (or was).
    static void followStep(RowTrace& t, const RowLog::Step& step) {
        using Step = RowLog::Step;
        // Whether the write touched the row: the one at its place while the trace is exact,
        // else the one with its content at or above the place (rows only move up).
        const bool touched =
            t.live && t.block == step.block &&
            (t.exact ? t.index == step.index : step.index <= t.index && t.digest == step.digest);
        switch (step.kind) {
        case Step::Break:
            t.exact = false;
            return;
        case Step::Updated:
            if (!touched) return;
            t.digest = step.newDigest;
            t.index = step.index;
            return;
        case Step::Emptied:
            t.live = false;
            t.block = 0;
            t.index = 0;
            return;
        case Step::Shift:
            if (touched) {
                t.live = false; // now just before the row that took its place
                t.index = step.index;
            } else if (t.block == step.block && t.index > step.index) {
                --t.index;
            }
            return;
        case Step::Freed:
            // The block held only the deleted row: whatever was looked for there is gone, and
            // its place is the start of the next block (else the end of the one before).
            if (t.block != step.block) return;
            t.live = false;
            t.block = step.next ? step.next : step.prev;
            t.index = step.next ? 0 : step.prevCount;
            return;
        case Step::Absorbed:
            if (t.block == step.block) {
                t.live = false;
                t.index = 0;
            } else if (t.block == step.next) {
                t.block = step.block;
            }
            return;
        }
    }

    // The bookmark's row followed through the writes logged since it was taken.
    RowTrace trace(const UnkeyedMark& mark) {
        RowLog& log = s.rowLog;
        log.follow(s.signature);
        RowTrace t;
        t.block = mark.block;
        t.index = mark.index;
        t.digest = mark.digest;
        // Another table object's bookmark (or one of a log since cut short) has only its place.
        if (mark.owner != log.owner || mark.seq > log.position()) {
            t.exact = false;
            return t;
        }
        std::uint64_t at = mark.seq;
        if (at < log.base) {
            t.exact = false;
            at = log.base;
        }
        if (at == log.position()) return t;
        const RowLog::TraceKey key{mark.seq, mark.digest, mark.block, mark.index};
        if (auto it = log.traces.find(key); it != log.traces.end() && it->second.upTo >= at) {
            t = it->second;
            at = t.upTo;
        }
        for (; at < log.position(); ++at)
            followStep(t, log.steps[static_cast<std::size_t>(at - log.base)]);
        t.upTo = at;
        if (log.traces.size() >= 4096) log.traces.clear();
        log.traces[key] = t;
        return t;
    }

    // The row a trace leads to in the current files: the nearest row with its digest at or above
    // its place within its block (the place itself while the trace is exact).
    bool placeOf(const RowTrace& t, unsigned& outBlock, int& outIndex) {
        if (!t.live || t.block < 1 || t.block > s.dbh.totalBlocks()) return false;
        const BlockPtr b = load(t.block);
        const BlockHead h = s.dataHead(*b, t.block);
        auto digestAt = [&](int i) {
            return rowDigest(recordAt(*b, s.recordSize, i), static_cast<std::size_t>(s.recordSize));
        };
        for (int j = std::min(t.index, h.count - 1); j >= 0; --j)
            if (digestAt(j) == t.digest) {
                outBlock = t.block;
                outIndex = j;
                return true;
            }
        return false;
    }

    // Where a bookmark's row stands in cursor order, doubled: 2p + 1 for the row at 0-based
    // position p, 2p for the place just before it (a deleted row, or one not found).
    std::uint64_t markOrder(const UnkeyedMark& mark) {
        const RowTrace t = trace(mark);
        unsigned b = 0;
        int i = 0;
        if (placeOf(t, b, i)) return 2 * (blockStart(b) + static_cast<std::uint64_t>(i)) + 1;
        if (t.block < 1 || t.block > s.dbh.totalBlocks()) return 0;
        const std::optional<std::uint64_t> start = chainPosition(t.block);
        if (!start) return 0;
        const int count = s.dataHead(*load(t.block), t.block).count;
        return 2 * (*start + static_cast<std::uint64_t>(std::clamp(t.index, 0, count)));
    }

    bool matches(const std::uint8_t* rec, const std::vector<LocateCriterion>& cs,
                 const LocateOptions& o) const {
        for (const LocateCriterion& c : cs) {
            const FieldDef& f = s.fields[static_cast<std::size_t>(c.field)];
            const std::uint8_t* p = rec + s.offsets[static_cast<std::size_t>(c.field)];
            const int size = storedSize(f);
            if (c.null) {
                for (int i = 0; i < size; ++i)
                    if (p[i]) return false;
                continue;
            }
            if (!c.alpha) {
                if (std::memcmp(p, c.encoded.data(), static_cast<std::size_t>(size)) != 0)
                    return false;
                continue;
            }
            const std::size_t len =
                strnlen(reinterpret_cast<const char*>(p), static_cast<std::size_t>(size));
            const std::size_t want = c.encoded.size();
            if (o.partialKey ? len < want : len != want) return false;
            if (o.caseInsensitive) {
                if (s.collation.compareFolded(p, c.encoded.data(), static_cast<int>(want)) != 0)
                    return false;
            } else if (std::memcmp(p, c.encoded.data(), want) != 0) {
                return false;
            }
        }
        return true;
    }
};

} // namespace ravelda::engine
