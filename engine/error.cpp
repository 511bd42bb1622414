#include "engine/error.h"

namespace ravelda::engine {

namespace {
std::string compose(const std::filesystem::path& file, const std::string& problem) {
    if (file.empty()) return problem;
    return file.string() + ": " + problem;
}
} // namespace

Error::Error(Kind kind, std::filesystem::path file, std::string problem)
    : std::runtime_error(compose(file, problem)), kind_(kind), file_(std::move(file)),
      problem_(std::move(problem)) {}

} // namespace ravelda::engine
