#include "tools/field_spec.h"

#include "tools/args.h"

#include <charconv>

namespace ravelda::tools {

namespace {

std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

} // namespace

std::vector<FieldSpec> parseFieldSpecs(const std::string& text) {
    using engine::FieldType;
    std::vector<FieldSpec> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string entry = trim(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;
        std::string where = std::string("--fields entry '") + entry + "'";
        auto colon = entry.rfind(':');
        if (entry.empty()) throw UsageError("--fields has an empty entry");
        if (colon == std::string::npos || colon == 0 || colon + 1 >= entry.size())
            throw UsageError(where + ": expected NAME:TYPE, e.g. Anno:A4");
        std::string name = trim(entry.substr(0, colon));
        std::string type = trim(entry.substr(colon + 1));
        auto ft = engine::fieldTypeFromLetter(type[0]);
        if (!ft)
            throw UsageError(where + ": unknown type '" + type.substr(0, 1) +
                             "' (A D S I + N $ L T @ # Y M B F O G)");
        std::string sizeText = type.substr(1);
        int size = 0;
        bool hasSize = !sizeText.empty();
        if (hasSize) {
            auto r = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
            if (r.ec != std::errc() || r.ptr != sizeText.data() + sizeText.size())
                throw UsageError(where + ": '" + sizeText + "' is not a size");
        }
        auto needRange = [&](int lo, int hi, const char* what) {
            if (size < lo || size > hi)
                throw UsageError(where + ": " + what + " must be from " + std::to_string(lo) +
                                 " to " + std::to_string(hi));
        };
        switch (*ft) {
        case FieldType::Alpha:
        case FieldType::Bytes:
            if (!hasSize)
                throw UsageError(where + ": needs a size, e.g. " + type.substr(0, 1) + "20");
            needRange(1, 255, "the size");
            break;
        case FieldType::Bcd:
            if (!hasSize) throw UsageError(where + ": needs the number of decimals, e.g. #2");
            needRange(0, 32, "the number of decimals");
            break;
        case FieldType::Memo:
        case FieldType::Blob:
        case FieldType::FmtMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            if (!hasSize) size = 10;
            needRange(10, 250, "the size (10 + leader)");
            break;
        default:
            if (hasSize) throw UsageError(where + ": type " + type.substr(0, 1) + " takes no size");
            size = engine::storedSize({name, *ft, 0});
            break;
        }
        out.push_back({name, *ft, size});
    }
    return out;
}

} // namespace ravelda::tools
