// Files, locks, change detection, block access and the write transaction of an open table.
#include "engine/bytes.h"
#include "engine/check.h"
#include "engine/durability.h"
#include "engine/error.h"
#include "engine/journal.h"
#include "engine/scopeguard.h"
#include "engine/tablefiles.h"
#include "engine/tablestate.h"
#include "engine/valfile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace ravelda::engine {

namespace {

constexpr auto kLockTimeout = std::chrono::seconds(20);
// Seconds within which a file's modification time may not have moved past an earlier write.
constexpr std::int64_t kCoarseTimeSteps = 2;

bool hasWriteBits(const std::filesystem::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return false;
    if ((st.st_mode & 0222) == 0) return false;
    return ::access(p.c_str(), W_OK) == 0;
}

template <typename TryFn>
void pollLock(TryFn tryFn, const std::filesystem::path& file, const char* what) {
    const auto deadline = std::chrono::steady_clock::now() + kLockTimeout;
    auto pause = std::chrono::microseconds(200);
    while (!tryFn()) {
        if (std::chrono::steady_clock::now() > deadline)
            throw Error(Error::Kind::Locked, file, what);
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20000));
    }
}

Bytes readHeaderBytes(const File& f) {
    Bytes fixed(hdr::FixedSize);
    const std::size_t got = f.readAt(0, fixed.data(), fixed.size());
    fixed.resize(got);
    const int size = headerSizeOf(fixed, f.path());
    Bytes raw(static_cast<std::size_t>(size));
    if (f.readAt(0, raw.data(), raw.size()) != raw.size())
        throw Error(Error::Kind::Corrupt, f.path(),
                    "file ends inside its header (" + std::to_string(size) + " bytes)");
    return raw;
}

} // namespace

Table::State::~State() {
    if (db.isOpen()) {
        db.unlock(kOpenLockByte);
    }
}

namespace {
// Whether a descriptor still reads the file that its path names now.
bool stillAt(const File& f, const std::filesystem::path& p) {
    struct stat open {
    }, named{};
    return ::fstat(f.fd(), &open) == 0 && ::stat(p.c_str(), &named) == 0 &&
           open.st_ino == named.st_ino && open.st_dev == named.st_dev;
}
} // namespace

bool Table::State::filesUnchangedSince(const TableFiles& now) const {
    return now.px == pxPath && now.mb == mbPath && now.val == valPath &&
           now.secondaryIndexes == secondaryIndexes && stillAt(db, dbPath) &&
           (!px.isOpen() || stillAt(px, pxPath)) && (!mb.isOpen() || stillAt(mb, mbPath));
}

std::unique_ptr<Table::State> Table::State::openFiles(const std::filesystem::path& path,
                                                      const OpenOptions& options) {
    // A table replaced between listing its files and taking the open lock (a replacement holds
    // that lock while it works) is opened again, so nothing reads through removed files.
    for (int attempt = 0;; ++attempt) {
        auto s = openFilesOnce(path, options);
        if (s->filesUnchangedSince(findTableFiles(path))) {
            s->loadOpened();
            return s;
        }
        if (attempt == 3)
            throw Error(Error::Kind::Locked, path, "the table keeps being replaced while opening");
    }
}

