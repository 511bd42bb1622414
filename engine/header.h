#pragma once
// The header of a .DB or .PX file: the raw bytes (kept, so that a writer changes only the
// counters it maintains) and the facts parsed from them, validated.
#include "engine/types.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ravelda::engine {

// Offsets in the fixed part of every header.
namespace hdr {
inline constexpr int RecordSize = 0x00, HeaderSize = 0x02, FileType = 0x04, BlockKiB = 0x05,
                     NumRecords = 0x06, UsedBlocks = 0x0A, TotalBlocks = 0x0C, FirstBlock = 0x0E,
                     LastBlock = 0x10, IndexRoot = 0x1E, IndexLevels = 0x20, NumFields = 0x21,
                     KeyFields = 0x23, Encryption1 = 0x25, SortOrder = 0x29, PxChange = 0x2C,
                     ChangeCount1 = 0x2D, ChangeCount2 = 0x2E, Version = 0x39, MaxBlocks = 0x3A,
                     AutoInc = 0x49, FreeBlock = 0x4D, RealHeaderSize = 0x51, Encryption2 = 0x5C,
                     CodePage = 0x6A;
inline constexpr int FixedSize = 0x58;
} // namespace hdr

// The head of every data block (.DB) and index block (.PX): the next and previous block of the
// chain, the "add data size" ((count - 1) * record or entry size, signed), then the records.
namespace blk {
inline constexpr int Next = 0, Prev = 2, AddDataSize = 4, Records = 6;
} // namespace blk

enum class FileKind { Keyed = 0, Index = 1, Unkeyed = 2 };

struct Header {
    std::vector<std::uint8_t> raw; // headerSize bytes
    FileKind kind = FileKind::Keyed;
    int recordSize = 0;
    int headerSize = 0;
    int blockSize = 0; // bytes
    int version = 0;   // byte 0x39
    int numFields = 0;
    int keyFields = 0;
    int sortOrderCode = 0;
    int codePage = 0;
    std::string sortOrderName;    // "" when the header has none (3.0)
    std::vector<FieldDef> fields; // for a .PX: the key fields, names empty
    std::vector<int> fieldNumbers;
    bool encrypted = false;

    std::uint32_t u32(int off) const;
    std::uint16_t u16(int off) const;
    std::uint8_t u8(int off) const { return raw[static_cast<std::size_t>(off)]; }
    void setU32(int off, std::uint32_t v);
    void setU16(int off, std::uint32_t v);
    void setU8(int off, std::uint32_t v) {
        raw[static_cast<std::size_t>(off)] = static_cast<std::uint8_t>(v);
    }

    std::uint32_t numRecords() const { return u32(hdr::NumRecords); }
    unsigned usedBlocks() const { return u16(hdr::UsedBlocks); }
    unsigned totalBlocks() const { return u16(hdr::TotalBlocks); }
    unsigned firstBlock() const { return u16(hdr::FirstBlock); }
    unsigned lastBlock() const { return u16(hdr::LastBlock); }
    unsigned freeBlock() const { return u16(hdr::FreeBlock); }
    unsigned indexRoot() const { return u16(hdr::IndexRoot); }
    unsigned indexLevels() const { return u8(hdr::IndexLevels); }
    std::uint32_t autoInc() const { return u32(hdr::AutoInc); }
};

// The first 0x58 bytes are enough to know the header size; the rest is read by the caller.
int headerSizeOf(const std::vector<std::uint8_t>& fixedPart, const std::filesystem::path& file);

// Parses and validates a header (Error Corrupt / Unsupported naming the file).
// fileSize bounds the checks against absurd counts.
Header parseHeader(std::vector<std::uint8_t> raw, const std::filesystem::path& file,
                   bool expectIndex, std::uint64_t fileSize);

// Readable version name for a version ID.
std::string versionName(int version);
// Length of the table-name field for a version.
inline int tableNameLength(int version) {
    return version >= 0x0C ? 261 : 79;
}

} // namespace ravelda::engine
