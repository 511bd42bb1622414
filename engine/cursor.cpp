#include "engine/cursor.h"

#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/fieldcodec.h"
#include "engine/table.h"
#include "engine/tablestate.h"

#include <cstring>
#include <map>

namespace ravelda::engine {

namespace {
// Thrown inside a cursor operation when the files changed under it; the operation restarts
// from the relocated position.
struct Restart {};

// One located field: how to match it against record bytes.
struct Criterion {
    int field = 0;
    bool null = false;
    bool alpha = false;
    Bytes encoded; // non-Alpha: the stored form; Alpha: the text bytes
};
} // namespace

struct Cursor::Impl {
    Table& table;
    Table::State& s;
    unsigned block = 0;
    int index = 0;
    bool onRow = false;
    bool bof = true, eof = true;
    Bytes current;
    std::uint64_t gen = 0;
    // Unkeyed tables: chain position of each block's first row, per generation.
    std::map<unsigned, std::uint64_t> chainStart;
    std::uint64_t chainGen = 0;

    explicit Impl(Table& t) : table(t), s(t.state()) {}

    BlockPtr load(unsigned n) {
        BlockPtr b = s.dbBlock(n);
        if (s.generation != gen) throw Restart{};
        return b;
    }

    void setAt(unsigned n, int i, const BlockPtr& b) {
        block = n;
        index = i;
        onRow = true;
        const std::uint8_t* r = recordAt(*b, s.recordSize, i);
        current.assign(r, r + s.recordSize);
    }

    void clearRow() {
        onRow = false;
        block = 0;
        index = 0;
        current.clear();
    }

