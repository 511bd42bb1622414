#include "engine/header.h"

#include "engine/bytes.h"
#include "engine/error.h"

namespace ravelda::engine {

namespace {

[[noreturn]] void corrupt(const std::filesystem::path& file, const std::string& what) {
    throw Error(Error::Kind::Corrupt, file, what);
}

bool validFieldSize(FieldType type, int size) {
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
        return size >= 1 && size <= 255;
    case FieldType::Bcd:
        return size >= 0 && size <= 32;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return size >= 10 && size <= 250;
    default:
        return size == storedSize(FieldDef{"", type, 0});
    }
}

} // namespace

std::uint32_t Header::u32(int off) const {
    return le32(raw.data() + off);
}
std::uint16_t Header::u16(int off) const {
    return le16(raw.data() + off);
}
void Header::setU32(int off, std::uint32_t v) {
    putLe32(raw.data() + off, v);
}
void Header::setU16(int off, std::uint32_t v) {
    putLe16(raw.data() + off, v);
}

std::string versionName(int version) {
    switch (version) {
    case 3:
        return "3.0";
    case 4:
        return "3.5";
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        return "4.x";
    case 0x0A:
    case 0x0B:
        return "5.x";
    case 0x0C:
        return "7.x";
    default:
        return "unknown (" + std::to_string(version) + ")";
    }
}

int headerSizeOf(const std::vector<std::uint8_t>& fixedPart, const std::filesystem::path& file) {
    if (fixedPart.size() < static_cast<std::size_t>(hdr::FixedSize))
        corrupt(file, "file is too short for a Paradox header");
    const int size = le16(fixedPart.data() + hdr::HeaderSize);
    if (size < hdr::FixedSize)
        corrupt(file, "header size " + std::to_string(size) + " is too small");
    return size;
}

