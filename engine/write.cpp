// Inserting, deleting and updating records: data blocks in key order, the block chain and free
// list, and the primary index kept valid (entries, counts, splits, new roots).
#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/tablestate.h"

#include <cstring>

namespace ravelda::engine {

namespace {

using Entry = Bytes; // one .PX entry: key | block | count | 0

void setDataCount(Bytes& b, int count, int recordSize) {
    putLe16(b.data() + blk::AddDataSize,
            static_cast<std::uint32_t>((count - 1) * recordSize) & 0xFFFF);
}

struct Writer {
    Table::State& s;

    // ---- data blocks -------------------------------------------------------------------
    unsigned allocDataBlock() {
        Header& h = s.dbh;
        unsigned n = h.freeBlock();
        if (n) {
            const BlockPtr b = s.dbBlock(n);
            h.setU16(hdr::FreeBlock, le16(b->data() + blk::Next));
        } else {
            n = h.totalBlocks() + 1;
            if (n > 0xFFFF)
                throw Error(Error::Kind::Unsupported, s.dbPath, "the table is full (65535 blocks)");
            s.dbBlockForWrite(n); // while n is past the end: a zero block, not read from disk
            h.setU16(hdr::TotalBlocks, n);
            h.setU16(hdr::MaxBlocks, n);
        }
        h.setU16(hdr::UsedBlocks, h.usedBlocks() + 1);
        Bytes& b = s.dbBlockForWrite(n);
        std::fill(b.begin(), b.end(), 0);
        setDataCount(b, 0, s.recordSize);
        return n;
    }

    void freeDataBlock(unsigned n) {
        Header& h = s.dbh;
        Bytes& b = s.dbBlockForWrite(n);
        std::fill(b.begin(), b.end(), 0);
        putLe16(b.data() + blk::Next, h.freeBlock());
        setDataCount(b, 0, s.recordSize);
        h.setU16(hdr::FreeBlock, n);
        h.setU16(hdr::UsedBlocks, h.usedBlocks() - 1);
    }

    void linkDataAfter(unsigned after, unsigned n) {
        Bytes& nb = s.dbBlockForWrite(n);
        unsigned next = 0;
        if (after) {
            Bytes& ab = s.dbBlockForWrite(after);
            next = le16(ab.data() + blk::Next);
            putLe16(ab.data() + blk::Next, n);
        }
        putLe16(nb.data() + blk::Next, next);
        putLe16(nb.data() + blk::Prev, after);
        if (next)
            putLe16(s.dbBlockForWrite(next).data() + blk::Prev, n);
        else
            s.dbh.setU16(hdr::LastBlock, n);
        if (!after) s.dbh.setU16(hdr::FirstBlock, n);
    }

    void unlinkData(unsigned n) {
        const Bytes& b = s.dbBlockForWrite(n);
        const unsigned next = le16(b.data() + blk::Next), prev = le16(b.data() + blk::Prev);
        if (prev)
            putLe16(s.dbBlockForWrite(prev).data() + blk::Next, next);
        else
            s.dbh.setU16(hdr::FirstBlock, next);
        if (next)
            putLe16(s.dbBlockForWrite(next).data() + blk::Prev, prev);
        else
            s.dbh.setU16(hdr::LastBlock, prev);
    }

    Entry dataEntry(unsigned n) {
        const BlockPtr b = s.dbBlock(n);
        const BlockHead h = s.dataHead(*b, n);
        Entry e(static_cast<std::size_t>(s.pxEntrySize), 0);
        std::memcpy(e.data(), recordAt(*b, s.recordSize, 0), static_cast<std::size_t>(s.keySize));
        putPxShort(e.data() + s.keySize, static_cast<int>(n));
        putPxShort(e.data() + s.keySize + 2, h.count);
        putPxShort(e.data() + s.keySize + 4, 0);
        return e;
    }

