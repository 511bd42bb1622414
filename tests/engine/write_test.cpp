#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

std::string keyText(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "TAB%05d", i);
    return buf;
}

} // namespace

TEST(TableCreateTest, KeysShapeOpensEmptyAndDescribesItself) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252));
    auto t = Table::open(path);
    ASSERT_EQ(t->fields().size(), 4u);
    EXPECT_EQ(t->fields()[0].name, "Tabella");
    EXPECT_EQ(t->fields()[2].type, FieldType::Short);
    EXPECT_EQ(t->fields()[2].size, 2);
    EXPECT_EQ(t->keyFieldCount(), 3);
    EXPECT_EQ(t->versionName(), "7.x");
    EXPECT_EQ(t->codePage(), 1252);
    EXPECT_EQ(t->sortOrder(), "ascii");
    EXPECT_EQ(t->recordCount(), 0);
    EXPECT_TRUE(t->canModify()) << t->readOnlyReason();
    EXPECT_EQ(t->fieldIndex("anno"), 1);
    EXPECT_EQ(t->fieldIndex("nope"), -1);
    Cursor c(*t);
    EXPECT_FALSE(c.hasRow());
    EXPECT_TRUE(c.bof());
    EXPECT_TRUE(c.eof());
    EXPECT_EQ(problems(path), "");
}

TEST(TableCreateTest, RefusesBadDefinitions) {
    TempDir dir;
    struct Case {
        const char* what;
        std::vector<FieldDef> fields;
        int keys;
        CreateOptions options;
    } cases[] = {
        {"no fields", {}, 0, {}},
        {"alpha size 0", {{"A", FieldType::Alpha, 0}}, 0, {}},
        {"alpha too long", {{"A", FieldType::Alpha, 256}}, 0, {}},
        {"duplicate names", {{"A", FieldType::Long, 0}, {"a", FieldType::Long, 0}}, 0, {}},
        {"empty name", {{"", FieldType::Long, 0}}, 0, {}},
        {"wrong fixed size", {{"A", FieldType::Short, 4}}, 0, {}},
        {"too many keys", {{"A", FieldType::Long, 0}}, 2, {}},
        {"blob in key", {{"M", FieldType::Memo, 20}}, 1, {}},
        {"record too big for block",
         {{"A", FieldType::Alpha, 255},
          {"B", FieldType::Alpha, 255},
          {"C", FieldType::Alpha, 255},
          {"D", FieldType::Alpha, 255},
          {"E", FieldType::Alpha, 255}},
         0,
         makeOptions(0x0C, 1252, 1)},
        {"unknown version", {{"A", FieldType::Long, 0}}, 0, makeOptions(2)},
        {"unknown code page", {{"A", FieldType::Long, 0}}, 0, makeOptions(0x0C, 12345)},
        {"unknown sort order",
         {{"A", FieldType::Long, 0}},
         0,
         makeOptions(0x0C, 1252, 2, "klingon")},
        {"picture of a missing field",
         {{"A", FieldType::Long, 0}},
         0,
         [] {
             CreateOptions o;
             o.pictures = {{2, "###"}};
             return o;
         }()},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(Table::create(dir / "T.DB", c.fields, c.keys, c.options), Error) << c.what;
        EXPECT_FALSE(std::filesystem::exists(dir / "T.DB")) << c.what;
    }
    Table::create(dir / "T.DB", {{"A", FieldType::Long, 0}}, 1);
    EXPECT_THROW(Table::create(dir / "T.DB", {{"A", FieldType::Long, 0}}, 1), Error);
    CreateOptions again;
    again.overwrite = true;
    EXPECT_NO_THROW(Table::create(dir / "T.DB", {{"B", FieldType::Long, 0}}, 0, again));
    EXPECT_EQ(Table::open(dir / "T.DB")->fields()[0].name, "B");
    EXPECT_FALSE(std::filesystem::exists(dir / "T.PX"));
}

