#include "engine/check.h"

#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/tablestate.h"

#include <cstring>
#include <set>

namespace ravelda::engine {

namespace {

constexpr std::size_t kMaxProblems = 200;

struct Checker {
    Checker(Table::State& st, std::vector<CheckProblem>& o) : s(st), out(o) {}
    Table::State& s;
    std::vector<CheckProblem>& out;

    void problem(const std::filesystem::path& file, const std::string& what) {
        if (out.size() < kMaxProblems) out.push_back(CheckProblem{file, what});
    }

    struct DataBlock {
        unsigned n;
        int count;
        Bytes firstKey;
    };

    std::vector<DataBlock> chain;

    void checkData() {
        const Header& h = s.dbh;
        std::set<unsigned> seen;
        unsigned n = h.firstBlock(), prev = 0;
        std::uint64_t rows = 0;
        Bytes lastRecord;
        std::int64_t maxAutoInc = 0;
        int autoIncField = -1;
        for (std::size_t i = 0; i < s.fields.size(); ++i)
            if (s.fields[i].type == FieldType::AutoInc) autoIncField = static_cast<int>(i);
        while (n) {
            if (n > h.totalBlocks()) {
                problem(s.dbPath,
                        "block chain reaches block " + std::to_string(n) + " outside the file");
                break;
            }
            if (!seen.insert(n).second) {
                problem(s.dbPath, "block chain loops at block " + std::to_string(n));
                break;
            }
            const BlockPtr b = s.dbBlock(n);
            BlockHead bh;
            try {
                bh = s.dataHead(*b, n);
            } catch (const Error& e) {
                problem(s.dbPath, e.problem());
                break;
            }
            if (bh.prev != prev)
                problem(s.dbPath, "block " + std::to_string(n) + " links back to block " +
                                      std::to_string(bh.prev) + " instead of " +
                                      std::to_string(prev));
            if (bh.count == 0 && s.keyFields > 0)
                problem(s.dbPath, "block " + std::to_string(n) + " in the chain is empty");
            DataBlock db{n, bh.count, {}};
            for (int i = 0; i < bh.count; ++i) {
                const std::uint8_t* r = recordAt(*b, s.recordSize, i);
                if (i == 0) db.firstKey.assign(r, r + s.keySize);
                if (s.keyFields > 0 && !lastRecord.empty()) {
                    const int c = s.compareRecords(lastRecord.data(), r);
                    if (c == 0)
                        problem(s.dbPath, "duplicate key in block " + std::to_string(n) +
                                              " (record " + std::to_string(i + 1) + ")");
                    else if (c > 0)
                        problem(s.dbPath, "records out of key order in block " + std::to_string(n) +
                                              " (record " + std::to_string(i + 1) + ")");
                }
                lastRecord.assign(r, r + s.recordSize);
                for (std::size_t f = 0; f < s.fields.size(); ++f) {
                    if (!isBlobType(s.fields[f].type)) continue;
                    try {
                        s.decodeValue(static_cast<int>(f), r);
                    } catch (const Error& e) {
                        problem(e.file(), "row " + std::to_string(rows + 1) + ": " + e.problem());
                    }
                }
                if (autoIncField >= 0) {
                    const Value v = s.decodeValue(autoIncField, r);
                    if (!v.isNull() && v.asInteger() > maxAutoInc) maxAutoInc = v.asInteger();
                }
                ++rows;
            }
            chain.push_back(std::move(db));
            prev = n;
            n = bh.next;
        }
        if (prev != h.lastBlock())
            problem(s.dbPath, "header names block " + std::to_string(h.lastBlock()) +
                                  " as the last block, the chain ends at " + std::to_string(prev));
        if (rows != h.numRecords())
            problem(s.dbPath, "header counts " + std::to_string(h.numRecords()) +
                                  " records, the blocks hold " + std::to_string(rows));
        if (seen.size() != h.usedBlocks())
            problem(s.dbPath, "header counts " + std::to_string(h.usedBlocks()) +
                                  " blocks in use, the chain has " + std::to_string(seen.size()));
        std::set<unsigned> freeSeen;
        unsigned f = h.freeBlock();
        while (f) {
            if (f > h.totalBlocks() || seen.count(f) || !freeSeen.insert(f).second) {
                problem(s.dbPath, "free-block list is broken at block " + std::to_string(f));
                break;
            }
            const BlockPtr b = s.dbBlock(f);
            f = le16(b->data() + blk::Next);
        }
        if (seen.size() + freeSeen.size() != h.totalBlocks())
            problem(s.dbPath, std::to_string(h.totalBlocks() - seen.size() - freeSeen.size()) +
                                  " blocks are neither in use nor free");
        if (autoIncField >= 0 && maxAutoInc > static_cast<std::int64_t>(h.autoInc()))
            problem(s.dbPath, "autoincrement counter " + std::to_string(h.autoInc()) +
                                  " is below the stored value " + std::to_string(maxAutoInc));
    }

