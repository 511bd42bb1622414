#include "engine/fieldcodec.h"

#include "engine/bytes.h"
#include "engine/error.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace ravelda::engine {

namespace {

[[noreturn]] void bad(const FieldDef& field, const std::string& what) {
    throw Error(Error::Kind::InvalidArgument, {}, "field '" + field.name + "': " + what);
}

void encodeDouble(double d, std::uint8_t* out) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    if (bits & 0x8000000000000000ull)
        bits = ~bits;
    else
        bits |= 0x8000000000000000ull;
    putBe64(out, bits);
}

std::string decodeBcd(const std::uint8_t* p) {
    const bool negative = (p[0] & 0x80) == 0;
    const int decimals = p[0] & 0x3F;
    auto nibble = [&](int i) {
        const int v = (i % 2 == 0) ? (p[i / 2] >> 4) : (p[i / 2] & 0x0F);
        return negative ? (v ^ 0x0F) : v;
    };
    const int intDigits = 32 - (decimals > 32 ? 32 : decimals);
    std::string intPart, frac;
    for (int i = 0; i < intDigits; ++i) {
        int v = nibble(2 + i);
        if (v > 9) v = 0; // not a digit: the value was stored from a double; nothing reliable here
        if (!intPart.empty() || v != 0) intPart.push_back(static_cast<char>('0' + v));
    }
    for (int i = intDigits; i < 32; ++i) {
        const int v = nibble(2 + i);
        if (v > 9) break; // digits past this point are not digits at all
        frac.push_back(static_cast<char>('0' + v));
    }
    if (intPart.empty()) intPart = "0";
    std::string s;
    const bool nonZero = intPart != "0" || frac.find_first_not_of('0') != std::string::npos;
    if (negative && nonZero) s = "-";
    s += intPart;
    if (!frac.empty()) s += "." + frac;
    return s;
}

void encodeBcd(const FieldDef& field, const std::string& text, std::uint8_t* out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::string intPart, frac;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        intPart.push_back(text[i++]);
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            frac.push_back(text[i++]);
    }
    if (i != text.size() || (intPart.empty() && frac.empty()))
        bad(field, "'" + text + "' is not a decimal number");
    const int decimals = field.size;
    while (static_cast<int>(frac.size()) > decimals) {
        if (frac.back() != '0')
            bad(field, "'" + text + "' has more than " + std::to_string(decimals) + " decimals");
        frac.pop_back();
    }
    while (static_cast<int>(frac.size()) < decimals)
        frac.push_back('0');
    const std::size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? "" : intPart.substr(firstNonZero);
    if (static_cast<int>(intPart.size()) > 32 - decimals)
        bad(field, "'" + text + "' has too many digits");
    std::string digits(static_cast<std::size_t>(32 - decimals) - intPart.size(), '0');
    digits += intPart + frac;
    if (digits.find_first_not_of('0') == std::string::npos) negative = false;
    std::memset(out, 0, 17);
    out[0] = static_cast<std::uint8_t>((negative ? 0x00 : 0x80) | 0x40 | decimals);
    for (int n = 0; n < 32; ++n) {
        int v = digits[static_cast<std::size_t>(n)] - '0';
        if (negative) v ^= 0x0F;
        const int nib = 2 + n;
        if (nib % 2 == 0)
            out[nib / 2] = static_cast<std::uint8_t>(out[nib / 2] | (v << 4));
        else
            out[nib / 2] = static_cast<std::uint8_t>(out[nib / 2] | v);
    }
}

bool allZero(const std::uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

std::int64_t wantInteger(const FieldDef& field, const Value& v) {
    if (v.kind() != Value::Kind::Integer) bad(field, "expects an integer");
    return v.asInteger();
}

} // namespace

double decodeDouble(const std::uint8_t* p) {
    std::uint64_t bits = be64(p);
    if (bits & 0x8000000000000000ull)
        bits ^= 0x8000000000000000ull;
    else
        bits = ~bits;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

Value decodeField(const FieldDef& field, const std::uint8_t* p) {
    switch (field.type) {
    case FieldType::Alpha: {
        if (p[0] == 0) return Value();
        const void* nul = std::memchr(p, 0, static_cast<std::size_t>(field.size));
        const std::size_t len =
            nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p)
                : static_cast<std::size_t>(field.size);
        return Value::text(std::string(reinterpret_cast<const char*>(p), len));
    }
    case FieldType::Short: {
        const std::uint16_t raw = be16(p);
        if (raw == 0) return Value();
        return Value::integer(static_cast<std::int16_t>(raw ^ 0x8000));
    }
    case FieldType::Long:
    case FieldType::AutoInc:
    case FieldType::Date:
    case FieldType::Time: {
        const std::uint32_t raw = be32(p);
        if (raw == 0) return Value();
        const auto v = static_cast<std::int32_t>(raw ^ 0x80000000u);
        if (field.type == FieldType::Date) return Value::date(Date{v});
        if (field.type == FieldType::Time) return Value::time(Time{v});
        return Value::integer(v);
    }
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Timestamp: {
        if (be64(p) == 0) return Value();
        const double d = decodeDouble(p);
        if (field.type == FieldType::Timestamp)
            return Value::timestamp(Timestamp{static_cast<std::int64_t>(std::llround(d))});
        return Value::number(d);
    }
    case FieldType::Logical:
        if (p[0] == 0) return Value();
        return Value::boolean(p[0] != 0x80);
    case FieldType::Bcd:
        if (p[0] == 0) return Value();
        return Value::decimal(decodeBcd(p));
    case FieldType::Bytes:
        if (allZero(p, field.size)) return Value();
        return Value::binary(
            std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(field.size)));
    default:
        throw Error(Error::Kind::InvalidArgument, {}, "blob fields are decoded with the .MB file");
    }
}

