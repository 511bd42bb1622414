#pragma once
// The engine's view of one open table: files, parsed headers, block caches, locks and the write
// transaction. Shared by Table, Cursor, the writer and the structural check.
#include "engine/codepage.h"
#include "engine/collation.h"
#include "engine/file.h"
#include "engine/header.h"
#include "engine/table.h"
#include "engine/tablefiles.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ravelda::engine {

using Bytes = std::vector<std::uint8_t>;
using BlockPtr = std::shared_ptr<const Bytes>;

// Lock bytes on the .DB, far beyond any real data (OFD locks are advisory).
inline constexpr std::uint64_t kOpenLockByte = 0x7FFFFFF0;
inline constexpr std::uint64_t kWriteLockByte = 0x7FFFFFF1;

// A direct-mapped cache of blocks of one file.
class BlockCache {
public:
    BlockCache() : slots_(1024) {}
    void resize(std::size_t slots) { slots_.assign(slots, Slot{}); }
    BlockPtr get(unsigned n) const {
        const Slot& s = slots_[n % slots_.size()];
        return s.n == n ? s.block : nullptr;
    }
    void put(unsigned n, BlockPtr b) { slots_[n % slots_.size()] = Slot{n, std::move(b)}; }
    void clear() { std::fill(slots_.begin(), slots_.end(), Slot{}); }

private:
    struct Slot {
        unsigned n = 0;
        BlockPtr block;
    };
    std::vector<Slot> slots_;
};

// Header of a data or index block.
struct BlockHead {
    unsigned next = 0, prev = 0;
    int count = 0; // records (or entries) in the block
};

// One step of a path from the index root down: the index block and the chosen entry.
struct IndexStep {
    unsigned block = 0;
    int entry = 0;
};

// A key to search for: key-record bytes plus, per key field, how many bytes take part
// (0 = the field is not compared; less than its size = a prefix match on Alpha).
struct KeyProbe {
    Bytes key;
    std::vector<int> lengths;
    bool full = false; // every key field compared over its whole width
};

// A 64-bit digest of a record's bytes: what a bookmark of an unkeyed row remembers of it.
inline std::uint64_t rowDigest(const std::uint8_t* p, std::size_t n) {
    std::uint64_t h = 0xCBF29CE484222325ull; // FNV-1a, then a final mix of the bits
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 0x100000001B3ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}

// Where a row of an unkeyed table is, followed through the writes of one table object.
struct RowTrace {
    unsigned block = 0; // 0: before every row (the table was emptied)
    int index = 0;
    std::uint64_t digest = 0; // of the row's bytes as that object last knew them
    // false: the row was deleted; block and index then name the place it had, just before the
    // row now there.
    bool live = true;
    // false: a write of someone else came between, so the place is only where to look for the
    // row by its digest (at that index or above, as deletes only move rows up).
    bool exact = true;
    std::uint64_t upTo = 0; // the log position the trace is valid for
};

// Unkeyed rows carry no identity, so each table object logs how its own writes moved rows
// (deletes shifting the rows after them up, emptied blocks freed or refilled) and changed them.
// A bookmark records its row's place and the log position; replaying the steps since then finds
// the row however its fields changed. Writes the object did not make (another program's or
// another table object's) show as a break: a bookmark from before one is looked for by its
// row's digest from its place upwards within its block.
struct RowLog {
    struct Step {
        enum Kind : std::uint8_t {
            Shift,    // row index deleted, the later rows of block moved up
            Freed,    // the block's only row deleted and the block unlinked (next, prev)
            Absorbed, // block 1's only row deleted, block next's rows moved into block 1
            Emptied,  // the table's last row deleted
            Updated,  // row index rewritten in place: digest before, after
            Break,    // the files changed by a write not logged here
        };
        Kind kind = Break;
        unsigned block = 0;
        int index = 0;
        unsigned next = 0, prev = 0;
        int prevCount = 0;           // Freed: rows of block prev
        std::uint64_t digest = 0;    // of the deleted row, or Updated: before
        std::uint64_t newDigest = 0; // Updated: after
    };
    static std::uint64_t newOwner() {
        static std::atomic<std::uint64_t> last{0};
        return ++last;
    }

