#include "engine/cursor_impl.h"

#include <tuple>

namespace ravelda::engine {

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
    m.refuseInFilter();
    if (m.filtered()) return m.filteredFirst();
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
    m.refuseInFilter();
    if (m.filtered()) return m.filteredLast();
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
    m.refuseInFilter();
    if (m.filtered()) return m.filteredStep(true);
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
    m.refuseInFilter();
    if (m.filtered()) return m.filteredStep(false);
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
    m.refuseInFilter();
    if (n == 0) return 0;
    if (m.filtered()) return m.filteredMoveBy(n);
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
    m.refuseInFilter();
    if (m.filtered()) return m.filteredCount();
    m.fresh();
    return static_cast<std::int64_t>(m.s.dbh.numRecords());
}

std::int64_t Cursor::recordNumber() const {
    Impl& m = *impl_;
    m.refuseInFilter();
    if (m.filtered()) return m.filteredNumber();
    return m.run([&]() -> std::int64_t {
        if (!m.onRow) return 0;
        return static_cast<std::int64_t>(m.ordinal()) + 1;
    });
}

void Cursor::setRecordNumber(std::int64_t n) {
    Impl& m = *impl_;
    m.refuseInFilter();
    if (m.filtered()) return m.filteredSetNumber(n);
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
    auto row = m.s.decodeRecord(m.current.data());
    m.markRead();
    return row;
}

Value Cursor::value(int fieldIndex) const {
    Impl& m = *impl_;
    if (fieldIndex < 0 || fieldIndex >= static_cast<int>(m.s.fields.size()))
        throw Error(Error::Kind::InvalidArgument, m.s.dbPath,
                    "field index " + std::to_string(fieldIndex) + " is out of range");
    if (m.s.generation != m.gen) m.relocate();
    if (!m.onRow) throw Error(Error::Kind::NotFound, m.s.dbPath, "there is no current record");
    auto value = m.s.decodeValue(fieldIndex, m.current.data());
    m.markRead();
    return value;
}

Bookmark Cursor::bookmark() const {
    Impl& m = *impl_;
    if (m.s.generation != m.gen) m.relocate();
    if (!m.onRow) return Bookmark();
    if (m.s.keyFields > 0) {
        std::string k(1, 'K');
        k.append(reinterpret_cast<const char*>(m.current.data()),
                 static_cast<std::size_t>(m.s.keySize));
        return Bookmark(std::move(k));
    }
    return Bookmark(m.unkeyedMark());
}

bool Cursor::gotoBookmark(const Bookmark& bookmark) {
    Impl& m = *impl_;
    m.refuseInFilter();
    return m.guarded([&] {
        unsigned b = 0;
        int i = 0;
        if (!m.findBookmark(bookmark, b, i)) return false;
        const BlockPtr bytes = m.load(b);
        if (m.filtered() && !m.accept(recordAt(*bytes, m.s.recordSize, i))) return false;
        m.setAt(b, i, bytes);
        m.bof = m.eof = false;
        return true;
    });
}