std::unique_ptr<Table::State> Table::State::openFilesOnce(const std::filesystem::path& path,
                                                          const OpenOptions& options) {
    auto s = std::make_unique<State>();
    s->options = options;
    s->dbPath = path;
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory)
        throw Error(Error::Kind::Io, path, "cannot reach the table: " + ec.message());
    if (!std::filesystem::is_regular_file(st))
        throw Error(Error::Kind::NotFound, path, "table not found");
    const TableFiles files = findTableFiles(path);
    s->pxPath = files.px;
    s->mbPath = files.mb;
    s->valPath = files.val;
    s->secondaryIndexes = files.secondaryIndexes;
    s->journalPath = files.journal;
    const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");

    std::string reason;
    if (options.mode == OpenMode::ReadOnly)
        reason = "the table was opened read-only";
    else if (!hasWriteBits(path))
        reason = "the file " + path.string() + " is read-only";
    else if (!hasWriteBits(dir))
        reason = "the folder " + dir.string() + " is read-only";
    else if (!s->pxPath.empty() && !hasWriteBits(s->pxPath))
        reason = "the file " + s->pxPath.string() + " is read-only";
    else if (!s->mbPath.empty() && !hasWriteBits(s->mbPath))
        reason = "the file " + s->mbPath.string() + " is read-only";
    s->writableFiles = reason.empty();
    if (s->writableFiles) {
        try {
            s->db = File::open(path, true);
        } catch (const Error& e) {
            if (e.kind() != Error::Kind::ReadOnly) throw;
            s->writableFiles = false;
            reason = "the file " + path.string() + " is read-only";
        }
    }
    if (!s->db.isOpen()) s->db = File::open(path, false);
    if (!s->pxPath.empty()) s->px = File::open(s->pxPath, s->writableFiles);
    if (!s->mbPath.empty()) s->mb = File::open(s->mbPath, s->writableFiles);
    s->readOnlyReason = reason;

    if (options.mode == OpenMode::Exclusive) {
        if (!s->writableFiles)
            throw Error(Error::Kind::ReadOnly, path,
                        "cannot open exclusively: " + s->readOnlyReason);
        if (!s->db.tryLock(kOpenLockByte, true))
            throw Error(Error::Kind::Locked, path, "the table is in use by another process");
        s->exclusiveHeld = true;
    } else if (!s->db.tryLock(kOpenLockByte, false)) {
        throw Error(Error::Kind::Locked, path, "the table is open exclusively by another process");
    }
    return s;
}

void Table::State::loadOpened() {
    lockShared();
    const ScopeGuard unlock([this] { unlockShared(); });
    rollbackIfHot(false);
    loadStructure(true);
}

void Table::State::readHeaders(Header& dbOut, std::optional<Header>& pxOut) {
    dbOut = parseHeader(readHeaderBytes(db), dbPath, false, db.size());
    pxOut.reset();
    if (px.isOpen() && dbOut.kind == FileKind::Keyed) {
        Header p = parseHeader(readHeaderBytes(px), pxPath, true, px.size());
        if (p.numFields != dbOut.keyFields)
            throw Error(Error::Kind::Corrupt, pxPath,
                        "index has " + std::to_string(p.numFields) + " key fields, the table " +
                            std::to_string(dbOut.keyFields));
        for (int i = 0; i < p.numFields; ++i) {
            const auto& a = p.fields[static_cast<std::size_t>(i)];
            const auto& b = dbOut.fields[static_cast<std::size_t>(i)];
            if (a.type != b.type || a.size != b.size)
                throw Error(Error::Kind::Corrupt, pxPath,
                            "key field " + std::to_string(i + 1) +
                                " does not match the table's field");
        }
        if (p.indexLevels() > 16)
            throw Error(Error::Kind::Corrupt, pxPath,
                        "index claims " + std::to_string(p.indexLevels()) + " levels");
        if (p.indexLevels() > 0 && (p.indexRoot() < 1 || p.indexRoot() > p.totalBlocks()))
            throw Error(Error::Kind::Corrupt, pxPath, "index root block is outside the file");
        pxOut = std::move(p);
    }
}

