// Replacing an existing table: which files go, and refusing a table that someone has open.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The replacement: unkeyed, no blobs, no pictures, so it adds no file besides its .DB.
void overwriteWithOneField(const fs::path& path) {
    CreateOptions o;
    o.overwrite = true;
    Table::create(path, {{"Nuovo", FieldType::Long, 0}}, 0, o);
}

// A child process that opens the table in a mode, says so on a pipe, and then holds it open
// until the parent closes its end of a second pipe; it then inserts one row and exits 0.
class Holder {
public:
    Holder(const fs::path& path, OpenMode mode) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            int code = 1;
            try {
                OpenOptions options;
                options.mode = mode;
                auto t = Table::open(path, options);
                char c = 'r';
                if (::write(ready[1], &c, 1) == 1 && ::read(release[0], &c, 1) == 0) {
                    Cursor(*t).insert(keysRow("Later", "2024", 9, 9));
                    code = 0;
                }
            } catch (...) {
                code = 2;
            }
            ::_exit(code);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char c = 0;
        opened_ = ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
    }
    ~Holder() {
        if (release_ >= 0) finish();
    }
    bool opened() const { return opened_; }
    // Lets the child write its row and close the table; its exit status.
    int finish() {
        ::close(release_);
        release_ = -1;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool opened_ = false;
};

} // namespace

TEST(CreateOverwrite, RemovesTheTablesOwnFilesAndNothingElse) {
    struct Case {
        const char* name;
        bool removed;
    } cases[] = {
        {"Keys.PX", true},          {"keys.mb", true},
        {"KEYS.Val", true},         {"Keys.X02", true},
        {"Keys.y0A", true},         {"Keys.XG0", true},
        {"keys.YGf", true},         {"Keys.DB-journal", true},
        {"Keys.csv", false},        {"keys.txt", false},
        {"Keys.DB.bak", false},     {"Keys.X0Z", false},
        {"Keys.XGG", false},        {"Keys.X123", false},
        {"Keys.PX~", false},        {"Keys", false},
        {"Keyss.PX", false},        {"Other.PX", false},
        {"keys.db-journal", false}, // the journal of another table, keys.db
    };
    TempDir dir;
    const auto path = createKeys(dir.path());
    for (const auto& c : cases)
        std::ofstream(dir / c.name, std::ios::binary) << "contents of " << c.name;
    overwriteWithOneField(path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removed)
            EXPECT_FALSE(fs::exists(dir / c.name));
        else
            EXPECT_EQ(readFile(dir / c.name), std::string("contents of ") + c.name);
    }
    auto t = Table::open(path);
    ASSERT_EQ(t->fields().size(), 1u);
    EXPECT_EQ(t->fields()[0].name, "Nuovo");
}

TEST(CreateOverwrite, RefusesATableInUseAndLeavesItWhole) {
    struct Case {
        const char* what;
        OpenMode mode;
        bool otherProcess;
    } cases[] = {
        {"shared, this process", OpenMode::ReadWrite, false},
        {"read-only, this process", OpenMode::ReadOnly, false},
        {"exclusive, this process", OpenMode::Exclusive, false},
        {"shared, another process", OpenMode::ReadWrite, true},
        {"exclusive, another process", OpenMode::Exclusive, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto path = createKeys(dir.path());
        Cursor(*Table::open(path)).insert(keysRow("Kept", "2024", 1, 1));
        {
            std::unique_ptr<Table> here;
            std::optional<Holder> there;
            if (c.otherProcess) {
                there.emplace(path, c.mode);
                ASSERT_TRUE(there->opened());
            } else {
                OpenOptions options;
                options.mode = c.mode;
                here = Table::open(path, options);
            }
            try {
                overwriteWithOneField(path);
                ADD_FAILURE() << "replaced a table in use";
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), Error::Kind::Locked) << e.what();
                EXPECT_NE(std::string(e.what()).find("in use"), std::string::npos) << e.what();
            }
            EXPECT_TRUE(fs::exists(dir / "Keys.PX"));
            if (there) {
                EXPECT_EQ(there->finish(), 0); // its write after the refusal is kept
            }
        }
        auto t = Table::open(path);
        auto rows = allRows(*t);
        EXPECT_EQ(problems(path), "");
        std::vector<std::vector<Value>> expected{keysRow("Kept", "2024", 1, 1)};
        if (c.otherProcess) expected.push_back(keysRow("Later", "2024", 9, 9));
        EXPECT_EQ(rows, expected);
        t.reset();
        overwriteWithOneField(path); // once nobody has it open
        EXPECT_EQ(Table::open(path)->fields()[0].name, "Nuovo");
    }
}