TEST(TableWriteTest, KeyedRowsStayInKeyOrderAcrossSplits) {
    TempDir dir;
    // 1 KiB blocks: 25 rows a block, 2-level index after a few hundred rows.
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    auto t = Table::open(path);
    Cursor c(*t);
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        const int k = (i * 7919) % n; // a permutation of 0..n-1
        c.insert(keysRow(keyText(k), "2024", 1, k));
        ASSERT_EQ(c.row()[3].asInteger(), k); // the cursor sits on the new row
    }
    EXPECT_EQ(t->recordCount(), n);
    const auto rows = allRows(*t);
    ASSERT_EQ(rows.size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(rows[static_cast<size_t>(i)][3].asInteger(), i);
    EXPECT_EQ(problems(path), "");
    auto reopened = Table::open(path);
    EXPECT_EQ(reopened->recordCount(), n);
    Cursor r(*reopened);
    r.setRecordNumber(1234);
    EXPECT_EQ(r.row()[3].asInteger(), 1233);
    EXPECT_EQ(r.recordNumber(), 1234);
}

TEST(TableWriteTest, DuplicateKeyIsRefusedAndNothingWritten) {
    setSyncToDisk(true); // this one goes through the synced path
    TempDir dir;
    const auto path = createKeys(dir.path());
    auto t = Table::open(path);
    Cursor c(*t);
    c.insert(keysRow("FATTURE", "2024", 1, 10));
    const auto before = std::filesystem::file_size(path);
    try {
        c.insert(keysRow("FATTURE", "2024", 1, 99));
        FAIL() << "duplicate accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::KeyViolation);
        EXPECT_EQ(e.problem(), "Key violation");
        EXPECT_EQ(e.file(), path);
    }
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(t->recordCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
    EXPECT_EQ(allRows(*t)[0][3].asInteger(), 10);
    // A different register is a different key.
    c.insert(keysRow("FATTURE", "2024", 2, 1));
    EXPECT_EQ(t->recordCount(), 2);
    EXPECT_EQ(problems(path), "");
    setSyncToDisk(false);
}

TEST(TableWriteTest, UpdateInPlaceAndWithKeyChange) {
    TempDir dir;
    const auto path = createKeys(dir.path());
    auto t = Table::open(path);
    Cursor c(*t);
    for (const char* name : {"A", "B", "C", "D"}) {
        c.insert(keysRow(name, "2024", 1, 0));
    }
    ASSERT_TRUE(c.locate({0}, {Value::text("B")}));
    c.update(keysRow("B", "2024", 1, 41));
    EXPECT_EQ(c.row()[3].asInteger(), 41);
    // Moving B after D by changing its key.
    c.update(keysRow("E", "2024", 1, 42));
    EXPECT_EQ(c.row()[0].asText(), "E");
    EXPECT_EQ(c.recordNumber(), 4);
    std::vector<std::string> order;
    for (const auto& r : allRows(*t))
        order.push_back(r[0].asText());
    EXPECT_EQ(order, (std::vector<std::string>{"A", "C", "D", "E"}));
    // Changing a key onto another row's key is a key violation and changes nothing.
    try {
        c.update(keysRow("A", "2024", 1, 0));
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::KeyViolation);
    }
    EXPECT_EQ(allRows(*t).size(), 4u);
    EXPECT_EQ(problems(path), "");
}