void Table::State::loadStructure(bool initial) {
    Header d;
    std::optional<Header> p;
    readHeaders(d, p);
    if (!initial) {
        bool same = d.fields.size() == fields.size() && d.keyFields == keyFields;
        for (std::size_t i = 0; same && i < fields.size(); ++i)
            same = d.fields[i] == fields[i];
        if (!same)
            throw Error(Error::Kind::Corrupt, dbPath,
                        "the table's structure changed while it was open; reopen it");
    }
    dbh = std::move(d);
    pxh = std::move(p);
    if (initial) {
        fields = dbh.fields;
        recordSize = dbh.recordSize;
        keyFields = dbh.kind == FileKind::Keyed ? dbh.keyFields : 0;
        int off = 0;
        for (const auto& f : fields) {
            offsets.push_back(off);
            off += storedSize(f);
        }
        keySize = keyFields > 0 ? offsets[static_cast<std::size_t>(keyFields - 1)] +
                                      storedSize(fields[static_cast<std::size_t>(keyFields - 1)])
                                : 0;
        perBlock = (dbh.blockSize - 6) / recordSize;
        for (int i = 0; i < keyFields; ++i)
            if (fields[static_cast<std::size_t>(i)].type == FieldType::Alpha) keyHasAlpha = true;
        // Tables from before code pages were recorded come from DOS.
        codePage = options.codePage
                       ? options.codePage
                       : (dbh.codePage ? dbh.codePage : (dbh.version < 5 ? 437 : 1252));
        try {
            codec = std::make_unique<TextCodec>(codePage);
        } catch (const Error&) {
            throw Error(Error::Kind::Unsupported, dbPath,
                        "code page " + std::to_string(codePage) + " is not supported");
        }
        // Without an Alpha key field every order is byte order; the code page still decides
        // case folding for case-insensitive locates.
        collation = Collation::forSortOrder(keyHasAlpha ? dbh.sortOrderName : "ascii",
                                            keyHasAlpha ? dbh.sortOrderCode : 0, codePage);
        if (!valPath.empty()) {
            try {
                File v = File::open(valPath, false);
                Bytes bytes(static_cast<std::size_t>(std::min<std::uint64_t>(v.size(), 1u << 20)));
                v.readExact(0, bytes.data(), bytes.size());
                checks = parseValFile(bytes, fields, valPath);
            } catch (const Error& e) {
                checksError = e.what();
                checks.clear();
            }
        }
        blobFileMissing =
            !mb.isOpen() && std::any_of(fields.begin(), fields.end(),
                                        [](const FieldDef& f) { return isBlobType(f.type); });
        if (readOnlyReason.empty()) {
            if (blobFileMissing)
                readOnlyReason = "the blob file (.MB) of " + dbPath.string() +
                                 " is missing: blob fields stored in it read as empty";
            else if (keyFields > 0 && !px.isOpen())
                readOnlyReason = "the primary index (.PX) of " + dbPath.string() + " is missing";
            else if (!secondaryIndexes.empty())
                readOnlyReason = "the table has secondary indexes (" +
                                 secondaryIndexes.front().filename().string() +
                                 "…), which this engine does not maintain";
            else if (!collation.supported())
                readOnlyReason = "the sort order \"" + collation.name() +
                                 "\" of the key is not supported for writing";
            else if (dbh.u8(0x14) != 0 || dbh.u8(0x2A) != 0)
                readOnlyReason = "the table is marked as needing a rebuild";
        }
        canModify = readOnlyReason.empty();
    }
    indexUsable = keyFields > 0 && pxh.has_value();
    if (pxh) {
        pxEntrySize = pxh->recordSize;
        pxPerBlock = (pxh->blockSize - 6) / pxEntrySize;
        if (pxPerBlock < 2)
            throw Error(Error::Kind::Corrupt, pxPath, "index blocks cannot hold two entries");
        if (pxEntrySize != keySize + 6)
            throw Error(Error::Kind::Corrupt, pxPath, "index entry size does not match the key");
    }
    // About 8 MiB of blocks per file, whatever the block size.
    dbCache.resize(
        std::clamp<std::size_t>((8u << 20) / static_cast<std::size_t>(dbh.blockSize), 64, 4096));
    if (pxh)
        pxCache.resize(std::clamp<std::size_t>(
            (8u << 20) / static_cast<std::size_t>(pxh->blockSize), 64, 4096));
    rememberFileState();
    ++generation;
}

std::string Table::State::currentSignature() const {
    Bytes fixed(hdr::FixedSize);
    const std::size_t n = db.readAt(0, fixed.data(), fixed.size());
    std::string s(reinterpret_cast<const char*>(fixed.data()), n);
    s += db.stamp(); // the .PX changes only together with the .DB
    return s;
}

void Table::State::rememberFileState() {
    signature = currentSignature();
    seenStamp = db.statStamp();
}