    // Walks the index tree; returns the first key and the (wrapped) row count of the subtree.
    std::vector<Bytes> leafKeys;
    std::vector<std::pair<unsigned, unsigned>> leafEntries; // data block, count
    std::set<unsigned> treeBlocks;
    std::uint64_t treeEntries = 0;

    bool walk(unsigned n, int height, Bytes& firstKey, unsigned& count) {
        if (n < 1 || n > s.pxh->totalBlocks() || !treeBlocks.insert(n).second) {
            problem(s.pxPath,
                    "index tree reaches block " + std::to_string(n) + " twice or outside the file");
            return false;
        }
        const BlockPtr b = s.pxBlock(n);
        BlockHead h;
        try {
            h = s.indexHead(*b, n);
        } catch (const Error& e) {
            problem(s.pxPath, e.problem());
            return false;
        }
        if (h.count < 1) {
            problem(s.pxPath, "index block " + std::to_string(n) + " is empty");
            return false;
        }
        treeEntries += static_cast<std::uint64_t>(h.count);
        unsigned sum = 0;
        for (int i = 0; i < h.count; ++i) {
            const std::uint8_t* e = s.entryAt(*b, i);
            if (i > 0 && s.compareRecords(s.entryAt(*b, i - 1), e) >= 0)
                problem(s.pxPath, "index block " + std::to_string(n) + " entries out of order");
            const unsigned child = s.entryBlock(e);
            const unsigned c = s.entryCount(e);
            if (height == 1) {
                leafKeys.emplace_back(e, e + s.keySize);
                leafEntries.emplace_back(child, c);
            } else {
                Bytes childKey;
                unsigned childCount = 0;
                if (!walk(child, height - 1, childKey, childCount)) return false;
                if (std::memcmp(childKey.data(), e, static_cast<std::size_t>(s.keySize)) != 0)
                    problem(s.pxPath, "index block " + std::to_string(n) +
                                          " holds a key that is not its child's first key");
                if ((childCount & 0xFFFF) != c)
                    problem(s.pxPath, "index block " + std::to_string(n) + " counts " +
                                          std::to_string(c) + " rows for block " +
                                          std::to_string(child) + ", which holds " +
                                          std::to_string(childCount & 0xFFFF));
            }
            sum += c;
        }
        firstKey.assign(s.entryAt(*b, 0), s.entryAt(*b, 0) + s.keySize);
        count = sum & 0xFFFF;
        return true;
    }