    std::uint64_t owner = newOwner(); // tells this object's bookmarks from others'
    std::uint64_t base = 0;           // log position of steps.front()
    std::vector<Step> steps;
    std::vector<Step> staged; // of the write in progress; logged when it commits
    std::string signature;    // of the files as the last step left them
    bool inUse = false;       // a bookmark was given: steps from now on are kept
    // Replays already done, continued from where they stopped.
    struct TraceKey {
        std::uint64_t seq, digest;
        unsigned block;
        int index;
        bool operator==(const TraceKey&) const = default;
    };
    struct TraceKeyHash {
        std::size_t operator()(const TraceKey& k) const {
            return static_cast<std::size_t>(k.digest ^ (k.seq * 0x9E3779B97F4A7C15ull) ^
                                            (static_cast<std::uint64_t>(k.block) << 32) ^
                                            static_cast<std::uint64_t>(k.index));
        }
    };
    std::unordered_map<TraceKey, RowTrace, TraceKeyHash> traces;

    std::uint64_t position() const { return base + steps.size(); }
    // Brings the log up to the files as now read: a change it did not log is a break.
    void follow(const std::string& now) {
        if (now == signature) return;
        if (inUse && (steps.empty() || steps.back().kind != Step::Break)) push(Step{});
        signature = now;
    }
    void push(Step step) {
        // A bounded log: past this, older bookmarks are looked for by their rows' digests.
        if (steps.size() >= kMaxSteps) {
            base += steps.size();
            steps.clear();
            traces.clear();
            steps.push_back(Step{});
        }
        steps.push_back(step);
    }
    void beginWrite(const std::string& now) {
        follow(now);
        staged.clear();
    }
    void stage(const Step& step) {
        if (inUse) staged.push_back(step);
    }
    void committed(const std::string& now) {
        for (const Step& step : staged)
            push(step);
        staged.clear();
        signature = now;
    }
    static constexpr std::size_t kMaxSteps = std::size_t{1} << 16;
};

struct Table::State {
    // Files.
    std::filesystem::path dbPath, pxPath, mbPath, valPath, journalPath;
    File db, px, mb;
    bool writableFiles = false;
    OpenOptions options;

    // Structure.
    Header dbh;
    std::optional<Header> pxh;
    std::vector<FieldDef> fields;
    std::vector<int> offsets; // of each field in a record
    int recordSize = 0;
    int keyFields = 0;
    int keySize = 0; // bytes of the key prefix of a record
    int perBlock = 0;
    int pxEntrySize = 0;
    int pxPerBlock = 0;
    Collation collation;
    bool keyHasAlpha = false;
    std::unique_ptr<TextCodec> codec;
    int codePage = 1252;
    std::vector<FieldCheck> checks;
    std::string checksError; // why the .VAL could not be read ("" when fine)
    std::vector<std::filesystem::path> secondaryIndexes;
    bool canModify = false;
    std::string readOnlyReason;
    bool blobFileMissing = false; // blob fields but no .MB: their stored blobs read as Null
    bool indexUsable = false;     // keyed and the .PX can be used for navigation

    // Caches and change detection.
    BlockCache dbCache, pxCache;
    std::string signature;
    File::Stamp seenStamp;
    std::uint64_t generation = 1;
    bool exclusiveHeld = false;
    // A read operation (one cursor call) first checks that the files are unchanged since they
    // were last read (else re-reads them under the shared lock), so it sees every commit made
    // before it began; it takes the shared lock at its first disk read and keeps it, validated
    // once, until it ends.
    int readDepth = 0;
    bool readLocked = false;
    unsigned lastLoaded = 0; // last data block read from disk: read ahead when scans follow
    bool recovered = false;  // this object rolled back a journal left by a killed writer
    // The signature of the file state last verified as sound before a write ("" = never).
    std::string verifiedSignature;

