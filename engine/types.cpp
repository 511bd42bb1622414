#include "engine/types.h"

#include "engine/error.h"

namespace ravelda::engine {

namespace {

struct TypeInfo {
    FieldType type;
    char letter;
    std::string_view name;
    int fixedSize; // 0 = variable
};

constexpr TypeInfo kTypes[] = {
    {FieldType::Alpha, 'A', "Alpha", 0},
    {FieldType::Date, 'D', "Date", 4},
    {FieldType::Short, 'S', "Short", 2},
    {FieldType::Long, 'I', "Long", 4},
    {FieldType::Money, '$', "Money", 8},
    {FieldType::Number, 'N', "Number", 8},
    {FieldType::Logical, 'L', "Logical", 1},
    {FieldType::Memo, 'M', "Memo", 0},
    {FieldType::Blob, 'B', "Binary", 0},
    {FieldType::FmtMemo, 'F', "Formatted memo", 0},
    {FieldType::Ole, 'O', "OLE", 0},
    {FieldType::Graphic, 'G', "Graphic", 0},
    {FieldType::Time, 'T', "Time", 4},
    {FieldType::Timestamp, '@', "Timestamp", 8},
    {FieldType::AutoInc, '+', "Autoincrement", 4},
    {FieldType::Bcd, '#', "BCD", 17},
    {FieldType::Bytes, 'Y', "Bytes", 0},
};

const TypeInfo* infoOf(FieldType type) {
    for (const auto& t : kTypes)
        if (t.type == type) return &t;
    return nullptr;
}

[[noreturn]] void wrongKind(const char* wanted) {
    throw Error(Error::Kind::InvalidArgument, {}, std::string("value is not ") + wanted);
}

// Days from 0001-01-01 (day 1) using the usual civil-from-days arithmetic.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468; // days since 1970-01-01
}

constexpr std::int64_t kEpochShift = 719163; // Paradox day number of 1970-01-01

} // namespace

char fieldTypeLetter(FieldType type) {
    const TypeInfo* t = infoOf(type);
    return t ? t->letter : '?';
}

std::optional<FieldType> fieldTypeFromLetter(char letter) {
    for (const auto& t : kTypes)
        if (t.letter == letter || (letter >= 'a' && letter <= 'z' && t.letter == letter - 32))
            return t.type;
    return std::nullopt;
}

std::string_view fieldTypeName(FieldType type) {
    const TypeInfo* t = infoOf(type);
    return t ? t->name : std::string_view("Unknown");
}

bool isBlobType(FieldType type) {
    switch (type) {
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return true;
    default:
        return false;
    }
}

bool isKnownFieldType(std::uint8_t code) {
    return infoOf(static_cast<FieldType>(code)) != nullptr;
}

int storedSize(const FieldDef& field) {
    const TypeInfo* t = infoOf(field.type);
    if (!t) return 0;
    if (t->fixedSize) return t->fixedSize;
    return field.size;
}

Date Date::fromYmd(int year, int month, int day) {
    return Date{static_cast<std::int32_t>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kEpochShift)};
}

void Date::toYmd(int& year, int& month, int& day) const {
    const std::int64_t z = static_cast<std::int64_t>(days) - kEpochShift + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (m <= 2));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

Date Timestamp::date() const {
    std::int64_t d = ms / 86400000;
    if (ms % 86400000 < 0) --d;
    return Date{static_cast<std::int32_t>(d)};
}

Time Timestamp::time() const {
    std::int64_t r = ms % 86400000;
    if (r < 0) r += 86400000;
    return Time{static_cast<std::int32_t>(r)};
}

Timestamp Timestamp::of(Date date, Time time) {
    return Timestamp{static_cast<std::int64_t>(date.days) * 86400000 + time.ms};
}

Value Value::integer(std::int64_t v) {
    Value r;
    r.data_ = v;
    return r;
}
Value Value::number(double v) {
    Value r;
    r.data_ = v;
    return r;
}
Value Value::boolean(bool v) {
    Value r;
    r.data_ = v;
    return r;
}
Value Value::date(engine::Date v) {
    Value r;
    r.data_ = v;
    return r;
}
Value Value::time(engine::Time v) {
    Value r;
    r.data_ = v;
    return r;
}
Value Value::timestamp(engine::Timestamp v) {
    Value r;
    r.data_ = v;
    return r;
}
Value Value::decimal(std::string digits) {
    Value r;
    r.data_ = DecimalText{std::move(digits)};
    return r;
}
Value Value::text(std::string bytes) {
    Value r;
    r.data_ = std::move(bytes);
    return r;
}
Value Value::binary(std::string bytes) {
    Value r;
    r.data_ = BinaryBytes{std::move(bytes)};
    return r;
}

std::int64_t Value::asInteger() const {
    if (kind() != Kind::Integer) wrongKind("an integer");
    return std::get<std::int64_t>(data_);
}
double Value::asDouble() const {
    if (kind() != Kind::Double) wrongKind("a number");
    return std::get<double>(data_);
}
bool Value::asBool() const {
    if (kind() != Kind::Bool) wrongKind("a logical");
    return std::get<bool>(data_);
}
engine::Date Value::asDate() const {
    if (kind() != Kind::Date) wrongKind("a date");
    return std::get<engine::Date>(data_);
}
engine::Time Value::asTime() const {
    if (kind() != Kind::Time) wrongKind("a time");
    return std::get<engine::Time>(data_);
}
engine::Timestamp Value::asTimestamp() const {
    if (kind() != Kind::Timestamp) wrongKind("a timestamp");
    return std::get<engine::Timestamp>(data_);
}
const std::string& Value::asDecimal() const {
    if (kind() != Kind::Decimal) wrongKind("a decimal");
    return std::get<DecimalText>(data_).s;
}
const std::string& Value::asText() const {
    if (kind() != Kind::Text) wrongKind("text");
    return std::get<std::string>(data_);
}
const std::string& Value::asBinary() const {
    if (kind() != Kind::Binary) wrongKind("binary");
    return std::get<BinaryBytes>(data_).s;
}

Value::Kind valueKindOf(FieldType type) {
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
        return Value::Kind::Text;
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return Value::Kind::Integer;
    case FieldType::Number:
    case FieldType::Money:
        return Value::Kind::Double;
    case FieldType::Logical:
        return Value::Kind::Bool;
    case FieldType::Date:
        return Value::Kind::Date;
    case FieldType::Time:
        return Value::Kind::Time;
    case FieldType::Timestamp:
        return Value::Kind::Timestamp;
    case FieldType::Bcd:
        return Value::Kind::Decimal;
    default:
        return Value::Kind::Binary;
    }
}

} // namespace ravelda::engine