bool Table::State::mayHaveChanged() const {
    // One stat tells of any write by anyone (the host's engine too, which may leave the header
    // alone): its size or modification time moves. The time moves in coarse steps, though, so a
    // second write within the step of the last one seen leaves it as it was; while that step
    // may still be the current one, the header is read as well (every write of ours raises its
    // change count first).
    const File::Stamp now = db.statStamp();
    if (!(now == seenStamp)) return true;
    timespec clock{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &clock); // no system call: read from the vDSO
    const std::int64_t age = static_cast<std::int64_t>(clock.tv_sec) - now.seconds;
    if (age >= 0 && age > kCoarseTimeSteps) return false;
    return currentSignature() != signature;
}

void Table::State::lockShared() {
    pollLock([&] { return db.tryLock(kWriteLockByte, false); }, dbPath,
             "the table is being written by another process (timed out waiting)");
}

void Table::State::unlockShared() {
    db.unlock(kWriteLockByte);
}

void Table::State::lockExclusive() {
    pollLock([&] { return db.tryLock(kWriteLockByte, true); }, dbPath,
             "the table is locked by another process (timed out waiting)");
}

void Table::State::unlockExclusive() {
    db.unlock(kWriteLockByte);
}

std::vector<std::string> Table::State::ownFileNames() const {
    std::vector<std::string> names{dbPath.filename().string()};
    if (!pxPath.empty()) names.push_back(pxPath.filename().string());
    if (!mbPath.empty()) names.push_back(mbPath.filename().string());
    return names;
}

std::string Table::State::whyNoRollback() const {
    const auto dir =
        journalPath.parent_path().empty() ? std::filesystem::path(".") : journalPath.parent_path();
    if (!hasWriteBits(dir)) return "the folder " + dir.string() + " is read-only";
    for (const auto* p : {&dbPath, &pxPath, &mbPath})
        if (!p->empty() && !hasWriteBits(*p)) return "the file " + p->string() + " is read-only";
    return {};
}

void Table::State::rollbackIfHot(bool haveExclusive) {
    std::error_code ec;
    if (!std::filesystem::exists(journalPath, ec)) return;
    const std::string blocked = whyNoRollback();
    if (!blocked.empty())
        throw Error(Error::Kind::ReadOnly, dbPath,
                    "an interrupted write left " + journalPath.filename().string() +
                        " to be rolled back, which needs write access, but " + blocked);
    // Any opener recovers, also a reader whose own descriptor is read-only: the exclusive lock
    // is then taken through a writable descriptor of its own, which conflicts with our shared
    // lock like anyone else's, so that one is released first.
    File writable;
    File* locker = &db;
    if (!haveExclusive) {
        unlockShared();
        if (!db.writable()) {
            writable = File::open(dbPath, true);
            locker = &writable;
        }
        pollLock([&] { return locker->tryLock(kWriteLockByte, true); }, dbPath,
                 "the table is locked by another process (timed out waiting)");
    }
    auto relock = [&] {
        if (haveExclusive) return;
        locker->unlock(kWriteLockByte);
        lockShared();
    };
    try {
        // Invariant: a journal only ever restores the files of its own table.
        if (std::filesystem::exists(journalPath, ec) &&
            rollBackJournal(journalPath, dbPath.filename().string(), ownFileNames()))
            recovered = true;
    } catch (...) {
        relock();
        throw;
    }
    relock();
    dbCache.clear();
    pxCache.clear();
}

bool Table::State::revalidate() {
    // Any write, finished or not, changes the stamp or (ours, first of all) the header.
    if (!mayHaveChanged()) return false;
    rollbackIfHot(txn.active);
    loadStructure(false);
    return true;
}

void Table::State::beginRead() {
    // Invariant: every write changes the file's stamp, and every write of ours the header (its
    // change count) before any other byte, so files that look unchanged leave the cache holding
    // every commit; the look costs one stat and needs no lock.
    if (!mayHaveChanged()) return;
    lockShared();
    ScopeGuard unlock([this] { unlockShared(); });
    revalidate();
    unlock.dismiss(); // held until the read operation ends
    readLocked = true;
}

