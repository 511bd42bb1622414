// Reading the real Paradox tables of the shared fixtures: every type, version and layout.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/fixtures.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::paradoxFixture;
using ravelda::test::TempDir;

namespace {

std::unique_ptr<Table> openFixture(const std::string& rel, int codePage = 0) {
    return Table::open(paradoxFixture(rel), OpenOptions{OpenMode::ReadOnly, codePage});
}

std::vector<Value> column(const std::string& rel, int field) {
    auto t = openFixture(rel);
    std::vector<Value> out;
    for (const auto& r : allRows(*t))
        out.push_back(r[static_cast<size_t>(field)]);
    return out;
}

// Copies a table's files (all with the same stem) into dir, for tests that write.
std::filesystem::path copyTable(const std::string& rel, const std::filesystem::path& dir) {
    const auto src = paradoxFixture(rel);
    const auto stem = src.stem().string();
    for (const auto& e : std::filesystem::directory_iterator(src.parent_path()))
        if (e.path().stem().string() == stem) {
            std::filesystem::copy_file(e.path(), dir / e.path().filename());
            std::filesystem::permissions(dir / e.path().filename(),
                                         std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
        }
    return dir / src.filename();
}

const char* const kDriver = "leonhad__paradoxdriver/";

} // namespace

TEST(FixtureReadTest, ScalarTypesDecodeExactly) {
    RAVELDA_REQUIRE_FIXTURES();
    const std::string f = std::string(kDriver) + "fields/";
    EXPECT_EQ(column(f + "bcd.db", 0),
              (std::vector<Value>{Value::decimal("1.23"), Value::decimal("-1.23"),
                                  Value::decimal("0.00")}));
    EXPECT_EQ(column(f + "bcd.db", 1),
              (std::vector<Value>{Value::decimal("1"), Value::decimal("-1"), Value()}));
    EXPECT_EQ(column(f + "bcd.db", 2)[0], Value::decimal("0.1229999999999999980"));
    EXPECT_EQ(column(f + "date7.db", 0)[0], Value::date(Date::fromYmd(2018, 1, 1)));
    EXPECT_EQ(column(f + "date7.db", 1)[2], Value::time(Time{33925000}));
    EXPECT_EQ(column(f + "date35.db", 0)[1], Value::date(Date{736726}));
    EXPECT_EQ(column(f + "time.db", 0), (std::vector<Value>{Value::time(Time{3601000}), Value(),
                                                            Value::time(Time{10803000})}));
    const auto ts = column(f + "timestamp.db", 0);
    EXPECT_TRUE(ts[0].isNull());
    EXPECT_EQ(ts[1].asTimestamp(), Timestamp::of(Date::fromYmd(2020, 2, 1), Time{3601000}));
    const auto logical = column(f + "logical.db", 0);
    ASSERT_EQ(logical.size(), 4u);
    EXPECT_EQ(logical[0], Value::boolean(true));
    EXPECT_EQ(logical[1], Value::boolean(false));
    EXPECT_EQ(column(f + "long.db", 1)[2], Value());
    const auto bytes = column(f + "bytes.db", 0)[0].asBinary();
    ASSERT_EQ(bytes.size(), 255u);
    EXPECT_EQ(bytes.substr(0, 6), std::string("1\0002\0003\000", 6));
    EXPECT_EQ(column(std::string(kDriver) + "db/DECIMAL.DB", 0)[0], Value::number(-200));
    EXPECT_EQ(column(std::string(kDriver) + "db/GENERAL.DB", 0)[2], Value::integer(333333333));
    EXPECT_EQ(column(std::string(kDriver) + "db/GENERAL.DB", 2)[1], Value::number(150));
}

TEST(FixtureReadTest, BlobsFromLeaderAndBlobFile) {
    RAVELDA_REQUIRE_FIXTURES();
    const std::string f = std::string(kDriver) + "fields/";
    const auto memo = column(f + "memo.db", 1);
    EXPECT_EQ(memo[0].asText().size(), 555u); // sub-allocated block
    EXPECT_EQ(memo[0].asText().substr(0, 12), "012345678900");
    EXPECT_EQ(memo[1].asText().size(), 12u); // whole value in the leader
    const auto fmemo = column(f + "fmemo.db", 1);
    EXPECT_EQ(fmemo[0].asBinary().size(), 169u);
    EXPECT_EQ(fmemo[1].asBinary().size(), 726u);
    const auto graphic = column(f + "graphic240.db", 1)[0].asBinary();
    EXPECT_EQ(graphic.size(), 20078u); // without the 8-byte graphic prefix
    EXPECT_EQ(graphic.substr(0, 2), "BM");
    const auto comments = column(std::string(kDriver) + "db/CUSTOMER.DB", 8);
    EXPECT_EQ(comments[0].asText(), "Small comment (less 100 symbols)");
    EXPECT_EQ(comments[1].asText().size(), 518u);
    for (const auto& v : column(std::string(kDriver) + "db/HERCULES.DB", 1))
        EXPECT_FALSE(v.isNull());
}

TEST(FixtureReadTest, HeadersOfEveryVersion) {
    RAVELDA_REQUIRE_FIXTURES();
    struct Case {
        std::string rel;
        std::string version;
        int keys;
        std::int64_t records;
        int codePage;
        std::string sortOrder;
    } cases[] = {
        {std::string(kDriver) + "areas/AREACODE.DB", "3.0", 0, 239, 437, "ascii"},
        {std::string(kDriver) + "mtdemo/KRENTAL.DB", "3.0", 3, 198, 437, "ascii"},
        {std::string(kDriver) + "fields/date35.db", "3.5", 0, 3, 437, "ascii"},
        {std::string(kDriver) + "areas/ZIPCODES.DB", "4.x", 1, 43185, 437, "ascii"},
        {std::string(kDriver) + "fields/memo.db", "5.x", 1, 2, 850, "ascii"},
        {std::string(kDriver) + "db/SERVER.DB", "7.x", 2, 4, 1252, "ANSII850"},
        {std::string(kDriver) + "db/AREACODES.DB", "7.x", 1, 370, 1252, "DBWINUS0"},
        {std::string(kDriver) + "joins/two.db", "5.x", 2, 0, 850, "ascii"},
    };
    for (const auto& c : cases) {
        auto t = openFixture(c.rel);
        EXPECT_EQ(t->versionName(), c.version) << c.rel;
        EXPECT_EQ(t->keyFieldCount(), c.keys) << c.rel;
        EXPECT_EQ(t->recordCount(), c.records) << c.rel;
        EXPECT_EQ(t->codePage(), c.codePage) << c.rel;
        EXPECT_EQ(t->sortOrder(), c.sortOrder) << c.rel;
        EXPECT_EQ(static_cast<std::int64_t>(allRows(*t).size()), c.records) << c.rel;
        EXPECT_EQ(problems(paradoxFixture(c.rel)), "") << c.rel;
    }
}

TEST(FixtureReadTest, FreeBlocksAndOutOfOrderChainsAreFollowed) {
    RAVELDA_REQUIRE_FIXTURES();
    // FILMS.DB has block 5 on the free list; RENTAL.DB has its chain out of file order.
    for (const char* rel : {"mtdemo/FILMS.DB", "mtdemo/RENTAL.DB"}) {
        auto t = openFixture(std::string(kDriver) + rel);
        const auto rows = allRows(*t);
        EXPECT_EQ(static_cast<std::int64_t>(rows.size()), t->recordCount()) << rel;
        Cursor c(*t);
        ASSERT_TRUE(c.last());
        std::int64_t back = 1;
        while (c.prior())
            ++back;
        EXPECT_EQ(back, t->recordCount()) << rel;
    }
}

TEST(FixtureReadTest, PicturesOfBothValLayouts) {
    RAVELDA_REQUIRE_FIXTURES();
    EXPECT_EQ(openFixture(std::string(kDriver) + "areas/ZIPCODES.DB")->pictures(),
              (std::vector<FieldPicture>{{1, "#####"}, {2, "&&"}}));
    EXPECT_EQ(openFixture(std::string(kDriver) + "db/AREACODE.DB")->pictures(),
              (std::vector<FieldPicture>{{1, "###"}, {4, "&&"}}));
    EXPECT_EQ(openFixture(std::string(kDriver) + "joins/multiple.db")->picture(3),
              "[(*3{#}) ]*3{#}-*4{#}");
    auto films = openFixture(std::string(kDriver) + "mtdemo/FILMS.DB"); // 3.x layout
    EXPECT_FALSE(films->pictures().empty());
    bool yearChecked = false;
    for (const auto& c : films->checks())
        if (c.fieldNumber == 6) {
            yearChecked = true;
            EXPECT_EQ(c.minimum, Value::number(1900));
            EXPECT_EQ(c.maximum, Value::number(1999));
            EXPECT_EQ(c.picture, "####");
        }
    EXPECT_TRUE(yearChecked);
    const auto logical = openFixture(std::string(kDriver) + "fields/logical.db")->checks();
    ASSERT_EQ(logical.size(), 1u);
    EXPECT_TRUE(logical[0].required);
    EXPECT_EQ(logical[0].defaultValue, Value::boolean(true));
    EXPECT_TRUE(openFixture(std::string(kDriver) + "fields/memo.db")->pictures().empty());
}

TEST(FixtureReadTest, TablesTheEngineMustNotWriteOpenReadOnly) {
    RAVELDA_REQUIRE_FIXTURES();
    TempDir dir;
    struct Case {
        std::string rel;
        std::string reason;
    } cases[] = {
        {std::string(kDriver) + "db/CUSTOMER.DB", "secondary indexes"},
        {std::string(kDriver) + "db/GENERAL.DB", ""}, // key without Alpha: any order compares
        {std::string(kDriver) + "db/SERVER.DB", ""},
        {std::string(kDriver) + "db/ROMAN8.db", ""}, // unkeyed: nothing to order
        {std::string(kDriver) + "areas/STATES.DB", "primary index"},
    };
    for (const auto& c : cases) {
        TempDir copy;
        auto t = Table::open(copyTable(c.rel, copy.path()));
        EXPECT_EQ(t->canModify(), c.reason.empty()) << c.rel << ": " << t->readOnlyReason();
        EXPECT_NE(t->readOnlyReason().find(c.reason), std::string::npos) << c.rel;
    }
    for (const char* rel : {"encrypt/encrypted.db", "encrypt/encrypted35.db"}) {
        try {
            openFixture(std::string(kDriver) + rel);
            ADD_FAILURE() << rel;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Unsupported);
            EXPECT_NE(std::string(e.what()).find("encrypted"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find(rel + 8), std::string::npos);
        }
    }
}

TEST(FixtureReadTest, CodePageOverride) {
    RAVELDA_REQUIRE_FIXTURES();
    // The header says 1252 but the text is Cyrillic in 1251.
    auto t = openFixture("grigoryvp__pyparadox/test.db", 1251);
    EXPECT_EQ(t->codePage(), 1251);
    const auto rows = allRows(*t);
    const std::string utf8 = t->codec().toUtf8(rows[1][2].asText());
    ASSERT_GE(utf8.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(utf8[0]) & 0xFE, 0xD0); // Cyrillic (U+0400..U+047F)
}

TEST(FixtureReadTest, MultiLevelIndexRecordNumbersAndLocate) {
    RAVELDA_REQUIRE_FIXTURES();
    auto t = openFixture(std::string(kDriver) + "areas/ZIPCODES.DB");
    Cursor c(*t);
    EXPECT_EQ(c.recordCount(), 43185);
    for (std::int64_t n : {1LL, 2LL, 63LL, 64LL, 11592LL, 11593LL, 30000LL, 43185LL}) {
        c.setRecordNumber(n);
        EXPECT_EQ(c.recordNumber(), n);
    }
    ASSERT_TRUE(c.last());
    EXPECT_EQ(c.recordNumber(), 43185);
    ASSERT_TRUE(c.locate({0}, {Value::text("00501")}));
    EXPECT_EQ(c.recordNumber(), 2);
    EXPECT_EQ(c.row()[2], Value::text("Holtsville"));
    ASSERT_TRUE(c.locate({0}, {Value::text("9")}, LocateOptions{true, false}));
    EXPECT_EQ(c.row()[0].asText().substr(0, 1), "9");
    const auto at = c.recordNumber();
    EXPECT_FALSE(c.locate({0}, {Value::text("ZZZZZ")}));
    EXPECT_EQ(c.recordNumber(), at); // a failed locate leaves the cursor
    ASSERT_TRUE(c.locate({2}, {Value::text("holtsville")}, LocateOptions{false, true}));
    EXPECT_EQ(c.row()[0], Value::text("00501"));
    EXPECT_EQ(c.moveBy(1000), 1000);
    EXPECT_EQ(c.recordNumber(), 1002);
    EXPECT_EQ(c.moveBy(-5000), -1001);
    EXPECT_TRUE(c.bof());
    EXPECT_EQ(c.moveBy(100000), 43184);
    EXPECT_TRUE(c.eof());
}

TEST(FixtureReadTest, WritingIntoCopiesOfRealTablesKeepsThemSound) {
    RAVELDA_REQUIRE_FIXTURES();
    struct Case {
        std::string rel;
        std::vector<Value> row;
    } cases[] = {
        {std::string(kDriver) + "areas/ZIPCODES.DB",
         {Value::text("00400"), Value::text("NY"), Value::text("Nowhere")}},
        {std::string(kDriver) + "db/SERVER.DB",
         {Value::text("G"), Value::text("/A.HTM"), Value::text("L"), Value::text("H")}},
        {std::string(kDriver) + "mtdemo/FILMS.DB",
         {Value::text("A1000"), Value::text("T"), Value::integer(1), Value::text("X"),
          Value::text("Drama"), Value::number(1950), Value::text("G"), Value::number(2),
          Value::integer(1)}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto path = copyTable(c.rel, dir.path());
        {
            auto t = Table::open(path);
            ASSERT_TRUE(t->canModify()) << c.rel << ": " << t->readOnlyReason();
            const auto before = t->recordCount();
            Cursor cur(*t);
            cur.insert(c.row);
            EXPECT_EQ(cur.recordNumber(), 1) << c.rel; // each sorts first
            EXPECT_THROW(cur.insert(c.row), Error);
            cur.remove(); // the cursor is still on the new row
            EXPECT_EQ(t->recordCount(), before) << c.rel;
            cur.last();
            cur.remove();
            EXPECT_EQ(t->recordCount(), before - 1) << c.rel;
            EXPECT_TRUE(cur.eof());
        }
        EXPECT_EQ(problems(path), "") << c.rel;
    }
}
