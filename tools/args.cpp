#include "tools/args.h"

#include <charconv>

namespace ravelda::tools {

std::optional<std::string> Args::value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

const std::vector<std::string>& Args::all(const std::string& name) const {
    static const std::vector<std::string> none;
    auto it = values.find(name);
    return it == values.end() ? none : it->second;
}

int Args::integer(const std::string& name, int fallback, int lo, int hi) const {
    auto v = value(name);
    if (!v) return fallback;
    int n = 0;
    auto r = std::from_chars(v->data(), v->data() + v->size(), n);
    if (r.ec != std::errc() || r.ptr != v->data() + v->size() || n < lo || n > hi)
        throw UsageError(std::string("--") + name + " needs a whole number from " +
                         std::to_string(lo) + " to " + std::to_string(hi) + ", not '" + *v + "'");
    return n;
}

void Args::expectPositional(std::size_t n, const char* what) const {
    if (positional.size() < n) throw UsageError(std::string("missing ") + what);
    if (positional.size() > n)
        throw UsageError(std::string("unexpected argument '") + positional[n] + "'");
}

Args parseArgs(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
               const std::set<std::string>& flagOptions) {
    Args out;
    bool optionsDone = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (optionsDone || w.size() < 2 || w[0] != '-' || w == "-") {
            out.positional.push_back(w);
            continue;
        }
        if (w == "--") {
            optionsDone = true;
            continue;
        }
        if (w.rfind("--", 0) != 0) throw UsageError(std::string("unknown option '") + w + "'");
        std::string name = w.substr(2), inlineValue;
        bool hasInline = false;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasInline = true;
        }
        if (valueOptions.count(name)) {
            if (hasInline) {
                out.values[name].push_back(inlineValue);
            } else {
                if (i + 1 >= words.size())
                    throw UsageError(std::string("option --") + name + " needs a value");
                out.values[name].push_back(words[++i]);
            }
        } else if (flagOptions.count(name)) {
            if (hasInline) throw UsageError(std::string("option --") + name + " takes no value");
            out.flags.insert(name);
        } else {
            throw UsageError(std::string("unknown option '--") + name + "'");
        }
    }
    return out;
}

} // namespace ravelda::tools
