// A journal beside a table is input like any file: it may only ever restore the files of its own
// table. One that names anything else, or belongs to another table, is refused and left alone.
#include "enginetest.h"

#include "engine/error.h"
#include "engine/journal.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

std::string readText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(JournalTest, AJournalNamingAnotherFileIsRefusedAndLeftInPlace) {
    struct Case {
        const char* name;
        std::string table;        // the table the journal says it belongs to
        std::string file;         // the file it would restore
        const char* saysInReason; // what the refusal names
    };
    const Case cases[] = {
        {"the backup beside the table", "Keys.DB", "Keys.csv", "Keys.csv"},
        {"another table's data file", "Keys.DB", "Other.DB", "Other.DB"},
        {"the table's file, claimed by another table", "Other.DB", "Keys.DB", "Other.DB"},
        {"a journal that names no table", "", "Keys.csv", "Keys.csv"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TempDir dir;
        const auto path = createKeys(dir.path());
        {
            auto t = Table::open(path);
            Cursor(*t).insert(keysRow("BOLLE.DB", "2026", 0, 5));
        }
        {
            std::ofstream(dir / "Keys.csv") << "Tabella,Anno,Registro,Chiave\n";
            std::ofstream(dir / "Other.DB") << "not touched";
        }
        const std::string csvBefore = readText(dir / "Keys.csv");
        const std::string otherBefore = readText(dir / "Other.DB");
        const auto dbSize = std::filesystem::file_size(path);
        Journal j;
        j.table = k.table;
        j.files = {{k.file, 0}};
        j.entries = {{0, 0, std::vector<std::uint8_t>(8, 'X')}};
        const auto journal = dir / "Keys.DB-journal";
        const auto bytes = serializeJournal(j);
        {
            std::ofstream out(journal, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
        for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
            try {
                Table::open(path, OpenOptions{mode, 0});
                ADD_FAILURE() << "opened over a foreign journal";
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), Error::Kind::Corrupt);
                EXPECT_EQ(e.file(), journal);
                EXPECT_NE(e.problem().find(k.saysInReason), std::string::npos) << e.problem();
                EXPECT_NE(e.problem().find("left in place"), std::string::npos) << e.problem();
            }
        }
        EXPECT_TRUE(std::filesystem::exists(journal));
        EXPECT_EQ(readText(dir / "Keys.csv"), csvBefore);
        EXPECT_EQ(readText(dir / "Other.DB"), otherBefore);
        EXPECT_EQ(std::filesystem::file_size(path), dbSize);
        // Moved away, the table opens as it was.
        std::filesystem::rename(journal, dir / "saved-journal");
        EXPECT_EQ(Table::open(path)->recordCount(), 1);
    }
}