namespace {
BlockPtr loadBlock(const File& f, std::uint64_t offset, int size) {
    auto b = std::make_shared<Bytes>(static_cast<std::size_t>(size), 0);
    f.readAt(offset, b->data(), b->size()); // a short last block reads as zeros after EOF
    return b;
}

// Releases a per-read lock taken outside a read operation.
struct ReadRelease {
    Table::State& s;
    bool release;
    ~ReadRelease() {
        if (release) s.unlockShared();
    }
};

constexpr unsigned kReadAhead = 16; // blocks read at once: chains mostly run in file order
} // namespace

bool Table::State::lockForRead() {
    if (txn.active) return false;
    if (readDepth > 0) {
        if (!readLocked) {
            lockShared();
            ScopeGuard unlock([this] { unlockShared(); });
            revalidate();
            unlock.dismiss(); // held until the read operation ends
            readLocked = true;
        }
        return false;
    }
    lockShared();
    ScopeGuard unlock([this] { unlockShared(); });
    revalidate();
    unlock.dismiss(); // the caller releases it after this one read
    return true;
}

BlockPtr Table::State::dbBlock(unsigned n) {
    if (txn.active) {
        auto it = txn.db.find(n);
        if (it != txn.db.end()) return it->second;
    }
    if (auto b = dbCache.get(n)) return b;
    ReadRelease release{*this, lockForRead()};
    if (auto b = dbCache.get(n)) // still valid after the files were re-validated
        return b;
    if (n < 1 || n > dbh.totalBlocks())
        throw Error(Error::Kind::Corrupt, dbPath,
                    "block " + std::to_string(n) + " is outside the table (" +
                        std::to_string(dbh.totalBlocks()) + " blocks)");
    if (txn.active) {
        auto b = loadBlock(db, dbBlockOffset(n), dbh.blockSize);
        dbCache.put(n, b);
        return b;
    }
    const bool sequential = lastLoaded != 0 && n == lastLoaded + 1;
    const unsigned count = sequential ? std::min(kReadAhead, dbh.totalBlocks() - n + 1) : 1;
    lastLoaded = n + count - 1;
    const std::size_t bs = static_cast<std::size_t>(dbh.blockSize);
    Bytes run(bs * count, 0);
    db.readAt(dbBlockOffset(n), run.data(), run.size());
    BlockPtr first;
    for (unsigned i = 0; i < count; ++i) {
        auto b = std::make_shared<Bytes>(run.begin() + static_cast<std::ptrdiff_t>(i * bs),
                                         run.begin() + static_cast<std::ptrdiff_t>((i + 1) * bs));
        if (i == 0) first = b;
        dbCache.put(n + i, std::move(b));
    }
    return first;
}

BlockPtr Table::State::pxBlock(unsigned n) {
    if (txn.active) {
        auto it = txn.px.find(n);
        if (it != txn.px.end()) return it->second;
    }
    if (auto b = pxCache.get(n)) return b;
    ReadRelease release{*this, lockForRead()};
    if (auto b = pxCache.get(n)) return b;
    if (!pxh || n < 1 || n > pxh->totalBlocks())
        throw Error(Error::Kind::Corrupt, pxPath,
                    "index block " + std::to_string(n) + " is outside the index");
    auto b = loadBlock(px, pxBlockOffset(n), pxh->blockSize);
    pxCache.put(n, b);
    return b;
}

Bytes& Table::State::dbBlockForWrite(unsigned n) {
    auto it = txn.db.find(n);
    if (it != txn.db.end()) return *it->second;
    std::shared_ptr<Bytes> copy;
    if (n <= dbh.totalBlocks() && dbCache.get(n))
        copy = std::make_shared<Bytes>(*dbCache.get(n));
    else if (n <= dbh.totalBlocks())
        copy = std::make_shared<Bytes>(*loadBlock(db, dbBlockOffset(n), dbh.blockSize));
    else
        copy = std::make_shared<Bytes>(static_cast<std::size_t>(dbh.blockSize), 0);
    return *(txn.db[n] = copy);
}

Bytes& Table::State::pxBlockForWrite(unsigned n) {
    auto it = txn.px.find(n);
    if (it != txn.px.end()) return *it->second;
    std::shared_ptr<Bytes> copy;
    if (n <= pxh->totalBlocks() && pxCache.get(n))
        copy = std::make_shared<Bytes>(*pxCache.get(n));
    else if (n <= pxh->totalBlocks())
        copy = std::make_shared<Bytes>(*loadBlock(px, pxBlockOffset(n), pxh->blockSize));
    else
        copy = std::make_shared<Bytes>(static_cast<std::size_t>(pxh->blockSize), 0);
    return *(txn.px[n] = copy);
}

