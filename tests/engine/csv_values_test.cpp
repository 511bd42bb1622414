// Field values in the dump conventions, and their parse back for import.
#include "engine/csv.h"
#include "engine/error.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace ravelda::engine;

namespace {

const TextCodec& cp1252() {
    static TextCodec codec(1252);
    return codec;
}

FieldDef field(FieldType type, int size = 0) {
    return {"F", type, size};
}

Value ts(int y, int mo, int d, int h, int mi, int s, int ms) {
    return Value::timestamp(
        Timestamp::of(Date::fromYmd(y, mo, d), Time{((h * 60 + mi) * 60 + s) * 1000 + ms}));
}

struct Case {
    FieldDef field;
    Value value;
    const char* text;
};

// Each value formats to its text, and the text parses back to the same value.
const Case kCases[] = {
    {field(FieldType::Alpha, 30), Value::text("Fatture"), "Fatture"},
    {field(FieldType::Alpha, 10), Value::text("Citt\xE0"), "Citt\xC3\xA0"}, // cp1252 à
    {field(FieldType::Memo, 11), Value::text("line 1\r\nline 2"), "line 1\r\nline 2"},
    {field(FieldType::Short), Value::integer(-32767), "-32767"},
    {field(FieldType::Short), Value::integer(1), "1"},
    {field(FieldType::Long), Value::integer(2147483647), "2147483647"},
    {field(FieldType::AutoInc), Value::integer(44), "44"},
    {field(FieldType::Number), Value::number(0.1), "0.1"},
    {field(FieldType::Number), Value::number(-200), "-200"},
    {field(FieldType::Number), Value::number(1e300), "1e+300"},
    {field(FieldType::Money), Value::number(171.1), "171.1"},
    {field(FieldType::Logical), Value::boolean(true), "true"},
    {field(FieldType::Logical), Value::boolean(false), "false"},
    {field(FieldType::Date), Value::date(Date::fromYmd(1996, 2, 2)), "1996-02-02"},
    {field(FieldType::Date), Value::date(Date::fromYmd(1, 1, 1)), "0001-01-01"},
    {field(FieldType::Time), Value::time(Time{3601000}), "01:00:01"},
    {field(FieldType::Time), Value::time(Time{86399999}), "23:59:59.999"},
    {field(FieldType::Time), Value::time(Time{50}), "00:00:00.050"},
    {field(FieldType::Timestamp), ts(2020, 2, 1, 1, 0, 1, 0), "2020-02-01T01:00:01"},
    {field(FieldType::Timestamp), ts(2024, 2, 29, 23, 5, 0, 7), "2024-02-29T23:05:00.007"},
    {field(FieldType::Bcd, 2), Value::decimal("-1.23"), "-1.23"},
    {field(FieldType::Bcd, 0), Value::decimal("12345"), "12345"},
    {field(FieldType::Bytes, 4), Value::binary(std::string("\x00\xff\x10", 3)), "00ff10"},
    {field(FieldType::Blob, 10), Value::binary("BM\x01"), "424d01"},
    {field(FieldType::Graphic, 10), Value::binary("\x7f"), "7f"},
    {field(FieldType::Long), Value::null(), ""},
    {field(FieldType::Alpha, 5), Value::null(), ""},
};

} // namespace

TEST(CsvValues, FormatAndParseEveryType) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(csv::formatValue(c.field, c.value, cp1252()), c.text);
        EXPECT_EQ(csv::parseValue(c.field, c.text, cp1252()), c.value);
    }
}

TEST(CsvValues, NoBlobsShowsOnlySizes) {
    csv::FormatOptions sizes{true};
    EXPECT_EQ(csv::formatValue(field(FieldType::Memo, 11), Value::text("12345"), cp1252(), sizes),
              "<5 bytes>");
    EXPECT_EQ(csv::formatValue(field(FieldType::Blob, 10), Value::binary("ab"), cp1252(), sizes),
              "<2 bytes>");
    EXPECT_EQ(csv::formatValue(field(FieldType::Blob, 10), Value::null(), cp1252(), sizes), "");
    // Bytes fields are not blobs: still shown in full.
    EXPECT_EQ(csv::formatValue(field(FieldType::Bytes, 2), Value::binary("ab"), cp1252(), sizes),
              "6162");
}