    // Write transaction.
    struct Txn {
        bool active = false;
        std::map<unsigned, std::shared_ptr<Bytes>> db, px; // dirty blocks
        bool dbHeader = false, pxHeader = false;
        std::vector<std::pair<std::uint64_t, Bytes>> mbWrites;
        std::uint64_t mbSize = 0;
        bool truncateToHeader = false; // the table became empty: drop every block
    } txn;

    // How this object's writes moved the rows of an unkeyed table (for bookmarks).
    RowLog rowLog;

    // True row counts of index blocks whose stored counts may have wrapped.
    std::map<unsigned, std::uint64_t> countCache;
    std::uint64_t countCacheGeneration = 0;

    ~State();

    // --- storage.cpp ---------------------------------------------------------------------
    static std::unique_ptr<State> openFiles(const std::filesystem::path& path,
                                            const OpenOptions& options);
    static std::unique_ptr<State> openFilesOnce(const std::filesystem::path& path,
                                                const OpenOptions& options);
    bool filesUnchangedSince(const TableFiles& now) const;
    void loadOpened(); // under the shared lock: a hot journal rolled back, the headers read
    void loadStructure(bool initial);
    void readHeaders(Header& dbOut, std::optional<Header>& pxOut);
    std::string currentSignature() const;
    void rememberFileState(); // the signature and stamp of the files as now read
    // Cheap look at the files, without a lock: false when they are as last read.
    bool mayHaveChanged() const;
    // Takes the shared read lock, rolls back a hot journal and re-reads the headers when the
    // files changed; returns whether they had.
    bool revalidate();
    void lockShared();
    void unlockShared();
    void lockExclusive();
    void unlockExclusive();
    // Rolls back a journal left by a killed writer, under the exclusive lock (any opener where
    // the folder is writable); refuses with the reason where it is not.
    void rollbackIfHot(bool haveExclusive);
    std::vector<std::string> ownFileNames() const; // the files a journal may restore
    std::string whyNoRollback() const;             // "" when a rollback can write
    // The start of a read operation: re-validates the cache against the files (see readDepth).
    void beginRead();

    BlockPtr dbBlock(unsigned n);
    // Before a read from disk outside a write: the shared lock, and the files re-validated.
    // Returns whether the lock must be released after this one read.
    bool lockForRead();
    BlockPtr pxBlock(unsigned n);
    Bytes& dbBlockForWrite(unsigned n);
    Bytes& pxBlockForWrite(unsigned n);
    std::uint64_t dbBlockOffset(unsigned n) const {
        return static_cast<std::uint64_t>(dbh.headerSize) +
               static_cast<std::uint64_t>(n - 1) * static_cast<std::uint64_t>(dbh.blockSize);
    }
    std::uint64_t pxBlockOffset(unsigned n) const {
        return static_cast<std::uint64_t>(pxh->headerSize) +
               static_cast<std::uint64_t>(n - 1) * static_cast<std::uint64_t>(pxh->blockSize);
    }
    BlockHead dataHead(const Bytes& b, unsigned n) const;
    BlockHead indexHead(const Bytes& b, unsigned n) const;

    void begin(); // exclusive lock, rollback, re-read, verify: the start of every write
    // Refuses to write into a table whose structure is damaged: small tables are checked in
    // full (once per state of the files), larger ones where each write touches them.
    void verifyBeforeWrite();
    void verifyNeighbours(unsigned dataBlock);
    void commit(); // journal, write, sync
    void abort();  // drop the transaction and re-read from disk

    // --- index.cpp -----------------------------------------------------------------------
    int compareKey(const std::uint8_t* record, const KeyProbe& probe) const;
    int compareRecords(const std::uint8_t* a, const std::uint8_t* b) const;
    KeyProbe fullProbe(const std::uint8_t* record) const;
    // The data block where a key belongs (the last block whose first key is <= the key, for
    // strict=false; < the key for strict=true), with the path through the index.
    unsigned findBlock(const KeyProbe& probe, bool strict, std::vector<IndexStep>* path);
    std::uint64_t trueCount(unsigned pxBlock, int height);
    std::uint64_t rowsBefore(const std::vector<IndexStep>& path);
    // Data block and index in it of the n-th row (0-based) through the index counts.
    bool seekOrdinal(std::uint64_t n, unsigned& block, int& index);

