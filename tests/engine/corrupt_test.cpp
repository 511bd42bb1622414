// Damaged files: every problem is an engine error naming the file, never a crash, a hang or a
// write into the damaged table.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

void put16(Bytes& b, size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A keyed table with a two-level index, a memo field kept in the .MB and a .VAL.
std::filesystem::path buildTable(const std::filesystem::path& dir) {
    const auto path = dir / "T.DB";
    CreateOptions o = makeOptions(0x0C, 1252, 1);
    o.pictures = {{2, "###"}};
    Table::create(
        path,
        {{"Name", FieldType::Alpha, 30}, {"N", FieldType::Long, 0}, {"Memo", FieldType::Memo, 11}},
        1, o);
    auto t = Table::open(path);
    Cursor c(*t);
    for (int i = 0; i < 800; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "R%05d", (i * 31) % 800);
        c.insert({Value::text(name), Value::integer(i), Value::text(std::string(20 + i % 7, 'm'))});
    }
    return path;
}

// Reads everything a user of the table can read; returns the first error, if any.
std::optional<Error> exercise(const std::filesystem::path& path) {
    try {
        auto t = Table::open(path);
        Cursor c(*t);
        std::int64_t n = 0;
        if (c.first()) do {
                c.row();
                if (++n > 100000) ADD_FAILURE() << "a scan that does not end";
            } while (c.next() && n <= 100000);
        c.last();
        c.recordNumber();
        c.setRecordNumber(t->recordCount() / 2);
        c.locate({0}, {Value::text("R00400")});
        c.locate({1}, {Value::integer(5)});
        (void)t->pictures();
        return std::nullopt;
    } catch (const Error& e) {
        return e;
    }
}

struct Damage {
    const char* what;
    const char* file; // extension of the damaged file
    std::function<void(Bytes&)> apply;
    const char* expect; // text expected in the message
};

} // namespace

TEST(CorruptTest, EachDamageIsReportedAgainstItsFile) {
    const Damage damages[] = {
        {"truncated header", ".DB", [](Bytes& b) { b.resize(0x30); }, "too short"},
        {"header size beyond file", ".DB", [](Bytes& b) { put16(b, 0x02, 0xFFF0); }, "header"},
        {"block size zero", ".DB", [](Bytes& b) { b[0x05] = 0; }, "block size"},
        {"record size mismatch", ".DB", [](Bytes& b) { put16(b, 0x00, 77); }, "record"},
        {"unknown field type", ".DB", [](Bytes& b) { b[0x78] = 0x33; }, "unknown type"},
        {"absurd record count", ".DB",
         [](Bytes& b) { b[0x06] = b[0x07] = b[0x08] = b[0x09] = 0xFF; }, "record count"},
        {"more blocks than the file", ".DB", [](Bytes& b) { put16(b, 0x0C, 0x7000); }, "blocks"},
        {"unknown version", ".DB", [](Bytes& b) { b[0x39] = 0x40; }, "version"},
        {"garbage record count in a block", ".DB", [](Bytes& b) { put16(b, 0x800 + 4, 0x1234); },
         "record count"},
        {"chain loops back", ".DB",
         [](Bytes& b) {
             put16(b, 0x800 + 0x400 * 1, 1); // block 2's next is block 1
         },
         "block"},
        {"index root outside", ".PX", [](Bytes& b) { put16(b, 0x1E, 0x7FFF); }, "root"},
        {"index levels absurd", ".PX", [](Bytes& b) { b[0x20] = 200; }, "levels"},
        {"index truncated", ".PX", [](Bytes& b) { b.resize(0x900); }, "blocks"},
        {"index entry to a missing block", ".PX",
         [](Bytes& b) {
             // The block number of every entry of every index block.
             for (size_t at = 0x800; at + 0x400 <= b.size(); at += 0x400)
                 for (size_t e = at + 6; e + 36 <= at + 0x400; e += 36) {
                     b[e + 30] = 0xFF;
                     b[e + 31] = 0x00;
                 }
         },
         "block"},
        {"validity checks garbage", ".VAL", [](Bytes& b) { b[0x35] = 0xEE; }, "field"},
        {"blob file cut short", ".MB", [](Bytes& b) { b.resize(4096); }, "blob"},
    };
    for (const auto& d : damages) {
        TempDir dir;
        const auto path = buildTable(dir.path());
        const auto damaged = dir / (std::string("T") + d.file);
        Bytes b = readFile(damaged);
        d.apply(b);
        writeFile(damaged, b);
        const auto err = exercise(path);
        ASSERT_TRUE(err.has_value()) << d.what;
        EXPECT_EQ(err->file().filename(), damaged.filename()) << d.what << ": " << err->what();
        EXPECT_NE(std::string(err->what()).find(d.expect), std::string::npos)
            << d.what << ": " << err->what();
        EXPECT_NE(problems(path), "") << d.what;
        // A write into the damaged table fails without changing any file.
        const Bytes dbBefore = readFile(path), pxBefore = readFile(dir / "T.PX");
        try {
            auto t = Table::open(path);
            Cursor c(*t);
            c.insert({Value::text("R00400x"), Value::integer(1), Value()});
            c.insert({Value::text("A"), Value::integer(1), Value()});
            c.insert({Value::text("ZZZ"), Value::integer(1), Value()});
        } catch (const Error&) {
        }
        if (std::string(d.file) != ".VAL" && std::string(d.file) != ".MB") {
            EXPECT_EQ(readFile(path), dbBefore) << d.what;
            EXPECT_EQ(readFile(dir / "T.PX"), pxBefore) << d.what;
        }
    }
}

