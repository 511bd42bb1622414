// Creating empty tables: the .DB header, an empty .PX for keyed tables, an empty .MB when there
// are blob fields, and a .VAL holding the pictures.
#include "engine/ascii.h"
#include "engine/bytes.h"
#include "engine/codepage.h"
#include "engine/error.h"
#include "engine/file.h"
#include "engine/header.h"
#include "engine/table.h"
#include "engine/tablefiles.h"
#include "engine/tablestate.h"
#include "engine/valfile.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace ravelda::engine {

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void invalid(const std::filesystem::path& path, const std::string& what) {
    throw Error(Error::Kind::InvalidArgument, path, what);
}

struct SortOrderId {
    const char* name;
    int code;
};
constexpr SortOrderId kSortOrders[] = {
    {"ascii", 0x00}, {"intl", 0xB7}, {"ANSIINTL", 0x62}, {"ANSII850", 0x11}, {"DBWINUS0", 0x4C}};

void putName(Bytes& raw, std::size_t at, const std::string& name, std::size_t len) {
    std::copy_n(name.begin(), std::min(name.size(), len - 1),
                raw.begin() + static_cast<std::ptrdiff_t>(at));
}

std::size_t roundHeader(std::size_t used) {
    return (used + 0x7FF) / 0x800 * 0x800;
}

Bytes buildDbHeader(const std::vector<FieldDef>& fields, int keyCount, const CreateOptions& o,
                    int sortCode, const std::string& sortName, const std::string& tableName) {
    const int version = o.version;
    const bool dataHeader = version >= 5;
    const std::size_t nameLen = static_cast<std::size_t>(tableNameLength(version));
    const std::size_t n = fields.size();
    std::size_t used = (dataHeader ? 0x78 : 0x58) + 2 * n + 4 + 4 * n + nameLen;
    for (const auto& f : fields)
        used += f.name.size() + 1;
    const std::size_t fieldNumbersAt = used;
    used += 2 * n + sortName.size() + 1;
    const std::size_t headerSize = roundHeader(used);
    Bytes raw(headerSize, 0);
    int recordSize = 0;
    for (const auto& f : fields)
        recordSize += storedSize(f);
    putLe16(raw.data() + hdr::RecordSize, static_cast<std::uint32_t>(recordSize));
    putLe16(raw.data() + hdr::HeaderSize, static_cast<std::uint32_t>(headerSize));
    raw[hdr::FileType] = keyCount > 0 ? 0 : 2;
    raw[hdr::BlockKiB] = static_cast<std::uint8_t>(o.blockSizeKiB);
    putLe16(raw.data() + hdr::NumFields, static_cast<std::uint32_t>(n));
    putLe16(raw.data() + hdr::KeyFields, static_cast<std::uint32_t>(keyCount));
    if (version >= 5) putLe32(raw.data() + hdr::Encryption1, 0xFF00FF00u);
    raw[hdr::SortOrder] = static_cast<std::uint8_t>(sortCode);
    raw[hdr::ChangeCount1] = 1;
    raw[hdr::ChangeCount2] = 1;
    raw[hdr::Version] = static_cast<std::uint8_t>(version);
    raw[0x3E] = 0x1F;
    raw[0x3F] = 0x0F;
    putLe16(raw.data() + hdr::RealHeaderSize, static_cast<std::uint32_t>(used));
    raw[0x56] = 0x20;
    std::size_t at = 0x58;
    if (dataHeader) {
        putLe16(raw.data() + 0x58, 0x0100u + static_cast<std::uint32_t>(version));
        putLe16(raw.data() + 0x5A, 0x0100u + static_cast<std::uint32_t>(version));
        putLe16(raw.data() + 0x64, static_cast<std::uint32_t>(n + 1));
        putLe16(raw.data() + 0x66, static_cast<std::uint32_t>(fieldNumbersAt - 0x58));
        putLe16(raw.data() + hdr::CodePage, static_cast<std::uint32_t>(o.codePage));
        at = 0x78;
    }
    for (const auto& f : fields) {
        raw[at++] = static_cast<std::uint8_t>(f.type);
        raw[at++] = static_cast<std::uint8_t>(f.size);
    }
    at += 4 + 4 * n;
    putName(raw, at, tableName, nameLen);
    at += nameLen;
    for (const auto& f : fields) {
        std::copy(f.name.begin(), f.name.end(), raw.begin() + static_cast<std::ptrdiff_t>(at));
        at += f.name.size() + 1;
    }
    for (std::size_t i = 0; i < n; ++i) {
        putLe16(raw.data() + at, static_cast<std::uint32_t>(i + 1));
        at += 2;
    }
    std::copy(sortName.begin(), sortName.end(), raw.begin() + static_cast<std::ptrdiff_t>(at));
    return raw;
}