    // ---- index blocks ------------------------------------------------------------------
    unsigned allocIndexBlock() {
        Header& h = *s.pxh;
        unsigned n = h.freeBlock();
        if (n) {
            const BlockPtr b = s.pxBlock(n);
            h.setU16(hdr::FreeBlock, le16(b->data() + blk::Next));
        } else {
            n = h.totalBlocks() + 1;
            if (n > 0xFFFF) throw Error(Error::Kind::Unsupported, s.pxPath, "the index is full");
            s.pxBlockForWrite(n); // while n is past the end: a zero block, not read from disk
            h.setU16(hdr::TotalBlocks, n);
            h.setU16(hdr::MaxBlocks, n);
        }
        h.setU16(hdr::UsedBlocks, h.usedBlocks() + 1);
        Bytes& b = s.pxBlockForWrite(n);
        std::fill(b.begin(), b.end(), 0);
        setDataCount(b, 0, s.pxEntrySize);
        return n;
    }

    void linkIndexAfter(unsigned after, unsigned n) {
        Header& h = *s.pxh;
        Bytes& nb = s.pxBlockForWrite(n);
        unsigned next = 0;
        if (after) {
            Bytes& ab = s.pxBlockForWrite(after);
            next = le16(ab.data() + blk::Next);
            putLe16(ab.data() + blk::Next, n);
        }
        putLe16(nb.data() + blk::Next, next);
        putLe16(nb.data() + blk::Prev, after);
        if (next)
            putLe16(s.pxBlockForWrite(next).data() + blk::Prev, n);
        else
            h.setU16(hdr::LastBlock, n);
        if (!after) h.setU16(hdr::FirstBlock, n);
    }

    void freeIndexBlock(unsigned n) {
        Header& h = *s.pxh;
        {
            const Bytes& b = s.pxBlockForWrite(n);
            const unsigned next = le16(b.data() + blk::Next), prev = le16(b.data() + blk::Prev);
            if (prev)
                putLe16(s.pxBlockForWrite(prev).data() + blk::Next, next);
            else
                h.setU16(hdr::FirstBlock, next);
            if (next)
                putLe16(s.pxBlockForWrite(next).data() + blk::Prev, prev);
            else
                h.setU16(hdr::LastBlock, prev);
        }
        Bytes& b = s.pxBlockForWrite(n);
        std::fill(b.begin(), b.end(), 0);
        putLe16(b.data() + blk::Next, h.freeBlock());
        setDataCount(b, 0, s.pxEntrySize);
        h.setU16(hdr::FreeBlock, n);
        h.setU16(hdr::UsedBlocks, h.usedBlocks() - 1);
    }

    std::vector<Entry> readEntries(unsigned n) {
        const BlockPtr b = s.pxBlock(n);
        const BlockHead h = s.indexHead(*b, n);
        std::vector<Entry> out;
        for (int i = 0; i < h.count; ++i) {
            const std::uint8_t* e = s.entryAt(*b, i);
            out.emplace_back(e, e + s.pxEntrySize);
        }
        return out;
    }

    void writeEntries(unsigned n, const std::vector<Entry>& entries) {
        Bytes& b = s.pxBlockForWrite(n);
        for (std::size_t i = 0; i < entries.size(); ++i)
            std::memcpy(b.data() + blk::Records + i * static_cast<std::size_t>(s.pxEntrySize),
                        entries[i].data(), entries[i].size());
        setDataCount(b, static_cast<int>(entries.size()), s.pxEntrySize);
    }

    Entry entryFor(unsigned n, const std::vector<Entry>& entries) {
        Entry e(static_cast<std::size_t>(s.pxEntrySize), 0);
        std::memcpy(e.data(), entries.front().data(), static_cast<std::size_t>(s.keySize));
        unsigned sum = 0;
        for (const Entry& c : entries)
            sum += s.entryCount(c.data());
        putPxShort(e.data() + s.keySize, static_cast<int>(n));
        putPxShort(e.data() + s.keySize + 2, static_cast<int>(sum & 0xFFFF));
        return e;
    }

