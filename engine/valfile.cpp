#include "engine/valfile.h"

#include "engine/bytes.h"
#include "engine/error.h"
#include "engine/fieldcodec.h"

namespace ravelda::engine {

namespace {
constexpr std::size_t kFirstRecord = 0x35;
constexpr std::size_t kRecordFixed = 0x1C;
constexpr std::size_t kLookupSize = 80;
} // namespace

std::vector<FieldCheck> parseValFile(const std::vector<std::uint8_t>& b,
                                     const std::vector<FieldDef>& fields,
                                     const std::filesystem::path& file) {
    auto corrupt = [&](const std::string& what) { throw Error(Error::Kind::Corrupt, file, what); };
    if (b.size() < kFirstRecord) corrupt("file is too short for validity checks");
    const bool v3 = b[1] == 0x01;
    const unsigned count = b[2];
    std::size_t end = b.size();
    if (!v3) {
        const std::uint32_t footer = le32(b.data() + 0x09);
        const std::uint32_t ri = le32(b.data() + 0x0D);
        if (footer != 0 && footer < end) end = footer;
        if (ri != 0 && ri >= kFirstRecord && ri < end) end = ri;
    }
    std::vector<FieldCheck> out;
    std::size_t at = kFirstRecord;
    for (unsigned r = 0; r < count; ++r) {
        if (at + kRecordFixed > end)
            corrupt("check record " + std::to_string(r + 1) + " runs past the end of the checks");
        const std::uint8_t* p = b.data() + at;
        const unsigned fieldIndex = p[0];
        const unsigned picLen = p[1];
        if (fieldIndex >= fields.size())
            corrupt("check record " + std::to_string(r + 1) + " names field " +
                    std::to_string(fieldIndex + 1) + " of a table with " +
                    std::to_string(fields.size()) + " fields");
        const FieldDef& f = fields[fieldIndex];
        FieldCheck c;
        c.fieldNumber = static_cast<int>(fieldIndex) + 1;
        c.required = p[2] != 0;
        const bool hasLookup = le32(p + 0x04) != 0;
        const bool hasMin = le32(p + 0x0C) != 0;
        const bool hasMax = le32(p + 0x10) != 0;
        const bool hasDefault = le32(p + 0x14) != 0;
        const bool hasPicture = le32(p + 0x18) != 0 && picLen > 0;
        at += kRecordFixed;
        if (hasLookup) {
            if (at + kLookupSize > end)
                corrupt("lookup of field " + std::to_string(c.fieldNumber) + " is truncated");
            at += kLookupSize;
        }
        const std::size_t vsize = static_cast<std::size_t>(storedSize(f));
        auto readValue = [&](std::optional<Value>& dst, const char* what) {
            if (at + vsize > end)
                corrupt(std::string(what) + " of field " + std::to_string(c.fieldNumber) +
                        " is truncated");
            if (!isBlobType(f.type)) dst = decodeField(f, b.data() + at);
            at += vsize;
        };
        if (hasMin) readValue(c.minimum, "minimum");
        if (hasMax) readValue(c.maximum, "maximum");
        if (hasDefault) readValue(c.defaultValue, "default");
        if (hasPicture) {
            if (at + picLen > end)
                corrupt("picture of field " + std::to_string(c.fieldNumber) + " is truncated");
            std::string pic(reinterpret_cast<const char*>(b.data() + at), picLen);
            const auto nul = pic.find('\0');
            if (nul != std::string::npos) pic.resize(nul);
            c.picture = pic;
            at += picLen;
        }
        out.push_back(std::move(c));
    }
    return out;
}

std::vector<std::uint8_t> buildValFile(const std::vector<FieldCheck>& checks,
                                       const std::vector<FieldDef>& fields, int version,
                                       std::uint8_t changeCount) {
    std::vector<std::uint8_t> b(kFirstRecord, 0);
    b[0] = changeCount;
    b[1] = static_cast<std::uint8_t>(version < 5 ? 0x09 : version);
    b[2] = static_cast<std::uint8_t>(checks.size());
    b[7] = static_cast<std::uint8_t>(fields.size() + 1);
    for (const FieldCheck& c : checks) {
        const FieldDef& f = fields.at(static_cast<std::size_t>(c.fieldNumber - 1));
        std::vector<std::uint8_t> rec(kRecordFixed, 0);
        rec[0] = static_cast<std::uint8_t>(c.fieldNumber - 1);
        rec[2] = c.required ? 1 : 0;
        const std::size_t vsize = static_cast<std::size_t>(storedSize(f));
        auto addValue = [&](const std::optional<Value>& v, int flagOff) {
            if (!v || isBlobType(f.type)) return;
            putLe32(rec.data() + flagOff, 1);
            std::vector<std::uint8_t> enc(vsize, 0);
            encodeField(f, coerceValue(f, *v), enc.data());
            rec.insert(rec.end(), enc.begin(), enc.end());
        };
        addValue(c.minimum, 0x0C);
        addValue(c.maximum, 0x10);
        addValue(c.defaultValue, 0x14);
        if (!c.picture.empty()) {
            if (c.picture.size() > 254)
                throw Error(Error::Kind::InvalidArgument, {},
                            "picture of field '" + f.name + "' is longer than 254 characters");
            rec[1] = static_cast<std::uint8_t>(c.picture.size() + 1);
            putLe32(rec.data() + 0x18, 1);
            rec.insert(rec.end(), c.picture.begin(), c.picture.end());
            rec.push_back(0);
        }
        b.insert(b.end(), rec.begin(), rec.end());
    }
    // Footer: the field list, as the host engine writes it after the checks.
    putLe32(b.data() + 0x09, static_cast<std::uint32_t>(b.size()));
    auto push16 = [&](unsigned v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    push16(static_cast<unsigned>(fields.size()));
    push16(1);
    push16(0);
    for (std::size_t i = 0; i < fields.size(); ++i)
        push16(static_cast<unsigned>(i + 1));
    for (const FieldDef& f : fields) {
        b.push_back(static_cast<std::uint8_t>(f.type));
        b.push_back(static_cast<std::uint8_t>(f.size));
    }
    b.insert(b.end(), 79, 0);
    for (const FieldDef& f : fields) {
        b.insert(b.end(), f.name.begin(), f.name.end());
        b.push_back(0);
    }
    return b;
}

} // namespace ravelda::engine
