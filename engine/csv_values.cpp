// Field values as CSV text and back.
#include "engine/csv.h"

#include "engine/error.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace ravelda::engine::csv {

namespace {

[[noreturn]] void bad(const std::string& problem) {
    throw Error(Error::Kind::InvalidArgument, {}, problem);
}

std::string quote(std::string_view s) {
    constexpr std::size_t kShown = 40;
    if (s.size() > kShown) return std::string("'") + std::string(s.substr(0, kShown)) + "…'";
    return std::string("'") + std::string(s) + "'";
}

const char kHex[] = "0123456789abcdef";

std::string toHex(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string fromHex(std::string_view text) {
    if (text.size() % 2) bad(quote(text) + " is not hex bytes (odd number of digits)");
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) bad(quote(text) + " is not hex bytes");
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string formatDate(Date d) {
    int y = 0, m = 0, day = 0;
    d.toYmd(y, m, day);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, day);
    return buf;
}

std::string formatTime(Time t) {
    int ms = t.ms;
    char buf[32];
    if (ms % 1000)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", ms / 3600000, ms / 60000 % 60,
                      ms / 1000 % 60, ms % 1000);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", ms / 3600000, ms / 60000 % 60,
                      ms / 1000 % 60);
    return buf;
}

std::string formatDouble(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Reads exactly `digits` decimal digits at pos.
bool digitsAt(std::string_view s, std::size_t pos, std::size_t digits, int& out) {
    if (pos + digits > s.size()) return false;
    out = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        char c = s[pos + i];
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

bool validYmd(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

// "YYYY-MM-DD" at the start of s.
bool parseDatePart(std::string_view s, Date& out) {
    int y, m, d;
    if (s.size() < 10 || s[4] != '-' || s[7] != '-' || !digitsAt(s, 0, 4, y) ||
        !digitsAt(s, 5, 2, m) || !digitsAt(s, 8, 2, d) || !validYmd(y, m, d))
        return false;
    out = Date::fromYmd(y, m, d);
    return true;
}

// "HH:MM:SS[.mmm]" (1 to 3 fraction digits), the whole of s.
bool parseTimePart(std::string_view s, Time& out) {
    int h, m, sec, frac = 0;
    if (s.size() < 8 || s[2] != ':' || s[5] != ':' || !digitsAt(s, 0, 2, h) ||
        !digitsAt(s, 3, 2, m) || !digitsAt(s, 6, 2, sec) || h > 23 || m > 59 || sec > 59)
        return false;
    if (s.size() > 8) {
        std::size_t n = s.size() - 9;
        if (s[8] != '.' || n < 1 || n > 3 || !digitsAt(s, 9, n, frac)) return false;
        for (std::size_t i = n; i < 3; ++i)
            frac *= 10;
    }
    out = Time{((h * 60 + m) * 60 + sec) * 1000 + frac};
    return true;
}

std::int64_t parseInteger(std::string_view text, std::int64_t lo, std::int64_t hi,
                          const char* typeName) {
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    std::int64_t v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        bad(quote(text) + " is outside the range of " + typeName + " (" + std::to_string(lo) +
            " to " + std::to_string(hi) + ")");
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || t.empty())
        bad(quote(text) + " is not a whole number");
    if (v < lo || v > hi)
        bad(quote(text) + " is outside the range of " + typeName + " (" + std::to_string(lo) +
            " to " + std::to_string(hi) + ")");
    return v;
}

double parseDouble(std::string_view text) {
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    const bool read = r.ec == std::errc() && r.ptr == t.data() + t.size() && !t.empty();
    // from_chars also reads "inf", "infinity" and "nan" in any case: no Number field holds them.
    if (read && std::isfinite(v)) return v;
    if (read && std::isnan(v)) bad(quote(text) + " is not a number");
    if (read || r.ec == std::errc::result_out_of_range)
        bad(quote(text) + " is outside the range of a number");
    if (text.find(',') != std::string_view::npos)
        bad(quote(text) + " is not a number (the decimal separator is '.')");
    bad(quote(text) + " is not a number");
}

std::string parseDecimal(std::string_view text, int decimals) {
    std::string_view t = text;
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    auto dot = t.find('.');
    std::string_view whole = t.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view{} : t.substr(dot + 1);
    auto allDigits = [](std::string_view s) {
        for (char c : s)
            if (c < '0' || c > '9') return false;
        return true;
    };
    if ((whole.empty() && frac.empty()) || !allDigits(whole) || !allDigits(frac) ||
        (dot != std::string_view::npos && frac.empty() && whole.empty()))
        bad(quote(text) + " is not a decimal number");
    // Trailing zeros beyond the field's decimals carry no value.
    while (static_cast<int>(frac.size()) > decimals && frac.back() == '0')
        frac.remove_suffix(1);
    if (static_cast<int>(frac.size()) > decimals)
        bad(quote(text) + " has more than " + std::to_string(decimals) + " decimals");
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    if (static_cast<int>(whole.size()) > 32 - decimals)
        bad(quote(text) + " has more than " + std::to_string(32 - decimals) +
            " digits before the decimal point");
    std::string out = negative ? "-" : "";
    out += whole.empty() ? "0" : std::string(whole);
    if (!frac.empty()) out += std::string(".") + std::string(frac);
    return out;
}

} // namespace

std::string formatValue(const FieldDef& field, const Value& value, const TextCodec& codec,
                        const FormatOptions& options) {
    if (value.isNull()) return {};
    if (options.blobSizesOnly && isBlobType(field.type)) {
        std::size_t n =
            value.kind() == Value::Kind::Text ? value.asText().size() : value.asBinary().size();
        return std::string("<") + std::to_string(n) + " bytes>";
    }
    switch (value.kind()) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Integer:
        return std::to_string(value.asInteger());
    case Value::Kind::Double:
        return formatDouble(value.asDouble());
    case Value::Kind::Bool:
        return value.asBool() ? "true" : "false";
    case Value::Kind::Date:
        return formatDate(value.asDate());
    case Value::Kind::Time:
        return formatTime(value.asTime());
    case Value::Kind::Timestamp: {
        Timestamp ts = value.asTimestamp();
        return formatDate(ts.date()) + "T" + formatTime(ts.time());
    }
    case Value::Kind::Decimal:
        return value.asDecimal();
    case Value::Kind::Text:
        return codec.toUtf8(value.asText());
    case Value::Kind::Binary:
        return toHex(value.asBinary());
    }
    return {};
}

