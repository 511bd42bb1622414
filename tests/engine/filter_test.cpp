// Filter expressions: what each operator means for each kind of value, with blanks, across
// number kinds, by the table's sort order, and which trees are refused. Every case is evaluated
// twice: on decoded rows and, through a filtered cursor, on the stored records.
#include "enginetest.h"

#include "engine/error.h"
#include "engine/filter.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;
using Op = FilterExpr::Op;

namespace {

enum F { Name, Small, Count, Price, Cost, Exact, Flag, Day, At, Stamp, Note, Raw };

std::vector<FieldDef> allFields() {
    return {{"Name", FieldType::Alpha, 20},  {"Small", FieldType::Short, 0},
            {"Count", FieldType::Long, 0},   {"Price", FieldType::Number, 0},
            {"Cost", FieldType::Money, 0},   {"Exact", FieldType::Bcd, 2},
            {"Flag", FieldType::Logical, 0}, {"Day", FieldType::Date, 0},
            {"At", FieldType::Time, 0},      {"Stamp", FieldType::Timestamp, 0},
            {"Note", FieldType::Memo, 11},   {"Raw", FieldType::Bytes, 4}};
}

Value day(int y, int m, int d) {
    return Value::date(Date::fromYmd(y, m, d));
}
Value at(int h, int m, int s, int ms = 0) {
    return Value::time(Time{((h * 60 + m) * 60 + s) * 1000 + ms});
}
Value stamp(int y, int mo, int d, int h) {
    return Value::timestamp(Timestamp::of(Date::fromYmd(y, mo, d), Time{h * 3'600'000}));
}
Value txt(const char* s) {
    return Value::text(s);
}
Value raw(const char* s) {
    return Value::binary(std::string(s, 4));
}
Value num(double d) {
    return Value::number(d);
}
Value i64(std::int64_t i) {
    return Value::integer(i);
}

// Row 2 is blank throughout; row 4 has a Small of 0 (for division by zero).
std::vector<std::vector<Value>> sampleRows() {
    const Value null;
    return {
        {txt("apple"), i64(1), i64(10), num(1.5), num(2.25), Value::decimal("1.50"),
         Value::boolean(true), day(2024, 1, 15), at(8, 0, 0), stamp(2024, 1, 15, 12), txt("memo a"),
         raw("\x01\x02\x03\x04")},
        {txt("Banana"), i64(-3), i64(20), num(-0.5), num(0), Value::decimal("-2.00"),
         Value::boolean(false), day(2023, 12, 31), at(23, 59, 59, 999), stamp(2024, 1, 15, 0),
         txt("memo b"), raw("\x01\x02\x03\x05")},
        {null, null, null, null, null, null, null, null, null, null, null, null},
        {txt("banana"), i64(32767), i64(2147483647), num(10), num(1e10), Value::decimal("10.00"),
         Value::boolean(true), day(2024, 1, 16), at(0, 0, 0, 1), stamp(2024, 1, 16, 0), null, null},
        {txt("\xC1pple"), i64(0), i64(-2147483647), num(0.001), num(-1), Value::decimal("0.00"),
         Value::boolean(false), day(2024, 2, 29), at(12, 0, 0), stamp(2024, 2, 29, 23),
         txt("memo a"), raw("\xff\x00\x00\x01")},
    };
}

FilterExpr fld(int i) {
    return FilterExpr::field(i);
}
FilterExpr lit(Value v) {
    return FilterExpr::constant(std::move(v));
}
FilterExpr bin(Op op, FilterExpr a, FilterExpr b) {
    return FilterExpr::binary(op, std::move(a), std::move(b));
}
FilterExpr cmp(Op op, int field, Value v) {
    return FilterExpr::compare(op, field, std::move(v));
}
FilterExpr all(Op op, std::vector<FilterExpr> args) {
    FilterExpr e;
    e.op = op;
    e.args = std::move(args);
    return e;
}

struct Case {
    const char* what;
    FilterExpr expr;
    std::vector<int> rows; // indexes into sampleRows() the filter accepts
};

std::vector<Case> cases() {
    const Value null;
    return {
        {"integer equal", cmp(Op::Equal, Count, i64(10)), {0}},
        {"integer not equal skips blanks", cmp(Op::NotEqual, Count, i64(10)), {1, 3, 4}},
        {"integer less", cmp(Op::Less, Count, i64(20)), {0, 4}},
        {"integer less or equal", cmp(Op::LessEqual, Count, i64(20)), {0, 1, 4}},
        {"integer greater", cmp(Op::Greater, Count, i64(10)), {1, 3}},
        {"integer greater or equal", cmp(Op::GreaterEqual, Count, i64(20)), {1, 3}},
        {"short extremes", cmp(Op::Equal, Small, i64(32767)), {3}},
        {"long extremes", cmp(Op::Less, Count, i64(-2147483646)), {4}},
        {"number with an integer", cmp(Op::Equal, Price, i64(10)), {3}},
        {"integer with a double", cmp(Op::Equal, Count, num(10.0)), {0}},
        {"integer with a fraction", cmp(Op::Less, Count, num(10.5)), {0, 4}},
        {"negative number", cmp(Op::Less, Price, num(0)), {1}},
        {"money", cmp(Op::Greater, Cost, num(1e9)), {3}},
        {"money zero is not blank", cmp(Op::Equal, Cost, i64(0)), {1}},
        {"decimal with a double", cmp(Op::Equal, Exact, num(1.5)), {0}},
        {"decimal with a decimal, exactly", cmp(Op::Equal, Exact, Value::decimal("1.5")), {0}},
        {"decimal order", cmp(Op::Less, Exact, Value::decimal("0")), {1}},
        {"decimal zero", cmp(Op::Equal, Exact, Value::decimal("-0.000")), {4}},
        {"integer with a decimal", cmp(Op::Greater, Count, Value::decimal("15")), {1, 3}},
        {"field with field", bin(Op::Greater, fld(Price), fld(Small)), {0, 1, 4}},
        {"text equal, with case", cmp(Op::Equal, Name, txt("apple")), {0}},
        {"text other case", cmp(Op::Equal, Name, txt("Apple")), {}},
        {"text order by bytes", cmp(Op::Less, Name, txt("b")), {0, 1}},
        {"text prefix is less", cmp(Op::Less, Name, txt("bananas")), {0, 1, 3}},
        {"text longer than the field",
         cmp(Op::Less, Name, txt("zzzzzzzzzzzzzzzzzzzzzzzzz")),
         {0, 1, 3}},
        {"empty text means blank", cmp(Op::Equal, Name, txt("")), {2}},
        {"equal to null tests for blank", cmp(Op::Equal, Count, null), {2}},
        {"null on the left", bin(Op::Equal, lit(null), fld(Day)), {2}},
        {"not equal to null", cmp(Op::NotEqual, Name, null), {0, 1, 3, 4}},
        {"order with null is false", cmp(Op::Less, Count, null), {}},
        {"not of a false comparison",
         FilterExpr::unary(Op::Not, cmp(Op::Less, Count, null)),
         {0, 1, 2, 3, 4}},
        {"is null on memo", FilterExpr::unary(Op::IsNull, fld(Note)), {2, 3}},
        {"is null on bytes", FilterExpr::unary(Op::IsNull, fld(Raw)), {2, 3}},
        {"is null of a constant", FilterExpr::unary(Op::IsNull, lit(i64(1))), {}},
        {"logical field as a test", fld(Flag), {0, 3}},
        {"not logical", FilterExpr::unary(Op::Not, fld(Flag)), {1, 2, 4}},
        {"logical equal false", cmp(Op::Equal, Flag, Value::boolean(false)), {1, 4}},
        {"logical order", cmp(Op::Greater, Flag, Value::boolean(false)), {0, 3}},
        {"constant true", lit(Value::boolean(true)), {0, 1, 2, 3, 4}},
        {"date equal", cmp(Op::Equal, Day, day(2024, 1, 15)), {0}},
        {"leap day", cmp(Op::GreaterEqual, Day, day(2024, 2, 29)), {4}},
        {"date with timestamp field", bin(Op::Less, fld(Day), fld(Stamp)), {0, 1, 4}},
        {"date equal to midnight", bin(Op::Equal, fld(Day), fld(Stamp)), {3}},
        {"timestamp with a date", cmp(Op::Greater, Stamp, day(2024, 1, 15)), {0, 3, 4}},
        {"time", cmp(Op::Greater, At, at(12, 0, 0)), {1}},
        {"time to the millisecond", cmp(Op::Equal, At, at(0, 0, 0, 1)), {3}},
        {"timestamp", cmp(Op::GreaterEqual, Stamp, stamp(2024, 1, 15, 12)), {0, 3, 4}},
        {"memo as text", cmp(Op::Equal, Note, txt("memo a")), {0, 4}},
        {"bytes equal", cmp(Op::Equal, Raw, raw("\x01\x02\x03\x04")), {0}},
        {"bytes not equal", cmp(Op::NotEqual, Raw, raw("\x01\x02\x03\x04")), {1, 4}},
        {"add", bin(Op::Equal, bin(Op::Add, fld(Count), fld(Small)), lit(i64(11))), {0}},
        {"subtract",
         bin(Op::Equal, bin(Op::Subtract, fld(Count), lit(i64(30))), lit(i64(-10))),
         {1}},
        {"multiply", bin(Op::Equal, bin(Op::Multiply, fld(Count), lit(i64(2))), lit(i64(40))), {1}},
        {"divide gives a fraction",
         bin(Op::Equal, bin(Op::Divide, fld(Count), lit(i64(4))), lit(num(2.5))),
         {0}},
        {"integer overflow becomes a double",
         bin(Op::Greater, bin(Op::Multiply, bin(Op::Multiply, fld(Count), fld(Count)), fld(Count)),
             lit(num(9e27))),
         {3}},
        {"division by zero compares false",
         bin(Op::NotEqual, bin(Op::Divide, fld(Count), fld(Small)), lit(i64(1))),
         {0, 1, 3}},
        {"division by zero is not blank",
         FilterExpr::unary(Op::IsNull, bin(Op::Divide, fld(Count), fld(Small))),
         {2}},
        {"division by zero is not equal to null",
         bin(Op::Equal, bin(Op::Divide, fld(Count), fld(Small)), lit(null)),
         {2}},
        {"arithmetic with a blank is blank",
         FilterExpr::unary(Op::IsNull, bin(Op::Add, fld(Price), lit(i64(1)))),
         {2}},
        {"date plus days",
         bin(Op::Equal, bin(Op::Add, fld(Day), lit(i64(1))), lit(day(2024, 1, 16))),
         {0}},
        {"days plus date",
         bin(Op::Equal, bin(Op::Add, lit(i64(1)), fld(Day)), lit(day(2024, 1, 1))),
         {1}},
        {"date minus days",
         bin(Op::Equal, bin(Op::Subtract, fld(Day), lit(num(29.9))), lit(day(2024, 1, 31))),
         {4}},
        {"days between dates",
         bin(Op::Equal, bin(Op::Subtract, fld(Day), lit(day(2024, 1, 1))), lit(i64(14))),
         {0}},
        {"or",
         all(Op::Or, {cmp(Op::Equal, Count, i64(10)), cmp(Op::Equal, Name, txt("banana"))}),
         {0, 3}},
        {"and", all(Op::And, {fld(Flag), cmp(Op::Greater, Count, i64(10))}), {3}},
        {"and of three",
         all(Op::And, {cmp(Op::Greater, Count, i64(0)), cmp(Op::Less, Price, num(5)),
                       cmp(Op::NotEqual, Note, null)}),
         {0, 1}},
        {"or of three",
         all(Op::Or, {cmp(Op::Equal, Small, i64(0)), cmp(Op::Equal, Small, i64(1)),
                      cmp(Op::Equal, Small, i64(-3))}),
         {0, 1, 4}},
    };
}

struct StoredSample {
    TempDir dir;
    std::unique_ptr<Table> table;
    explicit StoredSample(const std::string& sortOrder = "ascii", int keyFields = 0) {
        const auto path = dir / "Sample.DB";
        std::vector<FieldDef> fields = allFields();
        Table::create(path, fields, keyFields, makeOptions(0x0C, 1252, 2, sortOrder));
        table = Table::open(path);
        Cursor c(*table);
        for (const auto& r : sampleRows())
            c.insert(r);
    }
};

// Indexes (in sampleRows()) of the rows a filtered cursor shows.
std::vector<int> shownRows(Cursor& c, const std::vector<std::vector<Value>>& rows) {
    std::vector<int> shown;
    if (!c.first()) return shown;
    do {
        const auto r = c.row();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == r) shown.push_back(static_cast<int>(i));
    } while (c.next());
    return shown;
}

} // namespace

