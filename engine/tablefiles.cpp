#include "engine/tablefiles.h"
#include "engine/ascii.h"

#include "engine/error.h"

#include <algorithm>
#include <cctype>

namespace ravelda::engine {

namespace {} // namespace

bool isSecondaryIndexExtension(const std::string& ext) {
    const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    return ext.size() == 3 && (ext[0] == 'x' || ext[0] == 'y') && (hex(ext[1]) || ext[1] == 'g') &&
           hex(ext[2]);
}

std::vector<std::filesystem::path> TableFiles::companions() const {
    std::vector<std::filesystem::path> out;
    for (const auto* p : {&px, &mb, &val})
        if (!p->empty()) out.push_back(*p);
    out.insert(out.end(), secondaryIndexes.begin(), secondaryIndexes.end());
    return out;
}

TableFiles findTableFiles(const std::filesystem::path& db) {
    TableFiles t;
    t.db = db;
    const auto dir = db.has_parent_path() ? db.parent_path() : std::filesystem::path(".");
    t.journal = dir / (db.filename().string() + "-journal");
    const std::string stem = asciiLower(db.stem().string());
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const auto name = entry.path().filename().string();
        const auto dot = name.rfind('.');
        if (dot == std::string::npos || asciiLower(name.substr(0, dot)) != stem) continue;
        const std::string ext = asciiLower(name.substr(dot + 1));
        if (ext == "px")
            t.px = entry.path();
        else if (ext == "mb")
            t.mb = entry.path();
        else if (ext == "val")
            t.val = entry.path();
        else if (isSecondaryIndexExtension(ext))
            t.secondaryIndexes.push_back(entry.path());
    }
    if (ec) throw Error(Error::Kind::Io, dir, "cannot list the table's folder: " + ec.message());
    std::sort(t.secondaryIndexes.begin(), t.secondaryIndexes.end());
    return t;
}

} // namespace ravelda::engine
