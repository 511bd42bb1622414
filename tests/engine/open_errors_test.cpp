// An open that fails names the real cause, so that an administrator knows what to mend.
#include "enginetest.h"

#include "engine/error.h"
#include "engine/tablefiles.h"
#include "engine/tablestate.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

// Opens the table as a user who may not enter its folder (as root, in a child that drops to
// "nobody"); returns the error's kind and text, or "opened".
std::string openWithoutPermission(const std::filesystem::path& table) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string out = "opened";
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) out = "no setuid";
        try {
            Table::open(table, OpenOptions{OpenMode::ReadOnly, 0});
        } catch (const Error& e) {
            out = std::to_string(static_cast<int>(e.kind())) + " " + e.what();
        }
        if (::write(fds[1], out.data(), out.size()) < 0) ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string got;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        got.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return got;
}

} // namespace

TEST(OpenErrorsTest, AFolderThatCannotBeEnteredIsNotAMissingTable) {
    TempDir dir;
    const auto folder = dir / "locked";
    std::filesystem::create_directory(folder);
    const auto path = createKeys(folder);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all,
                                 std::filesystem::perm_options::add);
    std::filesystem::permissions(folder, std::filesystem::perms::none);
    const std::string got = openWithoutPermission(path);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    if (got == "no setuid") GTEST_SKIP() << "cannot run as another user here";
    EXPECT_EQ(got.rfind(std::to_string(static_cast<int>(Error::Kind::Io)) + " ", 0), 0u) << got;
    EXPECT_NE(got.find("Permission denied"), std::string::npos) << got;
    EXPECT_EQ(got.find("not found"), std::string::npos) << got;
}

// An opener that listed a table's files just before a replacement removed them notices it once
// it holds the open lock (and opens again), instead of reading through the removed files.
TEST(OpenErrorsTest, FilesReplacedWhileOpeningAreNoticed) {
    TempDir dir;
    const auto path = createKeys(dir.path());
    auto t = Table::open(path);
    EXPECT_TRUE(t->state().filesUnchangedSince(findTableFiles(path)));
    std::filesystem::copy_file(dir / "Keys.PX", dir / "new.PX");
    std::filesystem::rename(dir / "new.PX", dir / "Keys.PX");
    EXPECT_FALSE(t->state().filesUnchangedSince(findTableFiles(path)));
    auto again = Table::open(path);
    EXPECT_TRUE(again->state().filesUnchangedSince(findTableFiles(path)));
    std::ofstream(dir / "Keys.MB") << ""; // a companion that was not there when it opened
    EXPECT_FALSE(again->state().filesUnchangedSince(findTableFiles(path)));
}
