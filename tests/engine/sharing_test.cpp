// Two openers of one table (two table objects here, as two processes would be; the locks and
// caches are per object): what each sees of the other's writes, and the writes refused because
// the row changed or went since it was read.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

// A Keys table with three rows, opened twice: a is the long-open reader, b the other program.
struct TwoOpeners {
    TempDir dir;
    std::filesystem::path path;
    std::unique_ptr<Table> a, b;

    explicit TwoOpeners(bool keyed = true) {
        path = dir / "Keys.DB";
        Table::create(path, keysFields(), keyed ? 3 : 0, makeOptions(0x0C, 1252, 1));
        auto t = Table::open(path);
        Cursor c(*t);
        for (const char* name : {"BOLLE.DB", "FATTURE.DB", "ORDINIF.DB"})
            c.insert(keysRow(name, "2026", 0, 1));
        t.reset();
        a = Table::open(path);
        b = Table::open(path);
    }
};

bool locateName(Cursor& c, const std::string& name) {
    return c.locate({0}, {Value::text(name)});
}

std::int64_t chiave(Cursor& c) {
    return c.value(3).asInteger();
}

// Sets Chiave of the named row through the other opener.
void setChiave(Table& t, const std::string& name, int value) {
    Cursor c(t);
    ASSERT_TRUE(locateName(c, name));
    auto row = c.row();
    row[3] = Value::integer(value);
    c.update(row);
}

Error::Kind kindOf(const std::function<void()>& f, std::string* problem = nullptr) {
    try {
        f();
    } catch (const Error& e) {
        if (problem) *problem = e.problem();
        return e.kind();
    }
    ADD_FAILURE() << "no error";
    return Error::Kind::Io;
}

} // namespace