TEST(FilterTest, EveryCaseOnDecodedRowsAndStoredRecords) {
    const auto rows = sampleRows();
    StoredSample stored;
    Cursor c(*stored.table);
    ASSERT_EQ(c.recordCount(), 5);
    // The stored rows read back as given (else the comparisons below would be meaningless).
    ASSERT_EQ(shownRows(c, rows), (std::vector<int>{0, 1, 2, 3, 4}));
    for (const Case& k : cases()) {
        SCOPED_TRACE(std::string(k.what) + ": " + describe(k.expr));
        const CompiledFilter f(k.expr, allFields());
        std::vector<int> decoded;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (f.matches(rows[i])) decoded.push_back(static_cast<int>(i));
        EXPECT_EQ(decoded, k.rows);
        c.setFilter(k.expr);
        EXPECT_EQ(shownRows(c, rows), k.rows);
        EXPECT_EQ(c.recordCount(), static_cast<std::int64_t>(k.rows.size()));
    }
}

TEST(FilterTest, TextComparesByTheTableSortOrder) {
    // In the international order case and accents come second: "Ápple" and "apple" are both
    // before "b", "Banana" after it; equality still wants the same bytes.
    const auto rows = sampleRows();
    for (int keyFields : {0, 1}) {
        SCOPED_TRACE(keyFields);
        StoredSample stored("intl", keyFields);
        Cursor c(*stored.table);
        c.setFilter(cmp(Op::Less, Name, txt("b")));
        auto shown = shownRows(c, rows);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, (std::vector<int>{0, 4}));
        c.setFilter(cmp(Op::Equal, Name, txt("Apple")));
        EXPECT_EQ(c.recordCount(), 0);
        c.setFilter(cmp(Op::GreaterEqual, Name, txt("BANANA")));
        shown = shownRows(c, rows);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, (std::vector<int>{1, 3}));
    }
    const CompiledFilter intl(cmp(Op::Less, Name, txt("b")), allFields(),
                              Collation::forSortOrder("intl", 0, 1252));
    EXPECT_TRUE(intl.matches(rows[4]));
    EXPECT_FALSE(intl.matches(rows[1]));
}

