#include "engine/journal.h"

#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/file.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace ravelda::engine {

namespace {

// Version 2 names its table after the magic; version 1 journals (without it) are still read.
constexpr char kMagic[8] = {'R', 'A', 'V', 'J', 'R', 'N', 'L', '2'};
constexpr char kMagicV1[8] = {'R', 'A', 'V', 'J', 'R', 'N', 'L', '1'};

// A checksum over the journal, eight bytes at a time (FNV-1a over 64-bit words).
std::uint64_t fnv1a(const std::uint8_t* p, std::size_t n) {
    std::uint64_t h = 1469598103934665603ull;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h ^= w;
        h *= 1099511628211ull;
    }
    for (; i < n; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

void put64(std::vector<std::uint8_t>& b, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint64_t get64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

} // namespace

std::vector<std::uint8_t> serializeJournal(const Journal& j) {
    std::size_t size = 8 + 4 + j.table.size() + 4 + 4 + 8;
    for (const auto& f : j.files)
        size += 12 + f.name.size();
    for (const auto& e : j.entries)
        size += 16 + e.old.size();
    std::vector<std::uint8_t> b;
    b.reserve(size);
    b.resize(8);
    std::memcpy(b.data(), kMagic, 8);
    put32(b, static_cast<std::uint32_t>(j.table.size()));
    b.insert(b.end(), j.table.begin(), j.table.end());
    put32(b, static_cast<std::uint32_t>(j.files.size()));
    for (const auto& f : j.files) {
        put32(b, static_cast<std::uint32_t>(f.name.size()));
        b.insert(b.end(), f.name.begin(), f.name.end());
        put64(b, f.originalSize);
    }
    put32(b, static_cast<std::uint32_t>(j.entries.size()));
    for (const auto& e : j.entries) {
        put32(b, static_cast<std::uint32_t>(e.file));
        put64(b, e.offset);
        put32(b, static_cast<std::uint32_t>(e.old.size()));
        b.insert(b.end(), e.old.begin(), e.old.end());
    }
    put64(b, fnv1a(b.data(), b.size()));
    return b;
}

bool parseJournal(const std::vector<std::uint8_t>& b, Journal& out) {
    if (b.size() < 8 + 4 + 4 + 8) return false;
    const bool v2 = std::memcmp(b.data(), kMagic, 8) == 0;
    if (!v2 && std::memcmp(b.data(), kMagicV1, 8) != 0) return false;
    const std::size_t body = b.size() - 8;
    if (get64(b.data() + body) != fnv1a(b.data(), body)) return false;
    std::size_t at = 8;
    auto need = [&](std::size_t n) { return at + n <= body; };
    if (v2) {
        if (!need(4)) return false;
        const std::uint32_t len = le32(b.data() + at);
        at += 4;
        if (!need(len)) return false;
        out.table.assign(reinterpret_cast<const char*>(b.data() + at), len);
        at += len;
    }
    if (!need(4)) return false;
    const std::uint32_t nf = le32(b.data() + at);
    at += 4;
    for (std::uint32_t i = 0; i < nf; ++i) {
        if (!need(4)) return false;
        const std::uint32_t len = le32(b.data() + at);
        at += 4;
        if (!need(static_cast<std::size_t>(len) + 8)) return false;
        JournalFile f;
        f.name.assign(reinterpret_cast<const char*>(b.data() + at), len);
        at += len;
        f.originalSize = get64(b.data() + at);
        at += 8;
        if (f.name.empty() || f.name.find('/') != std::string::npos) return false;
        out.files.push_back(std::move(f));
    }
    if (!need(4)) return false;
    const std::uint32_t ne = le32(b.data() + at);
    at += 4;
    for (std::uint32_t i = 0; i < ne; ++i) {
        if (!need(16)) return false;
        JournalEntry e;
        e.file = static_cast<int>(le32(b.data() + at));
        e.offset = get64(b.data() + at + 4);
        const std::uint32_t len = le32(b.data() + at + 12);
        at += 16;
        if (!need(len) || e.file < 0 || static_cast<std::size_t>(e.file) >= out.files.size())
            return false;
        e.old.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + len));
        at += len;
        out.entries.push_back(std::move(e));
    }
    return at == body;
}

void writeJournal(const std::filesystem::path& path, const Journal& j) {
    const auto bytes = serializeJournal(j);
    File f = File::create(path, true);
    f.writeAt(0, bytes.data(), bytes.size());
    f.sync();
    syncDirectory(path.parent_path());
}

void retireJournal(const std::filesystem::path& path) {
    {
        File f = File::open(path, true);
        f.truncate(0);
        f.sync();
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

namespace {
// Why a journal may not be played back over this table's files ("" when it may).
std::string foreignJournal(const Journal& j, const std::string& table,
                           const std::vector<std::string>& ownFiles) {
    if (!j.table.empty() && j.table != table)
        return "it belongs to the table " + j.table + ", not to " + table;
    for (const auto& jf : j.files)
        if (std::find(ownFiles.begin(), ownFiles.end(), jf.name) == ownFiles.end())
            return "it names " + jf.name + ", which is not a file of the table " + table;
    return {};
}
} // namespace

bool rollBackJournal(const std::filesystem::path& path, const std::string& table,
                     const std::vector<std::string>& ownFiles) {
    std::vector<std::uint8_t> bytes;
    {
        File f = File::open(path, true);
        bytes.resize(f.size());
        f.readExact(0, bytes.data(), bytes.size());
    }
    Journal j;
    const bool complete = parseJournal(bytes, j);
    if (complete) {
        const std::string foreign = foreignJournal(j, table, ownFiles);
        if (!foreign.empty())
            throw Error(Error::Kind::Corrupt, path,
                        "refusing to roll back this journal: " + foreign +
                            "; it was left in place (move it away to open the table)");
        const auto dir = path.parent_path();
        std::vector<File> files;
        for (const auto& jf : j.files)
            files.emplace_back(File::open(dir / jf.name, true));
        for (const auto& e : j.entries)
            files[static_cast<std::size_t>(e.file)].writeAt(e.offset, e.old.data(), e.old.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            files[i].truncate(j.files[i].originalSize);
            files[i].sync();
        }
    }
    retireJournal(path);
    return complete;
}

} // namespace ravelda::engine