// Every read of a table that stays open sees what the other opener committed before it.
TEST(SharingTest, EachReadSeesTheOtherOpenersCommits) {
    struct Case {
        const char* name;
        std::function<void(Table&)> write; // by the other opener
        std::function<void(Cursor&)> check;
    };
    const std::vector<Case> cases = {
        {"locate after an update", [](Table& t) { setChiave(t, "FATTURE.DB", 40); },
         [](Cursor& c) {
             ASSERT_TRUE(locateName(c, "FATTURE.DB"));
             EXPECT_EQ(chiave(c), 40);
         }},
        {"the current row refreshed", [](Table& t) { setChiave(t, "BOLLE.DB", 7); },
         [](Cursor& c) {
             c.refresh();
             EXPECT_EQ(chiave(c), 7);
         }},
        {"the current row found again", [](Table& t) { setChiave(t, "BOLLE.DB", 7); },
         [](Cursor& c) {
             ASSERT_TRUE(c.first());
             EXPECT_EQ(chiave(c), 7);
         }},
        {"locate of a row inserted a moment before",
         [](Table& t) { Cursor(t).insert(keysRow("PREVENTIVI.DB", "2026", 0, 0)); },
         [](Cursor& c) { EXPECT_TRUE(locateName(c, "PREVENTIVI.DB")); }},
        {"record count after an insert",
         [](Table& t) { Cursor(t).insert(keysRow("PREVENTIVI.DB", "2026", 0, 0)); },
         [](Cursor& c) { EXPECT_EQ(c.recordCount(), 4); }},
        {"last after an insert at the end",
         [](Table& t) { Cursor(t).insert(keysRow("ZZZ.DB", "2026", 0, 9)); },
         [](Cursor& c) {
             ASSERT_TRUE(c.last());
             EXPECT_EQ(c.value(0).asText(), "ZZZ.DB");
         }},
        {"next over a deleted row",
         [](Table& t) {
             Cursor c(t);
             ASSERT_TRUE(locateName(c, "FATTURE.DB"));
             c.remove();
         },
         [](Cursor& c) {
             ASSERT_TRUE(c.next());
             EXPECT_EQ(c.value(0).asText(), "ORDINIF.DB");
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TwoOpeners t;
        Cursor c(*t.a);
        ASSERT_TRUE(c.first()); // fills a's cache before b writes
        EXPECT_EQ(chiave(c), 1);
        k.write(*t.b);
        k.check(c);
    }
}

// An update or delete of a row that the other opener changed or deleted since it was read is
// refused, writes nothing, and goes through once the row is read again.
TEST(SharingTest, StaleWritesAreRefusedAndLoseNothing) {
    struct Case {
        const char* name;
        bool keyed;
        bool otherDeletes; // else the other opener raises Chiave to 3
        bool ourDelete;    // else we update Chiave to 2
        const char* problem;
    };
    const Case cases[] = {
        {"update of a changed keyed row", true, false, false, kRecordChanged},
        {"delete of a changed keyed row", true, false, true, kRecordChanged},
        {"update of a deleted keyed row", true, true, false, kRecordDeleted},
        {"delete of a deleted keyed row", true, true, true, kRecordDeleted},
        {"update of a changed unkeyed row", false, false, false, kRecordChangedOrDeleted},
        {"delete of a deleted unkeyed row", false, true, true, kRecordChangedOrDeleted},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TwoOpeners t(k.keyed);
        Cursor c(*t.a);
        ASSERT_TRUE(locateName(c, "FATTURE.DB"));
        auto row = c.row();
        EXPECT_EQ(row[3].asInteger(), 1);
        if (k.otherDeletes) {
            Cursor other(*t.b);
            ASSERT_TRUE(locateName(other, "FATTURE.DB"));
            other.remove();
        } else {
            setChiave(*t.b, "FATTURE.DB", 3);
        }
        const auto before = allRows(*t.b);
        row[3] = Value::integer(2);
        std::string problem;
        EXPECT_EQ(kindOf(
                      [&] {
                          if (k.ourDelete)
                              c.remove();
                          else
                              c.update(row);
                      },
                      &problem),
                  Error::Kind::Conflict);
        EXPECT_EQ(problem, k.problem);
        EXPECT_EQ(allRows(*t.b), before);
        EXPECT_EQ(problems(t.path), "");
        if (!k.otherDeletes) {
            // Read again, the row takes the write.
            ASSERT_TRUE(locateName(c, "FATTURE.DB"));
            EXPECT_EQ(chiave(c), 3);
            row = c.row();
            row[3] = Value::integer(4);
            c.update(row);
            Cursor other(*t.b);
            ASSERT_TRUE(locateName(other, "FATTURE.DB"));
            EXPECT_EQ(chiave(other), 4);
        }
    }
}

// The version kept from an earlier read refuses the write even when the cursor has been back on
// the row since (a dataset moves its cursor to the row just before it posts).
TEST(SharingTest, AKeptVersionRefusesAfterTheCursorReturns) {
    TwoOpeners t;
    Cursor c(*t.a);
    ASSERT_TRUE(locateName(c, "FATTURE.DB"));
    const RowVersion seen = c.version();
    const Bookmark mark = c.bookmark();
    auto row = c.row();
    ASSERT_TRUE(c.first());
    setChiave(*t.b, "FATTURE.DB", 3);
    ASSERT_TRUE(c.gotoBookmark(mark));
    EXPECT_EQ(chiave(c), 3);
    row[3] = Value::integer(2);
    EXPECT_EQ(kindOf([&] { c.update(row, seen); }), Error::Kind::Conflict);
    EXPECT_EQ(kindOf([&] { c.remove(seen); }), Error::Kind::Conflict);
    c.update(row, c.version()); // the version of what it shows now is current
    Cursor other(*t.b);
    ASSERT_TRUE(locateName(other, "FATTURE.DB"));
    EXPECT_EQ(chiave(other), 2);
}

// A cursor that noticed the other opener's change only while re-reading the files (not through
// a read of its own row) still refuses to put its older values back.
TEST(SharingTest, ARereadOfTheFilesIsNotAReadOfTheRow) {
    TwoOpeners t;
    Cursor c(*t.a);
    ASSERT_TRUE(locateName(c, "FATTURE.DB"));
    auto row = c.row();
    setChiave(*t.b, "FATTURE.DB", 3);
    EXPECT_EQ(c.recordCount(), 3); // re-reads the files, the cursor stays on its row
    row[3] = Value::integer(2);
    EXPECT_EQ(kindOf([&] { c.update(row); }), Error::Kind::Conflict);
}

// Processes that increment one counter through locate, read and update, retrying a refused
// update, lose no increment.
TEST(SharingTest, ConcurrentIncrementersLoseNoIncrement) {
    for (int processes : {2, 3, 4}) {
        SCOPED_TRACE(processes);
        TwoOpeners t;
        t.a.reset();
        t.b.reset();
        const int each = 150;
        std::vector<pid_t> pids;
        for (int p = 0; p < processes; ++p) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                int code = 0;
                try {
                    auto table = Table::open(t.path);
                    Cursor c(*table);
                    for (int i = 0; i < each;) {
                        if (!locateName(c, "FATTURE.DB")) ::_exit(3);
                        auto row = c.row();
                        row[3] = Value::integer(row[3].asInteger() + 1);
                        try {
                            c.update(row);
                            ++i;
                        } catch (const Error& e) {
                            if (e.kind() != Error::Kind::Conflict) throw;
                        }
                    }
                } catch (...) {
                    code = 2;
                }
                ::_exit(code);
            }
            pids.push_back(pid);
        }
        for (pid_t pid : pids) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        auto table = Table::open(t.path);
        Cursor c(*table);
        ASSERT_TRUE(locateName(c, "FATTURE.DB"));
        EXPECT_EQ(chiave(c), 1 + processes * each);
        EXPECT_EQ(problems(t.path), "");
    }
}

// A second write within the coarse step of the file's modification time leaves its stat as it
// was: the header, which every write raises, tells of it.
TEST(SharingTest, AWriteThatLeavesTheFileTimeAsItWasIsSeen) {
    TwoOpeners t;
    Cursor c(*t.a);
    ASSERT_TRUE(locateName(c, "FATTURE.DB"));
    struct stat before {};
    ASSERT_EQ(::stat(t.path.c_str(), &before), 0);
    setChiave(*t.b, "FATTURE.DB", 9);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, t.path.c_str(), times, 0), 0);
    ASSERT_TRUE(locateName(c, "FATTURE.DB"));
    EXPECT_EQ(chiave(c), 9);
}
