#pragma once
// Command-line arguments of one ravelda-db command: positional words and --options.
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace ravelda::tools {

// Wrong use of the command line; main prints the message and the command's usage, exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values; // --name VALUE (repeatable)
    std::set<std::string> flags;                            // --name

    bool has(const std::string& flag) const { return flags.count(flag) > 0; }
    std::optional<std::string> value(const std::string& name) const; // the last one given
    const std::vector<std::string>& all(const std::string& name) const;
    // The value as an integer in lo..hi, or fallback when absent (UsageError otherwise).
    int integer(const std::string& name, int fallback, int lo, int hi) const;
    // Exactly n positional words (UsageError naming what is missing or extra).
    void expectPositional(std::size_t n, const char* what) const;
};

// Parses "--name VALUE", "--name=VALUE" and "--flag"; "--" ends the options. Options not listed
// are a UsageError.
Args parseArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions);

} // namespace ravelda::tools
