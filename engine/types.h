#pragma once
// Field types, field definitions and values of Paradox tables.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace ravelda::engine {

// Field type codes exactly as stored in a .DB header.
enum class FieldType : std::uint8_t {
    Alpha = 0x01,     // A n: text, n = 1..255 bytes in the table's code page
    Date = 0x02,      // D
    Short = 0x03,     // S: 16-bit integer
    Long = 0x04,      // I: 32-bit integer
    Money = 0x05,     // $: double, shown with 2 decimals
    Number = 0x06,    // N: double
    Logical = 0x09,   // L
    Memo = 0x0C,      // M: text blob (.MB)
    Blob = 0x0D,      // B: binary blob
    FmtMemo = 0x0E,   // F: formatted-memo blob
    Ole = 0x0F,       // O: OLE blob
    Graphic = 0x10,   // G: graphic blob
    Time = 0x14,      // T: milliseconds since midnight
    Timestamp = 0x15, // @
    AutoInc = 0x16,   // +: 32-bit integer issued by the engine
    Bcd = 0x17,       // #: packed decimal, size = number of decimals
    Bytes = 0x18,     // Y n: raw bytes
};

// One letter per type as Paradox writes it ("A", "D", "S", "I", "$", "N", "L", "M", "B", "F",
// "O", "G", "T", "@", "+", "#", "Y").
char fieldTypeLetter(FieldType type);
std::optional<FieldType> fieldTypeFromLetter(char letter);
// A readable English name ("Alpha", "Short", "Autoincrement", …).
std::string_view fieldTypeName(FieldType type);
// Memo, Blob, FmtMemo, Ole and Graphic keep their data in the .MB file.
bool isBlobType(FieldType type);
// True when the type can be decoded from a raw code byte of a header.
bool isKnownFieldType(std::uint8_t code);

// A field as the header describes it. `size` is the header's size byte: the length for Alpha and
// Bytes, the bytes kept in the record for blob types (leader + 10, so "M 240" has size 250), the
// number of decimals for Bcd, and the fixed width for every other type. When creating a table,
// size 0 of a fixed-width type means "its natural width".
struct FieldDef {
    std::string name; // in the table's code page (the field names are stored that way)
    FieldType type = FieldType::Alpha;
    int size = 0;
    bool operator==(const FieldDef&) const = default;
};

// Bytes a field of this definition takes in a record (17 for Bcd whatever its decimals).
int storedSize(const FieldDef& field);

// A calendar date as Paradox counts it: day 1 is 0001-01-01 of the proleptic Gregorian calendar.
struct Date {
    std::int32_t days = 0;
    static Date fromYmd(int year, int month, int day);
    void toYmd(int& year, int& month, int& day) const;
    auto operator<=>(const Date&) const = default;
};

// Milliseconds since midnight (0 .. 86 399 999).
struct Time {
    std::int32_t ms = 0;
    auto operator<=>(const Time&) const = default;
};

// Milliseconds since the start of day 0 (the day before 0001-01-01): days × 86 400 000 + ms of
// day, the exact value Paradox stores.
struct Timestamp {
    std::int64_t ms = 0;
    Date date() const;
    Time time() const;
    static Timestamp of(Date date, Time time);
    auto operator<=>(const Timestamp&) const = default;
};

// A field value. Blank fields are Null; Paradox does not tell an empty Alpha from a blank one.
//   Alpha, Memo                 -> Text (bytes in the table's code page)
//   Short, Long, AutoInc        -> Integer
//   Number, Money               -> Double
//   Logical                     -> Bool
//   Date / Time / Timestamp     -> Date / Time / Timestamp
//   Bcd                         -> Decimal (text "-123.45", exact digits as stored)
//   Bytes, Blob, FmtMemo, Ole, Graphic -> Binary (raw bytes; Graphic without its 8-byte prefix)
class Value {
public:
    enum class Kind { Null, Integer, Double, Bool, Date, Time, Timestamp, Decimal, Text, Binary };

    Value() = default;
    static Value null() { return Value(); }
    static Value integer(std::int64_t v);
    static Value number(double v);
    static Value boolean(bool v);
    static Value date(Date v);
    static Value time(Time v);
    static Value timestamp(Timestamp v);
    static Value decimal(std::string digits); // "[-]digits[.digits]"
    static Value text(std::string bytes);
    static Value binary(std::string bytes);

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    // Each accessor requires the matching kind (Error InvalidArgument otherwise).
    std::int64_t asInteger() const;
    double asDouble() const;
    bool asBool() const;
    engine::Date asDate() const;
    engine::Time asTime() const;
    engine::Timestamp asTimestamp() const;
    const std::string& asDecimal() const;
    const std::string& asText() const;   // Text
    const std::string& asBinary() const; // Binary

    bool operator==(const Value& other) const = default;

private:
    struct DecimalText {
        std::string s;
        bool operator==(const DecimalText&) const = default;
    };
    struct BinaryBytes {
        std::string s;
        bool operator==(const BinaryBytes&) const = default;
    };
    std::variant<std::monostate, std::int64_t, double, bool, engine::Date, engine::Time,
                 engine::Timestamp, DecimalText, std::string, BinaryBytes>
        data_;
};

// The value kind a field of this type reads as (Null never).
Value::Kind valueKindOf(FieldType type);

} // namespace ravelda::engine
