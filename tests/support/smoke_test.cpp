#include "tests/support/fixtures.h"
#include "tests/support/tempdir.h"

#include <fstream>

TEST(TestSupport, TempDirIsCreatedAndRemoved) {
    std::filesystem::path kept;
    {
        ravelda::test::TempDir dir;
        kept = dir.path();
        std::ofstream(dir / "x.txt") << "x";
        EXPECT_TRUE(std::filesystem::exists(dir / "x.txt"));
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(TestSupport, FixturesSkipCleanlyWhenAbsent) {
    RAVELDA_REQUIRE_FIXTURES();
    EXPECT_FALSE(ravelda::test::paradoxFixture("MANIFEST.md").empty());
}