    // The entry that describes index block n to its parent: its first key and its row count.
    Entry entryForBlock(unsigned n) {
        const BlockPtr b = s.pxBlock(n);
        const BlockHead h = s.indexHead(*b, n);
        Entry e(static_cast<std::size_t>(s.pxEntrySize), 0);
        std::memcpy(e.data(), s.entryAt(*b, 0), static_cast<std::size_t>(s.keySize));
        unsigned sum = 0;
        for (int i = 0; i < h.count; ++i)
            sum += s.entryCount(s.entryAt(*b, i));
        putPxShort(e.data() + s.keySize, static_cast<int>(n));
        putPxShort(e.data() + s.keySize + 2, static_cast<int>(sum & 0xFFFF));
        return e;
    }

    void addEntries(long delta) {
        s.pxh->setU32(hdr::NumRecords,
                      static_cast<std::uint32_t>(static_cast<long>(s.pxh->numRecords()) + delta));
    }

    // Stores the new entries of index block n; returns the entries that now describe it to
    // its parent (none when it emptied, two when it split).
    std::vector<Entry> storeIndexBlock(unsigned n, std::vector<Entry> entries, int oldCount) {
        addEntries(static_cast<long>(entries.size()) - oldCount);
        if (entries.empty()) {
            freeIndexBlock(n);
            return {};
        }
        if (static_cast<int>(entries.size()) <= s.pxPerBlock) {
            writeEntries(n, entries);
            return {entryFor(n, entries)};
        }
        const std::size_t half = entries.size() / 2;
        std::vector<Entry> right(entries.begin() + static_cast<std::ptrdiff_t>(half),
                                 entries.end());
        entries.resize(half);
        const unsigned m = allocIndexBlock();
        linkIndexAfter(n, m);
        writeEntries(n, entries);
        writeEntries(m, right);
        return {entryFor(n, entries), entryFor(m, right)};
    }

    // Replaces the leaf entry the path ends at with the given entries, then fixes every level
    // above: keys, counts, splits, a new root or a shorter tree.
    void replaceInIndex(const std::vector<IndexStep>& path, std::vector<Entry> results) {
        const bool removal = results.empty();
        for (int k = static_cast<int>(path.size()) - 1; k >= 0; --k) {
            const IndexStep& step = path[static_cast<std::size_t>(k)];
            if (results.size() == 1) {
                // Most writes change one entry in place: no copy of the block's entries.
                Bytes& b = s.pxBlockForWrite(step.block);
                std::memcpy(b.data() + blk::Records +
                                static_cast<std::size_t>(step.entry) *
                                    static_cast<std::size_t>(s.pxEntrySize),
                            results.front().data(), results.front().size());
                results = {entryForBlock(step.block)};
                continue;
            }
            std::vector<Entry> entries = readEntries(step.block);
            const int oldCount = static_cast<int>(entries.size());
            entries.erase(entries.begin() + step.entry);
            entries.insert(entries.begin() + step.entry, results.begin(), results.end());
            results = storeIndexBlock(step.block, std::move(entries), oldCount);
        }
        Header& h = *s.pxh;
        if (results.empty()) {
            h.setU16(hdr::IndexRoot, 1);
            h.setU8(hdr::IndexLevels, 0);
        } else if (results.size() == 2) {
            const unsigned root = allocIndexBlock();
            linkIndexAfter(path.front().block, root);
            writeEntries(root, results);
            addEntries(2);
            h.setU16(hdr::IndexRoot, root);
            h.setU8(hdr::IndexLevels, h.indexLevels() + 1);
        } else if (removal) {
            // A root left with one child is dropped, so the tree stays as low as it can.
            while (h.indexLevels() > 1) {
                const unsigned root = h.indexRoot();
                std::vector<Entry> entries = readEntries(root);
                if (entries.size() != 1) break;
                const unsigned child = s.entryBlock(entries.front().data());
                addEntries(-1);
                freeIndexBlock(root);
                h.setU16(hdr::IndexRoot, child);
                h.setU8(hdr::IndexLevels, h.indexLevels() - 1);
            }
        }
    }

    void startIndex(unsigned dataBlock) {
        Header& h = *s.pxh;
        const unsigned root = allocIndexBlock();
        linkIndexAfter(0, root);
        writeEntries(root, {dataEntry(dataBlock)});
        h.setU32(hdr::NumRecords, 1);
        h.setU16(hdr::IndexRoot, root);
        h.setU8(hdr::IndexLevels, 1);
    }

