#pragma once
// The .VAL file: per-field validity checks (required, minimum, maximum, default, picture).
#include "engine/table.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ravelda::engine {

// Parses a .VAL file's bytes for a table with these fields. Error Corrupt naming the file.
std::vector<FieldCheck> parseValFile(const std::vector<std::uint8_t>& bytes,
                                     const std::vector<FieldDef>& fields,
                                     const std::filesystem::path& file);

// Builds a .VAL file (the 4.x/5.x layout) holding the given checks.
std::vector<std::uint8_t> buildValFile(const std::vector<FieldCheck>& checks,
                                       const std::vector<FieldDef>& fields, int version,
                                       std::uint8_t changeCount);

} // namespace ravelda::engine
