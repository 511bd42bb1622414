// Tables written by our engine read back identically through another Paradox reader: Debian's
// pxlib. Known limits of that pxlib (0.6.8) shape the cases: it crashes when a blob file is
// attached, so no blob fields here, and it reads a NULL 4-byte value as -2147483648.
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/table.h"
#include "tests/support/tempdir.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

// pxlib's header declares C functions without extern "C".
extern "C" {
#include <paradox.h>
}

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct PxTable {
    int fileType = -1, version = 0, records = 0, fields = 0, keyFields = 0, codePage = 0;
    int indexLevels = 0;
    std::vector<FieldDef> fieldDefs; // type, stored length (decimals for BCD), name
    Rows rows;
    std::vector<std::string> errors;
};

void onPxError(pxdoc_t*, int type, const char* msg, void* data) {
    static_cast<std::vector<std::string>*>(data)->push_back(std::to_string(type) + ": " + msg);
}

std::string formatDouble(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string hexOf(const char* p, std::size_t n) {
    static const char* d = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(p[i]);
        out += d[b >> 4];
        out += d[b & 15];
    }
    return out;
}

std::string normalDecimal(std::string s) {
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0" || s.empty()) s = "0";
    return s;
}

// One field of a pxlib record in the common text form used for comparison.
std::string pxCell(pxdoc_t* px, const pxfield_t& f, char* data) {
    const std::string null = "NULL";
    switch (f.px_ftype) {
    case pxfAlpha: {
        char* v = nullptr;
        if (PX_get_data_alpha(px, data, f.px_flen, &v) <= 0 || !v) return null;
        std::string s(v);
        px->free(px, v);
        return s;
    }
    case pxfShort: {
        short v = 0;
        return PX_get_data_short(px, data, f.px_flen, &v) > 0 ? std::to_string(v) : null;
    }
    case pxfLong:
    case pxfAutoInc:
    case pxfDate:
    case pxfTime: {
        long v = 0;
        if (PX_get_data_long(px, data, f.px_flen, &v) <= 0 || v == -2147483648L)
            return null; // pxlib 0.6.8 shows NULL 4-byte values as -2147483648
        return std::to_string(v);
    }
    case pxfNumber:
    case pxfCurrency:
    case pxfTimestamp: {
        double v = 0;
        return PX_get_data_double(px, data, f.px_flen, &v) > 0 ? formatDouble(v) : null;
    }
    case pxfLogical: {
        char v = 0;
        if (PX_get_data_byte(px, data, f.px_flen, &v) <= 0) return null;
        return v ? "true" : "false";
    }
    case pxfBCD: {
        char* v = nullptr;
        if (PX_get_data_bcd(px, reinterpret_cast<unsigned char*>(data), f.px_fdc, &v) <= 0 || !v)
            return null;
        std::string s(v);
        px->free(px, v);
        return normalDecimal(s);
    }
    case pxfBytes: {
        // Paradox cannot tell an all-zero Bytes value from a blank one.
        bool allZero = std::all_of(data, data + f.px_flen, [](char c) { return c == 0; });
        return allZero ? null : hexOf(data, static_cast<std::size_t>(f.px_flen));
    }
    default:
        return "unsupported type " + std::to_string(f.px_ftype);
    }
}