    template <typename F> auto run(F f) {
        ReadOperation op(s);
        for (int attempt = 0;; ++attempt) {
            if (s.generation != gen) relocate();
            try {
                return f();
            } catch (const Restart&) {
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
        for (int attempt = 0; attempt < 8; ++attempt) {
            gen = s.generation;
            try {
                relocateOnce();
                return;
            } catch (const Restart&) {
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
        if (s.keyFields > 0) {
            const Bytes saved = current;
            if (!seekKey(s.fullProbe(saved.data()), false)) lastRow();
            return;
        }
        // Unkeyed: rows only move up within their block when earlier ones are deleted.
        if (block >= 1 && block <= s.dbh.totalBlocks()) {
            const BlockPtr b = load(block);
            const BlockHead h = s.dataHead(*b, block);
            for (int i = std::min(index, h.count - 1); i >= 0; --i)
                if (std::memcmp(recordAt(*b, s.recordSize, i), current.data(), current.size()) ==
                    0) {
                    setAt(block, i, b);
                    return;
                }
            if (index < h.count) {
                setAt(block, index, b);
                return;
            }
        }
        if (!firstRow()) clearRow();
    }

    // Positions on the first row whose key is >= the probe; false when there is none.
    bool seekKey(const KeyProbe& probe, bool) {
        unsigned d = s.findBlock(probe, true, nullptr);
        if (s.generation != gen) throw Restart{};
        for (unsigned steps = 0; d; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = load(d);
            const BlockHead h = s.dataHead(*b, d);
            int lo = 0, hi = h.count;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (s.compareKey(recordAt(*b, s.recordSize, mid), probe) < 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            if (lo < h.count) {
                setAt(d, lo, b);
                return true;
            }
            d = h.next;
        }
        return false;
    }

    bool firstRow() {
        unsigned n = s.dbh.firstBlock();
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = load(n);
            const BlockHead h = s.dataHead(*b, n);
            if (h.count > 0) {
                setAt(n, 0, b);
                return true;
            }
            n = h.next;
        }
        return false;
    }

    bool lastRow() {
        unsigned n = s.dbh.lastBlock();
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = load(n);
            const BlockHead h = s.dataHead(*b, n);
            if (h.count > 0) {
                setAt(n, h.count - 1, b);
                return true;
            }
            n = h.prev;
        }
        return false;
    }

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
        if (it == chainStart.end())
            throw Error(Error::Kind::Corrupt, s.dbPath,
                        "block " + std::to_string(n) + " is not in the block chain");
        return it->second;
    }

    // 0-based position of the current row.
    std::uint64_t ordinal() {
        if (s.keyFields > 0 && s.indexUsable && s.pxh->indexLevels() > 0) {
            std::vector<IndexStep> path;
            const unsigned d = s.findBlock(s.fullProbe(current.data()), false, &path);
            if (s.generation != gen) throw Restart{};
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
        if (s.generation != gen) throw Restart{};
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
            if (s.generation != gen) throw Restart{};
            outBlock = found.first;
            outIndex = found.second;
            return found.first != 0;
        }
        if (d.size() != 9 + static_cast<std::size_t>(s.recordSize) || d[0] != 'U') return false;
        const unsigned n = le32(reinterpret_cast<const std::uint8_t*>(d.data() + 1));
        const int i = static_cast<int>(le32(reinterpret_cast<const std::uint8_t*>(d.data() + 5)));
        if (n < 1 || n > s.dbh.totalBlocks()) return false;
        const BlockPtr b = load(n);
        const BlockHead h = s.dataHead(*b, n);
        for (int j = std::min(i, h.count - 1); j >= 0; --j)
            if (std::memcmp(recordAt(*b, s.recordSize, j), d.data() + 9,
                            static_cast<std::size_t>(s.recordSize)) == 0) {
                outBlock = n;
                outIndex = j;
                return true;
            }
        return false;
    }

    bool matches(const std::uint8_t* rec, const std::vector<Criterion>& cs,
                 const LocateOptions& o) const {
        for (const Criterion& c : cs) {
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

Cursor::Cursor(Table& table) : impl_(std::make_unique<Impl>(table)) {
    impl_->gen = impl_->s.generation;
    first();
}

Cursor::~Cursor() = default;

Table& Cursor::table() const {
    return impl_->table;
}

bool Cursor::first() {
    Impl& m = *impl_;
    return m.run([&] {
        if (m.firstRow()) {
            m.bof = true;
            m.eof = false;
            return true;
        }
        m.clearRow();
        m.bof = m.eof = true;
        return false;
    });
}

bool Cursor::last() {
    Impl& m = *impl_;
    return m.run([&] {
        if (m.lastRow()) {
            m.bof = false;
            m.eof = true;
            return true;
        }
        m.clearRow();
        m.bof = m.eof = true;
        return false;
    });
}

bool Cursor::next() {
    Impl& m = *impl_;
    return m.run([&] {
        if (m.nextRow()) {
            m.bof = m.eof = false;
            return true;
        }
        m.eof = true;
        return false;
    });
}

bool Cursor::prior() {
    Impl& m = *impl_;
    return m.run([&] {
        if (m.priorRow()) {
            m.bof = m.eof = false;
            return true;
        }
        m.bof = true;
        return false;
    });
}

std::int64_t Cursor::moveBy(std::int64_t n) {
    Impl& m = *impl_;
    if (n == 0) return 0;
    const bool jump = (n > 64 || n < -64) && m.onRow;
    if (jump) {
        return m.run([&]() -> std::int64_t {
            const auto count = static_cast<std::int64_t>(m.s.dbh.numRecords());
            const auto from = static_cast<std::int64_t>(m.ordinal());
            std::int64_t to = from + n;
            const bool clampedEnd = to >= count, clampedStart = to < 0;
            to = std::max<std::int64_t>(0, std::min(to, count - 1));
            if (!m.seekOrdinal(static_cast<std::uint64_t>(to)))
                throw Error(Error::Kind::Corrupt, m.s.dbPath, "record count does not match");
            m.bof = clampedStart;
            m.eof = clampedEnd;
            return to - from;
        });
    }
    std::int64_t moved = 0;
    if (n > 0) {
        while (moved < n && next())
            ++moved;
    } else {
        while (moved > n && prior())
            --moved;
    }
    return moved;
}

bool Cursor::bof() const {
    return impl_->bof;
}
bool Cursor::eof() const {
    return impl_->eof;
}

bool Cursor::hasRow() const {
    Impl& m = *impl_;
    if (m.s.generation != m.gen) m.relocate();
    return m.onRow;
}

std::int64_t Cursor::recordCount() const {
    Impl& m = *impl_;
    if (m.s.generation != m.gen) m.relocate();
    return static_cast<std::int64_t>(m.s.dbh.numRecords());
}

std::int64_t Cursor::recordNumber() const {
    Impl& m = *impl_;
    return m.run([&]() -> std::int64_t {
        if (!m.onRow) return 0;
        return static_cast<std::int64_t>(m.ordinal()) + 1;
    });
}

void Cursor::setRecordNumber(std::int64_t n) {
    Impl& m = *impl_;
    m.run([&] {
        const auto count = static_cast<std::int64_t>(m.s.dbh.numRecords());
        if (count == 0) {
            m.clearRow();
            m.bof = m.eof = true;
            return 0;
        }
        const std::int64_t target = std::max<std::int64_t>(1, std::min(n, count));
        if (!m.seekOrdinal(static_cast<std::uint64_t>(target - 1)))
            throw Error(Error::Kind::Corrupt, m.s.dbPath, "record count does not match the blocks");
        m.bof = m.eof = false;
        return 0;
    });
}

std::vector<Value> Cursor::row() const {
    Impl& m = *impl_;
    if (m.s.generation != m.gen) m.relocate();
    if (!m.onRow) throw Error(Error::Kind::NotFound, m.s.dbPath, "there is no current record");
    return m.s.decodeRecord(m.current.data());
}

Value Cursor::value(int fieldIndex) const {
    Impl& m = *impl_;
    if (fieldIndex < 0 || fieldIndex >= static_cast<int>(m.s.fields.size()))
        throw Error(Error::Kind::InvalidArgument, m.s.dbPath,
                    "field index " + std::to_string(fieldIndex) + " is out of range");
    if (m.s.generation != m.gen) m.relocate();
    if (!m.onRow) throw Error(Error::Kind::NotFound, m.s.dbPath, "there is no current record");
    return m.s.decodeValue(fieldIndex, m.current.data());
}

Bookmark Cursor::bookmark() const {
    Impl& m = *impl_;
    if (m.s.generation != m.gen) m.relocate();
    if (!m.onRow) return Bookmark();
    if (m.s.keyFields > 0)
        return Bookmark("K" + std::string(reinterpret_cast<const char*>(m.current.data()),
                                          static_cast<std::size_t>(m.s.keySize)));
    std::string d(9, '\0');
    d[0] = 'U';
    putLe32(reinterpret_cast<std::uint8_t*>(d.data() + 1), m.block);
    putLe32(reinterpret_cast<std::uint8_t*>(d.data() + 5), static_cast<std::uint32_t>(m.index));
    d.append(reinterpret_cast<const char*>(m.current.data()), m.current.size());
    return Bookmark(std::move(d));
}

bool Cursor::gotoBookmark(const Bookmark& bookmark) {
    Impl& m = *impl_;
    return m.run([&] {
        unsigned b = 0;
        int i = 0;
        if (!m.findBookmark(bookmark, b, i)) return false;
        m.setAt(b, i, m.load(b));
        m.bof = m.eof = false;
        return true;
    });
}

bool Cursor::bookmarkValid(const Bookmark& bookmark) const {
    Impl& m = *impl_;
    return m.run([&] {
        unsigned b = 0;
        int i = 0;
        return m.findBookmark(bookmark, b, i);
    });
}

int Cursor::compare(const Bookmark& a, const Bookmark& b) const {
    Impl& m = *impl_;
    if (a.empty() || b.empty())
        return a.empty() && b.empty() ? bmSame : (a.empty() ? bmBefore : bmAfter);
    if (a == b) return bmSame;
    if (m.s.keyFields > 0) {
        const std::string& x = a.data();
        const std::string& y = b.data();
        if (x.size() != y.size() || x.size() != 1 + static_cast<std::size_t>(m.s.keySize))
            throw Error(Error::Kind::InvalidArgument, m.s.dbPath, "not a bookmark of this table");
        Bytes ra(static_cast<std::size_t>(m.s.recordSize), 0), rb = ra;
        std::memcpy(ra.data(), x.data() + 1, static_cast<std::size_t>(m.s.keySize));
        std::memcpy(rb.data(), y.data() + 1, static_cast<std::size_t>(m.s.keySize));
        const int c = m.s.compareRecords(ra.data(), rb.data());
        return c < 0 ? bmBefore : (c > 0 ? bmAfter : bmSame);
    }
    return m.run([&] {
        auto position = [&](const Bookmark& bm) -> std::uint64_t {
            unsigned blk = 0;
            int i = 0;
            if (m.findBookmark(bm, blk, i))
                return m.blockStart(blk) + static_cast<std::uint64_t>(i);
            const std::string& d = bm.data();
            if (d.size() < 9 || d[0] != 'U')
                throw Error(Error::Kind::InvalidArgument, m.s.dbPath,
                            "not a bookmark of this table");
            blk = le32(reinterpret_cast<const std::uint8_t*>(d.data() + 1));
            i = static_cast<int>(le32(reinterpret_cast<const std::uint8_t*>(d.data() + 5)));
            try {
                return m.blockStart(blk) + static_cast<std::uint64_t>(i);
            } catch (const Error&) {
                return 0;
            }
        };
        const std::uint64_t pa = position(a), pb = position(b);
        return pa < pb ? static_cast<int>(bmBefore)
                       : (pa > pb ? static_cast<int>(bmAfter) : static_cast<int>(bmSame));
    });
}

bool Cursor::locate(const std::vector<int>& fieldIndexes, const std::vector<Value>& values,
                    const LocateOptions& options) {
    Impl& m = *impl_;
    Table::State& s = m.s;
    if (fieldIndexes.size() != values.size() || fieldIndexes.empty())
        throw Error(Error::Kind::InvalidArgument, s.dbPath,
                    "locate needs one value per field and at least one field");
    std::vector<Criterion> cs;
    std::vector<bool> seen(s.fields.size(), false);
    for (std::size_t i = 0; i < fieldIndexes.size(); ++i) {
        const int fi = fieldIndexes[i];
        if (fi < 0 || fi >= static_cast<int>(s.fields.size()))
            throw Error(Error::Kind::InvalidArgument, s.dbPath,
                        "field index " + std::to_string(fi) + " is out of range");
        const FieldDef& f = s.fields[static_cast<std::size_t>(fi)];
        if (isBlobType(f.type))
            throw Error(Error::Kind::InvalidArgument, s.dbPath,
                        "cannot locate on the blob field '" + f.name + "'");
        seen[static_cast<std::size_t>(fi)] = true;
        Criterion c;
        c.field = fi;
        Value v;
        try {
            v = coerceValue(f, values[i]);
        } catch (const Error& e) {
            throw Error(e.kind(), s.dbPath, e.problem());
        }
        if (v.isNull() || (v.kind() == Value::Kind::Text && v.asText().empty())) {
            c.null = true;
        } else if (f.type == FieldType::Alpha) {
            c.alpha = true;
            const std::string& t = v.asText();
            if (t.size() > static_cast<std::size_t>(f.size))
                return false; // longer than the field: nothing can match
            c.encoded.assign(t.begin(), t.end());
        } else {
            c.encoded.resize(static_cast<std::size_t>(storedSize(f)));
            try {
                encodeField(f, v, c.encoded.data());
            } catch (const Error& e) {
                throw Error(e.kind(), s.dbPath, e.problem());
            }
        }
        cs.push_back(std::move(c));
    }
    // A prefix of the key can be searched through the index.
    int prefix = 0;
    while (prefix < s.keyFields && seen[static_cast<std::size_t>(prefix)])
        ++prefix;
    bool prefixOnly = prefix > 0;
    for (std::size_t i = 0; i < seen.size(); ++i)
        if (seen[i] && static_cast<int>(i) >= prefix) prefixOnly = false;
    const bool partialAlpha = options.partialKey;
    const bool useIndex =
        prefixOnly && !options.caseInsensitive && (s.collation.byteOrder() || !partialAlpha);
    return m.run([&] {
        if (useIndex) {
            KeyProbe probe;
            probe.key.assign(static_cast<std::size_t>(s.keySize), 0);
            probe.lengths.assign(static_cast<std::size_t>(s.keyFields), 0);
            for (const Criterion& c : cs) {
                const auto fi = static_cast<std::size_t>(c.field);
                const int size = storedSize(s.fields[fi]);
                std::uint8_t* at = probe.key.data() + s.offsets[fi];
                if (c.null) {
                    probe.lengths[fi] = size;
                } else if (c.alpha) {
                    std::memcpy(at, c.encoded.data(), c.encoded.size());
                    probe.lengths[fi] =
                        options.partialKey ? static_cast<int>(c.encoded.size()) : size;
                } else {
                    std::memcpy(at, c.encoded.data(), c.encoded.size());
                    probe.lengths[fi] = size;
                }
            }
            probe.full = prefix == s.keyFields && !options.partialKey;
            const Bytes savedCurrent = m.current;
            const unsigned savedBlock = m.block;
            const int savedIndex = m.index;
            const bool savedOn = m.onRow;
            if (m.seekKey(probe, false) && s.compareKey(m.current.data(), probe) == 0 &&
                m.matches(m.current.data(), cs, options)) {
                m.bof = m.eof = false;
                return true;
            }
            m.current = savedCurrent;
            m.block = savedBlock;
            m.index = savedIndex;
            m.onRow = savedOn;
            return false;
        }
        unsigned n = s.dbh.firstBlock();
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = m.load(n);
            const BlockHead h = s.dataHead(*b, n);
            for (int i = 0; i < h.count; ++i)
                if (m.matches(recordAt(*b, s.recordSize, i), cs, options)) {
                    m.setAt(n, i, b);
                    m.bof = m.eof = false;
                    return true;
                }
            n = h.next;
        }
        return false;
    });
}

void Cursor::insert(const std::vector<Value>& row) {
    Impl& m = *impl_;
    Table::State& s = m.s;
    s.begin();
    std::pair<unsigned, int> at;
    try {
        const Bytes rec = s.encodeRecord(row);
        at = s.insertRecord(rec);
        s.commit();
    } catch (...) {
        if (s.txn.active) s.abort();
        throw;
    }
    m.gen = s.generation;
    m.setAt(at.first, at.second, s.dbBlock(at.first));
    m.bof = m.eof = false;
}

namespace {
// Inside a write: where the cursor's row is now, after re-reading the files.
std::pair<unsigned, int> currentInTxn(Cursor::Impl& m) {
    Table::State& s = m.s;
    if (!m.onRow) throw Error(Error::Kind::NotFound, s.dbPath, "there is no current record");
    if (s.keyFields > 0) {
        const auto found = s.findKey(m.current.data());
        if (found.first == 0)
            throw Error(Error::Kind::NotFound, s.dbPath, "the record was deleted by another user");
        return found;
    }
    if (m.block >= 1 && m.block <= s.dbh.totalBlocks()) {
        const BlockPtr b = s.dbBlock(m.block);
        const BlockHead h = s.dataHead(*b, m.block);
        for (int j = std::min(m.index, h.count - 1); j >= 0; --j)
            if (std::memcmp(recordAt(*b, s.recordSize, j), m.current.data(), m.current.size()) == 0)
                return {m.block, j};
    }
    throw Error(Error::Kind::NotFound, s.dbPath,
                "the record was changed or deleted by another user");
}
} // namespace

void Cursor::update(const std::vector<Value>& row) {
    Impl& m = *impl_;
    Table::State& s = m.s;
    s.begin();
    std::pair<unsigned, int> at;
    try {
        const auto where = currentInTxn(m);
        const BlockPtr oldBlock = s.dbBlock(where.first);
        const Bytes rec = s.encodeRecord(row, recordAt(*oldBlock, s.recordSize, where.second));
        at = s.updateRecord(where.first, where.second, rec);
        s.commit();
    } catch (...) {
        if (s.txn.active) s.abort();
        throw;
    }
    m.gen = s.generation;
    m.setAt(at.first, at.second, s.dbBlock(at.first));
    m.bof = m.eof = false;
}

void Cursor::remove() {
    Impl& m = *impl_;
    Table::State& s = m.s;
    s.begin();
    unsigned nextBlock = 0;
    std::pair<unsigned, int> where;
    try {
        where = currentInTxn(m);
        nextBlock = s.dataHead(*s.dbBlock(where.first), where.first).next;
        s.deleteRecord(where.first, where.second);
        s.commit();
    } catch (...) {
        if (s.txn.active) s.abort();
        throw;
    }
    m.gen = s.generation;
    m.bof = m.eof = false;
    if (s.dbh.numRecords() == 0 || s.dbh.firstBlock() == 0) {
        m.clearRow();
        m.bof = m.eof = true;
        return;
    }
    m.run([&] {
        if (s.keyFields > 0) {
            const Bytes saved = m.current;
            if (!m.seekKey(s.fullProbe(saved.data()), false)) {
                m.lastRow();
                m.eof = true;
            }
            return 0;
        }
        const BlockPtr b = m.load(where.first);
        const BlockHead h = s.dataHead(*b, where.first);
        if (where.second < h.count) {
            m.setAt(where.first, where.second, b);
        } else if (nextBlock && nextBlock <= s.dbh.totalBlocks() &&
                   s.dataHead(*m.load(nextBlock), nextBlock).count > 0) {
            m.setAt(nextBlock, 0, m.load(nextBlock));
        } else {
            m.lastRow();
            m.eof = true;
        }
        return 0;
    });
}

void Cursor::refresh() {
    Impl& m = *impl_;
    m.table.refresh();
    m.relocate();
}

} // namespace ravelda::engine

namespace ravelda::engine {
void Cursor::setFilter(std::optional<FilterExpr> expr) {
    if (expr) CompiledFilter(*expr, impl_->s.fields, impl_->s.collation);
}
const std::optional<FilterExpr>& Cursor::filter() const {
    static const std::optional<FilterExpr> none;
    return none;
}
void Cursor::setRecordFilter(RecordFilter) {
    throw Error(Error::Kind::Unsupported, impl_->s.dbPath, "record filters are not built yet");
}
bool Cursor::filtered() const {
    return false;
}
} // namespace ravelda::engine