void encodeField(const FieldDef& field, const Value& value, std::uint8_t* out) {
    const int size = storedSize(field);
    std::memset(out, 0, static_cast<std::size_t>(size));
    if (value.isNull()) return;
    switch (field.type) {
    case FieldType::Alpha: {
        if (value.kind() != Value::Kind::Text) bad(field, "expects text");
        const std::string& s = value.asText();
        if (s.size() > static_cast<std::size_t>(field.size))
            bad(field, "text of " + std::to_string(s.size()) + " bytes exceeds the size " +
                           std::to_string(field.size));
        if (s.find('\0') != std::string::npos) bad(field, "text holds a NUL character");
        std::memcpy(out, s.data(), s.size());
        return;
    }
    case FieldType::Short: {
        const std::int64_t v = wantInteger(field, value);
        if (v < -32767 || v > 32767)
            bad(field, std::to_string(v) + " is out of the range of a short");
        putBe16(out, static_cast<std::uint32_t>(static_cast<std::uint16_t>(v)) ^ 0x8000);
        return;
    }
    case FieldType::Long:
    case FieldType::AutoInc: {
        const std::int64_t v = wantInteger(field, value);
        if (v < -2147483647LL || v > 2147483647LL)
            bad(field, std::to_string(v) + " is out of the range of a long integer");
        if (field.type == FieldType::AutoInc && v < 1)
            bad(field, "autoincrement values start at 1");
        putBe32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) ^ 0x80000000u);
        return;
    }
    case FieldType::Date: {
        if (value.kind() != Value::Kind::Date) bad(field, "expects a date");
        const std::int32_t d = value.asDate().days;
        if (d == std::numeric_limits<std::int32_t>::min()) bad(field, "date out of range");
        putBe32(out, static_cast<std::uint32_t>(d) ^ 0x80000000u);
        return;
    }
    case FieldType::Time: {
        if (value.kind() != Value::Kind::Time) bad(field, "expects a time");
        const std::int32_t t = value.asTime().ms;
        if (t < 0 || t >= 86400000) bad(field, "time of day out of range");
        putBe32(out, static_cast<std::uint32_t>(t) ^ 0x80000000u);
        return;
    }
    case FieldType::Number:
    case FieldType::Money: {
        if (value.kind() != Value::Kind::Double) bad(field, "expects a number");
        const double d = value.asDouble();
        if (std::isnan(d)) bad(field, "NaN cannot be stored");
        encodeDouble(d, out);
        return;
    }
    case FieldType::Timestamp: {
        if (value.kind() != Value::Kind::Timestamp) bad(field, "expects a timestamp");
        encodeDouble(static_cast<double>(value.asTimestamp().ms), out);
        return;
    }
    case FieldType::Logical:
        if (value.kind() != Value::Kind::Bool) bad(field, "expects a logical");
        out[0] = value.asBool() ? 0x81 : 0x80;
        return;
    case FieldType::Bcd:
        if (value.kind() != Value::Kind::Decimal) bad(field, "expects a decimal");
        encodeBcd(field, value.asDecimal(), out);
        return;
    case FieldType::Bytes: {
        if (value.kind() != Value::Kind::Binary) bad(field, "expects bytes");
        const std::string& s = value.asBinary();
        if (s.size() > static_cast<std::size_t>(field.size))
            bad(field,
                std::to_string(s.size()) + " bytes exceed the size " + std::to_string(field.size));
        std::memcpy(out, s.data(), s.size());
        return;
    }
    default:
        throw Error(Error::Kind::InvalidArgument, {}, "blob fields are encoded with the .MB file");
    }
}

BlobRef blobRefOf(const FieldDef& field, const std::uint8_t* p) {
    const int leader = field.size - 10;
    const std::uint8_t* t = p + leader;
    BlobRef r;
    const std::uint32_t v = le32(t);
    r.offset = v & 0xFFFFFF00u;
    r.index = v & 0xFFu;
    r.length = le32(t + 4);
    r.mod = le16(t + 8);
    return r;
}

Value coerceValue(const FieldDef& field, const Value& value) {
    if (value.isNull()) return value;
    const Value::Kind want = valueKindOf(field.type);
    if (value.kind() == want) return value;
    switch (want) {
    case Value::Kind::Double:
        if (value.kind() == Value::Kind::Integer)
            return Value::number(static_cast<double>(value.asInteger()));
        break;
    case Value::Kind::Integer:
        if (value.kind() == Value::Kind::Double) {
            const double d = value.asDouble();
            if (std::trunc(d) == d && std::fabs(d) < 9.0e15)
                return Value::integer(static_cast<std::int64_t>(d));
        }
        break;
    case Value::Kind::Binary:
        if (value.kind() == Value::Kind::Text) return Value::binary(value.asText());
        break;
    case Value::Kind::Text:
        if (value.kind() == Value::Kind::Binary) return Value::text(value.asBinary());
        break;
    case Value::Kind::Decimal:
        if (value.kind() == Value::Kind::Integer)
            return Value::decimal(std::to_string(value.asInteger()));
        break;
    default:
        break;
    }
    bad(field, "cannot store this kind of value in a field of type " +
                   std::string(fieldTypeName(field.type)));
}

} // namespace ravelda::engine