PxTable readWithPxlib(const fs::path& file) {
    PxTable out;
    pxdoc_t* px = PX_new3(onPxError, nullptr, nullptr, nullptr, &out.errors);
    if (!px || PX_open_file(px, file.c_str()) < 0) {
        out.errors.push_back("cannot open " + file.string());
        if (px) PX_delete(px);
        return out;
    }
    const pxhead_t* h = px->px_head;
    out.fileType = h->px_filetype;
    out.version = h->px_fileversion;
    out.records = h->px_numrecords;
    out.fields = h->px_numfields;
    out.keyFields = h->px_primarykeyfields;
    out.codePage = h->px_doscodepage;
    out.indexLevels = h->px_numindexlevels;
    for (int i = 0; i < h->px_numfields; ++i) {
        const pxfield_t& f = h->px_fields[i];
        out.fieldDefs.push_back({f.px_fname ? f.px_fname : "", static_cast<FieldType>(f.px_ftype),
                                 f.px_ftype == pxfBCD ? f.px_fdc : f.px_flen});
    }
    std::vector<char> buf(static_cast<std::size_t>(PX_get_recordsize(px)));
    for (int r = 0; r < h->px_numrecords; ++r) {
        if (!PX_get_record(px, r, buf.data())) {
            out.errors.push_back("cannot read record " + std::to_string(r));
            break;
        }
        std::vector<std::string> row;
        int offset = 0;
        for (int i = 0; i < h->px_numfields; ++i) {
            row.push_back(pxCell(px, h->px_fields[i], buf.data() + offset));
            offset += h->px_fields[i].px_flen;
        }
        out.rows.push_back(std::move(row));
    }
    PX_close(px);
    PX_delete(px);
    return out;
}

// Our value in the same text form.
std::string ourCell(const FieldDef& f, const Value& v) {
    if (v.isNull()) return "NULL";
    switch (f.type) {
    case FieldType::Alpha:
        return v.asText();
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return std::to_string(v.asInteger());
    case FieldType::Date:
        return std::to_string(v.asDate().days);
    case FieldType::Time:
        return std::to_string(v.asTime().ms);
    case FieldType::Timestamp:
        return formatDouble(static_cast<double>(v.asTimestamp().ms));
    case FieldType::Number:
    case FieldType::Money:
        return formatDouble(v.asDouble());
    case FieldType::Logical:
        return v.asBool() ? "true" : "false";
    case FieldType::Bcd:
        return normalDecimal(v.asDecimal());
    case FieldType::Bytes: {
        std::string b = v.asBinary();
        b.resize(static_cast<std::size_t>(f.size), '\0');
        return hexOf(b.data(), b.size());
    }
    default:
        return "unsupported";
    }
}

Rows readWithEngine(const fs::path& file) {
    OpenOptions ro;
    ro.mode = OpenMode::ReadOnly;
    auto table = Table::open(file, ro);
    auto cursor = table->cursor();
    Rows rows;
    for (bool on = cursor->first(); on; on = cursor->next()) {
        auto values = cursor->row();
        std::vector<std::string> row;
        for (std::size_t i = 0; i < values.size(); ++i)
            row.push_back(ourCell(table->fields()[i], values[i]));
        rows.push_back(std::move(row));
    }
    return rows;
}

// The .PX read by pxlib: entries ascend, and each level's counts add up to the record count.
void expectIndexSound(const fs::path& px, int records) {
    SCOPED_TRACE(px.string());
    std::vector<std::string> errors;
    pxdoc_t* doc = PX_new3(onPxError, nullptr, nullptr, nullptr, &errors);
    ASSERT_GE(PX_open_file(doc, px.c_str()), 0);
    const pxhead_t* h = doc->px_head;
    EXPECT_EQ(h->px_filetype, pxfFileTypPrimIndex);
    int levels = h->px_numindexlevels;
    EXPECT_GE(levels, records > 0 ? 1 : 0);
    std::vector<char> buf(static_cast<std::size_t>(PX_get_recordsize(doc)));
    long total = 0;
    for (int r = 0; r < h->px_numrecords; ++r) {
        ASSERT_TRUE(PX_get_record(doc, r, buf.data()));
        int keyBytes = PX_get_recordsize(doc) - 6;
        short block = 0, count = 0;
        PX_get_data_short(doc, buf.data() + keyBytes, 2, &block);
        PX_get_data_short(doc, buf.data() + keyBytes + 2, 2, &count);
        EXPECT_GT(block, 0);
        EXPECT_GT(count, 0);
        total += count;
    }
    EXPECT_EQ(total, static_cast<long>(records) * std::max(levels, 1) * (records > 0));
    EXPECT_TRUE(errors.empty()) << errors.front();
    PX_close(doc);
    PX_delete(doc);
}