BlockHead Table::State::dataHead(const Bytes& b, unsigned n) const {
    BlockHead h;
    h.next = le16(b.data() + blk::Next);
    h.prev = le16(b.data() + blk::Prev);
    const int add = static_cast<std::int16_t>(le16(b.data() + blk::AddDataSize));
    if (add < -recordSize || add % recordSize != 0 || add / recordSize + 1 > perBlock)
        throw Error(Error::Kind::Corrupt, dbPath,
                    "block " + std::to_string(n) + " has an invalid record count (" +
                        std::to_string(add) + ")");
    h.count = add / recordSize + 1;
    if (h.next > dbh.totalBlocks() || h.prev > dbh.totalBlocks())
        throw Error(Error::Kind::Corrupt, dbPath,
                    "block " + std::to_string(n) + " links to a block outside the table");
    return h;
}

BlockHead Table::State::indexHead(const Bytes& b, unsigned n) const {
    BlockHead h;
    h.next = le16(b.data() + blk::Next);
    h.prev = le16(b.data() + blk::Prev);
    const int add = static_cast<std::int16_t>(le16(b.data() + blk::AddDataSize));
    if (add < -pxEntrySize || add % pxEntrySize != 0 || add / pxEntrySize + 1 > pxPerBlock)
        throw Error(Error::Kind::Corrupt, pxPath,
                    "index block " + std::to_string(n) + " has an invalid entry count");
    h.count = add / pxEntrySize + 1;
    return h;
}

void Table::State::begin() {
    if (!canModify) throw Error(Error::Kind::ReadOnly, dbPath, "cannot modify: " + readOnlyReason);
    lockExclusive();
    ScopeGuard undo([this] {
        txn = Txn{};
        unlockExclusive();
    });
    rollbackIfHot(true);
    if (currentSignature() != signature) loadStructure(false);
    txn = Txn{};
    txn.active = true;
    txn.mbSize = mb.isOpen() ? mb.size() : 0;
    verifyBeforeWrite();
    undo.dismiss();
}

void Table::State::verifyBeforeWrite() {
    if (verifiedSignature == signature || dbh.totalBlocks() > kFullCheckBeforeWriteBlocks ||
        (pxh && pxh->totalBlocks() > kFullCheckBeforeWriteBlocks))
        return;
    const auto found = checkState(*this);
    if (!found.empty())
        throw Error(Error::Kind::Corrupt, found.front().file,
                    "refusing to write into a damaged table: " + found.front().message);
    verifiedSignature = signature;
}

void Table::State::verifyNeighbours(unsigned d) {
    const BlockHead h = dataHead(*dbBlock(d), d);
    auto broken = [&](const std::string& what) {
        throw Error(Error::Kind::Corrupt, dbPath,
                    "refusing to write into a damaged table: block " + std::to_string(d) + " " +
                        what);
    };
    if (h.prev == 0 ? dbh.firstBlock() != d : dataHead(*dbBlock(h.prev), h.prev).next != d)
        broken("and the block before it do not link to each other");
    if (h.next == 0 ? dbh.lastBlock() != d : dataHead(*dbBlock(h.next), h.next).prev != d)
        broken("and the block after it do not link to each other");
}

void Table::State::abort() {
    txn = Txn{};
    const ScopeGuard unlock([this] { unlockExclusive(); });
    loadStructure(false);
}