Bytes buildPxHeader(const std::vector<FieldDef>& fields, int keyCount, const CreateOptions& o,
                    int sortCode, const std::string& indexName) {
    const std::size_t nameLen = static_cast<std::size_t>(tableNameLength(o.version));
    const std::size_t used = 0x58 + 2 * static_cast<std::size_t>(keyCount) + 4 + nameLen;
    Bytes raw(roundHeader(used), 0);
    int keySize = 0;
    for (int i = 0; i < keyCount; ++i)
        keySize += storedSize(fields[static_cast<std::size_t>(i)]);
    putLe16(raw.data() + hdr::RecordSize, static_cast<std::uint32_t>(keySize + 6));
    putLe16(raw.data() + hdr::HeaderSize, static_cast<std::uint32_t>(raw.size()));
    raw[hdr::FileType] = 1;
    raw[hdr::BlockKiB] = static_cast<std::uint8_t>(std::min(o.blockSizeKiB, 4));
    putLe16(raw.data() + hdr::IndexRoot, 1);
    putLe16(raw.data() + hdr::NumFields, static_cast<std::uint32_t>(keyCount));
    raw[hdr::SortOrder] = static_cast<std::uint8_t>(sortCode);
    raw[hdr::PxChange] = 1; // pairs with the table's change count 1
    raw[hdr::Version] = static_cast<std::uint8_t>(o.version);
    raw[hdr::AutoInc] = 1;
    putLe16(raw.data() + hdr::RealHeaderSize, static_cast<std::uint32_t>(used));
    std::size_t at = 0x58;
    for (int i = 0; i < keyCount; ++i) {
        raw[at++] = static_cast<std::uint8_t>(fields[static_cast<std::size_t>(i)].type);
        raw[at++] = static_cast<std::uint8_t>(fields[static_cast<std::size_t>(i)].size);
    }
    at += 4;
    putName(raw, at, indexName, nameLen);
    return raw;
}

Bytes buildMbHeader() {
    // The header block of an empty blob file, with the constants the format fixes.
    Bytes raw(4096, 0);
    raw[0] = 0;
    putLe16(raw.data() + 1, 1);
    putLe16(raw.data() + 3, 1);
    const std::uint8_t constants[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00, 0x00, 0x10,
                                      0x00, 0x10, 0x00, 0x10, 0x40, 0x00, 0x00, 0x08};
    std::copy(std::begin(constants), std::end(constants), raw.begin() + 5);
    putLe16(raw.data() + 0x29, 0x02A1);
    return raw;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    File f = File::create(path, true);
    f.writeAt(0, bytes.data(), bytes.size());
    f.sync();
}

// Rewrites a file through a descriptor already open on it (and keeping its locks).
void rewriteFile(File& f, const Bytes& bytes) {
    f.truncate(0);
    f.writeAt(0, bytes.data(), bytes.size());
    f.sync();
}

// The files of a table besides its .DB: the companions open finds and the table's journal.
// Nothing else that merely shares the stem.
std::vector<std::filesystem::path> companionFiles(const std::filesystem::path& db) {
    const TableFiles files = findTableFiles(db);
    auto out = files.companions();
    std::error_code ec;
    if (std::filesystem::exists(files.journal, ec)) out.push_back(files.journal);
    return out;
}

// Opens an existing .DB for replacing and holds both of its locks, so that no opener, in this
// process or another, can be using it: every open holds the open byte (shared, or exclusive
// for exclusive mode) for as long as it stays open. The .DB is rewritten in place rather than
// removed, so that an opener arriving meanwhile meets these locks instead of a fresh file.
File lockForReplace(const std::filesystem::path& db) {
    File f = File::open(db, true);
    if (!f.tryLock(kOpenLockByte, true) || !f.tryLock(kWriteLockByte, true))
        throw Error(Error::Kind::Locked, db, "cannot replace the table: it is in use");
    return f;
}

void removeFiles(const std::vector<std::filesystem::path>& files) {
    for (const auto& p : files) {
        std::error_code ec;
        std::filesystem::remove(p, ec);
        if (ec) throw Error(Error::Kind::Io, p, "cannot remove: " + ec.message());
    }
}

} // namespace