int pxVersion(int versionId) {
    switch (versionId) {
    case 4:
        return 35;
    case 9:
        return 40;
    case 0x0B:
        return 50;
    case 0x0C:
        return 70;
    }
    return versionId;
}

void expectSameThroughPxlib(const fs::path& file, const std::vector<FieldDef>& fields, int keys,
                            int versionId, int codePage) {
    SCOPED_TRACE(file.string());
    PxTable px = readWithPxlib(file);
    ASSERT_TRUE(px.errors.empty()) << px.errors.front();
    Rows ours = readWithEngine(file);
    ASSERT_FALSE(ours.empty());
    EXPECT_EQ(px.fileType, keys ? pxfFileTypIndexDB : pxfFileTypNonIndexDB);
    EXPECT_EQ(px.version, pxVersion(versionId));
    EXPECT_EQ(px.records, static_cast<int>(ours.size()));
    EXPECT_EQ(px.keyFields, keys);
    EXPECT_EQ(px.codePage, versionId >= 5 ? codePage : 0); // 3.x headers hold no code page
    ASSERT_EQ(px.fieldDefs.size(), fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(px.fieldDefs[i].name, fields[i].name);
        EXPECT_EQ(px.fieldDefs[i].type, fields[i].type);
        EXPECT_EQ(px.fieldDefs[i].size,
                  fields[i].type == FieldType::Bcd ? fields[i].size : storedSize(fields[i]));
    }
    // pxlib reads rows in its own block order; the rows themselves must be the same.
    Rows theirs = px.rows;
    std::sort(theirs.begin(), theirs.end());
    Rows mine = ours;
    std::sort(mine.begin(), mine.end());
    EXPECT_EQ(mine, theirs);
    if (keys) {
        fs::path pxFile = file;
        pxFile.replace_extension(".PX");
        expectIndexSound(pxFile, px.records);
    }
}

class PxlibOracle : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PX_boot(); }
    static void TearDownTestSuite() { PX_shutdown(); }
    ravelda::test::TempDir dir;
};

} // namespace

TEST_F(PxlibOracle, KeyCounterTableAfterInsertsUpdatesAndDeletes) {
    const std::vector<FieldDef> fields{{"Tabella", FieldType::Alpha, 30},
                                       {"Anno", FieldType::Alpha, 4},
                                       {"Registro", FieldType::Short, 2},
                                       {"Chiave", FieldType::Long, 4}};
    fs::path file = dir / "Keys.DB";
    CreateOptions options;
    options.pictures = {{2, "####"}};
    Table::create(file, fields, 3, options);

    const char* tables[] = {"Fatture", "DDT", "Ordini", "Preventivi", "NoteCredito", "Citt\xE0"};
    std::vector<std::vector<Value>> rows;
    for (const char* t : tables)
        for (int year = 2005; year <= 2024; ++year)
            for (int reg = 1; reg <= 3; ++reg)
                rows.push_back({Value::text(t), Value::text(std::to_string(year)),
                                Value::integer(reg),
                                (year + reg) % 7 ? Value::integer(year * 10 + reg) : Value()});
    std::mt19937 rng(3);
    std::shuffle(rows.begin(), rows.end(), rng);
    {
        auto table = Table::open(file);
        auto cursor = table->cursor();
        for (const auto& r : rows)
            cursor->insert(r);
        // Change some counters and drop a stretch of rows, as the host application would.
        cursor->first();
        for (int i = 0; i < 30 && cursor->hasRow(); ++i) {
            auto r = cursor->row();
            r[3] = Value::integer(-i);
            cursor->update(r);
            cursor->moveBy(3);
        }
        cursor->setRecordNumber(150);
        for (int i = 0; i < 60; ++i)
            cursor->remove();
    }
    expectSameThroughPxlib(file, fields, 3, 0x0C, 1252);
}

