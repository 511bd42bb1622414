// ravelda-db: administration of Paradox tables and database aliases, for people and scripts.
#include "engine/error.h"
#include "tools/args.h"
#include "tools/commands.h"

#include <cstdio>
#include <exception>
#include <map>

using namespace ravelda::tools;

namespace {

using Command = int (*)(const Words&);

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table{
        {"alias", aliasCommand},   {"info", infoCommand},
        {"dump", dumpCommand},     {"create", createCommand},
        {"import", importCommand}, {"check", checkCommand},
        {"query", queryCommand},   {"year-update", yearUpdateCommand},
    };
    return table;
}

bool wantsHelp(const Words& words) {
    for (const auto& w : words) {
        if (w == "--") return false;
        if (w == "--help" || w == "-h") return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Words words(argv + 1, argv + argc);
    if (words.empty()) {
        std::fputs(usageText("").c_str(), stderr);
        return 2;
    }
    const std::string name = words.front();
    words.erase(words.begin());
    if (name == "--help" || name == "-h" || name == "help") {
        std::string topic = words.empty() ? "" : words.front();
        if (!topic.empty() && !commands().count(topic)) {
            std::fprintf(stderr, "ravelda-db: unknown command '%s'\n\n%s", topic.c_str(),
                         usageText("").c_str());
            return 2;
        }
        std::fputs(usageText(topic).c_str(), stdout);
        return 0;
    }
    auto it = commands().find(name);
    if (it == commands().end()) {
        std::fprintf(stderr, "ravelda-db: unknown command '%s'\n\n%s", name.c_str(),
                     usageText("").c_str());
        return 2;
    }
    if (wantsHelp(words)) {
        std::fputs(usageText(name).c_str(), stdout);
        return 0;
    }
    try {
        int rc = it->second(words);
        if (std::fflush(stdout) != 0) {
            std::perror("ravelda-db: cannot write the output");
            return 1;
        }
        return rc;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ravelda-db %s: %s\n\n%s", name.c_str(), e.what(),
                     usageText(name).c_str());
        return 2;
    } catch (const ravelda::engine::Error& e) {
        std::fprintf(stderr, "ravelda-db: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ravelda-db: %s\n", e.what());
        return 1;
    }
}