void Table::State::commit() {
    struct Write {
        File* file;
        int fileIndex;
        std::uint64_t offset;
        const Bytes* data;
    };
    // Counters that tell other readers (and the host application) that the table changed.
    dbh.setU8(hdr::ChangeCount1, dbh.u8(hdr::ChangeCount1) + 1);
    txn.dbHeader = true;
    if (pxh && (txn.pxHeader || !txn.px.empty())) {
        pxh->setU8(hdr::PxChange, pxh->u8(hdr::PxChange) + 1);
        txn.pxHeader = true;
    }
    std::vector<Write> writes;
    Journal j;
    auto fileIndex = [&](File& f) {
        const std::string name = f.path().filename().string();
        for (std::size_t i = 0; i < j.files.size(); ++i)
            if (j.files[i].name == name) return static_cast<int>(i);
        j.files.push_back(JournalFile{name, f.size()});
        return static_cast<int>(j.files.size() - 1);
    };
    const int dbIdx = fileIndex(db);
    writes.push_back({&db, dbIdx, 0, &dbh.raw});
    for (auto& [n, b] : txn.db)
        writes.push_back({&db, dbIdx, dbBlockOffset(n), b.get()});
    if (pxh && txn.pxHeader) {
        const int pxIdx = fileIndex(px);
        writes.push_back({&px, pxIdx, 0, &pxh->raw});
        for (auto& [n, b] : txn.px)
            writes.push_back({&px, pxIdx, pxBlockOffset(n), b.get()});
    }
    if (!txn.mbWrites.empty()) {
        const int mbIdx = fileIndex(mb);
        for (auto& [off, b] : txn.mbWrites)
            writes.push_back({&mb, mbIdx, off, &b});
    }
    if (txn.truncateToHeader) {
        // The table emptied: every block goes; keep what is cut off so it can come back.
        auto keepTail = [&](File& f, std::uint64_t headerSize) {
            const int idx = fileIndex(f);
            const std::uint64_t orig = j.files[static_cast<std::size_t>(idx)].originalSize;
            if (orig <= headerSize) return;
            JournalEntry e;
            e.file = idx;
            e.offset = headerSize;
            e.old.resize(static_cast<std::size_t>(orig - headerSize));
            f.readExact(headerSize, e.old.data(), e.old.size());
            j.entries.push_back(std::move(e));
        };
        keepTail(db, static_cast<std::uint64_t>(dbh.headerSize));
        if (pxh) keepTail(px, static_cast<std::uint64_t>(pxh->headerSize));
    }
    for (const Write& w : writes) {
        const std::uint64_t orig = j.files[static_cast<std::size_t>(w.fileIndex)].originalSize;
        if (w.offset >= orig) continue;
        const std::size_t len =
            static_cast<std::size_t>(std::min<std::uint64_t>(w.data->size(), orig - w.offset));
        JournalEntry e;
        e.file = w.fileIndex;
        e.offset = w.offset;
        e.old.resize(len);
        w.file->readExact(w.offset, e.old.data(), len);
        j.entries.push_back(std::move(e));
    }
    try {
        writeJournal(journalPath, j);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(journalPath, ec);
        abort();
        throw;
    }
    try {
        if (txn.truncateToHeader) {
            // First: blocks written by the same write (a key change of the last row) follow.
            db.truncate(static_cast<std::uint64_t>(dbh.headerSize));
            if (pxh) px.truncate(static_cast<std::uint64_t>(pxh->headerSize));
            dbCache.clear();
            pxCache.clear();
        }
        const WriteStageHook hook = writeStageHook();
        if (hook) hook("journaled");
        for (std::size_t i = 0; i < writes.size(); ++i) {
            const Write& w = writes[i];
            w.file->writeAt(w.offset, w.data->data(), w.data->size());
            if (hook && i == writes.size() / 2) hook("partly-written");
        }
        db.sync();
        if (pxh && txn.pxHeader) px.sync();
        if (!txn.mbWrites.empty()) mb.sync();
        retireJournal(journalPath);
    } catch (...) {
        try {
            rollBackJournal(journalPath, dbPath.filename().string(), ownFileNames());
        } catch (...) {
            // The journal stays; the next opener rolls it back.
        }
        abort();
        throw;
    }
    for (auto& [n, b] : txn.db)
        dbCache.put(n, b);
    for (auto& [n, b] : txn.px)
        pxCache.put(n, b);
    txn = Txn{};
    const bool wasVerified = verifiedSignature == signature;
    rememberFileState();
    // What this write produced is as sound as what it started from.
    if (wasVerified) verifiedSignature = signature;
    ++generation;
    unlockExclusive();
}

} // namespace ravelda::engine