TEST_F(PxlibOracle, EveryScalarTypeWithNullsInEachVersion) {
    const std::vector<FieldDef> fields7{
        {"Id", FieldType::AutoInc, 4},   {"Name", FieldType::Alpha, 20},
        {"Day", FieldType::Date, 4},     {"Small", FieldType::Short, 2},
        {"Big", FieldType::Long, 4},     {"Price", FieldType::Money, 8},
        {"Ratio", FieldType::Number, 8}, {"Flag", FieldType::Logical, 1},
        {"At", FieldType::Time, 4},      {"Stamp", FieldType::Timestamp, 8},
        {"Exact", FieldType::Bcd, 2},    {"Raw", FieldType::Bytes, 6},
    };
    const std::vector<FieldDef> fields4{
        {"Name", FieldType::Alpha, 20},  {"Day", FieldType::Date, 4},
        {"Small", FieldType::Short, 2},  {"Price", FieldType::Money, 8},
        {"Ratio", FieldType::Number, 8},
    };
    struct Case {
        int version;
        const std::vector<FieldDef>* fields;
        int keys;
    } cases[] = {{0x0C, &fields7, 0}, {0x0C, &fields7, 1}, {0x0B, &fields7, 0},
                 {9, &fields4, 0},    {9, &fields4, 2},    {4, &fields4, 1}};
    std::mt19937 rng(11);
    for (const auto& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version) + ", keys " + std::to_string(c.keys));
        fs::path file =
            dir / ("T" + std::to_string(c.version) + "_" + std::to_string(c.keys) + ".DB");
        CreateOptions options;
        options.version = c.version;
        options.codePage = 850;
        Table::create(file, *c.fields, c.keys, options);
        {
            auto table = Table::open(file);
            auto cursor = table->cursor();
            for (int r = 0; r < 60; ++r) {
                std::vector<Value> row;
                for (std::size_t i = 0; i < c.fields->size(); ++i) {
                    const FieldDef& f = (*c.fields)[i];
                    bool keyField = static_cast<int>(i) < c.keys;
                    if (!keyField && rng() % 5 == 0) {
                        row.emplace_back(); // NULL
                        continue;
                    }
                    int n = r * 7 + static_cast<int>(rng() % 5);
                    switch (f.type) {
                    case FieldType::AutoInc:
                        row.emplace_back(); // issued by the engine
                        break;
                    case FieldType::Alpha:
                        row.push_back(Value::text("Row " + std::to_string(n) + "\x82"));
                        break;
                    case FieldType::Date:
                        row.push_back(Value::date(Date{700000 + n}));
                        break;
                    case FieldType::Short:
                        row.push_back(Value::integer(n % 2 ? n : -n));
                        break;
                    case FieldType::Long:
                        row.push_back(Value::integer(n * 100003 - 5000000));
                        break;
                    case FieldType::Money:
                        row.push_back(Value::number(n * 0.01 - 1.5));
                        break;
                    case FieldType::Number:
                        row.push_back(Value::number(std::ldexp(static_cast<double>(n) - 500, -3)));
                        break;
                    case FieldType::Logical:
                        row.push_back(Value::boolean(n % 2 == 0));
                        break;
                    case FieldType::Time:
                        row.push_back(Value::time(Time{n * 1001 % 86400000}));
                        break;
                    case FieldType::Timestamp:
                        row.push_back(
                            Value::timestamp(Timestamp{63716202001000LL + n * 86400123LL}));
                        break;
                    case FieldType::Bcd:
                        row.push_back(Value::decimal(std::to_string(n - 600) + ".25"));
                        break;
                    case FieldType::Bytes:
                        row.push_back(
                            Value::binary(std::string("\x01\xff", 2) + std::to_string(n)));
                        break;
                    default:
                        row.emplace_back();
                    }
                }
                cursor->insert(row);
            }
        }
        expectSameThroughPxlib(file, *c.fields, c.keys, c.version, 850);
    }
}
