// RFC 4180 records: quoting on output, and reading back every form a spreadsheet may write.
#include "engine/csv.h"
#include "engine/error.h"

#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace ravelda::engine;
using Records = std::vector<std::vector<std::string>>;

namespace {

Records readAll(const std::string& text, std::vector<std::int64_t>* lines = nullptr) {
    std::istringstream in(text);
    csv::Reader reader(in);
    Records out;
    std::vector<std::string> rec;
    while (reader.next(rec)) {
        out.push_back(rec);
        if (lines) lines->push_back(reader.line());
    }
    return out;
}

std::string errorOf(const std::string& text) {
    try {
        readAll(text);
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::InvalidArgument);
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(CsvWrite, QuotesOnlyWhatNeedsIt) {
    struct Case {
        std::vector<std::string> fields;
        const char* expected;
    } cases[] = {
        {{"a", "b c", ""}, "a,b c,\r\n"},
        {{"x,y"}, "\"x,y\"\r\n"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
        {{"two\nlines", "cr\r"}, "\"two\nlines\",\"cr\r\"\r\n"},
        {{""}, "\"\"\r\n"}, // one empty field must not look like a blank line
        {{"", ""}, ",\r\n"},
        {{" padded "}, " padded \r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csv::formatRecord(c.fields), c.expected);
}

TEST(CsvRead, AcceptsTheFormsOfRfc4180) {
    struct Case {
        const char* text;
        Records expected;
    } cases[] = {
        {"a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
        {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}},              // LF, no final line end
        {"a,,\n", {{"a", "", ""}}},                          // empty fields
        {"\"x,y\",\"q\"\"q\"\n", {{"x,y", "q\"q"}}},         // separators and doubled quotes
        {"\"multi\r\nline\",z\n", {{"multi\r\nline", "z"}}}, // line break inside quotes
        {"\"\"\n", {{""}}},                                  // one empty quoted field
        {"\"\",\"\"\n", {{"", ""}}},
        {"\n\r\na\n\n\nb\n\n", {{"a"}, {"b"}}},        // blank lines carry no record
        {"ab\"c,d\n", {{"ab\"c", "d"}}},               // a stray quote inside is literal
        {"\xEF\xBB\xBFName\n", {{"Name"}}},            // byte order mark skipped
        {"\xEF\xBC\x8C,x\n", {{"\xEF\xBC\x8C", "x"}}}, // UTF-8 that only starts like one
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readAll(c.text), c.expected);
    }
}

TEST(CsvRead, ReportsTheLineEachRecordStartsOn) {
    std::vector<std::int64_t> lines;
    readAll("h1,h2\n\"a\nb\",c\n\nd,e\n", &lines);
    EXPECT_EQ(lines, (std::vector<std::int64_t>{1, 2, 5}));
}

TEST(CsvRead, MalformedQuotesNameTheirLine) {
    EXPECT_NE(errorOf("a\nb\n\"open\nnever closed\n").find("line 3: quoted field is not closed"),
              std::string::npos);
    EXPECT_NE(errorOf("ok\n\"closed\"junk,x\n").find("line 2: unexpected text after a closing"),
              std::string::npos);
}

TEST(CsvRoundTrip, WrittenRecordsReadBackUnchanged) {
    std::mt19937 rng(20261210);
    const std::string alphabet = "ab ,\"\r\n\xC3\xA8x";
    Records written;
    std::string text;
    for (int r = 0; r < 300; ++r) {
        std::vector<std::string> rec(1 + rng() % 5);
        for (auto& f : rec)
            for (unsigned n = rng() % 6; n > 0; --n)
                f += alphabet[rng() % alphabet.size()];
        written.push_back(rec);
        text += csv::formatRecord(rec);
    }
    EXPECT_EQ(readAll(text), written);
}