TEST(CsvValues, LenientInputForms) {
    struct Lenient {
        FieldDef field;
        const char* text;
        Value value;
    } cases[] = {
        {field(FieldType::Short), "+5", Value::integer(5)},
        {field(FieldType::Number), "+2.5", Value::number(2.5)},
        {field(FieldType::Number), "1E3", Value::number(1000)},
        {field(FieldType::Logical), "TRUE", Value::boolean(true)},
        {field(FieldType::Time), "10:30:00.5", Value::time(Time{37800500})},
        {field(FieldType::Timestamp), "2020-02-01 01:00:01", ts(2020, 2, 1, 1, 0, 1, 0)},
        {field(FieldType::Bcd, 2), "007.50", Value::decimal("7.50")},
        {field(FieldType::Bcd, 2), "1.2300", Value::decimal("1.23")},
        {field(FieldType::Bcd, 2), ".5", Value::decimal("0.5")},
        {field(FieldType::Bytes, 2), "ABcd", Value::binary("\xab\xcd")},
        // Three characters, three bytes in the code page: fits although longer in UTF-8.
        {field(FieldType::Alpha, 3), "\xC3\xA0\xC3\xA0\xC3\xA0", Value::text("\xE0\xE0\xE0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(csv::parseValue(c.field, c.text, cp1252()), c.value);
    }
}

TEST(CsvValues, BadTextIsRefusedWithAReason) {
    struct Bad {
        FieldDef field;
        const char* text;
        const char* reason;
    } cases[] = {
        {field(FieldType::Alpha, 4), "12345", "is 5 bytes long; the field holds 4"},
        // Zhe: valid UTF-8, but not in cp1252.
        {field(FieldType::Alpha, 9), "\xE2\x82\xAC\xD0\x96",
         "text at offset 3 holds a character that code page 1252 cannot store"},
        // Bytes that are not UTF-8 at all: stray, cut short, overlong, a surrogate, past U+10FFFF.
        {field(FieldType::Alpha, 9), "Citt\xE0", "text at offset 4 is not valid UTF-8 (byte 0xe0)"},
        {field(FieldType::Alpha, 9), "\x80", "text at offset 0 is not valid UTF-8 (byte 0x80)"},
        {field(FieldType::Alpha, 9), "ab\xE2\x82", "text at offset 2 is not valid UTF-8"},
        {field(FieldType::Alpha, 9), "\xC0\xAF", "text at offset 0 is not valid UTF-8"},
        {field(FieldType::Alpha, 9), "\xED\xA0\x80", "text at offset 0 is not valid UTF-8"},
        {field(FieldType::Alpha, 9), "\xF4\x90\x80\x80", "text at offset 0 is not valid UTF-8"},
        {field(FieldType::Memo, 11), "x\xFFy", "text at offset 1 is not valid UTF-8 (byte 0xff)"},
        {field(FieldType::Short), "32768", "outside the range of a Short field"},
        {field(FieldType::Short), "-32768", "outside the range of a Short field"},
        {field(FieldType::Long), "99999999999999999999", "outside the range of a Long field"},
        {field(FieldType::Long), "12a", "is not a whole number"},
        {field(FieldType::Long), "1.0", "is not a whole number"},
        {field(FieldType::AutoInc), "0", "outside the range of an Autoincrement field"},
        {field(FieldType::Number), "1,5", "the decimal separator is '.'"},
        {field(FieldType::Number), "abc", "is not a number"},
        {field(FieldType::Number), "1e999", "outside the range of a number"},
        // Infinities and NaN in every spelling from_chars reads.
        {field(FieldType::Number), "inf", "'inf' is outside the range of a number"},
        {field(FieldType::Number), "-inf", "'-inf' is outside the range of a number"},
        {field(FieldType::Number), "+INF", "'+INF' is outside the range of a number"},
        {field(FieldType::Number), "Infinity", "'Infinity' is outside the range of a number"},
        {field(FieldType::Money), "-infinity", "'-infinity' is outside the range of a number"},
        {field(FieldType::Number), "nan", "'nan' is not a number"},
        {field(FieldType::Number), "-NaN", "'-NaN' is not a number"},
        {field(FieldType::Money), "nan(1)", "'nan(1)' is not a number"},
        {field(FieldType::Logical), "yes", "is not a logical value"},
        {field(FieldType::Date), "2023-02-29", "is not a date (YYYY-MM-DD)"},
        {field(FieldType::Date), "2023-1-5", "is not a date"},
        {field(FieldType::Date), "05/01/2023", "is not a date"},
        {field(FieldType::Time), "24:00:00", "is not a time"},
        {field(FieldType::Time), "10:00:00.1234", "is not a time"},
        {field(FieldType::Timestamp), "2020-02-01", "is not a timestamp"},
        {field(FieldType::Timestamp), "2020-02-01X01:00:00", "is not a timestamp"},
        {field(FieldType::Bcd, 2), "1.234", "has more than 2 decimals"},
        {field(FieldType::Bcd, 2), "1-2", "is not a decimal number"},
        {field(FieldType::Bcd, 30), "123", "more than 2 digits before the decimal point"},
        {field(FieldType::Bytes, 2), "abc", "odd number of digits"},
        {field(FieldType::Bytes, 2), "zz", "is not hex bytes"},
        {field(FieldType::Bytes, 2), "010203", "3 bytes do not fit"},
        {field(FieldType::Blob, 10), "<12 bytes>", "dumped with --no-blobs"},
        {field(FieldType::Memo, 11), "<12 bytes>", "dumped with --no-blobs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            csv::parseValue(c.field, c.text, cp1252());
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            if (c.reason) {
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
            }
        }
    }
}

TEST(CsvValues, DoublesRoundTripExactly) {
    std::mt19937_64 rng(7);
    const FieldDef f = field(FieldType::Number);
    for (int i = 0; i < 20000; ++i) {
        double v = std::bit_cast<double>(rng());
        if (!std::isfinite(v)) continue;
        std::string text = csv::formatValue(f, Value::number(v), cp1252());
        ASSERT_EQ(text.find(','), std::string::npos);
        Value back = csv::parseValue(f, text, cp1252());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back.asDouble()), std::bit_cast<std::uint64_t>(v))
            << text;
    }
}

