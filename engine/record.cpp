// Records: values to bytes and back, blob fields through the .MB file.
#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/fieldcodec.h"
#include "engine/tablestate.h"

#include <cstring>

namespace ravelda::engine {

namespace {
constexpr std::uint32_t kMbBlock = 4096;
constexpr char kGraphicPrefix[4] = {1, 0, 0, 1};
} // namespace

Bytes Table::State::encodeRecord(const std::vector<Value>& row, const std::uint8_t* old) {
    if (row.size() != fields.size())
        throw Error(Error::Kind::InvalidArgument, dbPath,
                    "a row needs " + std::to_string(fields.size()) + " values, not " +
                        std::to_string(row.size()));
    Bytes rec(static_cast<std::size_t>(recordSize), 0);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        std::uint8_t* out = rec.data() + offsets[i];
        try {
            Value v = coerceValue(f, row[i]);
            if (f.type == FieldType::AutoInc) {
                if (v.isNull()) {
                    const std::uint32_t next = dbh.autoInc() + 1;
                    v = Value::integer(next);
                    dbh.setU32(hdr::AutoInc, next);
                } else if (v.asInteger() > static_cast<std::int64_t>(dbh.autoInc())) {
                    dbh.setU32(hdr::AutoInc, static_cast<std::uint32_t>(v.asInteger()));
                }
            }
            if (isBlobType(f.type)) {
                // An unchanged blob keeps its place in the .MB instead of being stored anew.
                bool same = false;
                if (old) {
                    try {
                        same = decodeValue(static_cast<int>(i), old) == v;
                    } catch (const Error&) {
                        same = false;
                    }
                }
                if (same)
                    std::memcpy(out, old + offsets[i], static_cast<std::size_t>(f.size));
                else
                    writeBlob(f, v, out);
            } else
                encodeField(f, v, out);
        } catch (const Error& e) {
            if (e.file().empty()) throw Error(e.kind(), dbPath, e.problem());
            throw;
        }
    }
    return rec;
}

std::vector<Value> Table::State::decodeRecord(const std::uint8_t* p) {
    std::vector<Value> row;
    row.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i)
        row.push_back(decodeValue(static_cast<int>(i), p));
    return row;
}

Value Table::State::decodeValue(int i, const std::uint8_t* p) {
    const FieldDef& f = fields[static_cast<std::size_t>(i)];
    const std::uint8_t* at = p + offsets[static_cast<std::size_t>(i)];
    if (isBlobType(f.type)) return readBlob(f, at);
    return decodeField(f, at);
}