    void resetEmpty() {
        Header& h = s.dbh;
        for (int off : {hdr::UsedBlocks, hdr::TotalBlocks, hdr::FirstBlock, hdr::LastBlock,
                        hdr::MaxBlocks, hdr::FreeBlock})
            h.setU16(off, 0);
        h.setU32(hdr::NumRecords, 0);
        s.txn.db.clear();
        if (s.pxh) {
            Header& p = *s.pxh;
            for (int off : {hdr::UsedBlocks, hdr::TotalBlocks, hdr::FirstBlock, hdr::LastBlock,
                            hdr::MaxBlocks, hdr::FreeBlock})
                p.setU16(off, 0);
            p.setU32(hdr::NumRecords, 0);
            p.setU16(hdr::IndexRoot, 1);
            p.setU8(hdr::IndexLevels, 0);
            s.txn.px.clear();
            s.txn.pxHeader = true;
        }
        s.txn.truncateToHeader = true;
    }

    // The index entry a write is about to change must describe its data block.
    void verifyLeaf(const std::vector<IndexStep>& path, unsigned d) {
        const BlockPtr ib = s.pxBlock(path.back().block);
        const std::uint8_t* e = s.entryAt(*ib, path.back().entry);
        const BlockPtr db = s.dbBlock(d);
        const BlockHead h = s.dataHead(*db, d);
        if (s.entryCount(e) != static_cast<unsigned>(h.count) ||
            (h.count > 0 && std::memcmp(e, recordAt(*db, s.recordSize, 0),
                                        static_cast<std::size_t>(s.keySize)) != 0))
            throw Error(Error::Kind::Corrupt, s.pxPath,
                        "refusing to write into a damaged table: the index entry of block " +
                            std::to_string(d) + " does not match the block");
    }

