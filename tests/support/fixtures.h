#pragma once
// Where the shared reference fixtures are, and how tests skip without them.
#include <filesystem>
#include <gtest/gtest.h>

namespace ravelda::test {

// The shared folder beside the project, or an empty path when it is absent.
std::filesystem::path sharedDir();
// A fixture file below shared/fixtures/paradox, or an empty path when absent.
std::filesystem::path paradoxFixture(const std::filesystem::path& relative);

} // namespace ravelda::test

// Skips the current test cleanly when the shared fixtures are not there.
#define RAVELDA_REQUIRE_FIXTURES()                                                                 \
    do {                                                                                           \
        if (::ravelda::test::sharedDir().empty())                                                  \
            GTEST_SKIP() << "shared fixtures not present";                                         \
    } while (0)
