// Several processes writing one table at once, and processes killed in the middle of writes.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

std::string keyName(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "K%06d", i);
    return buf;
}

// Runs body in a child process; returns its pid. The child exits 0 when body returns true.
template <typename F> pid_t spawn(F body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 1;
        try {
            code = body() ? 0 : 1;
        } catch (...) {
            code = 2;
        }
        ::_exit(code);
    }
    return pid;
}

int waitExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool readAll(int fd, void* buf, size_t n) {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        const ssize_t r = ::read(fd, p, n);
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

} // namespace

TEST(ProcessTest, ConcurrentInsertsLoseNothingAndDuplicateNothing) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    const int children = 4, own = 150, shared = 60;
    std::vector<pid_t> pids;
    std::vector<std::filesystem::path> reports;
    for (int c = 0; c < children; ++c) {
        reports.push_back(dir / ("won" + std::to_string(c)));
        const auto report = reports.back();
        pids.push_back(spawn([&, c, report] {
            auto t = Table::open(path);
            Cursor cur(*t);
            std::ofstream won(report);
            for (int i = 0; i < own + shared; ++i) {
                // Interleave own keys with keys every child tries.
                const bool clash = i % 3 == 0 && i / 3 < shared;
                const int k = clash ? 1000000 + i / 3 : c * 10000 + i;
                try {
                    cur.insert(keysRow(keyName(k), "2024", 1, c));
                    if (clash) won << k << "\n";
                } catch (const Error& e) {
                    if (!clash || e.kind() != Error::Kind::KeyViolation) return false;
                }
            }
            return true;
        }));
    }
    for (pid_t p : pids)
        EXPECT_EQ(waitExit(p), 0);
    std::multiset<int> winners;
    for (const auto& r : reports) {
        std::ifstream in(r);
        for (int k; in >> k;)
            winners.insert(k);
    }
    EXPECT_EQ(winners.size(), static_cast<size_t>(shared)); // each clashing key won exactly once
    EXPECT_EQ(std::set<int>(winners.begin(), winners.end()).size(), static_cast<size_t>(shared));
    auto t = Table::open(path);
    std::set<std::string> keys;
    for (const auto& row : allRows(*t))
        EXPECT_TRUE(keys.insert(row[0].asText()).second) << row[0].asText();
    int ownInserted = 0;
    for (int c = 0; c < children; ++c)
        for (int i = 0; i < own + shared; ++i)
            if (!(i % 3 == 0 && i / 3 < shared)) {
                ++ownInserted;
                EXPECT_TRUE(keys.count(keyName(c * 10000 + i))) << c << "/" << i;
            }
    EXPECT_EQ(keys.size(), static_cast<size_t>(ownInserted + shared));
    EXPECT_EQ(t->recordCount(), static_cast<std::int64_t>(keys.size()));
    EXPECT_EQ(problems(path), "");
}

TEST(ProcessTest, KilledWriterLeavesEveryAcknowledgedRow) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    int next = 0;
    std::set<int> acknowledged;
    // Rounds with more and more acknowledged writes before the kill; sync on in the last.
    for (int round = 0; round < 6; ++round) {
        const bool synced = round == 5;
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const int from = next;
        const pid_t pid = spawn([&] {
            ::close(fds[0]);
            setSyncToDisk(synced);
            auto t = Table::open(path);
            Cursor cur(*t);
            for (int i = from;; ++i) {
                // Spread the keys so that blocks split in the middle, not only at the end.
                const int k = (i * 7919) % 100000;
                cur.insert(keysRow(keyName(k), "2024", 1, i));
                if (::write(fds[1], &i, sizeof i) != sizeof i) return false;
            }
        });
        ::close(fds[1]);
        const int wanted = synced ? 5 : 50 + round * 150;
        int got = 0, value = 0;
        while (got < wanted && readAll(fds[0], &value, sizeof value)) {
            acknowledged.insert(value);
            ++got;
        }
        ::kill(pid, SIGKILL);
        while (readAll(fds[0], &value, sizeof value))
            acknowledged.insert(value); // written before the kill landed
        ::close(fds[0]);
        waitExit(pid);
        next = *acknowledged.rbegin() + 2; // the row in flight may or may not have landed
        auto t = Table::open(path);        // rolls back a write the kill interrupted
        EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
        std::set<int> stored;
        for (const auto& row : allRows(*t))
            stored.insert(static_cast<int>(row[3].asInteger()));
        for (int a : acknowledged)
            ASSERT_TRUE(stored.count(a)) << "acknowledged row " << a << " lost in round " << round;
        EXPECT_LE(stored.size(), acknowledged.size() + round + 1);
        ASSERT_EQ(problems(path), "") << "round " << round;
    }
}

namespace {
void dieMidWrite(const char* stage) {
    if (std::string(stage) == "partly-written") ::_exit(42);
}
void dieJournaled(const char* stage) {
    if (std::string(stage) == "journaled") ::_exit(42);
}
} // namespace