TEST(TableWriteTest, DeleteToEmptyAndRefill) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    auto t = Table::open(path);
    Cursor c(*t);
    const int n = 200;
    for (int i = 0; i < n; ++i)
        c.insert(keysRow(keyText(i), "2024", 1, i));
    // Delete every other row, checking structure along the way.
    for (int i = 0; i < n; i += 2) {
        ASSERT_TRUE(c.locate({0}, {Value::text(keyText(i))}));
        c.remove();
        if (i + 1 < n) {
            EXPECT_EQ(c.row()[3].asInteger(), i + 1); // the cursor moves to the next row
        }
    }
    EXPECT_EQ(t->recordCount(), n / 2);
    EXPECT_EQ(problems(path), "");
    c.first();
    while (c.hasRow() && t->recordCount() > 0)
        c.remove();
    EXPECT_EQ(t->recordCount(), 0);
    EXPECT_FALSE(c.hasRow());
    EXPECT_EQ(problems(path), "");
    EXPECT_EQ(std::filesystem::file_size(path), 0x800u);
    c.insert(keysRow("X", "2025", 1, 0));
    EXPECT_EQ(allRows(*t).size(), 1u);
    EXPECT_EQ(problems(path), "");
    EXPECT_THROW(
        {
            Cursor e(*t);
            e.remove();
            e.remove();
        },
        Error);
}

TEST(TableWriteTest, UnkeyedTablesAppend) {
    TempDir dir;
    const auto path = dir / "Log.DB";
    Table::create(path, {{"Line", FieldType::Alpha, 20}, {"N", FieldType::Long, 0}}, 0,
                  makeOptions(0x0B, 1252, 1));
    auto t = Table::open(path);
    Cursor c(*t);
    for (int i = 0; i < 300; ++i) {
        c.insert({Value::text("z" + std::to_string(300 - i)), Value::integer(i)});
        EXPECT_EQ(c.recordNumber(), i + 1);
    }
    const auto rows = allRows(*t);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(rows[static_cast<size_t>(i)][1].asInteger(), i);
    EXPECT_FALSE(std::filesystem::exists(dir / "Log.PX"));
    c.setRecordNumber(100);
    c.remove();
    EXPECT_EQ(c.row()[1].asInteger(), 100);
    EXPECT_EQ(t->recordCount(), 299);
    EXPECT_EQ(problems(path), "");
}

TEST(TableWriteTest, AutoIncrementIsIssuedAndNeverGoesBack) {
    TempDir dir;
    const auto path = dir / "Auto.DB";
    Table::create(path, {{"Id", FieldType::AutoInc, 0}, {"Name", FieldType::Alpha, 10}}, 1);
    auto t = Table::open(path);
    Cursor c(*t);
    c.insert({Value(), Value::text("a")});
    c.insert({Value(), Value::text("b")});
    EXPECT_EQ(c.row()[0].asInteger(), 2);
    c.remove();
    c.insert({Value(), Value::text("c")});
    EXPECT_EQ(c.row()[0].asInteger(), 3);
    c.insert({Value::integer(10), Value::text("d")}); // an explicit value moves the counter on
    c.insert({Value(), Value::text("e")});
    EXPECT_EQ(c.row()[0].asInteger(), 11);
    EXPECT_EQ(problems(path), "");
}

