#include "engine/codepage.h"
#include "engine/error.h"
#include "engine/types.h"

#include <gtest/gtest.h>

using namespace ravelda::engine;

TEST(DateTest, ParadoxDayNumbers) {
    struct Case {
        int y, m, d;
        std::int32_t days;
    } cases[] = {{1, 1, 1, 1}, {1996, 2, 2, 728691}, {1970, 1, 1, 719163}, {2000, 2, 29, 730179}};
    for (const auto& c : cases) {
        EXPECT_EQ(Date::fromYmd(c.y, c.m, c.d).days, c.days) << c.y << "-" << c.m << "-" << c.d;
        int y = 0, m = 0, d = 0;
        Date{c.days}.toYmd(y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST(ValueTest, KindsAndWrongAccess) {
    EXPECT_TRUE(Value().isNull());
    EXPECT_EQ(Value::integer(5).asInteger(), 5);
    EXPECT_EQ(Value::text("ab").asText(), "ab");
    EXPECT_EQ(Value::binary("ab").kind(), Value::Kind::Binary);
    EXPECT_NE(Value::text("ab"), Value::binary("ab"));
    EXPECT_THROW(Value::integer(1).asText(), Error);
}

TEST(TypesTest, LettersRoundTrip) {
    for (char c : std::string("ADSI$NLMBFOGT@+#Y")) {
        auto t = fieldTypeFromLetter(c);
        ASSERT_TRUE(t.has_value()) << c;
        EXPECT_EQ(fieldTypeLetter(*t), c);
    }
    EXPECT_FALSE(fieldTypeFromLetter('Z').has_value());
}

TEST(TextCodecTest, ConvertsAndRefuses) {
    TextCodec cp1252(1252);
    EXPECT_EQ(cp1252.fromUtf8("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(cp1252.toUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_THROW(cp1252.fromUtf8("\xD0\x96"), Error); // Cyrillic Zhe has no cp1252 byte
    EXPECT_THROW(cp1252.fromUtf8("\xFF"), Error);     // not UTF-8
    TextCodec cp437(437);
    EXPECT_EQ(cp437.fromUtf8("\xC3\xA9"), "\x82");
    EXPECT_THROW(TextCodec(99999), Error);
}