TEST(CorruptTest, RandomDamageNeverCrashesOrHangs) {
    TempDir base;
    const auto original = buildTable(base.path());
    const char* exts[] = {".DB", ".PX", ".MB", ".VAL"};
    std::map<std::string, Bytes> pristine;
    for (const char* e : exts)
        pristine[e] = readFile(base / (std::string("T") + e));
    std::mt19937 rng(20240601);
    int failures = 0;
    for (int round = 0; round < 200; ++round) {
        TempDir dir;
        for (const char* e : exts) {
            Bytes b = pristine[e];
            if (rng() % 3 == 0) {
                const int flips = 1 + static_cast<int>(rng() % 8);
                for (int i = 0; i < flips; ++i) {
                    // Headers are where damage hurts most: aim there half of the time.
                    const size_t limit = rng() % 2 ? std::min<size_t>(b.size(), 0x200) : b.size();
                    b[rng() % limit] = static_cast<std::uint8_t>(rng());
                }
            }
            if (rng() % 20 == 0) b.resize(rng() % b.size());
            writeFile(dir / (std::string("T") + e), b);
        }
        if (exercise(dir / "T.DB")) ++failures;
        checkTable(dir / "T.DB");
    }
    EXPECT_GT(failures, 0); // the damage was noticed at least sometimes
}

// An index whose entries point to the wrong blocks never answers a look-up wrongly: each key
// stored is found, or the damage is reported against the .PX.
TEST(CorruptTest, ADamagedIndexNeverGivesAWrongLookUp) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE(trial);
        TempDir dir;
        const auto path = buildTable(dir.path());
        Bytes px = readFile(dir / "T.PX");
        // Swap the block numbers of two entries of one index block.
        const size_t blocks = (px.size() - 0x800) / 0x400;
        const size_t at = 0x800 + 0x400 * (random() % blocks);
        const int count = static_cast<std::int16_t>(px[at + 4] | (px[at + 5] << 8)) / 36 + 1;
        if (count < 2) continue;
        const size_t e1 = at + 6 + 36 * (random() % static_cast<unsigned>(count));
        size_t e2 = at + 6 + 36 * (random() % static_cast<unsigned>(count));
        if (e1 == e2) e2 = e1 == at + 6 ? at + 6 + 36 : at + 6;
        std::swap(px[e1 + 30], px[e2 + 30]);
        std::swap(px[e1 + 31], px[e2 + 31]);
        writeFile(dir / "T.PX", px);
        auto t = Table::open(path, OpenOptions{OpenMode::ReadOnly, 0});
        Cursor c(*t);
        int reported = 0;
        for (int i = 0; i < 800; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "R%05d", i);
            try {
                ASSERT_TRUE(c.locate({0}, {Value::text(name)})) << name;
                EXPECT_EQ(c.value(0).asText(), name);
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), Error::Kind::Corrupt);
                EXPECT_EQ(e.file().filename(), "T.PX") << e.what();
                ++reported;
            }
        }
        EXPECT_GT(reported, 0);
    }
}

// Without its .MB a table still reads: read-only with the reason, the blobs stored in the .MB
// as Null and every other field as stored.
TEST(CorruptTest, AMissingBlobFileLeavesTheOtherFieldsReadable) {
    TempDir dir;
    const auto path = buildTable(dir.path());
    const auto before = allRows(*Table::open(path));
    std::filesystem::remove(dir / "T.MB");
    auto t = Table::open(path);
    EXPECT_TRUE(t->blobFileMissing());
    EXPECT_FALSE(t->canModify());
    EXPECT_NE(t->readOnlyReason().find(".MB"), std::string::npos) << t->readOnlyReason();
    const auto rows = allRows(*t);
    ASSERT_EQ(rows.size(), before.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], before[i][0]);
        EXPECT_EQ(rows[i][1], before[i][1]);
        EXPECT_TRUE(rows[i][2].isNull());
    }
}