TEST(TableWriteTest, EveryFieldTypeRoundTrips) {
    TempDir dir;
    const auto path = dir / "All.DB";
    const std::vector<FieldDef> fields = {
        {"Id", FieldType::Long, 0},      {"A", FieldType::Alpha, 20},
        {"D", FieldType::Date, 0},       {"S", FieldType::Short, 0},
        {"M", FieldType::Money, 0},      {"N", FieldType::Number, 0},
        {"L", FieldType::Logical, 0},    {"Memo", FieldType::Memo, 20},
        {"Bin", FieldType::Blob, 10},    {"F", FieldType::FmtMemo, 15},
        {"G", FieldType::Graphic, 12},   {"T", FieldType::Time, 0},
        {"TS", FieldType::Timestamp, 0}, {"Inc", FieldType::AutoInc, 0},
        {"Dec", FieldType::Bcd, 2},      {"Y", FieldType::Bytes, 6},
        {"O", FieldType::Ole, 10},
    };
    Table::create(path, fields, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "All.MB"));
    const std::string longMemo(5000, 'x');
    const std::vector<Value> row = {
        Value::integer(-5),
        Value::text("caf\xE9"),
        Value::date(Date::fromYmd(2024, 2, 29)),
        Value::integer(-32767),
        Value::number(-1234.5),
        Value::number(0.0),
        Value::boolean(false),
        Value::text(longMemo),
        Value::binary(std::string("\0\1\2", 3)),
        Value::binary("short"),
        Value::binary(std::string(300, '\x42')),
        Value::time(Time{86399999}),
        Value::timestamp(Timestamp::of(Date::fromYmd(2020, 2, 1), Time{3601000})),
        Value(),
        Value::decimal("-12345.67"),
        Value::binary(std::string("\0\xFF", 2)),
        Value(),
    };
    {
        auto t = Table::open(path);
        Cursor c(*t);
        c.insert(row);
        c.insert({Value::integer(7), Value(), Value(), Value(), Value(), Value(), Value(), Value(),
                  Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value(), Value()});
    }
    auto t = Table::open(path);
    const auto rows = allRows(*t);
    ASSERT_EQ(rows.size(), 2u);
    auto expected = row;
    expected[13] = Value::integer(1);
    expected[15] = Value::binary(std::string("\0\xFF\0\0\0\0", 6));
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(rows[0][i], expected[i]) << fields[i].name;
    EXPECT_EQ(rows[1][13], Value::integer(2));
    for (size_t i = 1; i < fields.size(); ++i) {
        if (i != 13) {
            EXPECT_TRUE(rows[1][i].isNull()) << fields[i].name;
        }
    }
    EXPECT_EQ(problems(path), "");
}

TEST(TableWriteTest, ValuesThatDoNotFitAreRefused) {
    TempDir dir;
    const auto path = createKeys(dir.path());
    auto t = Table::open(path);
    Cursor c(*t);
    struct Case {
        const char* what;
        std::vector<Value> row;
    } cases[] = {
        {"text too long", keysRow(std::string(31, 'x'), "2024", 1, 1)},
        {"short out of range", keysRow("A", "2024", 40000, 1)},
        {"wrong kind", {Value::integer(1), Value::text("2024"), Value::integer(1), Value()}},
        {"too few values", {Value::text("A")}},
        {"NUL in text", keysRow(std::string("a\0b", 3), "2024", 1, 1)},
    };
    for (const auto& k : cases) {
        try {
            c.insert(k.row);
            ADD_FAILURE() << k.what;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::InvalidArgument) << k.what;
            EXPECT_EQ(e.file(), path) << k.what;
        }
    }
    EXPECT_EQ(t->recordCount(), 0);
    EXPECT_EQ(problems(path), "");
}

TEST(TableWriteTest, PicturesAreWrittenToTheValFile) {
    TempDir dir;
    CreateOptions o;
    o.version = 0x0B;
    o.pictures = {{2, "####"}, {1, "*!"}};
    const auto path = createKeys(dir.path(), o);
    auto t = Table::open(path);
    EXPECT_EQ(t->pictures(), (std::vector<FieldPicture>{{1, "*!"}, {2, "####"}}));
    EXPECT_EQ(t->picture(2), "####");
    EXPECT_EQ(t->picture(3), "");
    EXPECT_EQ(problems(path), "");
    Cursor c(*t);
    c.insert(keysRow("A", "2024", 1, 1));
    EXPECT_EQ(problems(path), ""); // the .VAL still belongs to the table after writes
}

TEST(TableWriteTest, ReadOnlyFileOrFolderOpensReadOnly) {
    TempDir dir;
    const auto path = createKeys(dir.path());
    {
        auto t = Table::open(path);
        Cursor(*t).insert(keysRow("A", "2024", 1, 1));
    }
    ::chmod(path.c_str(), 0444);
    {
        auto t = Table::open(path);
        EXPECT_FALSE(t->canModify());
        EXPECT_NE(t->readOnlyReason().find("read-only"), std::string::npos);
        Cursor c(*t);
        EXPECT_EQ(c.row()[0].asText(), "A");
        try {
            c.insert(keysRow("B", "2024", 1, 1));
            FAIL();
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::ReadOnly);
        }
    }
    ::chmod(path.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0555);
    {
        auto t = Table::open(path);
        EXPECT_FALSE(t->canModify());
        EXPECT_NE(t->readOnlyReason().find("folder"), std::string::npos);
    }
    ::chmod(dir.path().c_str(), 0755);
    auto t = Table::open(path, OpenOptions{OpenMode::ReadOnly});
    EXPECT_FALSE(t->canModify());
}

