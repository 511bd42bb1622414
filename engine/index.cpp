// Key comparison and navigation through the primary index (.PX).
#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/tablestate.h"

#include <cstring>

namespace ravelda::engine {

namespace {
int sign(int r) {
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
} // namespace

int Table::State::compareKey(const std::uint8_t* record, const KeyProbe& probe) const {
    if (probe.full && collation.byteOrder())
        return sign(std::memcmp(record, probe.key.data(), static_cast<std::size_t>(keySize)));
    for (int i = 0; i < keyFields; ++i) {
        const int len = probe.lengths[static_cast<std::size_t>(i)];
        if (len == 0) continue;
        const int off = offsets[static_cast<std::size_t>(i)];
        int r;
        if (fields[static_cast<std::size_t>(i)].type == FieldType::Alpha)
            r = collation.compare(record + off, probe.key.data() + off, len);
        else
            r = sign(
                std::memcmp(record + off, probe.key.data() + off, static_cast<std::size_t>(len)));
        if (r != 0) return r;
    }
    return 0;
}

int Table::State::compareRecords(const std::uint8_t* a, const std::uint8_t* b) const {
    if (collation.byteOrder()) return sign(std::memcmp(a, b, static_cast<std::size_t>(keySize)));
    for (int i = 0; i < keyFields; ++i) {
        const auto idx = static_cast<std::size_t>(i);
        const int off = offsets[idx];
        const int len = storedSize(fields[idx]);
        const int r = fields[idx].type == FieldType::Alpha
                          ? collation.compare(a + off, b + off, len)
                          : sign(std::memcmp(a + off, b + off, static_cast<std::size_t>(len)));
        if (r != 0) return r;
    }
    return 0;
}

KeyProbe Table::State::fullProbe(const std::uint8_t* record) const {
    KeyProbe p;
    p.key.assign(record, record + keySize);
    for (int i = 0; i < keyFields; ++i)
        p.lengths.push_back(storedSize(fields[static_cast<std::size_t>(i)]));
    p.full = true;
    return p;
}

unsigned Table::State::entryBlock(const std::uint8_t* e) const {
    return pxShort(e + keySize);
}
unsigned Table::State::entryCount(const std::uint8_t* e) const {
    return pxShort(e + keySize + 2);
}

std::uint64_t Table::State::maxRows(int height) const {
    std::uint64_t m = static_cast<std::uint64_t>(perBlock);
    for (int h = 1; h < height && m <= 0xFFFFFFFFull; ++h)
        m *= static_cast<std::uint64_t>(pxPerBlock);
    return m;
}

std::uint64_t Table::State::entryTrueCount(const std::uint8_t* e, int height) {
    // An entry of an index block at this height covers a subtree of height-1 levels below it;
    // its stored 16-bit count is exact only while such a subtree cannot hold 65536 rows.
    if (maxRows(height) <= 0xFFFF) return entryCount(e);
    return trueCount(entryBlock(e), height - 1);
}

std::uint64_t Table::State::trueCount(unsigned block, int height) {
    if (countCacheGeneration != generation || txn.active) {
        countCache.clear();
        countCacheGeneration = generation;
    }
    auto it = countCache.find(block);
    if (it != countCache.end()) return it->second;
    if (height < 1) throw Error(Error::Kind::Corrupt, pxPath, "index deeper than its level count");
    const BlockPtr b = pxBlock(block);
    const BlockHead h = indexHead(*b, block);
    std::uint64_t sum = 0;
    for (int i = 0; i < h.count; ++i)
        sum += entryTrueCount(entryAt(*b, i), height);
    if (!txn.active) countCache[block] = sum;
    return sum;
}

unsigned Table::State::findBlock(const KeyProbe& probe, bool strict, std::vector<IndexStep>* path) {
    if (path) path->clear();
    if (!indexUsable || pxh->indexLevels() == 0) {
        // No index to follow: walk the chain (tables without a usable .PX are read-only).
        unsigned n = dbh.firstBlock(), chosen = n, steps = 0;
        while (n) {
            const BlockPtr b = dbBlock(n);
            const BlockHead h = dataHead(*b, n);
            if (h.count > 0) {
                const int c = compareKey(recordAt(*b, recordSize, 0), probe);
                if (strict ? c >= 0 : c > 0) break;
                chosen = n;
            }
            n = h.next;
            if (++steps > dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, dbPath, "the block chain loops");
        }
        return chosen;
    }
    unsigned node = pxh->indexRoot();
    for (int height = static_cast<int>(pxh->indexLevels()); height >= 1; --height) {
        const BlockPtr b = pxBlock(node);
        const BlockHead h = indexHead(*b, node);
        if (h.count <= 0)
            throw Error(Error::Kind::Corrupt, pxPath,
                        "index block " + std::to_string(node) + " is empty");
        int lo = 0, hi = h.count - 1, found = 0;
        while (lo <= hi) {
            const int mid = (lo + hi) / 2;
            const int c = compareKey(entryAt(*b, mid), probe);
            if (strict ? c < 0 : c <= 0) {
                found = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        if (path) path->push_back(IndexStep{node, found});
        const unsigned child = entryBlock(entryAt(*b, found));
        if (height == 1) {
            if (child < 1 || child > dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, pxPath,
                            "index entry points to data block " + std::to_string(child) +
                                " outside the table");
            return child;
        }
        if (child < 1 || child > pxh->totalBlocks())
            throw Error(Error::Kind::Corrupt, pxPath,
                        "index entry points to index block " + std::to_string(child) +
                            " outside the index");
        node = child;
    }
    return 0;
}

std::uint64_t Table::State::rowsBefore(const std::vector<IndexStep>& path) {
    std::uint64_t sum = 0;
    int height = static_cast<int>(pxh->indexLevels());
    for (const IndexStep& step : path) {
        const BlockPtr b = pxBlock(step.block);
        for (int i = 0; i < step.entry; ++i)
            sum += entryTrueCount(entryAt(*b, i), height);
        --height;
    }
    return sum;
}

bool Table::State::seekOrdinalByChain(std::uint64_t n, unsigned& block, int& index) {
    unsigned b = dbh.firstBlock(), steps = 0;
    while (b) {
        const BlockPtr bytes = dbBlock(b);
        const BlockHead h = dataHead(*bytes, b);
        if (n < static_cast<std::uint64_t>(h.count)) {
            block = b;
            index = static_cast<int>(n);
            return true;
        }
        n -= static_cast<std::uint64_t>(h.count);
        b = h.next;
        if (++steps > dbh.totalBlocks())
            throw Error(Error::Kind::Corrupt, dbPath, "the block chain loops");
    }
    return false;
}

bool Table::State::seekOrdinal(std::uint64_t n, unsigned& block, int& index) {
    if (!indexUsable || pxh->indexLevels() == 0) return seekOrdinalByChain(n, block, index);
    unsigned node = pxh->indexRoot();
    for (int height = static_cast<int>(pxh->indexLevels()); height >= 1; --height) {
        const BlockPtr b = pxBlock(node);
        const BlockHead h = indexHead(*b, node);
        int chosen = -1;
        for (int i = 0; i < h.count; ++i) {
            const std::uint64_t c = entryTrueCount(entryAt(*b, i), height);
            if (n < c) {
                chosen = i;
                break;
            }
            n -= c;
        }
        if (chosen < 0) return false;
        const unsigned child = entryBlock(entryAt(*b, chosen));
        if (height == 1) {
            if (child < 1 || child > dbh.totalBlocks())
                throw Error(Error::Kind::Corrupt, pxPath, "index entry outside the table");
            const BlockHead dh = dataHead(*dbBlock(child), child);
            if (n >= static_cast<std::uint64_t>(dh.count))
                throw Error(Error::Kind::Corrupt, pxPath,
                            "index count of data block " + std::to_string(child) +
                                " does not match the block");
            block = child;
            index = static_cast<int>(n);
            return true;
        }
        if (child < 1 || child > pxh->totalBlocks())
            throw Error(Error::Kind::Corrupt, pxPath, "index entry outside the index");
        node = child;
    }
    return false;
}

} // namespace ravelda::engine