TEST(CsvLayout, HeaderInAnyOrderAndMissingFieldsAreNull) {
    std::vector<FieldDef> fields{{"Tabella", FieldType::Alpha, 30},
                                 {"Anno", FieldType::Alpha, 4},
                                 {"Registro", FieldType::Short, 2},
                                 {"Chiave", FieldType::Long, 4}};
    csv::ImportLayout layout(fields, {"registro", "TABELLA", "Anno"}, cp1252());
    EXPECT_EQ(layout.columns(), (std::vector<int>{2, 0, 1}));
    auto row = layout.row({"3", "Fatture", "2024"}, 2);
    EXPECT_EQ(row, (std::vector<Value>{Value::text("Fatture"), Value::text("2024"),
                                       Value::integer(3), Value::null()}));
}

TEST(CsvLayout, ErrorsNameLineAndField) {
    std::vector<FieldDef> fields{{"Anno", FieldType::Alpha, 4}, {"Registro", FieldType::Short, 2}};
    auto headerError = [&](std::vector<std::string> header) {
        try {
            csv::ImportLayout layout(fields, header, cp1252());
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(headerError({"Anno", "Nope"}).find("line 1, column 2: the table has no field 'Nope'"),
              std::string::npos);
    EXPECT_NE(headerError({"Anno", "anno"}).find("'anno' is named twice"), std::string::npos);
    EXPECT_NE(headerError({""}).find("names no field"), std::string::npos);

    csv::ImportLayout layout(fields, {"Registro", "Anno"}, cp1252());
    try {
        layout.row({"x", "2024"}, 7);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.problem(), "line 7, field 'Registro': 'x' is not a whole number");
    }
    try {
        layout.row({"1"}, 9);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.problem(), "line 9: 1 fields where the header has 2");
    }
}