TEST(FilterTest, TreesThatDoNotFitAreRefused) {
    const Value null;
    const struct {
        FilterExpr expr;
        const char* message;
    } bad[] = {
        {cmp(Op::Equal, 12, i64(1)), "field index 12 is out of range"},
        {cmp(Op::Equal, -1, i64(1)), "field index -1 is out of range"},
        {cmp(Op::Equal, Name, i64(5)), "cannot compare a text with a number: (Name = 5)"},
        {cmp(Op::Less, Count, txt("5")), "cannot compare a number with a text"},
        {bin(Op::Equal, fld(At), fld(Day)), "cannot compare a time with a date"},
        {cmp(Op::Equal, Flag, i64(1)), "cannot compare a logical value with a number"},
        {cmp(Op::Less, Raw, raw("abcd")), "binary data can only be tested for equality"},
        {cmp(Op::Equal, Stamp, at(1, 0, 0)), "cannot compare a timestamp with a time"},
        {all(Op::And, {fld(Count), fld(Flag)}), "AND needs tests, not a number"},
        {all(Op::Or, {fld(Flag)}), "OR takes 2 or more operands, not 1"},
        {all(Op::Not, {fld(Flag), fld(Flag)}), "NOT takes 1 operand, not 2"},
        {all(Op::Equal, {fld(Count), lit(i64(1)), lit(i64(2))}), "= takes 2 operands, not 3"},
        {bin(Op::Equal, cmp(Op::Equal, Count, i64(1)), fld(Flag)),
         "cannot compare the result of a test"},
        {FilterExpr::unary(Op::IsNull, fld(Flag)), ""}, // fine: shown for contrast below
        {FilterExpr::unary(Op::IsNull, cmp(Op::Equal, Count, i64(1))), "IS NULL needs a value"},
        {bin(Op::Greater, bin(Op::Add, fld(Name), lit(i64(1))), lit(i64(0))),
         "cannot compute a text + a number"},
        {bin(Op::Greater, bin(Op::Multiply, fld(Day), lit(i64(2))), lit(i64(0))),
         "cannot compute a date * a number"},
        {bin(Op::Greater, bin(Op::Add, fld(Day), fld(Day)), lit(day(2000, 1, 1))),
         "cannot compute a date + a date"},
        {fld(Count), "a filter must be a test"},
        {lit(null), "a filter must be a test"},
        {cmp(Op::Equal, Exact, Value::decimal("1.2.3")), "'1.2.3' is not a decimal number"},
        {cmp(Op::Equal, Exact, Value::decimal("")), "'' is not a decimal number"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(describe(b.expr));
        if (!*b.message) {
            EXPECT_NO_THROW(CompiledFilter(b.expr, allFields()));
            continue;
        }
        try {
            CompiledFilter f(b.expr, allFields());
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::InvalidArgument);
            EXPECT_NE(e.problem().find(b.message), std::string::npos) << e.problem();
        }
    }
}