void Table::create(const std::filesystem::path& path, const std::vector<FieldDef>& input,
                   int keyFieldCount, const CreateOptions& o) {
    if (input.empty() || input.size() > 255) invalid(path, "a table needs 1 to 255 fields");
    if (keyFieldCount < 0 || keyFieldCount > static_cast<int>(input.size()))
        invalid(path, "key field count " + std::to_string(keyFieldCount) + " is out of range");
    const int v = o.version;
    if (!(v == 4 || (v >= 5 && v <= 0x0C)))
        invalid(path, "cannot create tables of version ID " + std::to_string(v) +
                          " (use 4, 9, 11 or 12)");
    if (o.blockSizeKiB < 1 || o.blockSizeKiB > 32) invalid(path, "block size must be 1 to 32 KiB");
    TextCodec codec(o.codePage); // refuses a code page iconv does not know
    (void)codec;
    std::vector<FieldDef> fields = input;
    std::set<std::string> names;
    int recordSize = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        FieldDef& f = fields[i];
        const std::string label = "field " + std::to_string(i + 1) + " ('" + f.name + "')";
        if (f.name.empty() || f.name.size() > 25 || f.name.find('\0') != std::string::npos)
            invalid(path, label + ": a field name has 1 to 25 characters");
        if (!names.insert(asciiLower(f.name)).second)
            invalid(path, label + ": the name is used twice");
        if (!isKnownFieldType(static_cast<std::uint8_t>(f.type)))
            invalid(path, label + ": unknown type");
        const int natural = storedSize(FieldDef{"", f.type, 0});
        switch (f.type) {
        case FieldType::Alpha:
        case FieldType::Bytes:
            if (f.size < 1 || f.size > 255) invalid(path, label + ": size must be 1 to 255");
            break;
        case FieldType::Bcd:
            if (f.size < 0 || f.size > 32) invalid(path, label + ": BCD decimals must be 0 to 32");
            break;
        case FieldType::Memo:
        case FieldType::Blob:
        case FieldType::FmtMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            if (f.size == 0) f.size = 10;
            if (f.size < 10 || f.size > 250)
                invalid(path, label + ": blob size (leader + 10) must be 10 to 250");
            if (static_cast<int>(i) < keyFieldCount)
                invalid(path, label + ": a blob field cannot be part of the key");
            break;
        default:
            if (f.size == 0) f.size = natural;
            if (f.size != natural)
                invalid(path, label + ": a " + std::string(fieldTypeName(f.type)) +
                                  " field has size " + std::to_string(natural));
        }
        recordSize += storedSize(f);
    }
    if (recordSize > o.blockSizeKiB * 1024 - 6)
        invalid(path, "records of " + std::to_string(recordSize) + " bytes do not fit a " +
                          std::to_string(o.blockSizeKiB) + " KiB block");
    int sortCode = -1;
    std::string sortName;
    for (const auto& so : kSortOrders)
        if (asciiLower(so.name) == asciiLower(o.sortOrder)) {
            sortCode = so.code;
            sortName = so.name;
        }
    if (sortCode < 0) invalid(path, "unknown sort order \"" + o.sortOrder + "\"");
    std::vector<FieldCheck> checks;
    for (const FieldPicture& p : o.pictures) {
        if (p.fieldNumber < 1 || p.fieldNumber > static_cast<int>(fields.size()))
            invalid(path, "picture for field number " + std::to_string(p.fieldNumber) +
                              ", which does not exist");
        if (p.picture.empty()) continue;
        FieldCheck c;
        c.fieldNumber = p.fieldNumber;
        c.picture = p.picture;
        checks.push_back(c);
    }
    std::sort(checks.begin(), checks.end(), [](const FieldCheck& a, const FieldCheck& b) {
        return a.fieldNumber < b.fieldNumber;
    });

    std::error_code ec;
    const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    File replaced; // the old .DB, locked until the new table is complete
    if (std::filesystem::exists(path, ec)) {
        if (!o.overwrite) invalid(path, "a table of that name already exists");
        replaced = lockForReplace(path);
        removeFiles(companionFiles(path));
    }
    const std::string stem = path.stem().string();
    const bool hasBlobs = std::any_of(fields.begin(), fields.end(),
                                      [](const FieldDef& f) { return isBlobType(f.type); });
    auto sibling = [&](const char* ext) { return dir / (stem + ext); };
    std::vector<std::filesystem::path> created;
    try {
        const Bytes db =
            buildDbHeader(fields, keyFieldCount, o, sortCode, sortName, path.filename().string());
        created.push_back(path);
        if (replaced.isOpen())
            rewriteFile(replaced, db);
        else
            writeFile(path, db);
        if (keyFieldCount > 0) {
            created.push_back(sibling(".PX"));
            writeFile(created.back(),
                      buildPxHeader(fields, keyFieldCount, o, sortCode, stem + ".PX"));
        }
        if (hasBlobs) {
            created.push_back(sibling(".MB"));
            writeFile(created.back(), buildMbHeader());
        }
        if (!checks.empty()) {
            created.push_back(sibling(".VAL"));
            writeFile(created.back(), buildValFile(checks, fields, v, db[hdr::ChangeCount2]));
        }
        syncDirectory(dir);
    } catch (...) {
        for (const auto& p : created)
            std::filesystem::remove(p, ec);
        throw;
    }
}

} // namespace ravelda::engine