Header parseHeader(std::vector<std::uint8_t> raw, const std::filesystem::path& file,
                   bool expectIndex, std::uint64_t fileSize) {
    Header h;
    h.raw = std::move(raw);
    if (h.raw.size() < static_cast<std::size_t>(hdr::FixedSize))
        corrupt(file, "file is too short for a Paradox header");
    const std::uint8_t* p = h.raw.data();
    h.headerSize = le16(p + hdr::HeaderSize);
    if (h.headerSize < hdr::FixedSize || static_cast<std::size_t>(h.headerSize) > h.raw.size())
        corrupt(file, "header size " + std::to_string(h.headerSize) + " is invalid");
    const int type = p[hdr::FileType];
    if (expectIndex) {
        if (type != 1)
            corrupt(file, "not a primary index (file type " + std::to_string(type) + ")");
        h.kind = FileKind::Index;
    } else {
        if (type == 1 || (type >= 3 && type <= 8))
            corrupt(file, "is an index file, not a table (file type " + std::to_string(type) + ")");
        if (type != 0 && type != 2) corrupt(file, "unknown file type " + std::to_string(type));
        h.kind = type == 0 ? FileKind::Keyed : FileKind::Unkeyed;
    }
    h.version = p[hdr::Version];
    if (h.version < 3 || h.version > 0x0C)
        throw Error(Error::Kind::Unsupported, file,
                    "unknown Paradox file version " + std::to_string(h.version));
    const int kib = p[hdr::BlockKiB];
    if (kib < 1 || kib > 32) corrupt(file, "block size " + std::to_string(kib) + " KiB is invalid");
    h.blockSize = kib * 1024;
    h.recordSize = le16(p + hdr::RecordSize);
    if (h.recordSize < 1 || h.recordSize > h.blockSize - 6)
        corrupt(file, "record size " + std::to_string(h.recordSize) + " does not fit a block");
    h.numFields = static_cast<std::int16_t>(le16(p + hdr::NumFields));
    h.keyFields = static_cast<std::int16_t>(le16(p + hdr::KeyFields));
    if (h.numFields < 1 || h.numFields > 255)
        corrupt(file, "field count " + std::to_string(h.numFields) + " is invalid");
    if (!expectIndex && (h.keyFields < 0 || h.keyFields > h.numFields))
        corrupt(file, "key field count " + std::to_string(h.keyFields) + " is invalid");
    if (!expectIndex && h.kind == FileKind::Keyed && h.keyFields == 0)
        corrupt(file, "keyed table without key fields");
    if (!expectIndex && h.kind == FileKind::Unkeyed && h.keyFields != 0)
        corrupt(file, "unkeyed table with key fields");
    h.sortOrderCode = p[hdr::SortOrder];

    const std::uint64_t blocksInFile =
        fileSize > static_cast<std::uint64_t>(h.headerSize)
            ? (fileSize - static_cast<std::uint64_t>(h.headerSize) + h.blockSize - 1) / h.blockSize
            : 0;
    if (h.totalBlocks() > blocksInFile)
        corrupt(file, "header counts " + std::to_string(h.totalBlocks()) +
                          " blocks but the file holds " + std::to_string(blocksInFile));
    if (h.firstBlock() > h.totalBlocks() || h.lastBlock() > h.totalBlocks() ||
        h.freeBlock() > h.totalBlocks())
        corrupt(file, "block chain starts or ends outside the file");
    const std::uint64_t perBlock = static_cast<std::uint64_t>((h.blockSize - 6) / h.recordSize);
    if (h.numRecords() > perBlock * h.totalBlocks())
        corrupt(file, "record count " + std::to_string(h.numRecords()) +
                          " exceeds what the blocks can hold");

    const bool hasDataHeader = !expectIndex && h.version >= 5;
    if (!expectIndex) {
        if (h.version >= 5) {
            if (h.headerSize < 0x78) corrupt(file, "header too short for its version");
            h.encrypted = le32(p + hdr::Encryption2) != 0;
            h.codePage = le16(p + hdr::CodePage);
        } else {
            h.encrypted = le32(p + hdr::Encryption1) != 0;
        }
        if (h.encrypted)
            throw Error(Error::Kind::Unsupported, file,
                        "table is encrypted (password protected); encrypted tables are not "
                        "supported");
    }

    // Variable part.
    std::size_t at = hasDataHeader ? 0x78 : 0x58;
    const std::size_t end = static_cast<std::size_t>(h.headerSize);
    auto need = [&](std::size_t n, const char* what) {
        if (at + n > end) corrupt(file, std::string("header ends inside the ") + what);
    };
    need(2 * static_cast<std::size_t>(h.numFields), "field descriptors");
    int total = 0;
    for (int i = 0; i < h.numFields; ++i) {
        const std::uint8_t code = p[at + 2 * static_cast<std::size_t>(i)];
        const int size = p[at + 2 * static_cast<std::size_t>(i) + 1];
        if (!isKnownFieldType(code))
            corrupt(file, "field " + std::to_string(i + 1) + " has unknown type code " +
                              std::to_string(code));
        FieldDef f{"", static_cast<FieldType>(code), size};
        if (!validFieldSize(f.type, size))
            corrupt(file,
                    "field " + std::to_string(i + 1) + " has invalid size " + std::to_string(size));
        total += storedSize(f);
        h.fields.push_back(f);
    }
    at += 2 * static_cast<std::size_t>(h.numFields);
    const int expectedRecord = total + (expectIndex ? 6 : 0);
    if (expectedRecord != h.recordSize)
        corrupt(file, "record size " + std::to_string(h.recordSize) +
                          " does not match its fields (" + std::to_string(expectedRecord) + ")");
    need(4, "table name pointer");
    at += 4;
    if (!expectIndex) {
        need(4 * static_cast<std::size_t>(h.numFields), "field name pointers");
        at += 4 * static_cast<std::size_t>(h.numFields);
    }
    const std::size_t nameLen = static_cast<std::size_t>(tableNameLength(h.version));
    // Some 3.0 index headers end right after a shorter name field; tolerate that.
    if (expectIndex && at + nameLen > end) return h;
    need(nameLen, "table name");
    at += nameLen;
    if (expectIndex) return h;
    for (int i = 0; i < h.numFields; ++i) {
        std::size_t e = at;
        while (e < end && p[e] != 0)
            ++e;
        if (e >= end) corrupt(file, "header ends inside the field names");
        h.fields[static_cast<std::size_t>(i)].name.assign(reinterpret_cast<const char*>(p + at),
                                                          e - at);
        at = e + 1;
    }
    if (h.version >= 4) {
        if (at + 2 * static_cast<std::size_t>(h.numFields) <= end) {
            for (int i = 0; i < h.numFields; ++i)
                h.fieldNumbers.push_back(le16(p + at + 2 * static_cast<std::size_t>(i)));
            at += 2 * static_cast<std::size_t>(h.numFields);
            std::size_t e = at;
            while (e < end && p[e] != 0)
                ++e;
            h.sortOrderName.assign(reinterpret_cast<const char*>(p + at), e - at);
        }
    }
    return h;
}

} // namespace ravelda::engine