TEST(TableWriteTest, ExclusiveOpenShutsOthersOut) {
    TempDir dir;
    const auto path = createKeys(dir.path());
    {
        auto shared = Table::open(path);
        EXPECT_THROW(Table::open(path, OpenOptions{OpenMode::Exclusive}), Error);
    }
    auto exclusive = Table::open(path, OpenOptions{OpenMode::Exclusive});
    try {
        Table::open(path);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::Locked);
        EXPECT_NE(std::string(e.what()).find("Keys.DB"), std::string::npos);
    }
}

TEST(TableWriteTest, TwoOpenTablesSeeEachOthersWritesAfterRefresh) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    auto a = Table::open(path);
    auto b = Table::open(path);
    Cursor ca(*a), cb(*b);
    for (int i = 0; i < 100; ++i)
        ca.insert(keysRow(keyText(i * 2), "2024", 1, i));
    // b's view is stale, but its writes re-read first: nothing lost, no duplicate accepted.
    for (int i = 0; i < 100; ++i)
        cb.insert(keysRow(keyText(i * 2 + 1), "2024", 1, i));
    EXPECT_THROW(cb.insert(keysRow(keyText(0), "2024", 1, 0)), Error);
    ca.refresh();
    EXPECT_EQ(ca.recordCount(), 200);
    EXPECT_EQ(allRows(*a).size(), 200u);
    EXPECT_EQ(problems(path), "");
}

TEST(TableWriteTest, InsertRowsStoresAllOrNothing) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    auto t = Table::open(path);
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back(keysRow(keyText((i * 13) % 5000), "2024", 1, (i * 13) % 5000));
    t->insertRows(rows);
    EXPECT_EQ(t->recordCount(), 5000);
    EXPECT_EQ(problems(path), "");
    const auto sizeBefore = std::filesystem::file_size(path);
    // One clash in a batch stores none of it.
    std::vector<std::vector<Value>> more = {keysRow("NEW1", "2024", 1, 1),
                                            keysRow(keyText(42), "2024", 1, 1)};
    EXPECT_THROW(t->insertRows(more), Error);
    EXPECT_EQ(t->recordCount(), 5000);
    EXPECT_EQ(std::filesystem::file_size(path), sizeBefore);
    Cursor c(*t);
    EXPECT_FALSE(c.locate({0}, {Value::text("NEW1")}));
    EXPECT_EQ(c.recordCount(), 5000);
    c.setRecordNumber(4321);
    EXPECT_EQ(c.row()[3].asInteger(), 4320);
}

TEST(TableWriteTest, UnchangedBlobsAreNotStoredAgainOnUpdate) {
    TempDir dir;
    const auto path = dir / "Notes.DB";
    Table::create(path, {{"Id", FieldType::Long, 0}, {"Text", FieldType::Memo, 20}}, 1);
    auto t = Table::open(path);
    Cursor c(*t);
    const std::string big(9000, 'n');
    c.insert({Value::integer(1), Value::text(big)});
    const auto mbSize = std::filesystem::file_size(dir / "Notes.MB");
    c.update({Value::integer(1), Value::text(big)});
    EXPECT_EQ(std::filesystem::file_size(dir / "Notes.MB"), mbSize);
    c.update({Value::integer(1), Value::text(big + "!")});
    EXPECT_GT(std::filesystem::file_size(dir / "Notes.MB"), mbSize);
    EXPECT_EQ(c.row()[1].asText(), big + "!");
    EXPECT_EQ(problems(path), "");
}