Value parseValue(const FieldDef& field, std::string_view text, const TextCodec& codec) {
    if (text.empty()) return Value::null();
    switch (field.type) {
    case FieldType::Alpha: {
        std::string bytes = codec.fromUtf8(text);
        if (bytes.find('\0') != std::string::npos) bad("text holds a NUL character");
        if (static_cast<int>(bytes.size()) > field.size)
            bad(quote(text) + " is " + std::to_string(bytes.size()) +
                " bytes long; the field holds " + std::to_string(field.size));
        return Value::text(std::move(bytes));
    }
    case FieldType::Memo:
        if (text.front() == '<' && text.back() == '>' && text.find(" bytes>") != text.npos)
            bad(quote(text) + " is only the size of a memo (dumped with --no-blobs)");
        return Value::text(codec.fromUtf8(text));
    case FieldType::Short:
        return Value::integer(parseInteger(text, -32767, 32767, "a Short field"));
    case FieldType::Long:
        return Value::integer(parseInteger(text, -2147483647, 2147483647, "a Long field"));
    case FieldType::AutoInc:
        return Value::integer(parseInteger(text, 1, 2147483647, "an Autoincrement field"));
    case FieldType::Number:
    case FieldType::Money:
        return Value::number(parseDouble(text));
    case FieldType::Logical:
        if (text == "true" || text == "TRUE" || text == "True") return Value::boolean(true);
        if (text == "false" || text == "FALSE" || text == "False") return Value::boolean(false);
        bad(quote(text) + " is not a logical value (true or false)");
    case FieldType::Date: {
        Date d;
        if (text.size() != 10 || !parseDatePart(text, d))
            bad(quote(text) + " is not a date (YYYY-MM-DD)");
        return Value::date(d);
    }
    case FieldType::Time: {
        Time t;
        if (!parseTimePart(text, t)) bad(quote(text) + " is not a time (HH:MM:SS or HH:MM:SS.mmm)");
        return Value::time(t);
    }
    case FieldType::Timestamp: {
        Date d;
        Time t;
        if (text.size() < 19 || (text[10] != 'T' && text[10] != ' ') ||
            !parseDatePart(text.substr(0, 10), d) || !parseTimePart(text.substr(11), t))
            bad(quote(text) + " is not a timestamp (YYYY-MM-DDTHH:MM:SS[.mmm])");
        return Value::timestamp(Timestamp::of(d, t));
    }
    case FieldType::Bcd:
        return Value::decimal(parseDecimal(text, field.size));
    case FieldType::Bytes: {
        std::string bytes = fromHex(text);
        if (static_cast<int>(bytes.size()) > field.size)
            bad(std::to_string(bytes.size()) + " bytes do not fit; the field holds " +
                std::to_string(field.size));
        return Value::binary(std::move(bytes));
    }
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        if (text.front() == '<')
            bad(quote(text) + " is only the size of a blob (dumped with --no-blobs)");
        return Value::binary(fromHex(text));
    }
    bad(std::string("field type ") + std::to_string(static_cast<int>(field.type)) +
        " cannot be imported");
}

std::vector<std::string> headerFields(const std::vector<FieldDef>& fields, const TextCodec& codec) {
    std::vector<std::string> out;
    out.reserve(fields.size());
    for (const auto& f : fields)
        out.push_back(codec.toUtf8(f.name));
    return out;
}

std::vector<std::string> rowFields(const std::vector<FieldDef>& fields,
                                   const std::vector<Value>& row, const TextCodec& codec,
                                   const FormatOptions& options) {
    std::vector<std::string> out;
    out.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size() && i < row.size(); ++i)
        out.push_back(formatValue(fields[i], row[i], codec, options));
    return out;
}

} // namespace ravelda::engine::csv