TEST(FilterTest, DeepTreesAreRefusedBeforeTheyCanExhaustTheStack) {
    auto nested = [](int depth) {
        FilterExpr e = cmp(Op::Equal, Count, i64(10));
        for (int i = 1; i < depth; ++i)
            e = FilterExpr::unary(Op::Not, std::move(e));
        return e;
    };
    // 254 NOTs over a comparison whose operands are the 256th level.
    const CompiledFilter ok(nested(255), allFields());
    EXPECT_TRUE(ok.matches(sampleRows()[0]));
    try {
        CompiledFilter(nested(256), allFields());
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::InvalidArgument);
        EXPECT_NE(e.problem().find("nested more than 256 levels"), std::string::npos);
    }
}

TEST(FilterTest, RefusedFilterLeavesTheCursorAsItWas) {
    StoredSample stored;
    Cursor c(*stored.table);
    EXPECT_THROW(c.setFilter(cmp(Op::Equal, Name, i64(5))), Error);
    EXPECT_FALSE(c.filtered());
    EXPECT_EQ(c.recordCount(), 5);
    const FilterExpr good = cmp(Op::Greater, Count, i64(10));
    c.setFilter(good);
    EXPECT_THROW(c.setFilter(cmp(Op::Equal, 40, i64(5))), Error);
    ASSERT_TRUE(c.filter().has_value());
    EXPECT_EQ(*c.filter(), good);
    EXPECT_EQ(c.recordCount(), 2);
}

TEST(FilterTest, DecodedRowsMustFitTheFields) {
    const CompiledFilter f(cmp(Op::Equal, Count, i64(10)), allFields());
    auto row = sampleRows()[0];
    EXPECT_TRUE(f.matches(row));
    row[Count] = txt("10");
    EXPECT_THROW(f.matches(row), Error);
    row.resize(3);
    EXPECT_THROW(f.matches(row), Error);
}

TEST(FilterTest, FieldsReadAndDescription) {
    const FilterExpr e = all(Op::And, {cmp(Op::Equal, Stamp, Value()), fld(Flag),
                                       bin(Op::Less, fld(Count), fld(Small))});
    const CompiledFilter f(e, allFields());
    EXPECT_EQ(f.fieldsRead(), (std::vector<int>{Small, Count, Flag, Stamp}));
    EXPECT_EQ(f.expression(), e);
    EXPECT_EQ(describe(e), "((f9 = NULL) AND f6 AND (f2 < f1))");
    // Copies share the compiled form and stay usable after the original goes.
    std::optional<CompiledFilter> original(f);
    const CompiledFilter copy = *original;
    original.reset();
    EXPECT_FALSE(copy.matches(sampleRows()[0]));
}
