#pragma once
// The --fields text of `ravelda-db create`: "Name:Type[size],…", e.g. "Tabella:A30,Registro:S".
#include "engine/types.h"

#include <string>
#include <vector>

namespace ravelda::tools {

struct FieldSpec {
    std::string name; // UTF-8
    engine::FieldType type;
    int size; // as engine::FieldDef::size
};

// UsageError naming the entry for a malformed spec, an unknown type or a size out of range.
std::vector<FieldSpec> parseFieldSpecs(const std::string& text);

} // namespace ravelda::tools
