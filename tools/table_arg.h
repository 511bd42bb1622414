#pragma once
// The TABLE argument of the commands: ":ALIAS:Name.DB" or a file path.
#include "engine/table.h"

#include <filesystem>
#include <memory>
#include <string>

namespace ravelda::tools {

struct Args;

// The path of an existing table (engine::Error NotFound with what is missing otherwise).
std::filesystem::path existingTable(const std::string& text);
// The path a new table gets; for an alias its folder must exist.
std::filesystem::path newTable(const std::string& text);
// Opens an existing table, honouring a --code-page option when given.
std::unique_ptr<engine::Table> openTableArg(const std::string& text, const Args& args,
                                            engine::OpenMode mode);

} // namespace ravelda::tools
