#include "tests/support/fixtures.h"

#include <cstdlib>

namespace ravelda::test {

std::filesystem::path sharedDir() {
    std::filesystem::path dir;
    if (const char* env = std::getenv("RAVELDA_SHARED"); env && *env)
        dir = env;
    else
        dir = RAVELDA_SHARED_DIR;
    std::error_code ec;
    if (!std::filesystem::is_directory(dir / "fixtures", ec))
        return {};
    return dir;
}

std::filesystem::path paradoxFixture(const std::filesystem::path& relative) {
    auto dir = sharedDir();
    if (dir.empty())
        return {};
    auto path = dir / "fixtures" / "paradox" / relative;
    std::error_code ec;
    return std::filesystem::exists(path, ec) ? path : std::filesystem::path{};
}

} // namespace ravelda::test