TEST(ProcessTest, InterruptedWriteIsRolledBackByTheNextOpener) {
    for (auto hook : {&dieMidWrite, &dieJournaled}) {
        TempDir dir;
        const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
        {
            auto t = Table::open(path);
            Cursor c(*t);
            for (int i = 0; i < 500; ++i)
                c.insert(keysRow(keyName(i * 2), "2024", 1, i));
        }
        const auto before = allRows(*Table::open(path));
        const auto sizeBefore = std::filesystem::file_size(path);
        // Each write in the child splits a block in the middle of the table.
        const pid_t pid = spawn([&] {
            setWriteStageHook(hook);
            auto t = Table::open(path);
            Cursor c(*t);
            c.insert(keysRow(keyName(501), "2024", 1, -1));
            return true;
        });
        EXPECT_EQ(waitExit(pid), 42);
        EXPECT_TRUE(std::filesystem::exists(dir / "Keys.DB-journal"));
        auto t = Table::open(path);
        EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
        EXPECT_EQ(allRows(*t), before);
        EXPECT_EQ(std::filesystem::file_size(path), sizeBefore);
        EXPECT_EQ(problems(path), "");
        Cursor c(*t);
        c.insert(keysRow(keyName(501), "2024", 1, -1)); // and the table takes writes again
        EXPECT_EQ(problems(path), "");
    }
}

TEST(ProcessTest, IncompleteJournalIsDiscarded) {
    TempDir dir;
    const auto path = createKeys(dir.path());
    {
        auto t = Table::open(path);
        Cursor(*t).insert(keysRow("A", "2024", 1, 1));
    }
    {
        // A writer that died while writing its journal never touched the table.
        std::ofstream j(dir / "Keys.DB-journal", std::ios::binary);
        j << "RAVJRNL1 half a journal";
    }
    auto t = Table::open(path);
    EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
    EXPECT_EQ(t->recordCount(), 1);
    EXPECT_EQ(problems(path), "");
}

// Readers recover too: right after a killed write, a read-only open, the check and a second
// reader each find the table as it was before the write, the first of them rolling it back.
TEST(ProcessTest, ReadersRollBackAnInterruptedWrite) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> read;
    };
    const std::vector<Case> cases = {
        {"read-only open",
         [](const std::filesystem::path& p) {
             auto t = Table::open(p, OpenOptions{OpenMode::ReadOnly, 0});
             EXPECT_TRUE(t->recoveredInterruptedWrite());
             EXPECT_EQ(t->recordCount(), 300);
         }},
        {"check",
         [](const std::filesystem::path& p) {
             bool rolledBack = false;
             EXPECT_TRUE(checkTable(p, &rolledBack).empty());
             EXPECT_TRUE(rolledBack);
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TempDir dir;
        const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
        {
            auto t = Table::open(path);
            Cursor c(*t);
            for (int i = 0; i < 300; ++i)
                c.insert(keysRow(keyName(i * 2), "2024", 1, i));
        }
        const auto before = allRows(*Table::open(path));
        const pid_t pid = spawn([&] {
            setWriteStageHook(&dieMidWrite);
            auto t = Table::open(path);
            Cursor(*t).insert(keysRow(keyName(301), "2024", 1, -1));
            return true;
        });
        EXPECT_EQ(waitExit(pid), 42);
        ASSERT_TRUE(std::filesystem::exists(dir / "Keys.DB-journal"));
        k.read(path);
        EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
        EXPECT_EQ(allRows(*Table::open(path, OpenOptions{OpenMode::ReadOnly, 0})), before);
        EXPECT_EQ(problems(path), "");
    }
}

// Where the folder cannot be written, a reader cannot roll back and says exactly why.
TEST(ProcessTest, AReaderThatCannotRollBackSaysWhy) {
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, 1));
    {
        auto t = Table::open(path);
        Cursor c(*t);
        for (int i = 0; i < 300; ++i)
            c.insert(keysRow(keyName(i * 2), "2024", 1, i));
    }
    const pid_t pid = spawn([&] {
        setWriteStageHook(&dieMidWrite);
        auto t = Table::open(path);
        Cursor(*t).insert(keysRow(keyName(301), "2024", 1, -1));
        return true;
    });
    ASSERT_EQ(waitExit(pid), 42);
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    try {
        Table::open(path, OpenOptions{OpenMode::ReadOnly, 0});
        ADD_FAILURE() << "opened with a journal pending";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), Error::Kind::ReadOnly);
        EXPECT_NE(e.problem().find("Keys.DB-journal"), std::string::npos) << e.problem();
        EXPECT_NE(e.problem().find("the folder " + dir.path().string() + " is read-only"),
                  std::string::npos)
            << e.problem();
    }
    const auto found = checkTable(path);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].message.find("is read-only"), std::string::npos) << found[0].message;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(problems(path), ""); // rolled back now that it can be
    EXPECT_FALSE(std::filesystem::exists(dir / "Keys.DB-journal"));
}