    std::vector<IndexStep> pathTo(unsigned block, const std::uint8_t* record) {
        std::vector<IndexStep> path;
        const unsigned found = s.findBlock(s.fullProbe(record), false, &path);
        if (found != block)
            throw Error(Error::Kind::Corrupt, s.pxPath,
                        "the index leads to block " + std::to_string(found) + " instead of block " +
                            std::to_string(block));
        return path;
    }
};

} // namespace

std::pair<unsigned, int> Table::State::findKey(const std::uint8_t* record) {
    if (dbh.firstBlock() == 0) return {0, 0};
    const KeyProbe probe = fullProbe(record);
    const unsigned d = findBlock(probe, false, nullptr);
    const BlockPtr b = dbBlock(d);
    const BlockHead h = dataHead(*b, d);
    int lo = 0, hi = h.count - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = compareKey(recordAt(*b, recordSize, mid), probe);
        if (c == 0) return {d, mid};
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return {0, 0};
}

std::pair<unsigned, int> Table::State::insertRecord(const Bytes& record) {
    Writer w{*this};
    const bool keyed = keyFields > 0;
    if (dbh.firstBlock() == 0) {
        const unsigned d = w.allocDataBlock();
        w.linkDataAfter(0, d);
        Bytes& b = dbBlockForWrite(d);
        std::memcpy(b.data() + blk::Records, record.data(), record.size());
        setDataCount(b, 1, recordSize);
        dbh.setU32(hdr::NumRecords, dbh.numRecords() + 1);
        if (keyed) {
            txn.pxHeader = true;
            w.startIndex(d);
        }
        return {d, 0};
    }
    std::vector<IndexStep> path;
    unsigned d;
    int pos;
    BlockHead head;
    if (keyed) {
        const KeyProbe probe = fullProbe(record.data());
        d = findBlock(probe, false, &path);
        const BlockPtr b = dbBlock(d);
        head = dataHead(*b, d);
        int lo = 0, hi = head.count;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            const int c = compareKey(recordAt(*b, recordSize, mid), probe);
            if (c == 0) throw Error(Error::Kind::KeyViolation, dbPath, kKeyViolation);
            if (c < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        pos = lo;
    } else {
        d = dbh.lastBlock();
        head = dataHead(*dbBlock(d), d);
        pos = head.count;
    }
    verifyNeighbours(d);
    if (keyed) w.verifyLeaf(path, d);
    std::pair<unsigned, int> at{d, pos};
    std::vector<Bytes> results; // replacement index entries for block d
    if (head.count < perBlock) {
        Bytes& b = dbBlockForWrite(d);
        std::uint8_t* base = b.data() + blk::Records;
        const std::size_t rs = static_cast<std::size_t>(recordSize);
        std::memmove(base + (static_cast<std::size_t>(pos) + 1) * rs,
                     base + static_cast<std::size_t>(pos) * rs,
                     static_cast<std::size_t>(head.count - pos) * rs);
        std::memcpy(base + static_cast<std::size_t>(pos) * rs, record.data(), rs);
        setDataCount(b, head.count + 1, recordSize);
        if (keyed) results = {w.dataEntry(d)};
    } else if (head.next == 0 && pos == head.count) {
        const unsigned n = w.allocDataBlock();
        w.linkDataAfter(d, n);
        Bytes& nb = dbBlockForWrite(n);
        std::memcpy(nb.data() + blk::Records, record.data(), record.size());
        setDataCount(nb, 1, recordSize);
        at = {n, 0};
        if (keyed) results = {w.dataEntry(d), w.dataEntry(n)};
    } else {
        // Split: the lower half stays, the upper half moves to a new block linked after it.
        // (Unkeyed rows are appended to the last block and never get here in a sound chain;
        // should they, their bookmarks fall back to looking for their rows.)
        if (!keyed) rowLog.stage(RowLog::Step{});
        const BlockPtr old = dbBlock(d);
        std::vector<const std::uint8_t*> rows;
        for (int i = 0; i < head.count; ++i) {
            if (i == pos) rows.push_back(record.data());
            rows.push_back(recordAt(*old, recordSize, i));
        }
        if (pos == head.count) rows.push_back(record.data());
        const int left = static_cast<int>(rows.size()) / 2;
        const unsigned n = w.allocDataBlock();
        Bytes leftBytes(static_cast<std::size_t>(dbh.blockSize), 0), rightBytes = leftBytes;
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            Bytes& target = i < left ? leftBytes : rightBytes;
            const int j = i < left ? i : i - left;
            std::memcpy(target.data() + blk::Records + static_cast<std::size_t>(j * recordSize),
                        rows[static_cast<std::size_t>(i)], static_cast<std::size_t>(recordSize));
        }
        Bytes& lb = dbBlockForWrite(d);
        std::memcpy(lb.data() + blk::Records, leftBytes.data() + blk::Records,
                    lb.size() - blk::Records);
        setDataCount(lb, left, recordSize);
        w.linkDataAfter(d, n);
        Bytes& rb = dbBlockForWrite(n);
        std::memcpy(rb.data() + blk::Records, rightBytes.data() + blk::Records,
                    rb.size() - blk::Records);
        setDataCount(rb, static_cast<int>(rows.size()) - left, recordSize);
        at =
            pos < left ? std::pair<unsigned, int>{d, pos} : std::pair<unsigned, int>{n, pos - left};
        if (keyed) results = {w.dataEntry(d), w.dataEntry(n)};
    }
    dbh.setU32(hdr::NumRecords, dbh.numRecords() + 1);
    if (keyed) {
        txn.pxHeader = true;
        w.replaceInIndex(path, std::move(results));
    }
    return at;
}

void Table::State::deleteRecord(unsigned d, int index) {
    Writer w{*this};
    const bool keyed = keyFields > 0;
    const BlockPtr before = dbBlock(d);
    const BlockHead head = dataHead(*before, d);
    if (index < 0 || index >= head.count)
        throw Error(Error::Kind::NotFound, dbPath, "the record to delete is no longer there");
    std::vector<IndexStep> path;
    verifyNeighbours(d);
    if (keyed) {
        path = w.pathTo(d, recordAt(*before, recordSize, index));
        w.verifyLeaf(path, d);
    }
    // How the rows of an unkeyed table move, for their bookmarks.
    RowLog::Step moved;
    moved.block = d;
    moved.index = index;
    if (!keyed)
        moved.digest =
            rowDigest(recordAt(*before, recordSize, index), static_cast<std::size_t>(recordSize));
    auto log = [&](RowLog::Step::Kind kind) {
        if (keyed) return;
        moved.kind = kind;
        rowLog.stage(moved);
    };
    if (dbh.numRecords() <= 1 || (head.count == 1 && head.next == 0 && head.prev == 0)) {
        log(RowLog::Step::Emptied);
        w.resetEmpty();
        return;
    }
    dbh.setU32(hdr::NumRecords, dbh.numRecords() - 1);
    if (keyed) txn.pxHeader = true;
    if (head.count > 1) {
        Bytes& b = dbBlockForWrite(d);
        std::uint8_t* base = b.data() + blk::Records;
        const std::size_t rs = static_cast<std::size_t>(recordSize);
        std::memmove(base + static_cast<std::size_t>(index) * rs,
                     base + static_cast<std::size_t>(index + 1) * rs,
                     static_cast<std::size_t>(head.count - index - 1) * rs);
        std::memset(base + static_cast<std::size_t>(head.count - 1) * rs, 0, rs);
        setDataCount(b, head.count - 1, recordSize);
        if (keyed) w.replaceInIndex(path, {w.dataEntry(d)});
        log(RowLog::Step::Shift);
        return;
    }
    // The block empties.
    if (d == 1 && head.next != 0) {
        // Block 1 stays in use: the next block's records move into it and that block is freed.
        const unsigned n = head.next;
        const BlockPtr nb = dbBlock(n);
        const BlockHead nh = dataHead(*nb, n);
        if (keyed && nh.count > 0) {
            std::vector<IndexStep> nPath = w.pathTo(n, recordAt(*nb, recordSize, 0));
            Bytes moved = w.dataEntry(n);
            putPxShort(moved.data() + keySize, 1);
            w.replaceInIndex(nPath, {moved});
        }
        Bytes& b1 = dbBlockForWrite(1);
        const Bytes copy = *nb;
        // The block keeps its own chain links; the count and records come from the moved block.
        std::memcpy(b1.data() + blk::AddDataSize, copy.data() + blk::AddDataSize,
                    b1.size() - blk::AddDataSize);
        w.unlinkData(n);
        w.freeDataBlock(n);
        if (keyed) w.replaceInIndex(path, {});
        moved.next = n;
        log(RowLog::Step::Absorbed);
        return;
    }
    moved.next = head.next;
    moved.prev = head.prev;
    if (!keyed && head.prev) moved.prevCount = dataHead(*dbBlock(head.prev), head.prev).count;
    log(RowLog::Step::Freed);
    w.unlinkData(d);
    w.freeDataBlock(d);
    if (keyed) w.replaceInIndex(path, {});
}

std::pair<unsigned, int> Table::State::updateRecord(unsigned d, int index, const Bytes& record) {
    const BlockPtr b = dbBlock(d);
    const BlockHead head = dataHead(*b, d);
    if (index < 0 || index >= head.count)
        throw Error(Error::Kind::NotFound, dbPath, "the record to update is no longer there");
    const std::uint8_t* old = recordAt(*b, recordSize, index);
    if (keyFields == 0 || std::memcmp(old, record.data(), static_cast<std::size_t>(keySize)) == 0) {
        if (keyFields == 0) {
            RowLog::Step changed;
            changed.kind = RowLog::Step::Updated;
            changed.block = d;
            changed.index = index;
            changed.digest = rowDigest(old, static_cast<std::size_t>(recordSize));
            changed.newDigest = rowDigest(record.data(), record.size());
            rowLog.stage(changed);
        }
        Bytes& wb = dbBlockForWrite(d);
        std::memcpy(wb.data() + blk::Records + static_cast<std::size_t>(index * recordSize),
                    record.data(), record.size());
        return {d, index};
    }
    const auto clash = findKey(record.data());
    if (clash.first != 0 && !(clash.first == d && clash.second == index))
        throw Error(Error::Kind::KeyViolation, dbPath, kKeyViolation);
    deleteRecord(d, index);
    return insertRecord(record);
}

} // namespace ravelda::engine
