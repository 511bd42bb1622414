#pragma once
// Runs the ravelda-db executable in a child process and collects what it printed.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ravelda::test {

struct ToolResult {
    int exitCode = -1; // -1 when the process did not exit normally (a crash)
    std::string out;
    std::string err;
};

// Runs ravelda-db with args, standard input stdinText, and RAVELDA_ALIAS_FILE set to aliasFile
// (unset when empty). Never uses a shell, so arguments need no quoting.
ToolResult runTool(const std::vector<std::string>& args,
                   const std::filesystem::path& aliasFile = {}, const std::string& stdinText = {});

std::string readText(const std::filesystem::path& file);
void writeText(const std::filesystem::path& file, const std::string& text);

} // namespace ravelda::test