bool Cursor::bookmarkValid(const Bookmark& bookmark) const {
    Impl& m = *impl_;
    m.refuseInFilter();
    return m.guarded([&] {
        unsigned b = 0;
        int i = 0;
        if (!m.findBookmark(bookmark, b, i)) return false;
        return !m.filtered() || m.accept(recordAt(*m.load(b), m.s.recordSize, i));
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
    const auto ma = Impl::parseUnkeyed(a.data()), mb = Impl::parseUnkeyed(b.data());
    if (!ma || !mb)
        throw Error(Error::Kind::InvalidArgument, m.s.dbPath, "not a bookmark of this table");
    return m.run([&] {
        const std::uint64_t pa = m.markOrder(*ma), pb = m.markOrder(*mb);
        if (pa != pb) return static_cast<int>(pa < pb ? bmBefore : bmAfter);
        if (pa % 2 == 1) return static_cast<int>(bmSame);
        // Rows deleted from the same place: by when and where they were marked.
        const auto ka = std::tie(ma->seq, ma->block, ma->index);
        const auto kb = std::tie(mb->seq, mb->block, mb->index);
        return static_cast<int>(ka < kb ? bmBefore : (kb < ka ? bmAfter : bmSame));
    });
}

bool Cursor::locate(const std::vector<int>& fieldIndexes, const std::vector<Value>& values,
                    const LocateOptions& options) {
    Impl& m = *impl_;
    Table::State& s = m.s;
    m.refuseInFilter();
    if (fieldIndexes.size() != values.size() || fieldIndexes.empty())
        throw Error(Error::Kind::InvalidArgument, s.dbPath,
                    "locate needs one value per field and at least one field");
    std::vector<LocateCriterion> cs;
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
        LocateCriterion c;
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
    return m.guarded([&] {
        if (useIndex) {
            KeyProbe probe;
            probe.key.assign(static_cast<std::size_t>(s.keySize), 0);
            probe.lengths.assign(static_cast<std::size_t>(s.keyFields), 0);
            for (const LocateCriterion& c : cs) {
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
            Cursor::Impl::Position saved = m.save();
            // Rows sharing a key prefix follow each other; the first one the filters accept wins.
            for (bool on = m.seekKey(probe, false);
                 on && s.compareKey(m.current.data(), probe) == 0; on = m.nextRow()) {
                if (m.matches(m.current.data(), cs, options) &&
                    (!m.filtered() || m.accept(m.current.data()))) {
                    m.bof = m.eof = false;
                    return true;
                }
                if (!m.filtered()) break;
            }
            const bool bof = m.bof, eof = m.eof;
            m.restore(std::move(saved));
            m.bof = bof;
            m.eof = eof;
            return false;
        }
        unsigned n = s.dbh.firstBlock();
        for (unsigned steps = 0; n; ++steps) {
            if (steps > s.dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, s.dbPath, "the block chain loops");
            const BlockPtr b = m.load(n);
            const BlockHead h = s.dataHead(*b, n);
            for (int i = 0; i < h.count; ++i)
                if (m.matches(recordAt(*b, s.recordSize, i), cs, options) &&
                    (!m.filtered() || m.accept(recordAt(*b, s.recordSize, i)))) {
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
    m.refuseInFilter();
    m.cachedCount = -1;
    std::pair<unsigned, int> at;
    {
        WriteTransaction write(s);
        at = s.insertRecord(s.encodeRecord(row));
        write.commit();
    }
    m.gen = s.generation;
    m.setAt(at.first, at.second, s.dbBlock(at.first));
    m.bof = m.eof = false;
}

RowVersion Cursor::version() const {
    const Impl& m = *impl_;
    if (m.basis.empty()) return RowVersion();
    std::string d(8, '\0');
    putLe32(reinterpret_cast<std::uint8_t*>(d.data()), m.basisBlock);
    putLe32(reinterpret_cast<std::uint8_t*>(d.data() + 4),
            static_cast<std::uint32_t>(m.basisIndex));
    d.append(reinterpret_cast<const char*>(m.basis.data()), m.basis.size());
    return RowVersion(std::move(d));
}

namespace {
// Inside a write, on the files as they are now: where the row that a version names is. Refused
// when another writer changed or deleted it since it was read, so that nobody's newer values
// are put back.
std::pair<unsigned, int> rowOfVersion(Cursor::Impl& m, const RowVersion& expected) {
    Table::State& s = m.s;
    const std::string& d = expected.data();
    if (d.empty()) throw Error(Error::Kind::NotFound, s.dbPath, "there is no current record");
    if (d.size() != 8 + static_cast<std::size_t>(s.recordSize))
        throw Error(Error::Kind::InvalidArgument, s.dbPath, "the row version is not of this table");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(d.data());
    const std::uint8_t* record = bytes + 8;
    if (s.keyFields > 0) {
        const auto found = s.findKey(record);
        if (found.first == 0) throw Error(Error::Kind::Conflict, s.dbPath, kRecordDeleted);
        const BlockPtr b = s.dbBlock(found.first);
        if (std::memcmp(recordAt(*b, s.recordSize, found.second), record,
                        static_cast<std::size_t>(s.recordSize)) != 0)
            throw Error(Error::Kind::Conflict, s.dbPath, kRecordChanged);
        return found;
    }
    // Unkeyed rows only move up within their block when earlier ones are deleted.
    const unsigned block = le32(bytes);
    const int index = static_cast<int>(le32(bytes + 4));
    if (block >= 1 && block <= s.dbh.totalBlocks()) {
        const BlockPtr b = s.dbBlock(block);
        const BlockHead h = s.dataHead(*b, block);
        for (int j = std::min(index, h.count - 1); j >= 0; --j)
            if (std::memcmp(recordAt(*b, s.recordSize, j), record,
                            static_cast<std::size_t>(s.recordSize)) == 0)
                return {block, j};
    }
    throw Error(Error::Kind::Conflict, s.dbPath, kRecordChangedOrDeleted);
}
} // namespace

void Cursor::update(const std::vector<Value>& row) {
    update(row, version());
}

void Cursor::update(const std::vector<Value>& row, const RowVersion& expected) {
    Impl& m = *impl_;
    Table::State& s = m.s;
    m.refuseInFilter();
    m.cachedCount = -1;
    std::pair<unsigned, int> at;
    {
        WriteTransaction write(s);
        const auto where = rowOfVersion(m, expected);
        const BlockPtr oldBlock = s.dbBlock(where.first);
        const Bytes rec = s.encodeRecord(row, recordAt(*oldBlock, s.recordSize, where.second));
        at = s.updateRecord(where.first, where.second, rec);
        write.commit();
    }
    m.gen = s.generation;
    m.setAt(at.first, at.second, s.dbBlock(at.first));
    m.bof = m.eof = false;
}

void Cursor::remove() {
    remove(version());
}

void Cursor::remove(const RowVersion& expected) {
    Impl& m = *impl_;
    Table::State& s = m.s;
    m.refuseInFilter();
    m.cachedCount = -1;
    unsigned nextBlock = 0;
    std::pair<unsigned, int> where;
    Bytes removed;
    {
        WriteTransaction write(s);
        where = rowOfVersion(m, expected);
        const BlockPtr b = s.dbBlock(where.first);
        const std::uint8_t* r = recordAt(*b, s.recordSize, where.second);
        removed.assign(r, r + s.recordSize);
        nextBlock = s.dataHead(*b, where.first).next;
        s.deleteRecord(where.first, where.second);
        write.commit();
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
            if (!m.seekKey(s.fullProbe(removed.data()), false)) {
                m.lastRow();
                m.eof = true;
            }
            if (m.filtered()) m.settle();
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
        if (m.filtered()) m.settle();
        return 0;
    });
}

void Cursor::refresh() {
    Impl& m = *impl_;
    m.refuseInFilter();
    m.cachedCount = -1;
    m.table.refresh();
    m.relocate();
    if (m.filtered())
        m.guarded([&] {
            m.settle();
            return 0;
        });
}

} // namespace ravelda::engine
