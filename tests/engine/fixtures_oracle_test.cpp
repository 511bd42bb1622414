// Every real Paradox table among the fixtures reads as pxlib 0.6.10 read it: header facts, the
// field list and the first three records, plus a full scan that yields the header's count.
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/table.h"
#include "tests/support/fixtures.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

struct OracleField {
    std::string name;
    char letter = 0;
    int size = 0;
};

struct OracleTable {
    fs::path file;                            // the fixture
    std::map<std::string, std::string> facts; // filetype, version, records, …
    std::vector<OracleField> fields;
    std::vector<std::string> records; // text after "rec N (blk B): "
};

std::vector<OracleTable> parseOracle(const fs::path& output, const fs::path& fixtureFolder) {
    std::ifstream in(output, std::ios::binary);
    std::vector<OracleTable> tables;
    std::string line;
    static const std::regex fact(R"(([a-z]+)=('[^']*'|\S+))");
    static const std::regex rec(R"(^  rec \d+ \(blk \d+\): )");
    while (std::getline(in, line)) {
        if (line.rfind("== ./", 0) == 0) {
            tables.push_back({fixtureFolder / line.substr(5), {}, {}, {}});
            continue;
        }
        if (tables.empty()) continue;
        auto& t = tables.back();
        std::smatch m;
        if (line.rfind("  filetype=", 0) == 0 || line.rfind("  primarykeyfields=", 0) == 0) {
            for (std::sregex_iterator it(line.begin(), line.end(), fact), end; it != end; ++it)
                t.facts[(*it)[1]] = (*it)[2];
        } else if (line.rfind("  fields: ", 0) == 0) {
            std::size_t pos = 0;
            while ((pos = line.find('[', pos)) != std::string::npos) {
                auto close = line.find(']', pos);
                std::string item = line.substr(pos + 1, close - pos - 1);
                auto space = item.rfind(' ');
                OracleField f;
                f.name = item.substr(0, space);
                f.letter = item[space + 1];
                f.size = std::atoi(item.c_str() + space + 2);
                t.fields.push_back(f);
                pos = close;
            }
        } else if (std::regex_search(line, m, rec)) {
            t.records.push_back(line.substr(static_cast<std::size_t>(m.length(0))));
        } else if (line.rfind("  pxlib errors", 0) == 0) {
        } else if (!t.records.empty()) {
            t.records.back() += "\n" + line; // a warning broke the record's line
        }
    }
    return tables;
}

// Splits a record line into the text of each field, knowing the field names in order.
std::vector<std::string> splitRecord(const std::string& text,
                                     const std::vector<OracleField>& fields) {
    std::vector<std::string> out;
    std::size_t start = fields[0].name.size() + 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::size_t end = text.size();
        if (i + 1 < fields.size()) {
            std::string marker = " " + fields[i + 1].name + "=";
            std::size_t from = start;
            if (start < text.size() && text[start] == '\'') {
                // Quoted text may itself hold spaces and quotes: the value ends at "' NEXT=".
                auto q = text.find("'" + marker, start + 1);
                from = q == std::string::npos ? start : q;
            }
            end = text.find(marker, from);
            if (end == std::string::npos) return {};
        }
        out.push_back(text.substr(start, end - start));
        start = end + (i + 1 < fields.size() ? fields[i + 1].name.size() + 2 : 0);
    }
    return out;
}

std::string normalDecimal(std::string s) {
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0" || s.empty()) s = "0";
    return s;
}

