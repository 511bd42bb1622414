// The alias file: search order, parsing, rewriting.
#include "engine/alias.h"
#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Adds one alias through update, as `ravelda-db alias add` does.
void addThroughUpdate(const char* name, const char* folder) {
    EXPECT_TRUE(AliasFile::update([&](AliasFile& f) {
        f.set(name, folder);
        return true;
    }));
}

struct stat statOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st;
}

// The names in a folder, sorted.
std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST_F(AliasFileTest, SavingWritesThroughSymbolicLinks) {
    struct Link {
        const char* name;
        std::string target;
    };
    struct Case {
        const char* what;
        std::vector<Link> links; // the first is the alias file
        const char* real;        // relative to dir
        bool realExists;
    };
    const std::string absolute = (dir / "real/aliases.conf").string();
    const Case cases[] = {
        {"relative link", {{"aliases.conf", "real/aliases.conf"}}, "real/aliases.conf", true},
        {"absolute link", {{"aliases.conf", absolute}}, "real/aliases.conf", true},
        {"chain of links",
         {{"aliases.conf", "middle.conf"}, {"middle.conf", "real/aliases.conf"}},
         "real/aliases.conf",
         true},
        {"link to a file not there yet",
         {{"aliases.conf", "real/new.conf"}},
         "real/new.conf",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "real");
        for (const auto& l : c.links)
            fs::remove(dir / l.name);
        fs::create_directories(dir / "real");
        if (c.realExists) writeFile(dir / c.real, "# kept\nold=/o\n");
        for (const auto& l : c.links)
            fs::create_symlink(l.target, dir / l.name);

        addThroughUpdate("added", "/a");

        for (const auto& l : c.links) {
            ASSERT_TRUE(fs::is_symlink(dir / l.name)) << l.name;
            EXPECT_EQ(fs::read_symlink(dir / l.name), fs::path(l.target)) << l.name;
        }
        EXPECT_EQ(readFile(dir / c.real),
                  c.realExists ? "# kept\nold=/o\nadded=/a\n" : "added=/a\n");
        const std::string realName = fs::path(c.real).filename().string();
        EXPECT_EQ(namesIn(dir / "real"), (std::vector<std::string>{realName, realName + ".lock"}));
    }
}

TEST_F(AliasFileTest, SavingKeepsTheModeAndOwner) {
    // Only root can hand a file to another owner; anyone else keeps their own.
    const bool root = ::geteuid() == 0;
    const uid_t uid = root ? 4321 : ::geteuid();
    const gid_t gid = root ? 4322 : ::getegid();
    for (mode_t mode : {0600, 0640, 0604, 0664}) {
        SCOPED_TRACE(mode);
        writeFile(file, "old=/o\n");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ASSERT_EQ(::chown(file.c_str(), uid, gid), 0);
        addThroughUpdate("added", "/a");
        EXPECT_EQ(readFile(file), "old=/o\nadded=/a\n");
        const struct stat st = statOf(file);
        EXPECT_EQ(st.st_mode & 07777, mode);
        EXPECT_EQ(st.st_uid, uid);
        EXPECT_EQ(st.st_gid, gid);
    }
}

TEST_F(AliasFileTest, SavingANewFileMakesItReadableByAll) {
    addThroughUpdate("added", "/a");
    EXPECT_EQ(statOf(file).st_mode & 07777, 0644u);
}

TEST_F(AliasFileTest, WhatIsNotARegularFileIsLeftAlone) {
    // Saving over a FIFO, directly or through a link.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", dir / "link-to-fifo");
    AliasFile f = AliasFile::loadFile(dir / "missing.conf");
    f.set("a", "/a");
    for (const char* name : {"fifo", "link-to-fifo"}) {
        SCOPED_TRACE(name);
        try {
            f.save(dir / name);
            ADD_FAILURE() << "saved";
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), Error::Kind::Io);
            EXPECT_EQ(e.file(), dir / "fifo");
            EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(S_ISFIFO(statOf(dir / "fifo").st_mode));
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link-to-fifo"));
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"fifo", "link-to-fifo"}));
    // Reading a device.
    fs::create_symlink("/dev/null", dir / "link-to-device");
    try {
        AliasFile::loadFile(dir / "link-to-device");
        ADD_FAILURE() << "read";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/null: alias file is not a regular file"),
                  std::string::npos)
            << e.what();
    }
}