    void checkIndex() {
        if (s.keyFields == 0) return;
        if (!s.pxh) {
            problem(s.dbPath, "the primary index (.PX) is missing");
            return;
        }
        const Header& p = *s.pxh;
        if (p.indexLevels() == 0) {
            if (!chain.empty()) problem(s.pxPath, "the index is empty but the table has rows");
            if (p.numRecords() != 0) problem(s.pxPath, "an empty index counts entries");
            return;
        }
        Bytes key;
        unsigned count = 0;
        if (!walk(p.indexRoot(), static_cast<int>(p.indexLevels()), key, count)) return;
        if (treeEntries != p.numRecords())
            problem(s.pxPath, "header counts " + std::to_string(p.numRecords()) +
                                  " index entries, the tree holds " + std::to_string(treeEntries));
        if (leafEntries.size() != chain.size()) {
            problem(s.pxPath, "the index has " + std::to_string(leafEntries.size()) +
                                  " entries for data blocks, the table " +
                                  std::to_string(chain.size()) + " blocks");
        } else {
            for (std::size_t i = 0; i < chain.size(); ++i) {
                const auto& d = chain[i];
                const std::string at = "index entry " + std::to_string(i + 1);
                if (leafEntries[i].first != d.n)
                    problem(s.pxPath, at + " names block " + std::to_string(leafEntries[i].first) +
                                          ", the chain has block " + std::to_string(d.n));
                else if (leafEntries[i].second != static_cast<unsigned>(d.count))
                    problem(s.pxPath, at + " counts " + std::to_string(leafEntries[i].second) +
                                          " rows, block " + std::to_string(d.n) + " holds " +
                                          std::to_string(d.count));
                else if (d.count > 0 && leafKeys[i] != d.firstKey)
                    problem(s.pxPath,
                            at + " key is not the first key of block " + std::to_string(d.n));
            }
        }
        std::set<unsigned> chained;
        unsigned n = p.firstBlock(), prev = 0;
        while (n) {
            if (n > p.totalBlocks() || !chained.insert(n).second) {
                problem(s.pxPath, "index block chain is broken at block " + std::to_string(n));
                break;
            }
            const BlockPtr b = s.pxBlock(n);
            if (le16(b->data() + blk::Prev) != prev)
                problem(s.pxPath, "index block " + std::to_string(n) + " links back wrongly");
            prev = n;
            n = le16(b->data() + blk::Next);
        }
        for (unsigned t : treeBlocks)
            if (!chained.count(t))
                problem(s.pxPath, "index block " + std::to_string(t) + " is not in the chain");
        if (chained.size() != p.usedBlocks())
            problem(s.pxPath, "header counts " + std::to_string(p.usedBlocks()) +
                                  " index blocks in use, the chain has " +
                                  std::to_string(chained.size()));
    }

    void checkVal() {
        if (s.valPath.empty()) return;
        if (!s.checksError.empty()) {
            problem(s.valPath, s.checksError);
            return;
        }
        try {
            File v = File::open(s.valPath, false);
            std::uint8_t b0 = 0;
            if (v.readAt(0, &b0, 1) == 1 && b0 != s.dbh.u8(hdr::ChangeCount2))
                problem(s.valPath, "does not belong to the table's current state (change count " +
                                       std::to_string(b0) + ", the table says " +
                                       std::to_string(s.dbh.u8(hdr::ChangeCount2)) + ")");
        } catch (const Error& e) {
            problem(s.valPath, e.problem());
        }
    }
};

} // namespace

std::vector<CheckProblem> checkState(Table::State& s) {
    std::vector<CheckProblem> out;
    Checker c(s, out);
    try {
        c.checkData();
        c.checkIndex();
    } catch (const Error& e) {
        c.problem(e.file().empty() ? s.dbPath : e.file(), e.problem());
    }
    return out;
}

std::vector<CheckProblem> checkTable(const std::filesystem::path& dbPath, bool* rolledBack) {
    std::vector<CheckProblem> out;
    if (rolledBack) *rolledBack = false;
    try {
        auto table = Table::open(dbPath, OpenOptions{OpenMode::ReadOnly, 0});
        if (rolledBack) *rolledBack = table->recoveredInterruptedWrite();
        Table::State& s = table->state();
        s.lockShared();
        Checker c(s, out);
        try {
            c.checkData();
            c.checkIndex();
            c.checkVal();
        } catch (const Error& e) {
            c.problem(e.file().empty() ? dbPath : e.file(), e.problem());
        }
        s.unlockShared();
    } catch (const Error& e) {
        out.push_back({e.file().empty() ? dbPath : e.file(), e.problem()});
    } catch (const std::exception& e) {
        out.push_back({dbPath, e.what()});
    }
    return out;
}

} // namespace ravelda::engine
