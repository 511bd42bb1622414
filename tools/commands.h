#pragma once
// The commands of ravelda-db. Each takes the words after its name and returns the exit code:
// 0 success, 1 a refused operation or a failed check. Bad usage throws UsageError (exit 2);
// engine errors propagate as engine::Error (exit 1).
#include <string>
#include <vector>

namespace ravelda::tools {

using Words = std::vector<std::string>;

int aliasCommand(const Words& words);
int infoCommand(const Words& words);
int dumpCommand(const Words& words);
int createCommand(const Words& words);
int importCommand(const Words& words);
int checkCommand(const Words& words);
int queryCommand(const Words& words);
int yearUpdateCommand(const Words& words);

// The usage text of a command ("" for the overview of all commands).
std::string usageText(const std::string& command);

} // namespace ravelda::tools