    // Entry i of an index block, and its parts.
    const std::uint8_t* entryAt(const Bytes& b, int i) const {
        return b.data() + blk::Records +
               static_cast<std::size_t>(i) * static_cast<std::size_t>(pxEntrySize);
    }
    unsigned entryBlock(const std::uint8_t* e) const;
    unsigned entryCount(const std::uint8_t* e) const;
    std::uint64_t entryTrueCount(const std::uint8_t* e, int height);
    std::uint64_t maxRows(int height) const;
    // Walks the chain to find the n-th row without an index (unkeyed tables).
    bool seekOrdinalByChain(std::uint64_t n, unsigned& block, int& index);

    // --- write.cpp -----------------------------------------------------------------------
    // Each returns the data block and position of the row afterwards.
    std::pair<unsigned, int> insertRecord(const Bytes& record);
    // Stores the rows in one write, all or none; at tells how far it got (the row refused, or
    // rows.size() when the failure came with the commit).
    void insertRows(const std::vector<std::vector<Value>>& rows, std::size_t& at);
    void deleteRecord(unsigned block, int index);
    std::pair<unsigned, int> updateRecord(unsigned block, int index, const Bytes& record);
    // Finds a record with exactly this key: block and index, or block 0.
    std::pair<unsigned, int> findKey(const std::uint8_t* record);

    // --- blob.cpp ------------------------------------------------------------------------
    Value readBlob(const FieldDef& field, const std::uint8_t* p);
    void writeBlob(const FieldDef& field, const Value& value, std::uint8_t* out);

    // Record encoding/decoding (record.cpp).
    // old: the record being replaced, whose blobs are kept where the value is unchanged.
    Bytes encodeRecord(const std::vector<Value>& row, const std::uint8_t* old = nullptr);
    std::vector<Value> decodeRecord(const std::uint8_t* p);
    Value decodeValue(int field, const std::uint8_t* p);
};

// One write: begin() when it is made, and abort() when it goes without commit() having
// succeeded (commit() aborts by itself when it fails). Every write of the engine runs in one.
class WriteTransaction {
public:
    explicit WriteTransaction(Table::State& s) : s_(s) {
        s_.begin();
        s_.rowLog.beginWrite(s_.signature);
    }
    ~WriteTransaction() {
        if (!s_.txn.active) return;
        s_.rowLog.staged.clear();
        try {
            s_.abort();
        } catch (...) {
            // Re-reading the headers failed; the lock is released and the error that ended the
            // write is the one to report.
        }
    }
    void commit() {
        try {
            s_.commit();
        } catch (...) {
            s_.rowLog.staged.clear();
            throw;
        }
        // Only a committed write's moves are logged.
        s_.rowLog.committed(s_.signature);
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

private:
    Table::State& s_;
};

// Marks one read operation (see readDepth).
class ReadOperation {
public:
    explicit ReadOperation(Table::State& s) : s_(s) {
        if (s_.readDepth == 0 && !s_.txn.active) s_.beginRead();
        ++s_.readDepth;
    }
    ~ReadOperation() {
        if (--s_.readDepth == 0 && s_.readLocked) {
            s_.readLocked = false;
            s_.unlockShared();
        }
    }
    ReadOperation(const ReadOperation&) = delete;
    ReadOperation& operator=(const ReadOperation&) = delete;

private:
    Table::State& s_;
};

// The structural check of an open table's current files (check.cpp).
std::vector<struct CheckProblem> checkState(Table::State& s);

// The record bytes at index i of a data block.
inline const std::uint8_t* recordAt(const Bytes& block, int recordSize, int i) {
    return block.data() + blk::Records +
           static_cast<std::size_t>(i) * static_cast<std::size_t>(recordSize);
}

} // namespace ravelda::engine