std::string hexOf(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

long long number(const std::string& s, std::size_t from = 0) {
    return std::strtoll(s.c_str() + from, nullptr, 10);
}

// The value in parentheses at the end of "…(n)" or "…(nms)".
long long parenthesised(const std::string& s) {
    auto open = s.rfind('(');
    return open == std::string::npos ? -1 : number(s, open + 1);
}

void expectValue(const FieldDef& field, const Value& ours, const std::string& theirs) {
    SCOPED_TRACE("field '" + field.name + "', pxlib: " + theirs);
    if (theirs.find("BLOBERR") != std::string::npos ||
        theirs.find("[pxlib warning]") != std::string::npos)
        return; // pxlib could not read it either (the .MB is missing)
    if (theirs == "NULL" || theirs == "NULL(blob)") {
        EXPECT_TRUE(ours.isNull());
        return;
    }
    ASSERT_FALSE(ours.isNull());
    switch (field.type) {
    case FieldType::Alpha:
        ASSERT_GE(theirs.size(), 2u);
        EXPECT_EQ(ours.asText(), theirs.substr(1, theirs.size() - 2));
        break;
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        EXPECT_EQ(ours.asInteger(), number(theirs));
        break;
    case FieldType::Number:
    case FieldType::Money: {
        double t = std::strtod(theirs.c_str(), nullptr);
        EXPECT_NEAR(ours.asDouble(), t, 5e-6 * std::max(1.0, std::fabs(t)));
        break;
    }
    case FieldType::Logical:
        EXPECT_EQ(ours.asBool(), theirs == "true");
        break;
    case FieldType::Date:
        EXPECT_EQ(ours.asDate().days, parenthesised(theirs));
        break;
    case FieldType::Time:
        EXPECT_EQ(ours.asTime().ms, parenthesised(theirs));
        break;
    case FieldType::Timestamp:
        EXPECT_EQ(ours.asTimestamp().ms, parenthesised(theirs));
        break;
    case FieldType::Bcd:
        // pxlib prints junk past the digits a double could hold; compare clean values only.
        if (theirs.find_first_not_of("-.0123456789") == std::string::npos) {
            EXPECT_EQ(normalDecimal(ours.asDecimal()), normalDecimal(theirs));
        }
        break;
    case FieldType::Bytes: {
        auto colon = theirs.find(':');
        ASSERT_NE(colon, std::string::npos);
        EXPECT_EQ(hexOf(ours.asBinary()).rfind(theirs.substr(colon + 1), 0), 0u);
        EXPECT_LE(static_cast<long long>(ours.asBinary().size()), number(theirs, 6));
        break;
    }
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FmtMemo:
    case FieldType::Ole:
    case FieldType::Graphic: {
        // blob[LENGTH,mod=M]:'first bytes, unprintable ones as .'
        ASSERT_EQ(theirs.rfind("blob[", 0), 0u);
        long long length = number(theirs, 5);
        const std::string& bytes =
            ours.kind() == Value::Kind::Text ? ours.asText() : ours.asBinary();
        auto size = static_cast<long long>(bytes.size());
        if (field.type == FieldType::Graphic)
            EXPECT_TRUE(size == length || size == length - 8) << size << " vs " << length;
        else
            EXPECT_EQ(size, length);
        auto q = theirs.find(":'");
        ASSERT_NE(q, std::string::npos);
        std::string shown = theirs.substr(q + 2, theirs.size() - q - 3);
        std::string mine;
        for (std::size_t i = 0; i < bytes.size() && mine.size() < shown.size(); ++i) {
            auto c = static_cast<unsigned char>(bytes[i]);
            mine += (c >= 32 && c < 127) ? static_cast<char>(c) : '.';
        }
        if (field.type != FieldType::Graphic || size == length) {
            EXPECT_EQ(mine, shown);
        }
        break;
    }
    }
}

std::string versionName(const std::string& pxlib) {
    if (pxlib == "3.0" || pxlib == "3.5") return pxlib;
    return pxlib.substr(0, 1) + ".x";
}

bool isIndexFile(const fs::path& p) {
    std::string ext = p.extension().string();
    for (auto& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext != ".db";
}

void checkTableAgainstOracle(const OracleTable& t) {
    SCOPED_TRACE(t.file.string());
    ASSERT_TRUE(fs::exists(t.file));
    OpenOptions ro;
    ro.mode = OpenMode::ReadOnly;
    if (t.facts.at("encryption") != "0x0") {
        try {
            Table::open(t.file, ro);
            ADD_FAILURE() << "an encrypted table was opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Unsupported) << e.what();
            EXPECT_NE(std::string(e.what()).find("encrypt"), std::string::npos) << e.what();
        }
        return;
    }
    std::unique_ptr<Table> table;
    ASSERT_NO_THROW(table = Table::open(t.file, ro));
    EXPECT_EQ(table->isKeyed(), t.facts.at("filetype") == "0");
    EXPECT_EQ(table->recordCount(), number(t.facts.at("records")));
    EXPECT_EQ(table->keyFieldCount(), number(t.facts.at("primarykeyfields")));
    EXPECT_EQ(table->versionName(), versionName(t.facts.at("version")));
    EXPECT_EQ(table->sortOrderCode(), std::strtol(t.facts.at("sortorder").c_str(), nullptr, 16));
    EXPECT_EQ(table->blockSizeKiB() * 1024, number(t.facts.at("blocksize")));
    if (t.facts.at("codepage") != "0") {
        EXPECT_EQ(table->codePage(), number(t.facts.at("codepage")));
    }

    const auto& fields = table->fields();
    ASSERT_EQ(fields.size(), t.fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE("field " + std::to_string(i + 1));
        EXPECT_EQ(fields[i].name, t.fields[i].name);
        EXPECT_EQ(fieldTypeLetter(fields[i].type), t.fields[i].letter);
        // pxlib shows stored sizes for fixed types and BCD, the header byte for the others.
        int size = fields[i].type == FieldType::Bcd ? storedSize(fields[i]) : fields[i].size;
        if (fields[i].type != FieldType::Alpha && fields[i].type != FieldType::Bytes &&
            !isBlobType(fields[i].type))
            size = storedSize(fields[i]);
        EXPECT_EQ(size, t.fields[i].size);
    }

    auto cursor = table->cursor();
    std::int64_t rows = 0;
    for (bool on = cursor->first(); on; on = cursor->next()) {
        if (rows < static_cast<std::int64_t>(t.records.size())) {
            SCOPED_TRACE("record " + std::to_string(rows));
            auto texts = splitRecord(t.records[static_cast<std::size_t>(rows)], t.fields);
            ASSERT_EQ(texts.size(), fields.size()) << t.records[static_cast<std::size_t>(rows)];
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (texts[i].find("BLOBERR") != std::string::npos ||
                    texts[i].find("[pxlib warning]") != std::string::npos)
                    continue; // the .MB is missing: pxlib could not read it either
                Value v;
                ASSERT_NO_THROW(v = cursor->value(static_cast<int>(i)));
                expectValue(fields[i], v, texts[i]);
            }
        }
        ++rows;
    }
    EXPECT_EQ(rows, number(t.facts.at("records")));
}

} // namespace

TEST(FixturesOracle, EveryTableReadsAsPxlibReadIt) {
    RAVELDA_REQUIRE_FIXTURES();
    auto root = ravelda::test::sharedDir() / "fixtures" / "paradox";
    int tables = 0;
    for (const char* folder :
         {"grigoryvp__pyparadox", "leonhad__paradoxdriver", "teverett__paradoxReader"}) {
        auto oracle = root / "pxlib-oracle-output" / (std::string(folder) + ".pxlib-0.6.10.txt");
        ASSERT_TRUE(fs::exists(oracle)) << oracle;
        for (const auto& t : parseOracle(oracle, root / folder)) {
            if (isIndexFile(t.file)) continue; // .PX files are read through their table
            checkTableAgainstOracle(t);
            ++tables;
        }
    }
    EXPECT_GT(tables, 60); // the oracle files were parsed, not skipped
}