Value Table::State::readBlob(const FieldDef& f, const std::uint8_t* p) {
    const BlobRef ref = blobRefOf(f, p);
    const std::size_t leader = static_cast<std::size_t>(f.size - 10);
    auto make = [&](std::string bytes) {
        return f.type == FieldType::Memo ? Value::text(std::move(bytes))
                                         : Value::binary(std::move(bytes));
    };
    if (ref.length == 0) return Value();
    auto corrupt = [&](const std::string& what) -> Error {
        return Error(Error::Kind::Corrupt, mbPath.empty() ? dbPath : mbPath,
                     "blob of field '" + f.name + "': " + what);
    };
    if (ref.offset == 0 && ref.index == 0) {
        if (ref.length > leader)
            throw corrupt("length " + std::to_string(ref.length) + " exceeds the field's leader");
        return make(std::string(reinterpret_cast<const char*>(p), ref.length));
    }
    if (!mb.isOpen()) {
        // The table then opens read-only saying so, and the other fields stay readable.
        if (blobFileMissing) return Value();
        throw Error(Error::Kind::Corrupt, dbPath,
                    "field '" + f.name + "' refers to a blob file (.MB) that is missing");
    }
    const std::uint64_t size = mb.size();
    std::uint8_t head[12] = {};
    if (ref.offset + 12 > size)
        throw corrupt("offset " + std::to_string(ref.offset) + " is beyond the end of the file");
    mb.readExact(ref.offset, head, sizeof head);
    std::string data;
    if (ref.index == 0xFF) {
        if (head[0] != 2)
            throw corrupt("block at " + std::to_string(ref.offset) + " is not a blob block");
        const std::uint32_t len = le32(head + 3);
        if (len != ref.length)
            throw corrupt("the record and the blob block disagree on its length");
        if (ref.offset + 9 + static_cast<std::uint64_t>(len) > size)
            throw corrupt("blob runs past the end of the file");
        data.resize(len);
        mb.readExact(ref.offset + 9, data.data(), len);
    } else {
        if (head[0] != 3)
            throw corrupt("block at " + std::to_string(ref.offset) +
                          " is not a sub-allocated blob block");
        if (ref.index >= 64) throw corrupt("slot " + std::to_string(ref.index) + " does not exist");
        std::uint8_t slot[5];
        mb.readExact(ref.offset + 12 + 5 * ref.index, slot, sizeof slot);
        if (slot[0] == 0) throw corrupt("slot " + std::to_string(ref.index) + " is free");
        const std::uint32_t dataOff = static_cast<std::uint32_t>(slot[0]) * 16;
        const std::uint32_t len =
            slot[1] == 0 ? 0 : (static_cast<std::uint32_t>(slot[1]) - 1) * 16 + slot[4];
        if (len != ref.length) throw corrupt("the record and the blob slot disagree on its length");
        if (dataOff + len > kMbBlock || ref.offset + dataOff + len > size)
            throw corrupt("blob runs past its block");
        data.resize(len);
        mb.readExact(ref.offset + dataOff, data.data(), len);
    }
    if (f.type == FieldType::Graphic && data.size() >= 8) data.erase(0, 8);
    return make(std::move(data));
}

void Table::State::writeBlob(const FieldDef& f, const Value& v, std::uint8_t* out) {
    const std::size_t leader = static_cast<std::size_t>(f.size - 10);
    std::memset(out, 0, static_cast<std::size_t>(f.size));
    if (v.isNull()) return;
    const std::string& bytes = v.kind() == Value::Kind::Text ? v.asText() : v.asBinary();
    if (bytes.empty()) return;
    std::memcpy(out, bytes.data(), std::min(leader, bytes.size()));
    if (bytes.size() <= leader && f.type != FieldType::Graphic) {
        putLe32(out + leader + 4, static_cast<std::uint32_t>(bytes.size()));
        return;
    }
    if (!mb.isOpen())
        throw Error(Error::Kind::Unsupported, dbPath,
                    "field '" + f.name + "' needs the blob file (.MB), which is missing");
    std::string payload;
    if (f.type == FieldType::Graphic) {
        payload.assign(kGraphicPrefix, 4);
        std::uint8_t len[4];
        putLe32(len, static_cast<std::uint32_t>(bytes.size()));
        payload.append(reinterpret_cast<const char*>(len), 4);
    }
    payload += bytes;
    const std::uint64_t blockLen = (9 + payload.size() + kMbBlock - 1) / kMbBlock * kMbBlock;
    if (blockLen / kMbBlock > 0xFFFF)
        throw Error(Error::Kind::InvalidArgument, dbPath,
                    "blob of field '" + f.name + "' is too large");
    const std::uint64_t off = (txn.mbSize + kMbBlock - 1) / kMbBlock * kMbBlock;
    if (off > 0xFFFFFF00u) throw Error(Error::Kind::Unsupported, mbPath, "the blob file is full");
    Bytes block(static_cast<std::size_t>(blockLen), 0);
    block[0] = 2;
    putLe16(block.data() + 1, static_cast<std::uint32_t>(blockLen / kMbBlock));
    putLe32(block.data() + 3, static_cast<std::uint32_t>(payload.size()));
    putLe16(block.data() + 7, 1);
    std::memcpy(block.data() + 9, payload.data(), payload.size());
    txn.mbWrites.emplace_back(off, std::move(block));
    txn.mbSize = off + blockLen;
    putLe32(out + leader, static_cast<std::uint32_t>(off) | 0xFF);
    putLe32(out + leader + 4, static_cast<std::uint32_t>(payload.size()));
    putLe16(out + leader + 8, 1);
}

} // namespace ravelda::engine
