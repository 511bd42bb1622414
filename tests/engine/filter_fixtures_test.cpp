// Filters over real Paradox tables: the rows a filtered cursor shows are those a plain scan
// selects, in cursor order, and the first of them are the records pxlib prints.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using Op = FilterExpr::Op;

namespace ravelda::engine {
// Readable values in failure messages.
inline void PrintTo(const Value& v, std::ostream* os) {
    *os << describe(FilterExpr::constant(v));
}
} // namespace ravelda::engine

namespace {

using Row = std::vector<Value>;

FilterExpr eq(int field, Value v) {
    return FilterExpr::compare(Op::Equal, field, std::move(v));
}
FilterExpr both(FilterExpr a, FilterExpr b) {
    return FilterExpr::binary(Op::And, std::move(a), std::move(b));
}
FilterExpr either(FilterExpr a, FilterExpr b) {
    return FilterExpr::binary(Op::Or, std::move(a), std::move(b));
}
Value text(const char* s) {
    return Value::text(s);
}
bool textIs(const Value& v, const char* s) {
    return v.kind() == Value::Kind::Text && v.asText() == s;
}
bool textLess(const Value& v, const char* s) {
    return v.kind() == Value::Kind::Text && v.asText() < s;
}
// For plain ASCII texts the international orders compare letters without regard to case first.
std::string upper(const Value& v) {
    std::string t = v.asText();
    for (char& ch : t)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return t;
}

struct FixtureCase {
    const char* table;
    const char* what;
    FilterExpr expr;
    std::function<bool(const Row&)> keeps;
    int field;                              // of the first rows to check against pxlib
    std::vector<const char*> firsts;        // pxlib's values of that field (text fields)
    std::vector<std::int64_t> firstNumbers; // or of an integer field
};

std::vector<FixtureCase> cases() {
    const Date march = Date::fromYmd(1996, 3, 1);
    return {
        {"leonhad__paradoxdriver/areas/ZIPCODES.DB",
         "a city",
         eq(2, text("Holtsville")),
         [](const Row& r) { return textIs(r[2], "Holtsville"); },
         0,
         {"00501", "00544"},
         {}},
        {"leonhad__paradoxdriver/areas/ZIPCODES.DB",
         "a state",
         eq(1, text("NY")),
         [](const Row& r) { return textIs(r[1], "NY"); },
         2,
         {"Pleasantville", "Holtsville", "Holtsville"},
         {}},
        {"leonhad__paradoxdriver/areas/ZIPCODES.DB",
         "a key range",
         both(FilterExpr::compare(Op::GreaterEqual, 0, text("10000")),
              FilterExpr::compare(Op::Less, 0, text("10100"))),
         [](const Row& r) { return !textLess(r[0], "10000") && textLess(r[0], "10100"); },
         0,
         {},
         {}},
        {"leonhad__paradoxdriver/areas/ZIPCODES.DB",
         "either",
         either(FilterExpr::compare(Op::Less, 2, text("B")), eq(1, text("AK"))),
         [](const Row& r) { return textLess(r[2], "B") || textIs(r[1], "AK"); },
         0,
         {},
         {}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.DB",
         "a number field with an integer",
         both(eq(5, Value::integer(1982)), eq(6, text("PG"))),
         [](const Row& r) {
             return !r[5].isNull() && r[5].asDouble() == 1982 && textIs(r[6], "PG");
         },
         0,
         {"A1002", "A1003"},
         {}},
        {"leonhad__paradoxdriver/mtdemo/FILMS.DB",
         "arithmetic on fields",
         FilterExpr::binary(Op::Less, FilterExpr::field(2),
                            FilterExpr::binary(Op::Subtract, FilterExpr::field(8),
                                               FilterExpr::constant(Value::integer(3)))),
         [](const Row& r) {
             return !r[2].isNull() && !r[8].isNull() && r[2].asInteger() < r[8].asInteger() - 3;
         },
         0,
         {},
         {}},
        {"leonhad__paradoxdriver/db/CUSTOMER.DB",
         "a date",
         FilterExpr::compare(Op::Less, 9, Value::date(march)),
         [march](const Row& r) { return !r[9].isNull() && r[9].asDate() < march; },
         0,
         {},
         {1, 2}},
        {"leonhad__paradoxdriver/db/CUSTOMER.DB",
         "a blank memo",
         FilterExpr::unary(Op::IsNull, FilterExpr::field(8)),
         [](const Row& r) { return r[8].isNull(); },
         0,
         {},
         {}},
        {"leonhad__paradoxdriver/db/CUSTOMER.DB",
         "memo text by the table sort order",
         FilterExpr::compare(Op::GreaterEqual, 8, text("Small")),
         [](const Row& r) { return !r[8].isNull() && upper(r[8]) >= "SMALL"; },
         0,
         {},
         {}},
        {"teverett__paradoxReader/PCLDATA/PCL.DB",
         "unkeyed, chain order",
         both(eq(16, Value::integer(2)), eq(0, text("Cursor Positioning"))),
         [](const Row& r) {
             return !r[16].isNull() && r[16].asInteger() == 2 && textIs(r[0], "Cursor Positioning");
         },
         3,
         {"Begin Subscript", "Begin Superscript", "End Sub/Superscript"},
         {}},
        {"teverett__paradoxReader/PCLDATA/PCL.DB",
         "blank fields",
         FilterExpr::binary(Op::And, eq(1, Value()), FilterExpr::compare(Op::NotEqual, 5, Value())),
         [](const Row& r) { return r[1].isNull() && !r[5].isNull(); },
         0,
         {},
         {}},
    };
}

} // namespace

TEST(FilterFixturesTest, FilteredRowsAreThoseAScanSelects) {
    RAVELDA_REQUIRE_FIXTURES();
    for (const FixtureCase& k : cases()) {
        SCOPED_TRACE(std::string(k.table) + ": " + k.what);
        const auto path = ravelda::test::paradoxFixture(k.table);
        ASSERT_FALSE(path.empty());
        OpenOptions ro;
        ro.mode = OpenMode::ReadOnly;
        auto table = Table::open(path, ro);
        std::vector<Row> want;
        for (auto& r : allRows(*table))
            if (k.keeps(r)) want.push_back(std::move(r));
        ASSERT_FALSE(want.empty()); // a filter that shows nothing would prove little
        Cursor c(*table);
        c.setFilter(k.expr);
        EXPECT_EQ(c.recordCount(), static_cast<std::int64_t>(want.size()));
        std::vector<Row> shown;
        for (bool on = c.first(); on; on = c.next())
            shown.push_back(c.row());
        EXPECT_EQ(shown, want);
        for (std::size_t i = 0; i < k.firsts.size() && i < shown.size(); ++i)
            EXPECT_EQ(shown[i][static_cast<std::size_t>(k.field)], Value::text(k.firsts[i]));
        for (std::size_t i = 0; i < k.firstNumbers.size() && i < shown.size(); ++i)
            EXPECT_EQ(shown[i][static_cast<std::size_t>(k.field)],
                      Value::integer(k.firstNumbers[i]));
        // Positions among the shown rows, from the far end.
        if (shown.size() > 1) {
            c.setRecordNumber(static_cast<std::int64_t>(shown.size()) - 1);
            EXPECT_EQ(c.row(), shown[shown.size() - 2]);
            EXPECT_EQ(c.recordNumber(), static_cast<std::int64_t>(shown.size()) - 1);
        }
    }
}
