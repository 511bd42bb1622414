// The alias file: search order, parsing, rewriting.
#include "engine/alias.h"
#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

void writeFile(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class AliasFileTest : public ::testing::Test {
protected:
    ravelda::test::TempDir dir;
    fs::path file = dir / "aliases.conf";
    ScopedEnv env{"RAVELDA_ALIAS_FILE", file.c_str()};
};

} // namespace

TEST(AliasCandidates, EnvironmentFileIsTheOnlyCandidate) {
    ScopedEnv env("RAVELDA_ALIAS_FILE", "/somewhere/a.conf");
    EXPECT_EQ(aliasFileCandidates(), std::vector<fs::path>{"/somewhere/a.conf"});
    EXPECT_EQ(aliasWriteFile(), fs::path("/somewhere/a.conf"));
}

TEST(AliasCandidates, UserFileThenSystemFile) {
    ScopedEnv env("RAVELDA_ALIAS_FILE", nullptr);
    ScopedEnv home("HOME", "/home/tester");
    std::vector<fs::path> expected{"/home/tester/.config/ravelda/aliases.conf",
                                   "/etc/ravelda/aliases.conf"};
    EXPECT_EQ(aliasFileCandidates(), expected);
    EXPECT_EQ(aliasWriteFile(), expected.front());
}

TEST(AliasCandidates, LoadReadsTheUserFileWhenPresent) {
    ravelda::test::TempDir home;
    ScopedEnv env("RAVELDA_ALIAS_FILE", nullptr);
    ScopedEnv h("HOME", home.path().c_str());
    fs::create_directories(home / ".config/ravelda");
    writeFile(home / ".config/ravelda/aliases.conf", "mine=/data/mine\n");
    AliasFile f = AliasFile::load();
    EXPECT_TRUE(f.exists());
    EXPECT_EQ(f.file(), home / ".config/ravelda/aliases.conf");
    EXPECT_EQ(f.folder("MINE"), fs::path("/data/mine"));
}

TEST_F(AliasFileTest, MissingFileIsAnEmptySet) {
    AliasFile f = AliasFile::load();
    EXPECT_FALSE(f.exists());
    EXPECT_EQ(f.file(), file);
    EXPECT_TRUE(f.aliases().empty());
    EXPECT_FALSE(f.folder("quennarix"));
}

TEST_F(AliasFileTest, ParsesCommentsSpacesCaseAndRelativeFolders) {
    writeFile(file, "# Ravelda aliases\n"
                    "\n"
                    "  quennarix =  /srv/quennarix/data  \r\n"
                    "Local=tables/local\n"
                    "QUENNARIX=/shadowed\n"
                    "hash=/path/with#hash\n");
    AliasFile f = AliasFile::load();
    ASSERT_TRUE(f.exists());
    std::vector<Alias> expected{{"quennarix", "/srv/quennarix/data"},
                                {"Local", "tables/local"},
                                {"hash", "/path/with#hash"}};
    EXPECT_EQ(f.aliases(), expected);
    EXPECT_EQ(f.folder("Quennarix"), fs::path("/srv/quennarix/data"));
    EXPECT_EQ(f.folder("local"), dir / "tables/local");
    EXPECT_EQ(f.folder("HASH"), fs::path("/path/with#hash"));
    EXPECT_FALSE(f.folder("other"));
}

TEST_F(AliasFileTest, MalformedLinesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"ok=/a\njust some words\n", "line 2: expected NAME=FOLDER"},
        {"=/a\n", "line 1: invalid alias name ''"},
        {"# c\nbad name=/a\n", "line 2: invalid alias name 'bad name'"},
        {"a:b=/x\n", "line 1: invalid alias name 'a:b'"},
        {"empty=   \n", "line 1: alias 'empty' names no folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        writeFile(file, c.text);
        try {
            AliasFile::load();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Corrupt);
            EXPECT_EQ(e.file(), file);
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
        }
    }
}

TEST_F(AliasFileTest, RewritingKeepsCommentsAndOrder) {
    writeFile(file, "# first comment\nA=/a\n\n# about b\nB=/b\nC=/c\n");
    AliasFile f = AliasFile::load();
    EXPECT_TRUE(f.set("b", "/new/b")); // replaces, case-insensitively
    EXPECT_FALSE(f.set("D", "/d"));    // appends
    EXPECT_TRUE(f.remove("c"));
    EXPECT_FALSE(f.remove("nothing"));
    f.save();
    EXPECT_EQ(readFile(file), "# first comment\nA=/a\n\n# about b\nb=/new/b\nD=/d\n");
    AliasFile again = AliasFile::load();
    EXPECT_EQ(again.folder("B"), fs::path("/new/b"));
    EXPECT_EQ(again.folder("d"), fs::path("/d"));
    EXPECT_FALSE(again.folder("c"));
}

TEST_F(AliasFileTest, RemoveDropsShadowedDuplicatesToo) {
    writeFile(file, "x=/one\nX=/two\n");
    AliasFile f = AliasFile::load();
    EXPECT_TRUE(f.remove("x"));
    EXPECT_TRUE(f.aliases().empty());
}

TEST_F(AliasFileTest, SaveCreatesMissingFolders) {
    fs::path nested = dir / "a/b/aliases.conf";
    ScopedEnv env2("RAVELDA_ALIAS_FILE", nested.c_str());
    AliasFile f = AliasFile::load();
    f.set("quennarix", "/srv/q");
    f.save();
    EXPECT_EQ(readFile(nested), "quennarix=/srv/q\n");
    // No temporary file is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(nested.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(AliasFileTest, SaveIntoAnotherFileCarriesEveryAlias) {
    // Writing to the first candidate starts from what was read, so nothing vanishes.
    writeFile(file, "sys=/system\n");
    AliasFile f = AliasFile::load();
    f.set("user", "/u");
    fs::path other = dir / "user/aliases.conf";
    f.save(other);
    EXPECT_EQ(readFile(other), "sys=/system\nuser=/u\n");
    EXPECT_EQ(readFile(file), "sys=/system\n");
}

TEST_F(AliasFileTest, InvalidDefinitionsAreRefused) {
    AliasFile f = AliasFile::load();
    const std::string tooLong(65, 'a');
    for (const char* name : {"", "with space", "a=b", ":x", "#c", tooLong.c_str()}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(f.set(name, "/x"), Error);
    }
    EXPECT_THROW(f.set("ok", ""), Error);
    EXPECT_THROW(f.set("ok", "/a\nb=/c"), Error);
    EXPECT_TRUE(f.aliases().empty());
    EXPECT_TRUE(isValidAliasName("Quennarix_2024-v.1"));
}

TEST_F(AliasFileTest, SaveFailsCleanlyWhereItCannotWrite) {
    writeFile(dir / "blocker", "a file, not a folder");
    AliasFile f = AliasFile::load();
    f.set("a", "/a");
    EXPECT_THROW(f.save(dir / "blocker/aliases.conf"), Error);
}
