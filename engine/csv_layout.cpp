// Mapping the columns of an imported CSV file onto a table's fields.
#include "engine/ascii.h"
#include "engine/csv.h"

#include "engine/error.h"

namespace ravelda::engine::csv {

namespace {

[[noreturn]] void bad(const std::string& problem) {
    throw Error(Error::Kind::InvalidArgument, {}, problem);
}

} // namespace

ImportLayout::ImportLayout(const std::vector<FieldDef>& fields,
                           const std::vector<std::string>& header, const TextCodec& codec)
    : fields_(fields), codec_(codec) {
    for (std::size_t c = 0; c < header.size(); ++c) {
        const std::string& name = header[c];
        std::string col = std::string("line 1, column ") + std::to_string(c + 1);
        if (name.empty()) bad(col + ": the header names no field");
        int index = -1;
        for (std::size_t f = 0; f < fields.size(); ++f)
            if (equalsIgnoringAsciiCase(codec.toUtf8(fields[f].name), name)) {
                index = static_cast<int>(f);
                break;
            }
        if (index < 0) {
            std::string known;
            for (const auto& f : fields)
                known += (known.empty() ? "" : ", ") + codec.toUtf8(f.name);
            bad(col + ": the table has no field '" + name + "' (fields: " + known + ")");
        }
        for (std::size_t k = 0; k < columns_.size(); ++k)
            if (columns_[k] == index)
                bad(col + ": field '" + name + "' is named twice in the header");
        columns_.push_back(index);
        names_.push_back(codec.toUtf8(fields[static_cast<std::size_t>(index)].name));
    }
}

std::vector<Value> ImportLayout::row(const std::vector<std::string>& record,
                                     std::int64_t line) const {
    std::string where = std::string("line ") + std::to_string(line);
    if (record.size() != columns_.size())
        bad(where + ": " + std::to_string(record.size()) + " fields where the header has " +
            std::to_string(columns_.size()));
    std::vector<Value> out(fields_.size());
    for (std::size_t c = 0; c < record.size(); ++c) {
        auto f = static_cast<std::size_t>(columns_[c]);
        try {
            out[f] = parseValue(fields_[f], record[c], codec_);
        } catch (const Error& e) {
            throw Error(e.kind(), {}, where + ", field '" + names_[c] + "': " + e.problem());
        }
    }
    return out;
}

} // namespace ravelda::engine::csv
